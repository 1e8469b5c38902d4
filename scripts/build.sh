#!/usr/bin/env bash
# Configures (once) and builds the project. Extra arguments go to the CMake configure.
#   JB_PRESET   the configure preset of CMakePresets.json (default: release, in build/)
#   JB_BUILD_DIR  another build folder for it
#   JB_JOBS     parallel jobs (default: every core)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${JB_PRESET:-release}
if [ -n "${JB_BUILD_DIR:-}" ]; then
  build_dir=$JB_BUILD_DIR
elif [ "$preset" = release ]; then
  build_dir=$top/build
else
  build_dir=$top/build-$preset
fi
if [ ! -f "$build_dir/build.ninja" ]; then
  (cd "$top" && cmake --preset "$preset" -B "$build_dir" "$@" >/dev/null)
fi
cmake --build "$build_dir" --parallel "${JB_JOBS:-$(nproc)}"
