#!/usr/bin/env bash
# Measures Jotterbase against its peers and prints one Markdown table.
#   ./bench.sh [--sizes 10000,100000,1000000] [--quick] [--only LIST]
# --quick measures 10k and 100k pages only. --only LIST measures only the named parts, comma-
# separated: whole benchmark programs (store, search, fts5, workspace, transfer, richtext,
# spelling, memory), rows (reindex, queries, startup: see ONLY_ROWS below), or PART:REGEX for the
# rows of one program whose names match REGEX (e.g. search:Search_word). Rows that have a peer
# bring it along (search and queries run fts5 too), so the table keeps its ratios. Only the
# programs needed are built. Data sets are generated once and cached under
# build-bench/bench-data/, keyed by the generator's sources, so they are reused while the
# generator is unchanged. This is a measuring tool: nothing in it fails on a slow figure.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
sizes="10000,100000,1000000"
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=${2:?--sizes needs a list}; shift 2 ;;
    --sizes=*) sizes=${1#--sizes=}; shift ;;
    --quick) sizes="10000,100000"; shift ;;
    --only) only=${2:?--only needs a list}; shift 2 ;;
    --only=*) only=${1#--only=}; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench.sh: unknown argument: $1" >&2; exit 2 ;;
  esac
done

# Named rows: the part that measures them and the regex of their benchmark names.
declare -A ONLY_ROWS=(
  [reindex]="store:^Reindex/"
  [queries]="search:^(Search_|grep_)"
  [startup]="workspace:^StartUpToFirstPage/"
)
parts_all=(store search fts5 workspace transfer memory richtext spelling)
# filter[PART]: empty when the part is not measured, "." for all its rows, else a regex.
declare -A filter=()
if [ -z "$only" ]; then
  for p in "${parts_all[@]}"; do filter[$p]="."; done
else
  add() {  # add PART REGEX
    local part=$1 regex=$2
    if [ "$regex" = "." ] || [ "${filter[$part]:-}" = "." ]; then
      filter[$part]="."
    elif [ -n "${filter[$part]:-}" ]; then
      filter[$part]="${filter[$part]}|$regex"
    else
      filter[$part]="$regex"
    fi
  }
  IFS=, read -r -a only_list <<<"$only"
  for item in "${only_list[@]}"; do
    [ -n "${ONLY_ROWS[$item]:-}" ] && item=${ONLY_ROWS[$item]}
    part=${item%%:*}
    regex=.
    [ "$part" != "$item" ] && regex=${item#*:}
    case " ${parts_all[*]} " in
      *" $part "*) ;;
      *) echo "bench.sh: --only: unknown part '$part' (parts: ${parts_all[*]} ${!ONLY_ROWS[*]})" >&2; exit 2 ;;
    esac
    add "$part" "$regex"
    # The search's peers: FTS5 for the queries (grep runs inside search_bench).
    [ "$part" = search ] && add fts5 .
  done
fi
wanted() { [ -n "${filter[$1]:-}" ]; }

"$top/scripts/install-deps.sh"
build="$top/build-bench"
if [ ! -f "$build/build.ninja" ]; then
  (cd "$top" && cmake --preset bench >/dev/null)
fi
targets=(memory_probe)
wanted store && targets+=(store_bench)
wanted search && targets+=(search_bench)
wanted fts5 && targets+=(fts5_bench)
wanted richtext && targets+=(richtext_bench)
wanted memory && targets+=(jotterbase)
wanted workspace && [ -f "$top/bench/workspace/CMakeLists.txt" ] && targets+=(workspace_bench)
wanted transfer && [ -f "$top/bench/transfer/CMakeLists.txt" ] && targets+=(transfer_bench)
wanted spelling && [ -f "$top/bench/spelling/CMakeLists.txt" ] && targets+=(spell_bench)
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}" >/dev/null

generator_key=$(cat "$top"/bench/generator/*.cc "$top"/bench/generator/*.h | sha1sum | cut -c1-12)
export JB_BENCH_DATA="$build/bench-data/$generator_key"
mkdir -p "$JB_BENCH_DATA"
results="$build/bench-results"
rm -rf "$results"
mkdir -p "$results"
export QT_QPA_PLATFORM=offscreen

run() {  # run NAME PART BINARY SIZE [extra benchmark flags]
  local name=$1 part=$2 binary=$3 size=$4
  shift 4
  wanted "$part" || return 0
  [ -x "$binary" ] || return 0
  local flags=()
  [ "${filter[$part]}" != "." ] && flags+=("--benchmark_filter=${filter[$part]}")
  echo "bench.sh: $(date +%T) $name at $size pages" >&2
  JB_BENCH_PAGES=$size "$binary" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$results/$name-$size.json" --benchmark_out_format=json "${flags[@]}" "$@" \
    >/dev/null 2>>"$results/stderr.log" || echo "bench.sh: $name at $size pages failed (see $results/stderr.log)" >&2
}

IFS=, read -r -a size_list <<<"$sizes"
for size in "${size_list[@]}"; do
  echo "bench.sh: $(date +%T) data set of $size pages" >&2
  "$build/bench/store/memory_probe" generate "$size" >/dev/null
  run store store "$build/bench/store/store_bench" "$size"
  # The literal twins scan every entry per lookup: minutes each at 100k pages, hours at 1M, so
  # they are measured at 10k pages and below.
  if [ "$size" -le 10000 ]; then
    run search search "$build/bench/search/search_bench" "$size"
  elif [ "${filter[search]:-.}" = "." ]; then
    run search search "$build/bench/search/search_bench" "$size" --benchmark_filter=-_twin
  elif wanted search; then
    # The chosen rows without the twins, named one by one (the filter has no negation inside).
    chosen=$(JB_BENCH_PAGES=$size "$build/bench/search/search_bench" --benchmark_list_tests \
      --benchmark_filter="${filter[search]}" | grep -v '_twin/' | paste -sd'|' || true)
    saved=${filter[search]}
    filter[search]="^(${chosen:-no row chosen})\$"
    run search search "$build/bench/search/search_bench" "$size"
    filter[search]=$saved
  fi
  run fts5 fts5 "$build/bench/peer/fts5_bench" "$size"
  run workspace workspace "$build/bench/workspace/workspace_bench" "$size"
  run transfer transfer "$build/bench/transfer/transfer_bench" "$size"
  if wanted memory; then
    "$build/bench/store/memory_probe" load-index "$size" >"$results/memory-$size.txt" || true
    if [ -x "$build/Jotterbase/jotterbase" ]; then
      "$build/bench/store/memory_probe" desktop "$size" "$build/Jotterbase/jotterbase" >>"$results/memory-$size.txt" || true
    fi
  fi
done
run richtext richtext "$build/bench/richtext/richtext_bench" 0
run spelling spelling "$build/bench/spelling/spell_bench" 0

python3 "$top/scripts/bench_table.py" "$results"
