#!/usr/bin/env python3
"""Writes docs/performance.md from one run of zor_bench, native and on
Windows under Wine (their JSON output).

Usage: bench_report.py OUTPUT.md [--load-start LOAD] --native RESULTS.json ...
                       [--windows RESULTS.json ...]

Benchmarks are named <function>/<data>/<side>, side being ours, boost or
frame; bench_append's BM_AppendLastThousand/<N> is the per-call cost of
appending at N elements; kept/canada/ours the storage kept between calls.
Times are CPU times, which a loaded machine disturbs less than wall time,
and of the passes given the fastest.
"""
import argparse
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


# The least ratio asked of each throughput over Boost.JSON's; jsValid's
# partner is the parser that builds nothing, the serializations' the compact one.
GOALS = {"jsParse": 0.9, "jsValid": 0.9, "jsSerialize-compact-utf8": 0.9,
         "jsSerialize-compact-utf16": 0.8, "jsSerialize-indented-utf8": 0.8}
KEPT_GOAL = 1 << 20

# The functions of the table of documents, and the least ratio asked of them
# on the small documents (under 12 KB), where the cost of a call shows.
DOCUMENT_FUNCTIONS = [("jsParse", "jsParse"), ("jsValid", "jsValid"), ("jsSerialize-compact-utf8", "compact UTF-8")]
SMALL_BYTES = 12 * 1024
SMALL_GOAL = 0.75


def load_runs(results_paths):
    """Of the passes over each benchmark, the fastest (a shared machine only
    ever adds time), the context of the last pass, and the benchmarks that
    failed."""
    runs, failures, context = {}, set(), {}
    for results_path in results_paths:
        with open(results_path) as results_file:
            results = json.load(results_file)
        context = results["context"]
        for run in results["benchmarks"]:
            if run.get("run_type") == "aggregate":
                continue
            name = run.get("run_name", run["name"]).split("/iterations:")[0]
            if run.get("error_occurred"):
                failures.add(f"{name} ({run.get('error_message', '')})")
            elif name not in runs or run["cpu_time"] < runs[name]["cpu_time"]:
                runs[name] = run
    return runs, context, sorted(failures)


def pairs_of(runs):
    """(function, data) -> {side: run}; one Boost.JSON serialization partners
    every layout and encoding, one jsGetInfo call every read."""
    pairs = {}
    for name, run in sorted(runs.items(), key=lambda item: order(item[0])):
        parts = name.split("/")
        if len(parts) == 3 and parts[2] in ("ours", "boost", "frame"):
            pairs.setdefault((parts[0], parts[1]), {})[parts[2]] = run
    frame = pairs.pop(("jsGetInfo", "any"), {}).get("frame")
    for (function, data), sides in pairs.items():
        if function.startswith("jsSerialize-") and ("jsSerialize", data) in pairs:
            sides["boost"] = pairs[("jsSerialize", data)]["boost"]
        if function in ("jsValueGet", "jsValueType") and frame:
            sides["frame"] = frame
    for function, data in [key for key in pairs if key[0] == "jsSerialize"]:
        pairs.pop((function, data))
    return pairs


def document_bytes(run):
    """The bytes of the document a run read, from its rate and its time per iteration."""
    return run["bytes_per_second"] * run["cpu_time"] / time_per_second(run)


def document_table(pairs):
    """A row per document: its size, and for jsParse, jsValid and compact UTF-8 jsSerialize the
    ratio of our throughput to Boost.JSON's as the mean of a batch of calls and as the fastest of
    nine single calls, against the goal of its size."""
    head = "".join(f" {label} batch | {label} single |" for _, label in DOCUMENT_FUNCTIONS)
    out = [f"| document | KB |{head} goal |", "|---|---:|" + "---:|---:|" * len(DOCUMENT_FUNCTIONS) + "---|"]
    rows = []
    for (function, data), sides in pairs.items():
        if function != "jsParse" or "ours" not in sides:
            continue
        size = document_bytes(sides["ours"])
        goal = SMALL_GOAL if size < SMALL_BYTES else GOALS["jsParse"]
        cells, ratios = [], []
        for name, _ in DOCUMENT_FUNCTIONS:
            pair = pairs.get((name, data), {})
            ours, boost = pair.get("ours"), pair.get("boost")
            if ours is None or boost is None:
                cells += ["", ""]
                continue
            batch = boost["cpu_time"] / ours["cpu_time"]
            single = boost["single_ns"] / ours["single_ns"] if "single_ns" in ours and "single_ns" in boost else None
            ratios += [batch] + ([single] if single else [])
            cells += [f"{batch:.2f}", f"{single:.2f}" if single else ""]
        met = all(ratio >= goal for ratio in ratios)
        rows.append((data not in DATA_ORDER, size, f"| {data} | {size / 1024:,.1f} | " + " | ".join(cells) +
                     f" | ≥ {goal}: {verdict(met)} |"))
    return out + [row for _, _, row in sorted(rows)]


