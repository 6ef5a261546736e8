"""Prints the running Quarnel's accessibility tree as the screen readers see
it, one JSON object per showing node: its role, name, description and
states. Run with Debian's python3 (python3-pyatspi), AT_SPI_BUS_ADDRESS naming
the test's accessibility bus."""

import json
import sys

import pyatspi

STATES = {
    "editable": pyatspi.STATE_EDITABLE,
    "focusable": pyatspi.STATE_FOCUSABLE,
    "read_only": pyatspi.STATE_READ_ONLY,
}


def walk(node):
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is None:
            continue
        yield child
        yield from walk(child)


def main():
    desktop = pyatspi.Registry.getDesktop(0)
    applications = [app for app in desktop if app is not None and app.name.lower() == "quarnel"]
    if not applications:
        sys.exit("Quarnel is not on the accessibility bus; there are: "
                 + ", ".join(str(app.name) for app in desktop if app is not None))
    for node in walk(applications[0]):
        states = node.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        print(json.dumps({
            "role": node.getRoleName(),
            "name": node.name,
            "description": node.description,
            **{key: states.contains(state) for key, state in STATES.items()},
        }))


main()
