#!/usr/bin/env bash
# Installs the staging program folder into a user's program folder: the program's own files (the
# executables and the help page) are refreshed, the default files a user may edit (stop words,
# messages, template, sound) are added only where missing, and nothing the user has is
# overwritten.
set -euo pipefail
staging=$1
target=$2
mkdir -p "$target"
program_files=" jotterbase jotterbase-cli jotterbase-transfer IndexBld JotBase.html "
for f in "$staging"/*; do
  name=$(basename "$f")
  if [[ "$program_files" == *" $name "* ]]; then
    cp -f "$f" "$target/.$name.new" && mv -f "$target/.$name.new" "$target/$name"
  elif [ ! -e "$target/$name" ]; then
    cp -r "$f" "$target/$name"
  fi
done
