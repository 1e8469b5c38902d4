#!/usr/bin/env bash
# Puts Jotterbase into the desktop's application menu: a freedesktop desktop entry that starts
# the program installed in FOLDER, and the program's icon, in the user's data folder
# ($XDG_DATA_HOME, by default ~/.local/share). Run again, it brings both up to date.
#   scripts/install-desktop-entry.sh FOLDER
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
folder=$(cd "${1:?usage: install-desktop-entry.sh FOLDER}" && pwd)
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
applications="$data_home/applications"
icons="$data_home/icons/hicolor/scalable/apps"
mkdir -p "$applications" "$icons"
cp -f "$top/assets/icons/jotterbase.svg" "$icons/jotterbase.svg"

# Exec and Path quote the folder as the desktop entry format asks: inside double quotes, a
# backslash, a double quote, a backtick and a dollar sign are escaped with a backslash, and a
# literal percent sign is doubled.
quoted=$(printf '%s' "$folder/jotterbase" | sed -e 's/[\\"`$]/\\&/g' -e 's/%/%%/g')
entry="$applications/jotterbase.desktop"
cat >"$entry.new" <<ENTRY
[Desktop Entry]
Type=Application
Name=Jotterbase
GenericName=Notes
Comment=Keep free-form notes as numbered pages of rich text, search them and be reminded of them
Exec="$quoted"
Path=$folder
Icon=jotterbase
Terminal=false
Categories=Office;Utility;TextEditor;
Keywords=notes;notebook;reminder;
StartupWMClass=jotterbase
ENTRY
mv -f "$entry.new" "$entry"
echo "Jotterbase is in the application menu: $entry"
