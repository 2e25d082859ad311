#!/usr/bin/env python3
"""Turns a bench/measure.sh result folder into a table (Markdown, on stdout)."""
import csv
import datetime
import os
import re
import sys

STAMP = re.compile(r"^(\d\d/\d\d/\d\d \d\d:\d\d:\d\d) (.*)$")


def rows(path, name):
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [r for r in csv.DictReader(f) if r["name"] == name]


def status_lines(path):
    """(epoch seconds, text) of each status line."""
    result = []
    if not os.path.exists(path):
        return result
    with open(path, "rb") as f:
        for raw in f.read().decode("utf-8", "replace").splitlines():
            m = STAMP.match(raw)
            if m:
                when = datetime.datetime.strptime(m.group(1), "%m/%d/%y %H:%M:%S").timestamp()
                result.append((when, m.group(2)))
    return result


def requests(path):
    """(time, method, url, status, sent, length, ctype, aborted) per relayed request."""
    result = []
    if not os.path.exists(path):
        return result
    for line in open(path, encoding="utf-8", errors="replace"):
        parts = line.split()
        if len(parts) < 7 or not parts[4].isdigit():
            continue
        result.append((float(parts[0]), parts[1], parts[2], parts[3], int(parts[4]), parts[5], parts[6],
                       "aborted" in parts[7:]))
    return result


def vendor_traffic(path):
    count = total = 0
    if os.path.exists(path):
        for line in open(path, encoding="utf-8", errors="replace"):
            m = re.search(r'" (\d{3}) (\d+)\s*$', line)
            if m:
                count += 1
                total += int(m.group(2))
    return count, total


def first_times(path):
    result = {}
    if os.path.exists(path):
        for line in open(path):
            name, value = line.split()
            result[name] = None if value == "-" else float(value)
    return result


def at(samples, seconds):
    """The first sample at or after SECONDS."""
    for r in samples:
        if float(r["seconds"]) >= seconds:
            return r
    return samples[-1] if samples else None


def figures(samples, shown, request_count, byte_count, first):
    """The table's column for one program from its samples, pictures shown and traffic."""
    end = samples[-1]
    elapsed = float(end["seconds"])
    cpu = float(end["cpu_s"])
    warm, minute2 = at(samples, 60), at(samples, 120)
    steady = growth = None
    if elapsed > float(warm["seconds"]):
        steady = 100 * (cpu - float(warm["cpu_s"])) / (elapsed - float(warm["seconds"]))
    if elapsed > float(minute2["seconds"]):
        growth = 100 * (int(end["rss_kib"]) - int(minute2["rss_kib"])) / int(minute2["rss_kib"])
    ten = next((r for r in samples if int(r["images"]) >= 10), None)
    growth_ten = None
    if ten is not None and elapsed > float(ten["seconds"]):
        growth_ten = 100 * (int(end["rss_kib"]) - int(ten["rss_kib"])) / int(ten["rss_kib"])
    per = (lambda value: value / shown) if shown else (lambda value: None)
    return {
        "shown": shown,
        "cpu": cpu,
        "cpu_per_image_ms": per(1000 * cpu),
        "cpu_pct": 100 * cpu / elapsed if elapsed else None,
        "cpu_pct_steady": steady,
        "rss_end_mb": int(end["rss_kib"]) / 1024,
        "pss_end_mb": int(end["pss_kib"]) / 1024,
        "peak_rss_mb": max(int(r["peak_rss_kib"]) for r in samples) / 1024,
        "growth_pct": growth,
        "growth_ten_pct": growth_ten,
        "first_s": first,
        "requests_per_image": per(request_count),
        "kb_per_image": per(byte_count / 1024),
    }


def fmt(value, pattern="%.1f"):
    return "n/a" if value is None else pattern % value