def throughput_table(pairs):
    out = ["| function | document | ours MB/s | Boost.JSON MB/s | ratio | goal | text MB ours / Boost | text MB/s ours / Boost |",
           "|---|---|---:|---:|---:|---|---:|---:|"]
    for (function, data), sides in pairs.items():
        if "bytes_per_second" not in sides.get("ours", {}) or "boost" not in sides or data not in DATA_ORDER:
            continue
        ours, boost = sides["ours"], sides["boost"]
        ratio = boost["cpu_time"] / ours["cpu_time"]
        goal = f"≥ {GOALS[function]}: {verdict(ratio >= GOALS[function])}" if function in GOALS else ""
        text_cells = "| |"
        if "output_bytes" in ours and "output_bytes" in boost:
            text_rates = [side["output_bytes"] / side["cpu_time"] * time_per_second(side) / 1e6 for side in (ours, boost)]
            text_cells = (f"| {ours['output_bytes'] / 1e6:.2f} / {boost['output_bytes'] / 1e6:.2f} "
                          f"| {text_rates[0]:.0f} / {text_rates[1]:.0f}")
        out.append(f"| {function} | {data} | {mb_per_s(ours):.0f} | {mb_per_s(boost):.0f} "
                   f"| {ratio:.2f} | {goal} {text_cells} |")
    return out


