#!/usr/bin/python3
# Looks at the real program's window through the accessibility bus, as a user's screen reader
# would: at the window's first size and at 1280 x 800, every control of every shown toolbar must
# be on show (none hidden behind an overflow button) and every status panel inside the status
# bar. Takes a screenshot of each size.
#   window_look.py PROGRAM SHOTS_PREFIX
# Exit 0: all on show; 1: something hidden (listed); 77: no accessibility bus to look through.
import os
import subprocess
import sys
import time

from atspi_app import find_app, pyatspi

program, shots = sys.argv[1], sys.argv[2]
child = subprocess.Popen([program], cwd=os.path.dirname(program),
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def walk(node, out):
    out.append(node)
    for c in node:
        walk(c, out)
    return out


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def problems_now(app):
    found = []
    frame = app[0]
    for node in walk(frame, []):
        role = node.getRoleName()
        if role == "tool bar" and showing(node):
            for control in node:
                # The toolbar's own overflow button is its one control without a name.
                overflow = control.name == ""
                if overflow and showing(control):
                    found.append("toolbar %s overflows" % node.name)
                if not overflow and not showing(control):
                    found.append("toolbar %s: %s '%s' is not on show" % (node.name, control.getRoleName(), control.name))
        if role == "status bar":
            bx, by, bw, bh = extents(node)
            for panel in node:
                x, y, w, h = extents(panel)
                if w <= 0 or x < bx or x + w > bx + bw:
                    found.append("status panel '%s' lies outside the status bar" % panel.name)
    return found


try:
    app = find_app()
    time.sleep(1.0)
    problems = []
    for size in ("first", "1280x800"):
        if size != "first":
            for command in (["windowmove", "0", "0"], ["windowsize", "1280", "800"]):
                subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Quorvane Jotterbase"] + command,
                               check=False)
            time.sleep(1.5)
        problems += ["%s size: %s" % (size, p) for p in problems_now(app)]
        subprocess.run(["import", "-window", "root", "%s-%s.png" % (shots, size)], check=False)
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)
finally:
    child.kill()
    child.wait()
