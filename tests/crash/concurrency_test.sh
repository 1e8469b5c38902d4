#!/bin/sh
# Runs programs side by side on one data set of a few thousand pages; every page they reported
# stored must be there once, with its text, under its own ID, found by its marker word, and
# jotterbase-cli check must find nothing. Cases (--case, comma-separated; default all):
#   pack-purge       pack and purge loops beside a zap loop and an add loop
#   reindex-add      reindex loops beside two add loops
#   zap-restore      two "zap 0" loops beside a restore loop; none may refuse, none may report a
#                    page another moved
#   repair-pack      check --repair beside pack and add loops
#   window-add       the window's Updates beside two CLI add loops
#   windows-add      two windows' Updates beside a CLI add loop
#   window-edit-zap  the window updates the page it shows after a CLI zap of an earlier page
#   window-close-held the window is closed with an edited page while another program holds the
#                    data set: it stays open, and saves the page when closed again after
# See crash_harness.py.
#   concurrency_test.sh --cli PATH [--window-driver PATH] [--case LIST] [--pages N] [--loops N] [--seed S]
exec python3 "$(dirname "$0")/crash_harness.py" concurrency "$@"
