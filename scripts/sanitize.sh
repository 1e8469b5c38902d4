#!/usr/bin/env bash
# Runs the tests under the sanitizers, each build in a folder of its own (the asan and tsan
# presets of CMakePresets.json):
#   scripts/sanitize.sh [asan|tsan|all]    (default: all)
# asan  AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite (build-asan).
# tsan  ThreadSanitizer over the tests of the threaded code (build-tsan): the index file's
#       background check and its writer thread, the index rebuild's readers (also through the
#       real IndexBld and jotterbase-cli reindex), the phrase scan, the single-instance socket.
# Any report fails the run. JB_JOBS sets the parallel jobs (default: every core); ccache is used
# when it is installed. Exits non-zero when a build or a test fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
case "$which" in
  asan|tsan|all) ;;
  -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "sanitize.sh: unknown sanitizer '$which' (asan, tsan or all)" >&2; exit 2 ;;
esac
jobs=${JB_JOBS:-$(nproc)}
supp="$top/scripts/sanitizers"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The same options for the test discovery of the build as for the runs.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
export QT_QPA_PLATFORM=offscreen

configure() {  # configure PRESET
  local dir="$top/build-$1"
  [ -f "$dir/build.ninja" ] || (cd "$top" && cmake --preset "$1" "${launcher[@]}" >/dev/null)
}

if [ "$which" = asan ] || [ "$which" = all ]; then
  echo "sanitize.sh: $(date +%T) AddressSanitizer and UndefinedBehaviorSanitizer: building"
  configure asan
  cmake --build "$top/build-asan" --parallel "$jobs"
  echo "sanitize.sh: $(date +%T) AddressSanitizer and UndefinedBehaviorSanitizer: the whole suite"
  (cd "$top/build-asan" && ctest --output-on-failure --parallel "$jobs" --timeout 1200)
fi

if [ "$which" = tsan ] || [ "$which" = all ]; then
  # The test programs of the threaded code; each is a CTest label (jb_test labels a program's
  # tests with its name).
  programs=(word_index_test search_test index_rebuild_twin_test cli_test single_instance_test)
  echo "sanitize.sh: $(date +%T) ThreadSanitizer: building ${programs[*]}"
  configure tsan
  cmake --build "$top/build-tsan" --parallel "$jobs" --target "${programs[@]}"
  labels=$(IFS='|'; echo "^(${programs[*]})\$")
  echo "sanitize.sh: $(date +%T) ThreadSanitizer: the threaded code's tests"
  (cd "$top/build-tsan" && ctest --output-on-failure --parallel "$jobs" --timeout 1200 -L "$labels")
fi
echo "sanitize.sh: $(date +%T) clean"
