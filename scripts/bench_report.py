#!/usr/bin/env python3
"""Writes docs/performance.md from one run of zor_bench (its JSON output).

Usage: bench_report.py OUTPUT.md RESULTS.json [RESULTS.json ...]

Benchmarks are named <function>/<data>/<side>, side being ours, boost or
frame; bench_append's BM_AppendLastThousand/<N> is the per-call cost of
appending at N elements. Times are CPU times, which a loaded machine
disturbs less than wall time, and of the passes given the fastest.
"""
import json
import subprocess
import sys


def machine():
    model = ""
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    cores = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
    with open("/proc/loadavg") as loadavg:
        load = " ".join(loadavg.read().split()[:3])
    return model, cores, load


def per_item_ns(run):
    items = run.get("items_per_second")
    return 1e9 / items if items else None


def mb_per_s(run):
    return run["bytes_per_second"] / 1e6


DATA_ORDER = ["canada", "citm_catalog", "twitter", "1000", "10000", "100000"]
FUNCTION_ORDER = ["jsParse", "jsValid", "jsSerialize-compact-utf8", "jsSerialize-compact-utf16",
                  "jsSerialize-indented-utf8", "jsSerialize-indented-utf16", "jsValueGet", "jsValueType",
                  "jsKeyPaths-all", "jsKeyPaths-search", "jsKeyExist", "jsConMap", "jsValueAdd-replace",
                  "jsValueAdd-append", "memory"]


def order(name):
    """Rows by data, then by function, whatever order the benchmarks ran in."""
    parts = name.split("/")
    if len(parts) != 3:
        return (len(DATA_ORDER), 0, name)
    rank = lambda values, value: values.index(value) if value in values else len(values)
    return (rank(DATA_ORDER, parts[1]), rank(FUNCTION_ORDER, parts[0]), name)


def time_per_second(run):
    """Units of the run's time in one second."""
    return {"ns": 1e9, "us": 1e6, "ms": 1e3, "s": 1.0}[run["time_unit"]]


def verdict(ok):
    return "yes" if ok else "**no**"