def cost_table(pairs):
    out = ["| function | data | ours ns | Boost.JSON ns | ratio | frame ns | ours / frame |",
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
    return out


def append_table(runs, pairs):
    out = ["| elements | ours ns | Boost.JSON ns | ratio | ours / ours at 1,000 |", "|---:|---:|---:|---:|---:|"]
    appends = [count for count in ("1000", "10000", "100000")
               if f"BM_AppendLastThousand/{count}" in runs and ("jsValueAdd-append", count) in pairs]
    for count in appends:
        base = per_item_ns(runs[f"BM_AppendLastThousand/{appends[0]}"])
        ours = per_item_ns(runs[f"BM_AppendLastThousand/{count}"])
        boost = per_item_ns(pairs[("jsValueAdd-append", count)]["boost"])
        growth = ours / base
        out.append(f"| {int(count):,} | {ours:.0f} | {boost:.0f} | {ours / boost:.1f} "
                   f"| {growth:.2f} ({verdict(growth <= 2)}) |")
    return out


def memory_table(pairs):
    out = ["| document | ours | Boost.JSON | ratio | ≤ 1.1 |", "|---|---:|---:|---:|---|"]
    for (function, data), sides in pairs.items():
        if function != "memory" or len(sides) < 2:
            continue
        ours, boost = sides["ours"]["bytes"], sides["boost"]["bytes"]
        out.append(f"| {data} | {ours:,.0f} | {boost:,.0f} | {ours / boost:.3f} | {verdict(ours <= 1.1 * boost)} |")
    return out


def kept_line(pairs, what):
    kept = pairs.get(("kept", "canada"), {}).get("ours")
    if kept is None:
        return []
    return [f"- {what}: **{kept['bytes']:,.0f} bytes** after the calls on canada "
            f"(goal at most {KEPT_GOAL:,}: {verdict(kept['bytes'] <= KEPT_GOAL)})"]


PAGE_BYTES = 4096
FRESH_BLOCKS_KB = ("1024", "4096")


def page_ns(runs, kilobytes):
    run = runs.get(f"fresh-memory/{kilobytes}/page")
    return per_item_ns(run) if run else None


def fresh_memory_table(native, windows):
    """The cost of a page of a block allocated, written once and freed, natively and under Wine."""
    out = ["| block | native ns a page | Windows under Wine ns a page |", "|---:|---:|---:|"]
    for kilobytes in FRESH_BLOCKS_KB:
        cells = [page_ns(runs, kilobytes) for runs in (native, windows)]
        if any(cells):
            text = [f"{cell:,.0f}" if cell else "" for cell in cells]
            out.append(f"| {int(kilobytes) // 1024} MB | {text[0]} | {text[1]} |")
    return out


def fresh_copy_lines(runs):
    """For each text above 1 MB, the time the host's copy of it alone takes in fresh memory at
    the rate of the largest fresh block, against all of Boost.JSON's serialization: the best
    ratio the call could reach if writing the text took no time at all."""
    cost = page_ns(runs, FRESH_BLOCKS_KB[-1])
    if cost is None:
        return []
    out = []
    for (function, data), sides in pairs_of(runs).items():
        ours, boost = sides.get("ours", {}), sides.get("boost")
        if not function.startswith("jsSerialize-") or boost is None or ours.get("output_bytes", 0) <= 1 << 20:
            continue
        copy_us = ours["output_bytes"] / PAGE_BYTES * cost / 1e3
        boost_us = boost["cpu_time"] / time_per_second(boost) * 1e6
        out.append(f"| {function} | {data} | {ours['output_bytes'] / 1e6:.2f} | {copy_us:,.0f} | {boost_us:,.0f} "
                   f"| {boost_us / copy_us:.2f} |")
    if not out:
        return []
    return ["| function | document | text MB | host's copy µs | Boost.JSON µs | ratio at best |",
            "|---|---|---:|---:|---:|---:|", *out]


def micros(run):
    return run["cpu_time"] / time_per_second(run) * 1e6


def build_section(title, intro, runs, failures, kept_what):
    pairs = pairs_of(runs)
    out = [f"## {title}", "", *intro, "",
           "### Every document of the corpus", "",
           "Our throughput over Boost.JSON's on each document: for jsParse (with its jsConClose; Boost.JSON",
           "parses with a parser over an arena made for the parse, its value in the default heap, then",
           "destroyed), jsValid (against Boost.JSON's parser building nothing) and compact UTF-8",
           "jsSerialize (against `boost::json::serialize`), each as the mean of a batch of calls",
           "(`batch`) and as the fastest of nine single calls (`single`), a script that reads a document",
           "once meeting the latter. The goal is 0.9 for every figure, 0.75 for documents under 12 KB.",
           "", *document_table(pairs), "",
           "### Throughput (MB/s of the document's UTF-8 text)", "", *throughput_table(pairs),
           "", "### Cost per call, path or entry (ns)", "", *cost_table(pairs),
           "", "### jsValueAdd appending, per call (ns)", "", *append_table(runs, pairs)]
    memory = memory_table(pairs)
    if len(memory) > 2:
        out += ["", "### Memory held by an open container (bytes)", "", *memory]
    out += ["", "### Storage kept between calls", "", *kept_line(pairs, kept_what)]
    if failures:
        out += ["", "Benchmarks that failed: " + "; ".join(failures) + "."]
    return out + [""]


def dll_over_native(native, windows):
    """The cost of a listed path, the DLL under Wine against the native library, beside the
    same ratio of Boost.JSON's own walk, which builds the same path texts without the library."""
    out = ["| document | native ns | DLL ns | DLL / native | ≤ 2 | Boost.JSON's walk: DLL / native |",
           "|---|---:|---:|---:|---|---:|"]
    for data in DATA_ORDER:
        name, partner = f"jsKeyPaths-all/{data}/ours", f"jsKeyPaths-all/{data}/boost"
        if name in native and name in windows:
            ns_native, ns_dll = per_item_ns(native[name]), per_item_ns(windows[name])
            ratio = ns_dll / ns_native
            boost = ""
            if partner in native and partner in windows:
                boost = f"{per_item_ns(windows[partner]) / per_item_ns(native[partner]):.1f}"
            out.append(f"| {data} | {ns_native:.0f} | {ns_dll:.0f} | {ratio:.1f} | {verdict(ratio <= 2)} | {boost} |")
    return out


def main(argv):
    parser = argparse.ArgumentParser(description="Writes docs/performance.md from zor_bench's results.")
    parser.add_argument("output")
    parser.add_argument("--load-start", default="", help="the load average when the run began")
    parser.add_argument("--load-end", default="", help="the load average when it ended (now, if not given)")
    parser.add_argument("--native", nargs="+", required=True, help="the native passes (JSON)")
    parser.add_argument("--windows", nargs="*", default=[], help="the passes of the DLL under Wine (JSON)")
    args = parser.parse_args(argv)
    native, context, native_failures = load_runs(args.native)
    windows, _, windows_failures = load_runs(args.windows)

    model, cores, load = machine()
    load = args.load_end or load
    out = ["# Performance", "",
           "The library through the reference host and its exported entry, against Boost.JSON doing",
           "the same work directly on a `boost::json::value` or the UTF-8 text in the same process,",
           "measured by one run of `scripts/bench.sh`: `zor_bench` natively (the Linux library linked in,",
           "Google Benchmark) and built by mingw-w64 for Windows, run under Wine against the real DLL",
           "(the same benchmark sources on a small timing loop of the project's own, Boost.JSON built by",
           "the same compiler). Each program ran three times over every benchmark, each of ours beside",
           "its partner, and the fastest of the three is shown.", "",
           f"- machine: {model}, {cores} cores (nproc), shared with other work: load average "
           f"{args.load_start or '?'} when the run began, {load} after it; the figures are noisy",
           f"- run: {context.get('date', '')}", "",
           "Throughput ratios are our throughput over Boost.JSON's, against the goal of each function:",
           "jsParse, compact UTF-8 jsSerialize and jsValid at least 0.9 (jsValid against Boost.JSON's",
           "parser that builds nothing), indented UTF-8 and compact UTF-16 jsSerialize at least 0.8 of",
           "`boost::json::serialize` (compact, UTF-8), which partners every layout and encoding. For",
           "jsSerialize, `text MB` is the size of the text written (UTF-16: two bytes a unit) and",
           "`text MB/s` the rate at which it is written, for ours and for Boost.JSON's compact text.",
           "Costs are per call, listed path or entry; for jsValueGet and jsValueType, `frame` is a",
           "jsGetInfo call, the frame's own cost, and the goal is at most 4 frames a call. Appending is",
           "bench_append's last 1,000 appends to an array of N elements against",
           "`boost::json::array::push_back`; a call at 100,000 elements should cost at most twice one",
           "at 1,000.", ""]
    out += build_section(
        "Native (Linux, the library linked into the program)",
        ["Google Benchmark's CPU times, the Release build in `build/bench`."],
        native, native_failures, "heap bytes the library still holds (exact, counted by the program's `operator new`)")
    if windows:
        out += build_section(
            "Windows DLL under Wine (`qrbjs64i.dll`)",
            ["The Release build of `build/bench-windows`: `zor_bench.exe` loads `qrbjs64i.dll` beside it",
             "through the reference host's loader, as an interpreter does. Its timing loop repeats each",
             "benchmark until at least 0.2 s have passed, then runs as many iterations twice more and",
             "keeps the fastest of the three batches. The times are estimates of CPU time: the wall time",
             "of the timed part (precise) scaled by the share of the CPU the process had over the batch",
             "(its CPU time over its wall time; the CPU clock moves in 10 ms steps, so a batch of 0.2 s",
             "may be off by up to 5%)."],
            windows, windows_failures,
            "committed private memory the process still holds (the DLL allocates through its own runtime,"
            " out of the program's sight: large blocks show, small ones a heap keeps for reuse do not)")
        out += ["## jsKeyPaths per listed path, DLL against native", "", *dll_over_native(native, windows), ""]
    fresh = fresh_memory_table(native, windows)
    if len(fresh) > 2:
        out += ["## Fresh memory", "",
                "A block allocated with `new`, one byte written in each page of 4 KB, and freed again, in",
                "the benchmark program (`fresh-memory`): what a page of a long text costs where the heap",
                "hands out fresh memory. The C library's heap natively keeps freed blocks of these sizes",
                "and hands them out again; Wine's heap takes every block above about 0.5 MB fresh from the",
                "system and gives it back when it is freed, so that each of its pages costs a page fault.",
                "", *fresh, ""]
        copies = fresh_copy_lines(windows)
        if copies:
            out += ["Under Wine, the host's copy of a text above 1 MB (a new string of the host's, as every",
                    "result is copied) is such a block: at the cost above, that copy alone takes about as",
                    "long as Boost.JSON's whole serialization, or longer. The last column is the ratio such a",
                    "row would reach if the library took no time at all to write its text; the library's",
                    "own storage beyond the kept 1 MB is fresh memory as well, which halves it again:", "",
                    *copies, ""]

    out += ["## How to read it", "",
            "- Our side is the whole call as a host makes it: the argument records, the host's UTF-16",
            "  text read where it stands (jsParse, jsValid) or converted to UTF-8 (key paths), the result",
            "  written or converted as UTF-16 (serialization, values), the registry, and the host's return",
            "  callback copying the result into its own value. Boost.JSON's side is the library call alone",
            "  on UTF-8 text.",
            "- Boost.JSON has no indented layout: the indented rows are set against its compact",
            "  serialization, and throughput counts the bytes of the input document, so an indented",
            "  text several times longer than the input shows as a low rate; the text columns give",
            "  the size of each text and the rate at which it was written. Both sides write each double",
            "  with the fewest digits that read back, ours in `%g` layout (`-65.613617`) and Boost.JSON",
            "  in its own (`-6.5613617E1`), so the texts of canada differ in length.",
            "- The storage kept between calls is what the library still holds after jsValid, jsParse,",
            "  jsSerialize in both layouts and encodings and a full jsKeyPaths on canada, that container",
            "  closed and one small container open, against what it held with only the small container",
            "  open (the calls run once before, every container closed after them, so that the heap has",
            "  grown to what they need). Closing every container frees it.",
            "- The memory of an open container is what closing it frees against a `boost::json::value`",
            "  parsed from the same text; only the native program can count it, block by block.",
            "- Key path rows count one listed path; Boost.JSON's side walks the value and builds the",
            "  same path texts in UTF-8 (the listing) or only counts them (jsKeyExist). jsConMap counts",
            "  one root member; Boost.JSON's side copies the members out. `jsValueAdd-replace` sets an",
            "  element in the middle of an array of that many elements. The last column of the table of",
            "  jsKeyPaths, DLL against native, is the same ratio for Boost.JSON's walk, which builds the",
            "  path texts with neither the library nor a host: what Wine's heap costs work of that kind.",
            "- At most 1 MB of storage is kept between calls. jsParse and jsValid need none of it: they",
            "  read the host's UTF-16 text where it stands. A text jsSerialize writes longer",
            "  than that (the indented texts, the UTF-16 texts of canada and citm_catalog) grows past the",
            "  kept storage and is freed before the call returns, as Boost.JSON's string is: natively",
            "  the C library's heap hands those blocks out again, while under Wine each of their pages",
            "  is fresh memory (the table of fresh memory), so those rows fall far below the others.",
            "- On the documents under 12 KB a call's own cost weighs against Boost.JSON's whole work: a",
            "  call that only answers (jsGetInfo, the `frame` of the table of costs) takes about 40 ns,",
            "  while Boost.JSON serializes the documents of 64 and 80 bytes in 70 to 90 ns. Counted by",
            "  callgrind over jsParse with its jsConClose on adversarial (6,380 instructions a pair of",
            "  calls, Boost.JSON's parse with its destruction 4,507): the reading of the text into its",
            "  tree 3,270, the registration and the closing of the container 1,290 (the handle's text,",
            "  the map of handles, the arena's own object), the reference host 970 (its record of each",
            "  call and the return callback's copies of the results), the benchmark's own loop 530",
            "  (the copy of the handle it keeps), the frame and the argument records the rest.",
            "- The frame fell natively from 58 to 38 ns (the code of 2026-12-10 against this, both on",
            "  this machine) when the benchmark stopped allocating a list of argument records for each",
            "  call and the reference host stopped rebuilding its record of a call twice; jsValueGet",
            "  fell with it, from 230 to 180 ns on canada, by less in proportion: its cost in frames",
            "  rose (4.0 to 4.7 on canada) although every call is cheaper.",
            "- Indented UTF-8 of canada writes 8.1 MB since doubles are written with the digits that",
            "  read back (7.1 MB with six digits). Natively that text's storage and the host's copy",
            "  take the C library's heap past its trim threshold: the heap grows by 22.7 MB during each",
            "  call and is given back to the system at its end (strace), about 7,000 page faults a",
            "  call; with the heap's thresholds fixed (GLIBC_TUNABLES) the same call takes 6.3 ms",
            "  instead of 13.4.",
            "- Compact UTF-16 is our own text twice as long as its UTF-8, which the host copies: its",
            "  strings outside ASCII are decoded from the stored UTF-8 as they are written (by perf on",
            "  twitter, a sixth of the call in the decoder, two fifths in the writing of strings).",
            "- Under Wine both sides allocate through Wine's heap and its virtual memory: the work that",
            "  allocates much (building a tree, a long text in fresh memory, the host's copy of a result)",
            "  runs far below its native rate on both sides alike, while jsValid, which allocates nothing",
            "  per call, does not; the ratios are what compare.",
            "- The machine is shared: the load averages above are those of the whole machine; other work",
            "  running beside the benchmark moves the figures from run to run."]

    with open(args.output, "w") as output:
        output.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1:])
