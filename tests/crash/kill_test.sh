#!/bin/sh
# Kills jotterbase-cli add, zap, pack, purge, reindex and the main window's Update (through
# window_update_driver) at random instants and checks after each that every page they reported
# stored survives. With the window driver it also kills a pack or a zap while the window shows a
# page, then has the window update that page or zap it. Index gaps ("pages unfindable") fail the
# run only with JB_KILL_STRICT_INDEX=1 (which CTest sets).
# A failing data set and its command sequence are kept under /tmp/kill-findings/. See
# crash_harness.py.
# With --points it instead stops jotterbase-cli rename before each of its renames, and add
# --password before each of its file changes, in turn (through the preloaded kill_at_call
# library), and checks after each that nothing is lost, that check calls a split data set damaged,
# and that no file holds a protected page's text in clear.
#   kill_test.sh --cli PATH [--window-driver PATH] [--rounds N | --soak MINUTES] [--pages N] [--seed S]
#   kill_test.sh --points --kill-lib PATH --cli PATH
exec python3 "$(dirname "$0")/crash_harness.py" kill "$@"
