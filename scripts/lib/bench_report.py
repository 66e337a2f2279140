#!/usr/bin/env python3
"""Writes bench/README.md from the figures that scripts/bench gathered.

    bench_report.py RESULTS_DIR OUTPUT

RESULTS_DIR holds bench_<name>.json (Google Benchmark's JSON), cpu.txt (the lines of one or more
runs of scripts/measure-cpu; a figure is their median), start.txt (scripts/measure-start's lines)
and machine.txt (name: value lines). A figure that is not there makes its row say so; nothing
here fails for a missing figure."""
import json
import math
import pathlib
import re
import statistics
import sys

UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
# The parts that the library adds to a benchmark's name for its settings.
SETTING = re.compile(r"^(iterations|repeats|threads|min_time|min_warmup_time):|^(real|manual|process)_time$")


def plain_name(name):
    return "/".join(p for p in name.split("/") if not SETTING.match(p))


def load_bench(path):
    """{benchmark: {"ms": real time, "items": items/s, "counters": {...}, "runs": n}}"""
    try:
        data = json.loads(path.read_text())
    except (OSError, ValueError):
        return {}
    groups = {}
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            continue
        groups.setdefault(plain_name(b.get("run_name", b["name"])), []).append(b)
    known = {"name", "run_name", "run_type", "aggregate_name", "aggregate_unit", "family_index",
             "per_family_instance_index", "repetitions", "repetition_index", "threads",
             "iterations", "real_time", "cpu_time", "time_unit", "items_per_second",
             "bytes_per_second", "label", "error_occurred", "error_message"}
    out = {}
    for name, entries in groups.items():
        medians = [b for b in entries if b.get("aggregate_name") == "median"]
        chosen = medians or [b for b in entries if b.get("run_type") != "aggregate"]
        if not chosen:
            continue
        fields = {}
        for b in chosen:
            fields.setdefault("ms", []).append(b["real_time"] * UNIT_MS.get(b.get("time_unit", "ns"), 1e-6))
            if "items_per_second" in b:
                fields.setdefault("items", []).append(b["items_per_second"])
            for key, value in b.items():
                if key not in known and isinstance(value, (int, float)):
                    fields.setdefault("c:" + key, []).append(value)
        fig = {"counters": {}}
        for key, values in fields.items():
            value = statistics.median(values)
            if key.startswith("c:"):
                fig["counters"][key[2:]] = value
            else:
                fig[key] = value
        fig["runs"] = medians[0].get("repetitions", 1) if medians else len(chosen)
        out[name] = fig
    return out


def load_runs(path):
    """'name value rest' lines, a name maybe once per run, as {name: [(value, rest), ...]}"""
    out = {}
    try:
        text = path.read_text()
    except OSError:
        return out
    for line in text.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2:
            try:
                out.setdefault(parts[0], []).append((float(parts[1]), parts[2] if len(parts) > 2 else ""))
            except ValueError:
                pass
    return out


def load_lines(path):
    """'name value ...' lines as {name: (value, rest of the line)}, the last line of a name"""
    return {name: runs[-1] for name, runs in load_runs(path).items()}


def num(v, digits=3):
    """A figure with `digits` significant digits, without exponent notation."""
    if v is None or (isinstance(v, float) and math.isnan(v)):
        return "?"
    if v == 0:
        return "0"
    places = max(0, digits - 1 - int(math.floor(math.log10(abs(v)))))
    return f"{v:,.{places}f}"


