#!/usr/bin/env python3
"""Draws a soak's curves from its samples.csv: RSS (MB), open file descriptors and threads, and
pictures shown per minute, one panel each over the run's minutes. Draws with ImageMagick
(convert's -draw primitives), which needs no SVG renderer.

    plot_soak.py samples.csv soak.png [--title TEXT]
"""
import argparse
import csv
import subprocess

WIDTH, PANEL, MARGIN_LEFT, MARGIN_RIGHT, GAP = 900, 170, 70, 20, 40


def per_minute(rows):
    counts = []
    for minute in range(1, int(rows[-1]["seconds"] // 60) + 1):
        at = [r["images"] for r in rows if r["seconds"] <= minute * 60]
        before = [r["images"] for r in rows if r["seconds"] <= (minute - 1) * 60]
        counts.append(((minute - 0.5) * 60, (at[-1] if at else 0) - (before[-1] if before else 0)))
    return counts


def text(x, y, words, size, colour="#000000"):
    return "stroke none fill '%s' font-size %d text %.1f,%.1f '%s'" % (colour, size, x, y, words.replace("'", ""))


def panel(top, title, series, t_end):
    """Drawing primitives for one panel: series is [(label, colour, [(seconds, value)], bars?)]."""
    values = [v for _, _, points, _ in series for _, v in points] or [0]
    high = max(values) * 1.15 or 1
    low = 0
    plot_w = WIDTH - MARGIN_LEFT - MARGIN_RIGHT

    def x(t):
        return MARGIN_LEFT + plot_w * t / t_end

    def y(v):
        return top + PANEL - PANEL * (v - low) / (high - low)

    out = ["fill none stroke '#888888' rectangle %d,%d %d,%d"
           % (MARGIN_LEFT, top, MARGIN_LEFT + plot_w, top + PANEL), text(MARGIN_LEFT, top - 8, title, 13)]
    for fraction in (0, 0.5, 1):
        v = low + (high - low) * fraction
        out.append(text(MARGIN_LEFT - 6 - 7 * len("%.0f" % v), y(v) + 4, "%.0f" % v, 11))
        out.append("fill none stroke '#dddddd' line %d,%.1f %d,%.1f"
                   % (MARGIN_LEFT, y(v), WIDTH - MARGIN_RIGHT, y(v)))
    legend_x = WIDTH - MARGIN_RIGHT - 10
    for label, colour, points, bars in series:
        if bars:
            step = plot_w * 60 / t_end
            for t, v in points:
                out.append("stroke none fill '%s' rectangle %.1f,%.1f %.1f,%.1f"
                           % (colour, x(t) - step * 0.4, y(v), x(t) + step * 0.4, y(0)))
        else:
            path = " ".join("%.1f,%.1f" % (x(t), y(v)) for t, v in points)
            out.append("fill none stroke '%s' stroke-width 1.5 polyline %s" % (colour, path))
        out.append(text(legend_x - 8 * len(label), top + 16, label, 12, colour))
        legend_x -= 8 * len(label) + 20
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("samples")
    parser.add_argument("png")
    parser.add_argument("--title", default="Soak")
    args = parser.parse_args()
    rows = []
    for r in csv.DictReader(open(args.samples)):
        rows.append({k: float(v) if k != "name" and v != "" else v for k, v in r.items()})
    t_end = max(rows[-1]["seconds"], 60)
    hours = t_end / 3600
    drawing = []
    top = 50
    drawing += panel(top, "RSS, MB (program and its helpers' own pages)",
                 [("RSS", "#1f77b4", [(r["seconds"], r["rss_kib"] / 1024) for r in rows], False)], t_end)
    top += PANEL + GAP + 10
    drawing += panel(top, "open file descriptors and threads of the program",
                 [("fds", "#d62728", [(r["seconds"], r["fds"]) for r in rows], False),
                  ("threads", "#2ca02c", [(r["seconds"], r["threads"]) for r in rows], False)], t_end)
    top += PANEL + GAP + 10
    drawing += panel(top, "pictures shown per minute",
                 [("pictures", "#9467bd", per_minute(rows), True)], t_end)
    top += PANEL
    # The time axis, in hours when the run is long, minutes otherwise.
    plot_w = WIDTH - MARGIN_LEFT - MARGIN_RIGHT
    ticks = 8
    for i in range(ticks + 1):
        t = t_end * i / ticks
        label = "%.1f h" % (t / 3600) if hours >= 1 else "%.0f min" % (t / 60)
        drawing.append(text(MARGIN_LEFT + plot_w * i / ticks - 3.5 * len(label), top + 16, label, 11))
    height = top + 30
    helpers = int(rows[-1].get("helpers_started") or 0)
    drawing.append(text(MARGIN_LEFT, 24, "%s: %.1f h, %d pictures, %d parse helpers started"
                    % (args.title, hours, int(rows[-1]["images"]), helpers), 15))
    # One -draw per primitive: ImageMagick's default policy refuses drawings read from files.
    command = ["convert", "-size", "%dx%d" % (WIDTH, height), "xc:white"]
    for primitive in drawing:
        command += ["-draw", primitive]
    subprocess.run(command + [args.png], check=True)


if __name__ == "__main__":
    main()
