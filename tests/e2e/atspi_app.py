# The accessibility bus as the end-to-end scripts use it: pyatspi, or exit 77 (the test is
# skipped) where it is not installed, and the running program found on the bus.
import sys
import time

try:
    import pyatspi
except ImportError:
    print("pyatspi is not installed")
    sys.exit(77)


def find_app():
    """The program on the bus once it shows something. Exits 77 (skipped) when it does not
    appear within 40 seconds (a loaded machine starts the bus slowly): the bus, not the
    program, is then what is missing."""
    for _ in range(160):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Jotterbase" and app.childCount > 0:
                return app
        time.sleep(0.25)
    print("the program did not appear on the accessibility bus")
    sys.exit(77)