def main():
    results = pathlib.Path(sys.argv[1])
    output = pathlib.Path(sys.argv[2])
    bench = {p.stem: load_bench(p) for p in sorted(results.glob("bench_*.json"))}
    cpu = load_runs(results / "cpu.txt")
    start = load_lines(results / "start.txt")
    machine = dict(line.split(": ", 1) for line in
                   (results / "machine.txt").read_text().splitlines() if ": " in line) \
        if (results / "machine.txt").exists() else {}

    def fig(program, name):
        return bench.get("bench_" + program, {}).get(name)

    def ms(program, name):
        f = fig(program, name)
        return f and f.get("ms")

    def items(program, name):
        f = fig(program, name)
        return f and f.get("items")

    def counter(program, name, key):
        f = fig(program, name)
        return f and f["counters"].get(key)

    def ratio(a, b):
        return a / b if a is not None and b else None

    rows = []

    def row(what, source, budget, value, text, ok=None, same_run_ratio=""):
        """ok: a test of the value against the budget, or None where there is no budget."""
        if value is None:
            rows.append((what, source, budget, "missing", same_run_ratio or "", "missing"))
            return
        status = "—" if ok is None else ("ok" if ok(value) else "over")
        if not isinstance(text, str):  # a figure of 0 leaves `v and ...` at 0
            text = num(value)
        rows.append((what, source, budget, text, same_run_ratio, status))

    # CPU under a virtual X server, from scripts/measure-cpu.
    def cpu_row(what, key, budget, ok):
        runs = cpu.get(key, [])
        value, text = None, None
        if runs:
            value = statistics.median(v for v, _ in runs)
            xs = [float(m.group(1)) for _, rest in runs for m in [re.search(r"X server ([0-9.]+)", rest)] if m]
            x = f"{statistics.median(xs):.2f}" if xs else "?"
            text = f"{value:.2f} % (X server {x} %)"
            if len(runs) > 1:
                text = f"median of {len(runs)} runs: {text}; runs: " + ", ".join(f"{v:.2f}" for v, _ in runs)
        row(what, f"scripts/measure-cpu `{key}`", budget, value, text, ok)

    cpu_row("CPU while streaming 77 lines/s, live page in view", "cpu_streaming_77_lines_per_second",
            "≤ 2 % of one core", lambda v: v <= 2)
    cpu_row("CPU idle, connected", "cpu_idle_connected", "tiny", None)
    cpu_row("CPU idle, not connected", "cpu_idle_not_connected", "tiny", None)

    dec, scan = items("ui_live", "BM_DecodeAndAppend"), items("ui_live", "BM_SscanfOnly")
    r = ratio(dec, scan)
    row("Decode + append into the window's record vs `sscanf` alone",
        "bench_ui_live BM_DecodeAndAppend / BM_SscanfOnly", "ratio ≥ 2", r,
        r and f"{num(dec / 1e6)} M vs {num(scan / 1e6)} M samples/s", lambda v: v >= 2,
        r and f"{num(r)} ×")

    redraw = ms("ui_live", "BM_RedrawPage30s")
    row("Redraw of a 30-second page", "bench_ui_live BM_RedrawPage30s", "≤ 15 ms", redraw,
        redraw and f"{num(redraw)} ms", lambda v: v <= 15)
    tick = ms("ui_live", "BM_LiveTick")
    r = ratio(tick, redraw)
    row("Live tick (8 samples decoded, changed columns drawn and painted)",
        "bench_ui_live BM_LiveTick", "—", tick, tick and f"{num(tick)} ms", None,
        r and f"{num(r)} × the full redraw")

    v = ms("ui_live", "BM_RedrawShowAllOneHour")
    row("Show-all redraw over 1 hour", "bench_ui_live BM_RedrawShowAllOneHour", "≤ 60 ms", v,
        v and f"{num(v)} ms", lambda v: v <= 60)
    v = ms("ui_long_record", "BM_TenHourShowAllRedraw")
    row("Show-all redraw over 10 hours", "bench_ui_long_record BM_TenHourShowAllRedraw", "≤ 60 ms",
        v, v and f"{num(v)} ms", lambda v: v <= 60)
    v = ms("ui_long_record", "BM_TenHourCursorClick")
    row("Cursor click over 10 hours", "bench_ui_long_record BM_TenHourCursorClick", "≤ 10 ms", v,
        v and f"{num(v)} ms", lambda v: v <= 10)

    v = counter("ui_live", "BM_BytesPerRecordedSample", "bytes_per_sample")
    row("Memory per recorded sample (1 M samples, live path)",
        "bench_ui_live BM_BytesPerRecordedSample `bytes_per_sample`", "≤ 160 B", v,
        v and f"{num(v)} B", lambda v: v <= 160)
    v = counter("ui_long_record", "BM_TenHourMemoryPerSample", "bytes_per_sample")
    row("Memory per recorded sample (10-hour record)",
        "bench_ui_long_record BM_TenHourMemoryPerSample `bytes_per_sample`", "≤ 160 B", v,
        v and f"{num(v)} B", lambda v: v <= 160)

    v = ms("ui_long_record", "BM_TenHourExportAll")
    row("Export of every sample of a 10-hour record", "bench_ui_long_record BM_TenHourExportAll",
        "≤ 3 s", v, v and f"{num(v / 1000)} s", lambda v: v <= 3000)

    v = counter("ui_journal", "BM_JournalWritingCpuShare", "cpu_percent_of_one_core")
    row("Journal writing at 77 lines/s",
        "bench_ui_journal BM_JournalWritingCpuShare `cpu_percent_of_one_core`",
        "< 0.3 % of one core", v, v is not None and f"{num(v)} %", lambda v: v < 0.3)
    v = ms("ui_journal", "BM_OpenTenHourJournal")
    row("Opening a 10-hour journal: time", "bench_ui_journal BM_OpenTenHourJournal", "< 3 s", v,
        v and f"{num(v / 1000)} s", lambda v: v < 3000)
    v = counter("ui_journal", "BM_OpenTenHourJournal", "bytes_per_sample")
    row("Opening a 10-hour journal: memory",
        "bench_ui_journal BM_OpenTenHourJournal `bytes_per_sample`", "< 200 B/sample", v,
        v and f"{num(v)} B/sample", lambda v: v < 200)

    v = ms("ui_analysis", "BM_StatisticsOfAnHour")
    row("Statistics over a 1-hour span (nine channels, from scratch)",
        "bench_ui_analysis BM_StatisticsOfAnHour", "< 5 ms", v, v and f"{num(v)} ms",
        lambda v: v < 5)
    v = ms("ui_analysis", "BM_RefreshAnalysisOverAnHour")
    row("Statistics over a 1-hour span (the window's table refresh)",
        "bench_ui_analysis BM_RefreshAnalysisOverAnHour", "< 5 ms", v, v and f"{num(v)} ms",
        lambda v: v < 5)
    v = ms("ui_analysis", "BM_OrientationFrame200")
    row("One orientation frame at 200 px", "bench_ui_analysis BM_OrientationFrame200", "< 1 ms", v,
        v and f"{num(v)} ms", lambda v: v < 1)

    plain, reset = ms("ui_record_append", "AppendRecord/0"), ms("ui_record_append", "AppendRecord/1000000")
    r = ratio(reset, plain)
    row("Appending 10 hours with a reset of the ball vs without",
        "bench_ui_record_append AppendRecord/1000000 / AppendRecord/0", "ratio ≈ 1 (0.8–1.25)", r,
        r and f"{num(reset)} ms vs {num(plain)} ms", lambda v: 0.8 <= v <= 1.25, r and f"{num(r)} ×")

    v = start.get("start_to_window_ms")
    runs = start.get("start_to_window_runs_ms")
    row("Start to main window shown (median of 9)", "scripts/measure-start `start_to_window_ms`",
        "≤ 150 ms", v and v[0], v and f"{num(v[0])} ms", lambda v: v <= 150)

    lines = [
        "# Performance figures",
        "",
        "Generated by `scripts/bench`; run it again to bring this file up to date. It builds",
        "`build/release` (Release, with the window, the tests and the benchmarks), runs every",
        "benchmark program in `build/release/bench/` once (with repetitions where a run is cheap;",
        "a figure is then the median of the repetitions), `scripts/measure-cpu` three times for",
        "the CPU figures (each the median of the three runs) and `scripts/measure-start` for the",
        "start-up time, both under a virtual X server.",
        "Times are wall-clock times. A ratio is taken between two figures of the same run. The",
        "machine may have been shared while it ran, so single figures are noisy.",
        "",
        f"Machine: {machine.get('cores', '?')} cores, {machine.get('cpu', '?')}; "
        f"{machine.get('system', '?')}; load average at the start {machine.get('load', '?')}; "
        f"run on {machine.get('date', '?')}.",
        "",
        "| Figure | Measured by | Budget | Result | Same-run ratio | Status |",
        "|---|---|---|---|---|---|",
    ]
    for r in rows:
        lines.append("| " + " | ".join(c if c else "" for c in r) + " |")
    if runs:
        lines += ["", f"Start-up runs, in order (ms): {runs[0]:g} {runs[1]}".rstrip() + "."]

    lines += ["", "## Every benchmark", "",
              "Median wall time per iteration of every benchmark that ran, with its rate and its",
              "counters; \"runs\" is the count of repetitions the median is taken over.", "",
              "| Program | Benchmark | Time | Items/s | Counters | Runs |", "|---|---|---|---|---|---|"]
    for program, figures in bench.items():
        for name, f in figures.items():
            t = f["ms"]
            time = f"{num(t * 1000)} µs" if t < 1 else f"{num(t)} ms" if t < 1000 else f"{num(t / 1000)} s"
            rate = num(f["items"]) if "items" in f else ""
            counters = ", ".join(f"{k} {num(v)}" for k, v in f["counters"].items())
            lines.append(f"| {program} | {name} | {time} | {rate} | {counters} | {f['runs']} |")
    missing = [p for p, figures in bench.items() if not figures]
    if missing:
        lines += ["", "No figures from: " + ", ".join(missing) + "."]
    output.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
