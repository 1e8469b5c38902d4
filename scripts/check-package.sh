#!/usr/bin/env bash
# Proves a Jotterbase package without installing it: unpacks it into a scratch root, runs its
# programs there with a scratch home folder, and puts its files through their validators.
#   scripts/check-package.sh jotterbase_VERSION_ARCH.deb
# The window runs on a virtual X display (Xvfb), where xdotool closes it through its File menu
# as a user would, so that its closing steps run.
set -uo pipefail
deb=$(cd "$(dirname "${1:?usage: check-package.sh PACKAGE.deb}")" && pwd)/$(basename "$1")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/jotterbase-check.XXXXXX")
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

root=$scratch/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb" >&2; exit 1; }
share=$root/usr/share
export HOME=$scratch/home LC_ALL=C.UTF-8
unset JOTTERBASE_FOLDER XDG_DATA_HOME
mkdir -p "$HOME"
folder=$HOME/Jotterbase
cli=$root/usr/bin/jotterbase-cli

# --- The layout ---------------------------------------------------------------------------
for f in usr/bin/jotterbase usr/bin/jotterbase-cli usr/lib/jotterbase/jotterbase-transfer \
  usr/lib/jotterbase/IndexBld usr/share/applications/jotterbase.desktop \
  usr/share/metainfo/org.jotterbase.Jotterbase.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/jotterbase.svg usr/share/icons/hicolor/48x48/apps/jotterbase.png \
  usr/share/icons/hicolor/256x256/apps/jotterbase.png usr/share/man/man1/jotterbase.1.gz \
  usr/share/man/man1/jotterbase-cli.1.gz usr/share/bash-completion/completions/jotterbase-cli \
  usr/share/doc/jotterbase/copyright usr/share/jotterbase/Exclude.lst usr/share/jotterbase/JotBase.html; do
  [ -e "$root/$f" ] || fail "the package has no /$f"
