#!/usr/bin/env python3
"""What a screen reader finds in the wizard, page by page, over AT-SPI.

Not a test: it needs a display, a session bus and the accessibility bus. Run it as

    xvfb-run -a dbus-run-session -- /usr/bin/python3 bench/atspi_tree.py build/brimvale

(the system python3, where python3-pyatspi installs the module)

It starts the program with Qt's AT-SPI bridge on, chooses Custom with every
criterion, walks through every page to the results page (which scans the first
fixed drive) and prints each page's interactive controls with their role, name
and states, then one line per page and a total: "controls / named / right role".

A control is what the user can act on (anything focusable or with an action)
plus the scan's progress bar and path line. Its role is right when it is the
role its kind has in a stock toolkit: controls the script knows by name (the
method radio buttons, the criteria check boxes, the push buttons) must have
exactly that role; the others must at least not be a filler, panel or unknown.
"""
import os
import subprocess
import sys
import time

import pyatspi

R = pyatspi
RADIOS = {"Express", "Custom"}
CHECKS = {"Location", "Name", "Extension", "Size", "Creation Time", "Last Modified Time",
          "Last Accessed Time", "Preserve Path"}
BUTTONS = {"Back", "Next", "Close", "Help", "Add", "Remove", "Restart", "Eliminate", "Compress",
           "Move", "Delete", "Cancel", "OK", "Ok"}
VAGUE = {R.ROLE_FILLER, R.ROLE_PANEL, R.ROLE_UNKNOWN, R.ROLE_REDUNDANT_OBJECT, R.ROLE_INVALID}
ACTIVE_ROLES = {R.ROLE_PUSH_BUTTON, R.ROLE_CHECK_BOX, R.ROLE_RADIO_BUTTON, R.ROLE_COMBO_BOX,
                R.ROLE_TEXT, R.ROLE_ENTRY, R.ROLE_SPIN_BUTTON, R.ROLE_TABLE, R.ROLE_TREE_TABLE,
                R.ROLE_TREE, R.ROLE_LIST, R.ROLE_LINK, R.ROLE_PROGRESS_BAR, R.ROLE_DATE_EDITOR}


def expected_role(name):
    if name in RADIOS:
        return R.ROLE_RADIO_BUTTON
    if name in CHECKS:
        return R.ROLE_CHECK_BOX
    if name in BUTTONS:
        return R.ROLE_PUSH_BUTTON
    return None


def is_control(node):
    try:
        states = node.getState()
        role = node.getRole()
    except Exception:
        return False
    if not states.contains(R.STATE_SHOWING):
        return False
    if role in (R.ROLE_TABLE_CELL, R.ROLE_TABLE_COLUMN_HEADER, R.ROLE_LIST_ITEM, R.ROLE_MENU_ITEM,
                R.ROLE_SCROLL_BAR, R.ROLE_FRAME, R.ROLE_DIALOG, R.ROLE_WINDOW, R.ROLE_APPLICATION):
        return False
    if role in ACTIVE_ROLES or states.contains(R.STATE_FOCUSABLE):
        return True
    try:
        return node.queryAction().nActions > 0
    except NotImplementedError:
        return False


def walk(node, found, depth=0):
    if depth > 12:
        return
    if is_control(node):
        found.append(node)
        # A list's cells and a combo box's inner parts are not controls of
        # their own.
        if node.getRole() in (R.ROLE_TABLE, R.ROLE_TREE_TABLE, R.ROLE_TREE, R.ROLE_LIST, R.ROLE_COMBO_BOX):
            return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, found, depth + 1)


def judge(node):
    name = node.name or ""
    role = node.getRole()
    wanted = expected_role(name)
    right = role == wanted if wanted is not None else role not in VAGUE
    return name, role, right


def find_app(pid, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        desktop = R.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.3)
    return None


def find(app, name, roles):
    hits = []
    def look(node, depth=0):
        if depth > 12 or node is None:
            return
        try:
            if node.name == name and node.getRole() in roles and node.getState().contains(R.STATE_SHOWING):
                hits.append(node)
        except Exception:
            return
        for i in range(node.childCount):
            look(node.getChildAtIndex(i), depth + 1)
    look(app)
    return hits[0] if hits else None


def press_space(node):
    """Focuses `node` and types Space, as a user of the keyboard would."""
    node.queryComponent().grabFocus()
    time.sleep(0.2)
    R.Registry.generateKeyboardEvent(65, None, R.KEY_PRESSRELEASE)  # X keycode of Space
    time.sleep(0.4)


def act(app, name, roles, check=False):
    """Presses the control named `name` through its action; a check box that
    its action did not check (a toolkit that does not know it is one) is
    checked with the Space key instead."""
    node = find(app, name, roles)
    if node is None:
        raise SystemExit("no control named %r" % name)
    try:
        node.queryAction().doAction(0)
    except Exception as error:  # a stale object: ask again
        print("   (action on %r failed: %s)" % (name, error))
    time.sleep(0.6)
    if check:
        node = find(app, name, roles)
        if node is not None and not node.getState().contains(R.STATE_CHECKED):
            press_space(node)


def report(app, title, totals):
    found = []
    walk(app, found)
    named = right = 0
    print("== %s" % title)
    for node in found:
        name, role, ok = judge(node)
        named += 1 if name.strip() else 0
        right += 1 if ok else 0
        states = [s for s in (R.STATE_CHECKABLE, R.STATE_CHECKED, R.STATE_FOCUSED, R.STATE_ENABLED)
                  if node.getState().contains(s)]
        value = ""
        try:
            value = " value=%s" % node.queryValue().currentValue
        except NotImplementedError:
            pass
        print("   %-14s %-32r %s%s%s" % (R.Accessible.getRoleName(node), name,
                                      ",".join(pyatspi.stateToString(s) for s in states), value,
                                      "" if ok else "   <- wrong role"))
    print("   %d / %d / %d" % (len(found), named, right))
    for i, n in enumerate((len(found), named, right)):
        totals[i] += n


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/brimvale"
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    proc = subprocess.Popen([program], env=env)
    try:
        app = find_app(proc.pid)
        if app is None:
            raise SystemExit("the program did not appear on the accessibility bus")
        time.sleep(2.5)  # the splash
        totals = [0, 0, 0]
        report(app, "method page", totals)
        act(app, "Custom", (R.ROLE_RADIO_BUTTON, R.ROLE_PUSH_BUTTON), check=True)
        act(app, "Next", (R.ROLE_PUSH_BUTTON,))
        report(app, "criteria page", totals)
        for name in sorted(CHECKS - {"Preserve Path"}):
            act(app, name, (R.ROLE_CHECK_BOX, R.ROLE_PUSH_BUTTON), check=True)
        pages = ["drive page", "location page", "name page", "extension page", "size page",
                 "creation time page", "modified time page", "accessed time page"]
        for title in pages:
            act(app, "Next", (R.ROLE_PUSH_BUTTON,))
            report(app, title, totals)
        act(app, "Next", (R.ROLE_PUSH_BUTTON,))
        report(app, "results page (with the scan dialog while it runs)", totals)
        print("controls / named / right role: %d / %d / %d" % tuple(totals))
    finally:
        proc.terminate()
        proc.wait(10)


if __name__ == "__main__":
    main()
