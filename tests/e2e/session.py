"""Real-time mode against the module: the demo site read and a value of each pane kind
compared with lorim-cli's dump, a "ВЕКТ-8Р" added, two of its loops
bound to a new partition, a user added, the keypad deleted, the clock set; then configuration
mode, where the catalogue opens the file it lists. Each step goes through the controls a person
reads on screen."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from uA11y import *  # noqa: E402,F403


def tool(editor, name):
    press(find(find(editor, "tool bar"), "push button", name))


def value(root, caption):
    """What a screen reader hears of the value label captioned so: "Caption: value"."""
    label = until(lambda: next((n for n in walk(root) if n.getRoleName() == "label"
                                and n.name.startswith(caption + ": ")
                                and n.getState().contains(pyatspi.STATE_SHOWING)), None),
                  f"value of {caption!r}")
    return label.name[len(caption) + 2:]


def cells(table, row):
    t = table.queryTable()
    return [t.getAccessibleAt(row, c).name.strip() for c in range(t.nColumns)]


def read_panes(editor, site):
    """One value of each pane kind, as the bus reads it, against lorim-cli's dump of the site."""
    def same(got, pattern):
        expect = re.search(pattern, site).groups()
        assert got == expect, f"the bus reads {got}, lorim-cli dump {expect}"

    devices = find(editor, "tree", "Расширители")
    select_row(devices, "ЦМ", column=1)
    relay = find(editor, "panel", "Настройка реле ПЦН1")
    same((value(relay, "Задержка"),), r"\] ЦМ,.*\n +реле 1: [^\n]*задержка (\d+)")
    select_row(devices, "ВЕКТ-8", column=1)
    loop = cells(find(editor, "tree", "Шлейфы"), 0)  # number, partition, type, delay
    same((loop[2], loop[1], loop[3]),
         r"\] ВЕКТ-8,.*\n +шлейф 1: ([^,]+), раздел (\d+), флаги \d+, задержка (\d+)")
    press(find(editor, "page tab", "Разделы"))
    select_row(find(editor, "tree", "Разделы"), "1", column=0)
    same((value(editor, "Задержки"),), r"№1, ключ \d+, задержка на выход (\d+)")
    press(find(editor, "page tab", "Пользователи"))
    select_row(find(editor, "tree", "Пользователи"), "2", column=0)
    same((value(editor, "Тип"),), r"\n +№2, ([^,]+), разделы")
    press(find(editor, "page tab", "Расширители"))


def session(app):
    start = window(app, "Режим работы")
    press(find(start, "radio button", "Режим реального времени"))
    press(find(start, "push button", "ОК"))
    editor = window(app, "Конфигурирование ЛОРИМ", role="frame")
    devices = find(editor, "tree", "Расширители")
    row_of(devices, "ВМС-8")  # the demo site has been read
    with open(sys.argv[1], encoding="utf-8") as dump:  # lorim-cli dump of the site read
        read_panes(editor, dump.read())

    # A ВЕКТ-8Р: its model, then its identifier.
    tool(editor, "Добавить")
    kind = window(app, "Создание устройства")
    focus(find(kind, "combo box"))
    keys("Down", "Down")
    press(find(kind, "push button", "ОК"))
    panel = window(app, "Настройка ВЕКТ-8Р")
    set_text(find(panel, "text", "Идентификатор:"), "0020FF78CB01")
    press(find(panel, "push button", "ОК"))
    row_of(devices, "ВЕКТ-8Р")

    # A new partition holding two of its loops.
    press(find(editor, "page tab", "Разделы"))
    tool(editor, "Добавить")
    press(find(window(app, "Настройка раздела"), "push button", "ОК"))
    adding = window(app, "Добавление шлейфов к разделу")
    loops = find(adding, "tree", "Шлейфы")
    select_row(loops, "7/1", column=1)
    select_row(loops, "7/2", column=1, add=True)
    press(find(adding, "push button", "ОК"))
    row_of(find(editor, "tree", "Разделы"), "4", column=0)

    # A user.
    press(find(editor, "page tab", "Пользователи"))
    tool(editor, "Добавить")
    press(find(window(app, "Настройка пользователя"), "push button", "ОК"))
    row_of(find(editor, "tree", "Пользователи"), "4", column=0)

    # The keypad goes.
    press(find(editor, "page tab", "Расширители"))
    devices = find(editor, "tree", "Расширители")
    select_row(devices, "КП", column=1)
    tool(editor, "Удалить")
    answer(app, "Удалить устройство?", "Да")
    until(lambda: None if any(c.name == "КП" for c in walk(devices)) else True, "keypad gone")

    # The clock.
    press(find(editor, "menu item", "Синхронизация даты и времени", showing=False))
    answer(app, "Синхронизировать системное время с временем на устройстве?", "Да")
    answer(app, "Время синхронизировано", None)

    # Closing the editor brings the start window back. In configuration mode the catalogue
    # opens the file it lists; "Выход" then ends the program.
    press(find(editor, "menu item", "Выход", showing=False))
    answer(app, "Вы действительо хотите завершить конфигурирование?", "Да")
    start = window(app, "Режим работы")
    press(find(start, "radio button", "Режим конфигурации"))
    press(find(start, "push button", "ОК"))
    catalogue = window(app, "Выбор конфигурации")
    select_row(find(catalogue, "tree", "Конфигурации"), "known", column=0)
    press(find(catalogue, "push button", "Выбрать"))
    editor = window(app, "Конфигурирование ЛОРИМ", role="frame")
    row_of(find(editor, "tree", "Расширители"), "КП")
    press(find(editor, "menu item", "Выход", showing=False))
    answer(app, "Вы действительо хотите завершить конфигурирование?", "Да")
    focus(find(window(app, "Выбор конфигурации"), "tree", "Конфигурации"))
    keys("Escape")
    press(find(window(app, "Режим работы"), "push button", "Выход"))


run(session)
