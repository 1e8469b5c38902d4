#!/usr/bin/env bash
# Measures Jotterbase against its peers and prints one Markdown table.
#   ./bench.sh [--sizes 10000,100000,1000000] [--quick]
# --quick measures 10k and 100k pages only. Data sets are generated once and cached under
# build-bench/bench-data/, keyed by the generator's sources, so they are reused while the
# generator is unchanged. This is a measuring tool: nothing in it fails on a slow figure.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
sizes="10000,100000,1000000"
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=${2:?--sizes needs a list}; shift 2 ;;
    --sizes=*) sizes=${1#--sizes=}; shift ;;
    --quick) sizes="10000,100000"; shift ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

"$top/scripts/install-deps.sh"
build="$top/build-bench"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=(store_bench search_bench richtext_bench fts5_bench memory_probe jotterbase)
[ -f "$top/bench/workspace/CMakeLists.txt" ] && targets+=(workspace_bench)
[ -f "$top/bench/transfer/CMakeLists.txt" ] && targets+=(transfer_bench)
[ -f "$top/bench/settings/CMakeLists.txt" ] && targets+=(spell_bench)
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}" >/dev/null

generator_key=$(cat "$top"/bench/generator/*.cc "$top"/bench/generator/*.h | sha1sum | cut -c1-12)
export JB_BENCH_DATA="$build/bench-data/$generator_key"
mkdir -p "$JB_BENCH_DATA"
results="$build/bench-results"
rm -rf "$results"
mkdir -p "$results"
export QT_QPA_PLATFORM=offscreen

run() {  # run NAME BINARY SIZE [extra benchmark flags]
  local name=$1 binary=$2 size=$3
  shift 3
  echo "bench.sh: $(date +%T) $name at $size pages" >&2
  JB_BENCH_PAGES=$size "$binary" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$results/$name-$size.json" --benchmark_out_format=json "$@" \
    >/dev/null 2>>"$results/stderr.log" || echo "bench.sh: $name at $size pages failed (see $results/stderr.log)" >&2
}

IFS=, read -r -a size_list <<<"$sizes"
for size in "${size_list[@]}"; do
  echo "bench.sh: $(date +%T) data set of $size pages" >&2
  "$build/bench/store/memory_probe" generate "$size" >/dev/null
  run store "$build/bench/store/store_bench" "$size"
  # The literal twins scan every entry per lookup: minutes each at 100k pages, hours at 1M, so
  # they are measured at 10k pages and below.
  if [ "$size" -le 10000 ]; then
    run search "$build/bench/search/search_bench" "$size"
  else
    run search "$build/bench/search/search_bench" "$size" --benchmark_filter=-_twin
  fi
  run fts5 "$build/bench/peer/fts5_bench" "$size"
  [ -x "$build/bench/workspace/workspace_bench" ] && run workspace "$build/bench/workspace/workspace_bench" "$size"
  [ -x "$build/bench/transfer/transfer_bench" ] && run transfer "$build/bench/transfer/transfer_bench" "$size"
  "$build/bench/store/memory_probe" load-index "$size" >"$results/memory-$size.txt" || true
  if [ -x "$build/Jotterbase/jotterbase" ]; then
    "$build/bench/store/memory_probe" desktop "$size" "$build/Jotterbase/jotterbase" >>"$results/memory-$size.txt" || true
  fi
done
run richtext "$build/bench/richtext/richtext_bench" 0
[ -x "$build/bench/settings/spell_bench" ] && run spelling "$build/bench/settings/spell_bench" 0

python3 "$top/scripts/bench_table.py" "$results"
