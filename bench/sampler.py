#!/usr/bin/env python3
"""Samples processes while they run, every INTERVAL seconds into a CSV: CPU seconds
(user+system, waited-for children included), RSS and PSS (smaps_rollup), peak RSS (VmHWM),
open file descriptors and threads, parse helpers started so far, and the number of pictures
shown so far (lines of its log holding a marker). Polling ten times a
second, it also notes when each shows its first picture, counted from its start.

    sampler.py --out runs.csv --interval 10 --duration 600 \
        --proc NAME PID LOG MARKER START_EPOCH [--proc ...]
"""
import argparse
import os
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return sum(int(f) for f in fields[11:15]) / TICK


def memory_kib(pid):
    """RSS, PSS, peak RSS and private memory (pages no other process maps) of PID."""
    rss = pss = hwm = private = 0
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            if line.startswith("Rss:"):
                rss = int(line.split()[1])
            elif line.startswith("Pss:"):
                pss = int(line.split()[1])
            elif line.startswith(("Private_Clean:", "Private_Dirty:")):
                private += int(line.split()[1])
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                hwm = int(line.split()[1])
    return rss, pss, hwm, private


def fds_and_threads(pid):
    fds = len(os.listdir("/proc/%d/fd" % pid))
    with open("/proc/%d/status" % pid) as f:
        threads = next(int(line.split()[1]) for line in f if line.startswith("Threads:"))
    return fds, threads


def helpers(pid):
    """The program's parse helpers (children named quorel-parse): their figures count as its."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            head, tail = open("/proc/%s/stat" % entry).read().rsplit(")", 1)
        except OSError:
            continue
        if head.endswith("(quorel-parse") and int(tail.split()[1]) == pid:
            found.append(int(entry))
    return found


class Watched:
    def __init__(self, name, pid, log, marker, start):
        self.name, self.pid, self.log, self.marker = name, int(pid), log, marker.encode()
        self.start = float(start)
        self.offset = 0
        self.count = 0
        self.first = None
        self.alive = True
        self.peak_rss = 0
        self.helpers_seen = set()

    def scan(self, now):
        try:
            with open(self.log, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except OSError:
            return
        end = data.rfind(b"\n") + 1  # whole lines only
        found = data[:end].count(self.marker)
        self.offset += end
        if found and self.first is None:
            self.first = now - self.start
        self.count += found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--interval", type=float, default=10)
    parser.add_argument("--duration", type=float, default=600)
    parser.add_argument("--first-out")
    parser.add_argument("--proc", nargs=5, action="append", required=True,
                        metavar=("NAME", "PID", "LOG", "MARKER", "START"))
    args = parser.parse_args()
    watched = [Watched(*p) for p in args.proc]
    began = time.time()
    next_sample = began
    with open(args.out, "w", buffering=1) as out:
        # Figures are the program's plus its parse helpers'. The helpers' shared pages are the
        # libraries the program has resident already: rss_kib adds only their private pages
        # (peak_rss_kib adds their peaks whole); helper_rss_kib is the helpers' own RSS.
        out.write("seconds,name,cpu_s,rss_kib,pss_kib,peak_rss_kib,images,helper_rss_kib,"
                  "helper_private_kib,fds,threads,helpers_started\n")
        while time.time() - began <= args.duration and any(w.alive for w in watched):
            now = time.time()
            for w in watched:
                if w.alive:
                    w.scan(now)
            if now >= next_sample:
                for w in watched:
                    if not w.alive:
                        continue
                    try:
                        cpu = cpu_seconds(w.pid)
                        rss, pss, hwm, _ = memory_kib(w.pid)
                        fds, threads = fds_and_threads(w.pid)
                    except OSError:
                        w.alive = False
                        print("sampler: %s (%d) has ended" % (w.name, w.pid), file=sys.stderr)
                        continue
                    helper_rss = helper_private = 0
                    for helper in helpers(w.pid):
                        w.helpers_seen.add(helper)
                        try:
                            helper_cpu = cpu_seconds(helper)
                            h_rss, h_pss, h_hwm, h_private = memory_kib(helper)
                        except OSError:
                            continue  # ended between the look and the read
                        cpu, pss, hwm = cpu + helper_cpu, pss + h_pss, hwm + h_hwm
                        rss += h_private
                        helper_rss += h_rss
                        helper_private += h_private
                    w.peak_rss = max(w.peak_rss, rss)
                    out.write("%.1f,%s,%.3f,%d,%d,%d,%d,%d,%d,%d,%d,%d\n" % (
                        now - began, w.name, cpu, rss, pss, hwm, w.count, helper_rss, helper_private,
                        fds, threads, len(w.helpers_seen)))
                next_sample += args.interval
            time.sleep(0.1)
    if args.first_out:
        with open(args.first_out, "w") as f:
            for w in watched:
                f.write("%s %s\n" % (w.name, "%.2f" % w.first if w.first is not None else "-"))


if __name__ == "__main__":
    main()
