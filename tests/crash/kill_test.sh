#!/bin/sh
# Kills jotterbase-cli commands and the main window's Update at random instants and checks that
# every page they reported stored survives. See crash_harness.py.
#   kill_test.sh --cli PATH [--window-driver PATH] [--rounds N | --soak MINUTES] [--pages N] [--seed S]
exec python3 "$(dirname "$0")/crash_harness.py" kill "$@"
