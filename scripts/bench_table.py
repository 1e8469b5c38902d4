#!/usr/bin/env python3
"""Turns the JSON files of one bench.sh run into one Markdown table.

operation | pages | median | literal twin median | ratio | peer | peer median | ratio
"""
import json
import pathlib
import sys

# Our operation -> (peer name, peer benchmark) measured in the same run.
PEERS = {
    "Search_word": ("SQLite FTS5", "FTS5_word"),
    "Search_prefix_comp": ("SQLite FTS5", "FTS5_prefix_comp"),
    "Search_and3": ("SQLite FTS5", "FTS5_and3"),
    "Search_or3": ("SQLite FTS5", "FTS5_or3"),
    "Search_phrase": ("grep -c -F -i", "grep_c_F_i_phrase"),
    "PackDataSet": ("cp", "cp_data_file"),
}
FTS5_PHRASE = ("SQLite FTS5 phrase", "FTS5_phrase")


def load(folder):
    medians = {}
    counters = {}
    for path in sorted(pathlib.Path(folder).glob("*.json")):
        try:
            data = json.loads(path.read_text())
        except (OSError, json.JSONDecodeError):
            continue
        for b in data.get("benchmarks", []):
            if b.get("aggregate_name") not in (None, "median"):
                continue
            name = b["run_name"] if "run_name" in b else b["name"]
            base = name.split("/")[0]
            pages = name.split("/")[1] if "/" in name else "-"
            unit = b.get("time_unit", "ns")
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[unit]
            medians[(base, pages)] = b["real_time"] * scale
            counters[(base, pages)] = {k: v for k, v in b.items() if k not in (
                "name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations",
                "real_time", "cpu_time", "time_unit", "aggregate_name", "aggregate_unit", "family_index",
                "per_family_instance_index", "threads")}
    return medians, counters


def fmt(ms):
    if ms is None:
        return "-"
    if ms >= 1000:
        return f"{ms / 1000:.2f} s"
    if ms >= 1:
        return f"{ms:.1f} ms"
    return f"{ms * 1000:.0f} µs"


def ratio(a, b):
    return f"{a / b:.2f}" if a is not None and b else "-"


def main(folder):
    medians, counters = load(folder)
    rows = []
    for (base, pages), ms in sorted(medians.items(), key=lambda kv: (kv[0][1].zfill(9), kv[0][0])):
        if base.endswith("_twin") or base.startswith("FTS5_") or base in ("grep_c_F_i_phrase", "cp_data_file"):
            continue
        twin = medians.get((base + "_twin", pages))
        peers = [PEERS[base]] if base in PEERS else []
        if base == "Search_phrase":
            peers.append(FTS5_PHRASE)
        extra = counters.get((base, pages), {})
        note = ", ".join(f"{k} {v:,.0f}" if isinstance(v, (int, float)) else f"{k} {v}" for k, v in extra.items())
        op = base + (f" ({note})" if note else "")
        if not peers:
            rows.append([op, pages, fmt(ms), fmt(twin), ratio(ms, twin), "-", "-", "-"])
        for peer_name, peer_bench in peers:
            peer = medians.get((peer_bench, pages))
            rows.append([op, pages, fmt(ms), fmt(twin), ratio(ms, twin), peer_name, fmt(peer), ratio(ms, peer)])
    print("| operation | pages | median | literal twin median | ratio | peer | peer median | ratio |")
    print("|---|---|---|---|---|---|---|---|")
    for r in rows:
        print("| " + " | ".join(str(c) for c in r) + " |")
    for path in sorted(pathlib.Path(folder).glob("memory-*.txt")):
        text = path.read_text().strip()
        if text:
            print()
            print(f"{path.stem}: " + "; ".join(text.splitlines()))
    for (base, pages), extra in sorted(counters.items()):
        if base.startswith("FTS5_word") and extra:
            print(f"\nSQLite FTS5 at {pages} pages: index build {extra.get('build_s', 0):.1f} s, "
                  f"database {extra.get('db_MB', 0):.0f} MB")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build-bench/bench-results")
