#!/usr/bin/python3
# Listens to the real program as a screen reader would, through the accessibility bus: every
# control that takes the focus, in the main window and in each dialog opened by its keys, must
# have a name (its own, or the label it is labelled by).
#   accessible_names.py PROGRAM
# Exit 0: every control named; 1: some are not (listed); 77: no accessibility bus to listen to.
import os
import subprocess
import sys
import time

from atspi_app import find_app, pyatspi

program = sys.argv[1]
folder = os.path.dirname(program)
# A misspelt word for the spelling check to stop at.
with open(os.path.join(folder, "JotBase.ini"), "w") as ini:
    ini.write("[Remind]\r\nOnNoDateAlready=2\r\n")
log = open(os.path.join(folder, "run.log"), "w")
child = subprocess.Popen([program], cwd=folder, stdout=log, stderr=subprocess.STDOUT)

# The dialogs, each with the keys that open it from the page text and its caption.
DIALOGS = [
    (["ctrl+f"], "Quorvane Search"),
    (["ctrl+e"], "Quorvane Export pages to file"),
    (["ctrl+shift+p"], "Quorvane Print pages"),
    (["alt+f", "o", "o", "Return"], "Quorvane Jotterbase Options"),  # "&Open Database" has O first
    (["ctrl+p"], "Quorvane Set Password"),
    (["alt+s"], "Check Spelling"),
    (["alt+t", "f"], "Font"),
    (["alt+e", "f"], "Find"),
    (["ctrl+i"], "Select a file to import:"),
    (["alt+p", "t"], "Save the current page as a template"),
]

# Containers whose items a screen reader reads by their texts: the container is looked at, not
# each item (a font list holds hundreds).
CONTAINERS = {"list", "list box", "table", "tree", "tree table", "combo box", "menu", "menu bar", "page tab list"}


def xdo(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True).stdout.strip()


def window_named(title):
    for _ in range(40):
        found = xdo("search", "--onlyvisible", "--name", "^" + title + "$").split()
        if found:
            return found[0]
        time.sleep(0.25)
    return None


def top_level(app, title):
    for _ in range(40):
        for node in app:
            if node is not None and node.name == title and node.getState().contains(pyatspi.STATE_SHOWING):
                return node
        time.sleep(0.25)
    return None


def labelled(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                if relation.getTarget(i).name.strip():
                    return True
    return False


def unnamed(node, where, found):
    state = node.getState()
    if not state.contains(pyatspi.STATE_SHOWING):
        return found
    role = node.getRoleName()
    if state.contains(pyatspi.STATE_FOCUSABLE) and not node.name.strip() and not labelled(node):
        found.append("%s: %s without a name" % (where, role))
    if role not in CONTAINERS:
        for c in node:
            if c is not None:
                unnamed(c, where, found)
    return found


try:
    app = find_app()
    main = window_named("Quorvane Jotterbase.*")
    if main is None:
        print("the window did not appear")
        sys.exit(1)
    time.sleep(1.0)
    xdo("windowfocus", "--sync", main)
    xdo("type", "--delay", "20", "recieve ")
    problems = unnamed(app[0], "main window", [])
    for keys, title in DIALOGS:
        xdo("windowfocus", "--sync", main)
        for key in keys:
            xdo("key", "--clearmodifiers", key)
            time.sleep(0.3)
        node = top_level(app, title)
        if node is None:
            problems.append("%s: did not open with %s" % (title, " ".join(keys)))
            if os.environ.get("JB_SHOTS"):
                subprocess.run(["import", "-window", "root", os.environ["JB_SHOTS"] + "/" + keys[0] + ".png"], check=False)
            xdo("key", "Escape")
            continue
        time.sleep(0.5)
        problems += unnamed(node, title, [])
        shown = window_named(title)
        if shown:
            xdo("windowfocus", "--sync", shown)
        xdo("key", "Escape")
        for _ in range(40):
            if not node.getState().contains(pyatspi.STATE_SHOWING):
                break
            time.sleep(0.25)
        else:
            problems.append("%s: did not close with Escape" % title)
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)
except Exception as e:
    print("listening failed: %s; the program %s" % (e, "ended" if child.poll() is not None else "runs"))
    log.flush()
    print(open(os.path.join(folder, "run.log")).read()[-2000:])
    sys.exit(1)
finally:
    child.kill()
    child.wait()
