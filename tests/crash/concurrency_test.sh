#!/bin/sh
# Runs pack beside purge (with zap and add loops), reindex beside add loops, the main window's Update beside CLI add
# loops, on one data set; every page reported stored must be there once. See crash_harness.py.
#   concurrency_test.sh --cli PATH [--window-driver PATH] [--pages N] [--loops N] [--seed S]
exec python3 "$(dirname "$0")/crash_harness.py" concurrency "$@"