done
mapfile -t defaults < <(cd "$share/jotterbase" && ls)
[ ${#defaults[@]} -gt 0 ] || fail "the package has no default files"
pass "layout"

for p in usr/bin/jotterbase usr/bin/jotterbase-cli usr/lib/jotterbase/jotterbase-transfer usr/lib/jotterbase/IndexBld; do
  name=$(basename "$p")
  out=$(QT_QPA_PLATFORM=offscreen "$root/$p" --version 2>&1) && [[ $out == "$name "[0-9]* ]] || fail "$name --version: $out"
  out=$(QT_QPA_PLATFORM=offscreen "$root/$p" --help 2>&1) && [[ $out == "usage: $name "* ]] || fail "$name --help: $out"
done
pass "--version and --help"

# --- The window: a first start makes the folder, a second keeps what the user changed -----
same_defaults() {
  local name
  for name in "${defaults[@]}"; do
    cmp -s "$share/jotterbase/$name" "$folder/$name" || { fail "$1: $folder/$name is not the default file"; return; }
  done
}
run_window() {
  local pid window="" i
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$root/usr/bin/jotterbase" >"$scratch/window.log" 2>&1 &
  pid=$!
  for i in $(seq 150); do
    window=$(DISPLAY=$display xdotool search --onlyvisible --name 'Jotterbase' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null
    fail "$1: the window did not appear: $(cat "$scratch/window.log")"
    return
  fi
  DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.5
  DISPLAY=$display xdotool key --window "$window" --clearmodifiers alt+f
  sleep 0.5
  DISPLAY=$display xdotool key x
  for i in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    fail "$1: the window did not close"
  fi
  wait "$pid" || fail "$1: the window ended with status $?: $(cat "$scratch/window.log")"
}
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break; done
  display=:$n
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  run_window "first start"
  same_defaults "first start"
  [ -f "$folder/JotBase.ini" ] || fail "first start: closing wrote no settings into $folder"
  echo "my own stop word" >>"$folder/Exclude.lst"
  cp "$folder/Exclude.lst" "$scratch/changed"
  rm "$folder/normal.tp"
  run_window "second start"
  cmp -s "$scratch/changed" "$folder/Exclude.lst" || fail "second start: the user's Exclude.lst was replaced"
  cmp -s "$share/jotterbase/normal.tp" "$folder/normal.tp" || fail "second start: the missing normal.tp was not added"
  pass "window: first start made $folder with every default file, a second start kept the user's file"
else
  fail "Xvfb and xdotool are needed to start the window"
fi

# --- The CLI in the same folder -------------------------------------------------------------
other=$HOME/elsewhere
printf 'A page about zebras\n' | "$cli" add >/dev/null || fail "cli add"
[ -f "$folder/data.jb" ] || fail "cli add made no $folder/data.jb"
"$cli" search zebras | grep -q "^0"$'\t' || fail "cli search found no page 0"
"$cli" export --page 0 -o "$scratch/page.txt" >/dev/null 2>"$scratch/err" || fail "cli export: $(cat "$scratch/err")"
grep -q zebras "$scratch/page.txt" || fail "cli export wrote no text"
"$cli" import "$scratch/page.txt" >/dev/null 2>"$scratch/err" || fail "cli import: $(cat "$scratch/err")"
[ "$("$cli" list | wc -l)" = 2 ] || fail "cli list after the import: $("$cli" list)"
"$cli" check >/dev/null || fail "cli check found damage"
printf 'Kept apart\n' | "$cli" --folder "$other" add >/dev/null || fail "cli --folder add"
printf 'Kept apart too\n' | JOTTERBASE_FOLDER=$other "$cli" add >/dev/null || fail "JOTTERBASE_FOLDER add"
[ "$("$cli" --folder "$other" list | wc -l)" = 2 ] || fail "the chosen folder does not hold its two pages"
cmp -s "$share/jotterbase/Exclude.lst" "$other/Exclude.lst" || fail "the chosen folder has no default files"
pass "cli: add, search, export, import, list, check, --folder, JOTTERBASE_FOLDER"

# --- The validators -----------------------------------------------------------------------
desktop-file-validate "$share/applications/jotterbase.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.jotterbase.Jotterbase.metainfo.xml" >"$scratch/as" 2>&1 ||
  fail "appstreamcli validate: $(cat "$scratch/as")"
for page in jotterbase jotterbase-cli; do
  if ! MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" >"$scratch/$page.txt" 2>"$scratch/man.err" ||
    [ -s "$scratch/man.err" ] || ! grep -q EXAMPLES "$scratch/$page.txt"; then
    fail "man -l $page.1: $(cat "$scratch/man.err")"
  fi
done
# Every command, and every option its usage names, is in the man page and the completion.
commands=$("$cli" --help | sed -n 's/^  \([a-z]*\)\t.*/\1/p')
[ -n "$commands" ] || fail "jotterbase-cli --help lists no commands"
completed=$(bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" &&
  COMP_WORDS=(jotterbase-cli ""); COMP_CWORD=1; COMP_LINE="jotterbase-cli "; COMP_POINT=${#COMP_LINE}
  _jotterbase_cli jotterbase-cli "" jotterbase-cli; printf "%s\n" "${COMPREPLY[@]}"' _ \
  "$share/bash-completion/completions/jotterbase-cli")
for c in $commands; do
  grep -q "^       $c\b" "$scratch/jotterbase-cli.txt" || fail "the man page has no command $c"
  grep -qx "$c" <<<"$completed" || fail "the completion does not offer $c"
  for option in $("$cli" "$c" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" "$scratch/jotterbase-cli.txt" || fail "the man page does not name $c $option"
    grep -q -- "$option" "$share/bash-completion/completions/jotterbase-cli" || fail "the completion does not offer $c $option"
  done
done
pass "man pages and completion"
if command -v lintian >/dev/null; then
  lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$scratch/lintian" 2>&1 ||
    fail "lintian: $(cat "$scratch/lintian")"
  grep '^[EW]:' "$scratch/lintian"
  pass "lintian (no errors)"
else
  fail "lintian is missing"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "the package passed every check"
