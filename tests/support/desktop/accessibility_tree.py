#!/usr/bin/python3
"""Prints the accessibility tree of the application named on the command line as a screen
reader reads it through AT-SPI: one line a node, indented by depth,
"role|name|description|text" (line breaks in a text shown as \\n). Exits 1 when the
application is not on the accessibility bus."""

import sys

import pyatspi


def flat(text):
    return (text or "").replace("\\", "\\\\").replace("\n", "\\n").replace("|", "\\|")


def dump(node, depth, out):
    try:
        text = node.queryText().getText(0, -1)
    except NotImplementedError:
        text = ""
    out.append("  " * depth + "|".join(
        flat(part) for part in (node.getRoleName(), node.name, node.description, text)))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            dump(child, depth + 1, out)


def main():
    wanted = sys.argv[1]
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == wanted:
            out = []
            dump(app, 0, out)
            print("\n".join(out))
            return 0
    return 1


sys.exit(main())
