#!/usr/bin/python3
# Reads the program's accessibility tree over AT-SPI (the session bus of the test).
#   atspi_tree.py dump       every object: role, name, and "focused"/"checked" states
#   atspi_tree.py focused    the focused object: role and name
#   atspi_tree.py text NAME  the text of the object with this name
import sys
import time

import pyatspi


def app():
    # A program registers with the accessibility bus a moment after it starts.
    for _ in range(50):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and (a.name or "").lower() == "tovrin":
                return a
        time.sleep(0.2)
    return None


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def line(node):
    states = node.getState()
    marks = [name for name, state in (("focused", pyatspi.STATE_FOCUSED), ("checked", pyatspi.STATE_CHECKED),
                                      ("showing", pyatspi.STATE_SHOWING)) if states.contains(state)]
    name = (node.name or "").replace("\n", "\\n")
    return "%s\t%s\t%s" % (node.getRoleName(), name, ",".join(marks))


def main():
    a = app()
    if a is None:
        print("no application named tovrin on the accessibility bus", file=sys.stderr)
        return 1
    if sys.argv[1] == "dump":
        for node in walk(a):
            print(line(node))
    elif sys.argv[1] == "text":
        for node in walk(a):
            if node.name == sys.argv[2]:
                text = node.queryText()
                print(text.getText(0, text.characterCount).replace("\t", "\\t"))
                return 0
        return 1
    else:
        for node in walk(a):
            if node.getState().contains(pyatspi.STATE_FOCUSED):
                print(line(node))
    return 0


sys.exit(main())
