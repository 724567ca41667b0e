#!/usr/bin/python3
"""Prints what a screen reader learns of the Tovrik window through AT-SPI:
every control with its role, name, labelled-by relation and description,
and exits 1 if a control that takes input or acts has nothing to speak.

Run it through scripts/screen_reader_check.sh, which starts the window under
Xvfb with an accessibility bus.
"""
import sys
import time

import pyatspi

ACTING_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON,
}


def find_app(name, timeout=15.0):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def label_of(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                return relation.getTarget(i).name
    return ""


def walk(node, depth, problems):
    role = node.getRole()
    showing = node.getState().contains(pyatspi.STATE_SHOWING)
    label = label_of(node)
    spoken = label or node.name
    if role in ACTING_ROLES and showing:
        mark = "  " if spoken.strip() else "!!"
        if not spoken.strip():
            problems.append(node.getRoleName())
        line = f"{mark} {'  ' * depth}{node.getRoleName()}: {node.name!r}"
        if label:
            line += f" labelled by {label!r}"
        if node.description:
            line += f" ({node.description})"
        print(line)
    for child in node:
        if child is not None:
            walk(child, depth + 1, problems)


def main():
    app = find_app(sys.argv[1] if len(sys.argv) > 1 else "tovrik")
    if app is None:
        print("the application did not appear on the accessibility bus", file=sys.stderr)
        return 2
    problems = []
    for window in app:
        print(f"window {window.name!r}")
        walk(window, 1, problems)
    if problems:
        print(f"{len(problems)} control(s) without a spoken name", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
