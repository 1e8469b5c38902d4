#!/usr/bin/env bash
# Installs the staging program folder into a user's program folder: the executables are
# refreshed, default files are added only where missing, and nothing the user has is overwritten.
set -euo pipefail
staging=$1
target=$2
mkdir -p "$target"
executables=" jotterbase jotterbase-cli IndexBld "
for f in "$staging"/*; do
  name=$(basename "$f")
  if [[ "$executables" == *" $name "* ]]; then
    cp -f "$f" "$target/.$name.new" && mv -f "$target/.$name.new" "$target/$name"
  elif [ ! -e "$target/$name" ]; then
    cp -r "$f" "$target/$name"
  fi
done
