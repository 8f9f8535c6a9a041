"""Compares two `lorim-cli dump` outputs with what a module gives a device of its own accord left
out (database keys, versions, state) and checks that the lines removed and added are exactly the expected ones
(a file of lines starting with "-" or "+")."""
import re
import sys
from collections import Counter


def lines(path):
    with open(path, encoding="utf-8") as f:
        return [re.sub(r", (ключ \d+|версии [^,]*|состояние \d+)", "", l.rstrip("\n")) for l in f]


before, after = lines(sys.argv[1]), lines(sys.argv[2])
with open(sys.argv[3], encoding="utf-8") as f:
    expected = sorted(l.rstrip("\n") for l in f if l.strip())
removed, added = Counter(before) - Counter(after), Counter(after) - Counter(before)
changes = sorted(["-" + l for l in removed.elements()] + ["+" + l for l in added.elements()])
if changes != expected:
    print("changes found:", *changes, "changes expected:", *expected, sep="\n")
    sys.exit(1)
