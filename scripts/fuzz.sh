#!/usr/bin/env bash
# Runs every libFuzzer target for MINUTES minutes each (default 10), one after another, each on a
# scratch copy of its seed corpus in tests/, so that the corpora kept in the project stay small.
#   scripts/fuzz.sh [MINUTES]      (0: a smoke run of a few thousand inputs each)
# Builds with clang in build-fuzz (the fuzz preset: -DJB_FUZZ=ON, core libraries only). A target that finds a
# failure stops the run; its input is left in build-fuzz/findings/. An input that takes a minute
# counts as a hang.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
build="$top/build-fuzz"
(cd "$top" && cmake --preset fuzz >/dev/null)
# target, its folder under the build and tests, its seed corpus
targets=(
  "richtext_fuzz tests/richtext tests/richtext/fuzz_corpus"
  "settings_fuzz tests/settings tests/settings/corpus"
  "import_fuzz tests/transfer tests/transfer/fuzz_corpus"
  "query_fuzz tests/fuzz tests/fuzz/query_fuzz_corpus"
  "header_fuzz tests/fuzz tests/fuzz/header_fuzz_corpus"
  "index_fuzz tests/fuzz tests/fuzz/index_fuzz_corpus"
  "recent_fuzz tests/fuzz tests/fuzz/recent_fuzz_corpus"
)
names=()
for t in "${targets[@]}"; do names+=("${t%% *}"); done
cmake --build "$build" --target "${names[@]}"
mkdir -p "$build/findings"
limit=(-max_total_time=$((minutes * 60)))
[ "$minutes" -eq 0 ] && limit=(-runs=5000)
for t in "${targets[@]}"; do
  read -r name folder corpus <<<"$t"
  scratch=$(mktemp -d)
  cp -r "$top/$corpus/." "$scratch/"
  echo "fuzz.sh: $(date +%T) $name for $minutes minute(s)"
  (cd "$build/findings" && "$build/$folder/$name" "$scratch" "${limit[@]}" -max_len=20000 -timeout=60 \
    -print_final_stats=1 2>"$build/findings/$name.log") || {
    echo "fuzz.sh: $name found a failure; see $build/findings/$name.log" >&2
    exit 1
  }
  grep -E "^stat::number_of_executed_units" "$build/findings/$name.log" | sed "s/^/fuzz.sh: $name /"
  rm -rf "$scratch"
done
echo "fuzz.sh: every target ran $minutes minute(s) clean"