def main():
    folder = sys.argv[1]
    p = lambda name: os.path.join(folder, name)
    first = first_times(p("first.txt"))
    out = []
    table = {}

    # quorel, at its normal pace
    q = rows(p("samples.csv"), "quorel")
    log = status_lines(p("quorel.log"))
    completed = sum(1 for _, t in log if t.startswith("[I-BrowseComplete] http"))
    bad = sum(1 for _, t in log if t.startswith("[IBadImage] "))
    good = sum(1 for _, t in log if t.startswith("[GoodImage ("))
    shown = completed - bad
    reqs = requests(p("quorel-requests.log"))
    vendor_count, vendor_bytes = vendor_traffic(p("vendor.log"))
    browse_to = {}
    for when, text in log:
        if text.startswith("[I-BrowseTo] "):
            browse_to.setdefault(text[len("[I-BrowseTo] "):], []).append(when)
    probes = [r for r in reqs if r[6].startswith("image/")
              and not any(r[0] - 3 <= w <= r[0] + 1 for w in browse_to.get(r[2], []))]
    if q:
        table["quorel"] = figures(q, shown, len(reqs) + vendor_count, sum(r[4] for r in reqs) + vendor_bytes,
                                  first.get("quorel"))
    pr = rows(p("samples.csv"), "peer")
    if pr:
        shown_peer = sum(1 for line in open(p("peer.out"), errors="replace") if line.startswith("image: "))
        preqs = requests(p("peer-requests.log"))
        table["peer"] = figures(pr, shown_peer, len(preqs), sum(r[4] for r in preqs), first.get("peer"))
        table["peer"]["growth_pct"] = table["peer"]["growth_ten_pct"] = None  # one collage file, no slots

    run = open(p("run.txt")).read().strip() if os.path.exists(p("run.txt")) else ""
    out.append("Run: " + "; ".join(run.splitlines()))
    out.append("")
    names = [n for n in ("quorel", "peer") if n in table]
    out.append("| figure | " + " | ".join("quorel" if n == "quorel" else "webcollage (peer)" for n in names) + " |")
    out.append("| --- |" + " --- |" * len(names))
    lines = [
        ("pictures shown", "shown", "%d"),
        ("CPU seconds (user+system)", "cpu", "%.2f"),
        ("CPU per picture shown, ms", "cpu_per_image_ms", "%.1f"),
        ("CPU, % of one core, whole run", "cpu_pct", "%.2f"),
        ("CPU, % of one core, after the first minute", "cpu_pct_steady", "%.2f"),
        ("RSS at the end, MB", "rss_end_mb", "%.1f"),
        ("PSS at the end, MB", "pss_end_mb", "%.1f"),
        ("peak RSS, MB", "peak_rss_mb", "%.1f"),
        ("RSS growth minute 2 -> end, %", "growth_pct", "%+.1f"),
        ("RSS growth tenth picture -> end, %", "growth_ten_pct", "%+.1f"),
        ("start to first picture, s", "first_s", "%.2f"),
        ("requests per picture shown", "requests_per_image", "%.2f"),
        ("KB fetched per picture shown", "kb_per_image", "%.1f"),
    ]
    for label, key, pattern in lines:
        out.append("| %s | %s |" % (label, " | ".join(fmt(table[n].get(key), pattern) for n in names)))
    out.append("")
    if "quorel" in table:
        probe_bytes = sum(r[4] for r in probes)
        out.append("quorel: %d page completions logged \"[I-BrowseComplete] http\", %d \"[IBadImage] \", "
                   "%d \"[GoodImage (\"; %d picture reads for sizing (not display fetches), "
                   "%.1f KB each on average (%d of them cut short)."
                   % (completed, bad, good, len(probes), probe_bytes / 1024 / len(probes) if probes else 0,
                      sum(1 for r in probes if r[7])))
    f = rows(p("fill-samples.csv"), "quorel")
    if f:
        full = next((r for r in f if int(r["images"]) >= 10), None)
        end = f[-1]
        if full:
            out.append("Ten 800x600 slots: all ten shown %.0f s after start: RSS %.1f MB, PSS %.1f MB; "
                       "at %.0f s (%s shown): RSS %.1f MB, PSS %.1f MB; peak RSS %.1f MB."
                       % (float(full["seconds"]), int(full["rss_kib"]) / 1024, int(full["pss_kib"]) / 1024,
                          float(end["seconds"]), end["images"], int(end["rss_kib"]) / 1024,
                          int(end["pss_kib"]) / 1024, max(int(r["peak_rss_kib"]) for r in f) / 1024))
        else:
            out.append("Ten 800x600 slots: only %s shown in %.0f s (RSS %.1f MB)."
                       % (end["images"], float(end["seconds"]), int(end["rss_kib"]) / 1024))
    print("\n".join(out))


if __name__ == "__main__":
    main()
