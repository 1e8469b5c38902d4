#!/usr/bin/env bash
# Configures (once) and builds the project in build/. Extra arguments go to the CMake configure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${JB_BUILD_DIR:-$top/build}
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$top" -B "$build_dir" -G Ninja "$@" >/dev/null
fi
cmake --build "$build_dir" --parallel "${JB_JOBS:-$(nproc)}"
