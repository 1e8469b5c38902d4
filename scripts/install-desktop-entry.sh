#!/usr/bin/env bash
# Puts Jotterbase into the desktop's application menu: a freedesktop desktop entry that starts
# the program installed in FOLDER, and the program's icon, in the user's data folder
# ($XDG_DATA_HOME, by default ~/.local/share). Run again, it brings both up to date.
#   scripts/install-desktop-entry.sh FOLDER
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The "." keeps a folder name's own final newlines from being taken as pwd's.
folder=$(cd "${1:?usage: install-desktop-entry.sh FOLDER}" && pwd && echo .)
folder=${folder%$'\n.'}
# A desktop entry is UTF-8 text in which only a newline, a tab and a carriage return can be
# written escaped; a folder whose name holds other control characters, or is not UTF-8, cannot be
# named in one.
if ! printf '%s' "$folder" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 ||
  [[ $folder == *[$'\001'-$'\010'$'\013'$'\014'$'\016'-$'\037'$'\177']* ]]; then
  echo "install-desktop-entry.sh: the folder's name cannot be written in a desktop entry: $folder" >&2
  exit 1
fi
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
applications="$data_home/applications"
icons="$data_home/icons/hicolor/scalable/apps"
mkdir -p "$applications" "$icons"
cp -f "$top/assets/icons/jotterbase.svg" "$icons/jotterbase.svg"

# The same encoding as the options dialog's entries (src/settings/desktop_links.cc), which a test
# holds both to. A value of type string: a backslash, newline, tab and carriage return are
# escaped, and a leading space.
escaped_value() {
  local v=$1
  v=${v//\\/\\\\}
  v=${v//$'\n'/\\n}
  v=${v//$'\t'/\\t}
  v=${v//$'\r'/\\r}
  [[ $v == ' '* ]] && v="\\s${v:1}"
  printf -v "$2" '%s' "$v"
}
# The program as the first word of Exec: in double quotes, a backslash, a double quote, a
# backtick and a dollar sign escaped with a backslash and a percent sign doubled; then escaped
# as a string value, as every value is (so a "\$" is written "\\$").
exec_program() {
  local v=$1
  v=${v//\\/\\\\}
  v=${v//\"/\\\"}
  v=${v//\`/\\\`}
  v=${v//\$/\\\$}
  v=${v//%/%%}
  escaped_value "\"$v\"" "$2"
}
exec_program "$folder/jotterbase" exec
escaped_value "$folder" path
entry="$applications/jotterbase.desktop"
cat >"$entry.new" <<ENTRY
[Desktop Entry]
Type=Application
Name=Jotterbase
GenericName=Notes
Comment=Keep free-form notes as numbered pages of rich text, search them and be reminded of them
Exec=$exec
Path=$path
Icon=jotterbase
Terminal=false
Categories=Office;Utility;TextEditor;
Keywords=notes;notebook;reminder;
StartupWMClass=jotterbase
ENTRY
mv -f "$entry.new" "$entry"
echo "Jotterbase is in the application menu: $entry"
