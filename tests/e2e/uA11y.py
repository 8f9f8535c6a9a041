"""Drives lorim-config from outside, through the desktop's accessibility bus, as a screen
reader would: controls are found by their role and by the text a person reads on screen."""

import subprocess
import time

import pyatspi
from gi.repository import Atspi, GLib

TIMEOUT = 30.0


class NotFound(Exception):
    pass


def application(name):
    """The accessible application of that name, once it is up."""
    return until(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                               if a is not None and a.name == name), None),
                 "application " + name)


def until(probe, what, timeout=TIMEOUT):
    end = time.time() + timeout
    while time.time() < end:
        try:
            found = probe()
        except Exception:  # the tree changes while it is walked
            found = None
        if found is not None:
            return found
        time.sleep(0.05)
    raise NotFound(what)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for child in node:
        yield from walk(child, depth + 1)


def find(root, role, name=None, showing=True):
    """The first control of the role (and name) under root, waiting for it to appear."""
    def probe():
        for node in walk(root):
            if node.getRoleName() != role or (name is not None and node.name != name):
                continue
            if showing and not node.getState().contains(pyatspi.STATE_SHOWING):
                continue
            return node
        return None
    return until(probe, f"{role} {name!r}")


def window(app, name, role="dialog"):
    return find(app, role, name)


def press(node):
    """Presses a button or menu item. The program answers a press only once what it started is
    over, and a press that opens a modal dialog is over when the dialog closes: so the answer
    is not waited for beyond a moment."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = next((names.index(w) for w in ("Press", "Toggle", "press", "click") if w in names), 0)
    Atspi.set_timeout(800, -1)
    try:
        action.doAction(index)
    except GLib.GError as error:
        if "reply" not in str(error):
            raise
    finally:
        Atspi.set_timeout(-1, -1)


def set_text(node, text):
    node.queryEditableText().setTextContents(text)


def focus(node):
    node.queryComponent().grabFocus()


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "30", *names], check=True)


def row_of(table, text, column=None):
    """The row of a list view whose cell (in the column, or any) reads text."""
    def probe():
        t = table.queryTable()
        for r in range(t.nRows):
            for c in range(t.nColumns) if column is None else [column]:
                cell = t.getAccessibleAt(r, c)
                if cell is not None and cell.name.strip() == text:
                    return r
        return None
    return until(probe, f"row {text!r}")


def select_row(table, text, column=None, add=False):
    t = table.queryTable()
    row = row_of(table, text, column)
    if not add:
        for r in range(t.nRows):
            if t.isRowSelected(r):
                t.removeRowSelection(r)
    t.addRowSelection(row)
    return row


def answer(app, text, button):
    """Answers the message box whose text begins with text (any box when text is None), and
    waits for it to close, so that the next keys reach the window under it."""
    box = until(lambda: next((n for n in walk(app) if n.getRoleName() in ("alert", "dialog")
                              and n.getState().contains(pyatspi.STATE_SHOWING)
                              and (text is None or any(l.name.startswith(text) for l in walk(n)))),
                             None),
                f"message {text!r}")
    press(find(box, "push button", button))
    until(lambda: None if box.getState().contains(pyatspi.STATE_SHOWING) else True,
          f"message {text!r} to close")


def dump(node, depth=0):
    """The tree under node as text, for a failure's report."""
    out = []
    for n in walk(node):
        d, p = 0, n
        while p is not None and p != node and d < 40:
            p, d = p.parent, d + 1
        out.append("  " * d + f"{n.getRoleName()} {n.name!r}")
    return "\n".join(out)


def run(session):
    """Runs a session; on failure prints what the program showed."""
    app = application("lorim-config")
    try:
        session(app)
    except Exception:
        print(dump(app))
        raise
