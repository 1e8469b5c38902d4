#!/usr/bin/env bash
# Random walks through the main window (offscreen) with new seeds until MINUTES minutes are up.
#   scripts/walk.sh [MINUTES] [STEPS]     (defaults: 10 minutes, 400 steps a walk)
# Each walk starts a window on an empty data set in a temporary folder and checks, after every
# step, the data set and the window against what the user expects. The first walk that breaks
# an invariant stops the run: its seed, the failure and the shortest failing list of steps the
# walker finds by removing steps are printed, ready for
#   build/tests/walk/walk_runner --replay "STEPS"
# and, once mended, for the fixed walks of tests/walk/walk_test.cc.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
steps=${2:-400}
build=${JB_BUILD_DIR:-$top/build}
[ -f "$build/build.ninja" ] || cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target walk_runner >/dev/null
export QT_QPA_PLATFORM=offscreen
end=$(($(date +%s) + minutes * 60))
seed=${WALK_FIRST_SEED:-$(date +%s)}
walks=0
while [ "$(date +%s)" -lt "$end" ]; do
  if ! out=$("$build/tests/walk/walk_runner" "$seed" "$steps" 2>/dev/null); then
    echo "$out"
    echo "walks: $walks passed before seed $seed failed ($((walks * steps)) steps)"
    exit 1
  fi
  walks=$((walks + 1))
  seed=$((seed + 1))
done
echo "walks: $walks passed, $((walks * steps)) steps, seeds up to $((seed - 1))"
