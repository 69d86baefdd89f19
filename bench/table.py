#!/usr/bin/env python3
"""Prints the benchmark table from Google Benchmark's JSON output (median of the
repetitions) and the matplotlib script's JSON: Kalvora's time per case and, for the
chart cases, each peer's time and its ratio to Kalvora's (above 1: Kalvora is faster)."""
import json
import os
import sys

# Wall-clock time, or with KALVORA_BENCH_CPU=1 the process's CPU time (steadier on a
# machine that other work shares).
TIME = "cpu_time" if os.environ.get("KALVORA_BENCH_CPU") == "1" else "real_time"

CASES = [
    ("1 CalcResponse (10,001 samples into the list)", "Kalvora_CalcResponse", None),
    ("  1 with the exact response of every regime", "Kalvora_CalcResponseExact", None),
    ("2 scroll-bar step (compute + fast redraw to the surface)", "Kalvora_ScrollBarStep", "Update"),
    ("  2 with four kept curves (aim: within 2x of 2)", "Kalvora_ScrollBarStepFourKeptCurves", None),
    ("  2 with the circuit data shown", "Kalvora_ScrollBarStepCircuitData", None),
    ("  2 plus the screen copy the labels' repaint brings", "Kalvora_ScrollBarStepOnScreen", None),
    ("3 full paint of the chart", "Kalvora_FullPaint", "FullPaint"),
    ("4 zoom (SetLayerRange + repaint)", "Kalvora_Zoom", "Zoom"),
    ("5 numeric label paint", "Kalvora_NumLabPaint", None),
    ("  load a 1,000-record translation table", "Kalvora_LoadTranslationTable", None),
    ("  experiment table, --csv F --experiment current", "Kalvora_ExperimentTable", None),
    ("  host link request and reply (2 processes)", "Kalvora_HostLinkRoundTrip", None),
]
MPL_KEYS = {"Update": "update", "FullPaint": "paint", "Zoom": "zoom"}
LARGE_SIZES = (10001, 100001, 1000001, 4000001)
LARGE_COLUMNS = (
    ("Kalvora fill + ShowItems", "Kalvora_LargeFill"),
    ("full paint", "Kalvora_LargePaint"),
    ("zoom", "Kalvora_LargeZoom"),
    ("QCustomPlot setData + replot", "QCustomPlot_LargeUpdate"),
    ("replot", "QCustomPlot_LargePaint"),
    ("zoom", "QCustomPlot_LargeZoom"),
    ("without adaptive sampling: setData + replot", "QCustomPlotExact_LargeUpdate"),
    ("replot", "QCustomPlotExact_LargePaint"),
    ("zoom", "QCustomPlotExact_LargeZoom"),
)


def medians(path):
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
        t = b[TIME] * scale
        if b.get("aggregate_name") == "median" or (name not in out and b.get("run_type") == "iteration"):
            out[name] = t
    return out


def counters(path, counter):
    with open(path) as f:
        data = json.load(f)
    return {b.get("run_name", b["name"]): b[counter] for b in data["benchmarks"]
            if b.get("aggregate_name") == "median" and counter in b}


def print_table(rows):
    widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
    line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(rows[0]))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows[1:]:
        print(line(r))


def print_large(bench, path):
    """One damped sine of N points, milliseconds; the list's storage per point."""
    if not any(f"Kalvora_LargeFill/{n}" in bench for n in LARGE_SIZES):
        return
    per_point = counters(path, "bytes_per_point")
    rows = [("points",) + tuple(c for c, _ in LARGE_COLUMNS) + ("Kalvora bytes per point",)]
    for n in LARGE_SIZES:
        row = [f"{n:,}"]
        for _, key in LARGE_COLUMNS:
            t = bench.get(f"{key}/{n}")
            row.append(f"{t / 1000:.2f}" if t is not None else "-")
        b = per_point.get(f"Kalvora_LargeFill/{n}")
        row.append(f"{b:.1f}" if b is not None else "-")
        rows.append(tuple(row))
    print("\nLarge lists (medians, milliseconds):\n")
    print_table(rows)


def fmt(us):
    return f"{us / 1000:.3f} ms" if us >= 1000 else f"{us:.1f} us"


def main():
    bench = medians(sys.argv[1])
    mpl = {}
    if len(sys.argv) > 2:
        try:
            with open(sys.argv[2]) as f:
                mpl = json.load(f)
        except (OSError, ValueError):
            mpl = {}
    rows = [("Case", "Kalvora", "QCustomPlot", "Qt Charts", "matplotlib Agg")]
    for title, key, peer in CASES:
        k = bench.get(key)
        row = [title, fmt(k) if k is not None else "failed"]
        if peer:
            for t in (bench.get(f"QCustomPlot_{peer}"), bench.get(f"QtCharts_{peer}"), mpl.get(MPL_KEYS[peer])):
                row.append(f"{fmt(t)} ({t / k:.1f}x)" if t is not None and k else "-")
        else:
            row += ["", "", ""]
        rows.append(tuple(row))
    print_table(rows)
    print("\nMedian times; a peer's ratio is its time divided by Kalvora's (above 1: Kalvora is faster).")
    print_large(bench, sys.argv[1])


if __name__ == "__main__":
    main()