def main(output_path, results_paths):
    # Of the passes over a benchmark, the fastest: a shared machine only ever
    # adds time.
    runs = {}
    for results_path in results_paths:
        with open(results_path) as results_file:
            results = json.load(results_file)
        for run in results["benchmarks"]:
            if run.get("run_type") == "aggregate":
                continue
            name = run.get("run_name", run["name"]).split("/iterations:")[0]
            if name not in runs or run["cpu_time"] < runs[name]["cpu_time"]:
                runs[name] = run
    pairs = {}
    for name, run in sorted(runs.items(), key=lambda item: order(item[0])):
        parts = name.split("/")
        if len(parts) == 3 and parts[2] in ("ours", "boost", "frame"):
            pairs.setdefault((parts[0], parts[1]), {})[parts[2]] = run

    # One Boost.JSON serialization partners every layout and encoding, one
    # jsGetInfo call every read.
    frame = pairs.pop(("jsGetInfo", "any"), {}).get("frame")
    for (function, data), sides in pairs.items():
        if function.startswith("jsSerialize-") and ("jsSerialize", data) in pairs:
            sides["boost"] = pairs[("jsSerialize", data)]["boost"]
        if function in ("jsValueGet", "jsValueType") and frame:
            sides["frame"] = frame
    for data in DATA_ORDER:
        pairs.pop(("jsSerialize", data), None)

    model, cores, load = machine()
    context = results["context"]
    out = ["# Performance", "",
           "The library through the reference host and its exported entry, against Boost.JSON doing",
           "the same work directly on a `boost::json::value` or the UTF-8 text, measured by one run of",
           "`scripts/bench.sh` (`zor_bench`, native Release build; Google Benchmark is not available",
           "for mingw-w64, so there is no Windows run). Times are CPU times; the program ran three",
           "times over every benchmark, each of ours beside its partner, and the fastest of the",
           "three is shown.", "",
           f"- machine: {model}, {cores} cores (nproc), load average {load} after the run",
           f"- run: {context.get('date', '')}", "",
           "## Throughput (MB/s of the document's UTF-8 text)", "",
           "Ratio: our throughput over Boost.JSON's; the goal is at least 0.8. jsSerialize is set",
           "against `boost::json::serialize` (compact, UTF-8) in every layout and encoding. For",
           "jsSerialize, `text MB` is the size of the text written (UTF-16: two bytes a unit) and",
           "`text MB/s` the rate at which it is written, for ours and for Boost.JSON's compact text.", "",
           "| function | document | ours MB/s | Boost.JSON MB/s | ratio | ≥ 0.8 | text MB ours / Boost | text MB/s ours / Boost |",
           "|---|---|---:|---:|---:|---|---:|---:|"]
    for (function, data), sides in pairs.items():
        if "bytes_per_second" not in sides.get("ours", {}) or "boost" not in sides:
            continue
        ours, boost = sides["ours"], sides["boost"]
        ratio = boost["cpu_time"] / ours["cpu_time"]
        text_cells = "| |"
        if "output_bytes" in ours and "output_bytes" in boost:
            text_rates = [side["output_bytes"] / side["cpu_time"] * time_per_second(side) / 1e6 for side in (ours, boost)]
            text_cells = (f"| {ours['output_bytes'] / 1e6:.2f} / {boost['output_bytes'] / 1e6:.2f} "
                          f"| {text_rates[0]:.0f} / {text_rates[1]:.0f}")
        out.append(f"| {function} | {data} | {mb_per_s(ours):.0f} | {mb_per_s(boost):.0f} "
                   f"| {ratio:.2f} | {verdict(ratio >= 0.8)} {text_cells} |")

    out += ["", "## Cost per call, path or entry (ns)", "",
            "Ratio: our cost over Boost.JSON's. For jsValueGet and jsValueType, `frame` is a jsGetInfo",
            "call, the frame's own cost; the goal is at most 4 frames per call.", "",
            "| function | data | ours ns | Boost.JSON ns | ratio | frame ns | ours / frame |",
            "|---|---|---:|---:|---:|---:|---:|"]
    for (function, data), sides in pairs.items():
        if "ours" not in sides or "boost" not in sides or per_item_ns(sides["ours"]) is None:
            continue
        ours, boost = per_item_ns(sides["ours"]), per_item_ns(sides["boost"])
        frame_cells = "| |"
        if "frame" in sides:
            frame = per_item_ns(sides["frame"])
            frame_cells = f"| {frame:.0f} | {ours / frame:.1f} ({verdict(ours <= 4 * frame)})"
        out.append(f"| {function} | {data} | {ours:.0f} | {boost:.0f} | {ours / boost:.1f} {frame_cells} |")

    out += ["", "## jsValueAdd appending, per call (ns)", "",
            "bench_append's last 1,000 appends to an array of N elements, against `boost::json::array::push_back`;",
            "the goal is that a call at 100,000 elements costs at most twice one at 1,000.", "",
            "| elements | ours ns | Boost.JSON ns | ratio | ours / ours at 1,000 |", "|---:|---:|---:|---:|---:|"]
    appends = [count for count in ("1000", "10000", "100000")
               if f"BM_AppendLastThousand/{count}" in runs and ("jsValueAdd-append", count) in pairs]
    for count in appends:
        base = per_item_ns(runs[f"BM_AppendLastThousand/{appends[0]}"])
        ours = per_item_ns(runs[f"BM_AppendLastThousand/{count}"])
        boost = per_item_ns(pairs[("jsValueAdd-append", count)]["boost"])
        growth = ours / base
        out.append(f"| {int(count):,} | {ours:.0f} | {boost:.0f} | {ours / boost:.1f} "
                   f"| {growth:.2f} ({verdict(growth <= 2)}) |")

    out += ["", "## Memory held by an open container (bytes)", "",
            "Heap bytes that closing a container parsed from the document frees (its tree and its",
            "registry entry; the storage the library keeps for long texts is not the container's)",
            "against a `boost::json::value` parsed from the same text, counted by a replaced",
            "`operator new` in the benchmark program that sees the library's allocations too. The goal",
            "is at most 1.1.", "",
            "| document | ours | Boost.JSON | ratio | ≤ 1.1 |", "|---|---:|---:|---:|---|"]
    for (function, data), sides in pairs.items():
        if function != "memory" or len(sides) < 2:
            continue
        ours, boost = sides["ours"]["bytes"], sides["boost"]["bytes"]
        out.append(f"| {data} | {ours:,.0f} | {boost:,.0f} | {ours / boost:.3f} | {verdict(ours <= 1.1 * boost)} |")

    out += ["", "## How to read it", "",
            "- Our side is the whole call as a host makes it: the argument records, the UTF-16 text",
            "  converted to UTF-8 (jsParse, jsValid, key paths), the result written or converted as UTF-16",
            "  (serialization, values), the registry, and the host's return callback copying the result",
            "  into its own value. Boost.JSON's side is the library call alone on UTF-8 text.",
            "- Boost.JSON has no indented layout: the indented rows are set against its compact",
            "  serialization, and throughput counts the bytes of the input document, so an indented",
            "  text several times longer than the input shows as a low rate; the text columns give",
            "  the size of each text and the rate at which it was written. Doubles are written with",
            "  six significant digits (ours) and in full (Boost.JSON), so our compact text of canada",
            "  is about half the length of Boost.JSON's.",
            "- jsParse, jsValid and jsSerialize write their long texts into storage the library keeps",
            "  from call to call (up to 64 MB), so that a repeated call does not write into fresh",
            "  memory. The reference host copies every text it is handed into a new string of its",
            "  own, and that copy is part of our side. For UTF-16 the copy is a large share: twice",
            "  the bytes, and the host measures the text unit by unit.",
            "- jsValid's partner runs the same parser on the same bytes, so a ratio above 1 is not a",
            "  faster parser but a difference in memory: ours reads bytes the conversion has just",
            "  written, Boost.JSON's side a text written once at the start.",
            "- Key path rows count one listed path; Boost.JSON's side walks the value and builds the",
            "  same path texts in UTF-8 (the listing) or only counts them (jsKeyExist). jsConMap counts",
            "  one root member; Boost.JSON's side copies the members out. `jsValueAdd-replace` sets an",
            "  element in the middle of an array of that many elements.",
            "- The machine is shared: the load average above is that of the whole machine; other work",
            "  running beside the benchmark moves the figures from run to run."]

    with open(output_path, "w") as output:
        output.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
