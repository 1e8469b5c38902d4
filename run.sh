#!/usr/bin/env bash
# Sets up, builds, installs into the user's program folder and starts Jotterbase there on its
# default data set.
#   ./run.sh [--folder DIR] [--no-desktop-entry]   (default program folder: ~/Jotterbase)
# It also puts Jotterbase into the desktop's application menu, unless --no-desktop-entry.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
folder="$HOME/Jotterbase"
desktop_entry=yes
while [ $# -gt 0 ]; do
  case "$1" in
    --folder) folder=${2:?--folder needs a directory}; shift 2 ;;
    --folder=*) folder=${1#--folder=}; shift ;;
    --no-desktop-entry) desktop_entry=no; shift ;;
    -h|--help) echo "usage: ./run.sh [--folder DIR] [--no-desktop-entry]"; exit 0 ;;
    *) echo "run.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
"$top/scripts/install.sh" "$top/build/Jotterbase" "$folder"
echo "Jotterbase is installed in $folder"
if [ "$desktop_entry" = yes ]; then "$top/scripts/install-desktop-entry.sh" "$folder"; fi
cd "$folder"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Jotterbase on a virtual X display (Xvfb)."
  exec xvfb-run -a "$folder/jotterbase"
fi
exec "$folder/jotterbase"
