#!/usr/bin/env python3
"""Plants one-line faults, one at a time, and counts folder by folder how many the tests catch.

Each fault is a small change to one line of a source file: a flipped comparison, a whole-number
constant off by one, a dropped statement or a changed text. For each: write it, rebuild the test
programs that cover its folder, run them, record caught (a test program fails or times out),
missed, or equivalent (missed, but on the reviewed list below of changes that alter nothing the
program does), and put the line back. A fault that does not compile is not counted and the next
one is drawn.

Faults are drawn in an order fixed by the seed and by the text of each line (not its number),
so the same seed picks mostly the same faults after unrelated edits elsewhere. Each folder gets
its own draw of --per-folder faults.

  tools/plant-faults.py --logic-build L --engine-build E --seed 23 --per-folder 8 \\
      --log seed23.jsonl [--folders web,desktop] [--timeout 240]
  tools/plant-faults.py --replay seed23.jsonl --log again.jsonl ...   (the missed ones again)
  tools/plant-faults.py --summarize seed23.jsonl seed41.jsonl ...     (per-folder table)

Never planted: comments, and statements that cannot change what the program does (capacity
hints such as reserve(), debug-only asserts). Everything else that no test catches is read, and
what is found to change nothing goes on the EQUIVALENT list with its reason.

The logic folders build in a logic-only build, the others in a full one, best -O0 without
warnings as errors (a warning is no reason to skip a fault):
  cmake -S . -B L -G Ninja -DQUOREL_LOGIC_ONLY=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O0
  cmake -S . -B E -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O0
On a busy machine the full build may instead take make build's flags, laid out as make build
lays it (E = the copy's build/), so that the shared compiler cache serves it; faults that only
warn there do not count.
The tree must be clean and must not change under a run: run it on a copy (git archive) while you
work on. Two runs at once need two copies (a logic fault would leak into the full build).
"""

import argparse
import collections
import hashlib
import json
import os
import pathlib
import re
import signal
import subprocess
import time

# Every folder planted: the build that compiles it and the test programs that cover it, its own
# first (a run stops at the first program that fails). A folder or a test program missing from
# the tree is left out, so a new folder is one row here.
LOGIC_TESTS = ["test_core", "test_app", "test_crawler", "test_display", "test_interaction",
               "test_dialogs"]
FOLDERS = {
    "core": ("logic", LOGIC_TESTS),
    "app": ("logic", LOGIC_TESTS),
    "crawler": ("logic", LOGIC_TESTS),
    "display": ("logic", LOGIC_TESTS),
    "interaction": ("logic", LOGIC_TESTS),
    "dialogs": ("logic", LOGIC_TESTS),
    # The desktop's browser contract drives the engine on loopback pages.
    "web": ("engine", ["test_web", "test_desktop"]),
    "link_server": ("engine", ["test_link_server"]),
    "desktop": ("engine", ["test_desktop"]),
}

# Files no test program runs (the programs' entry points and a developer's tool): the end-to-end
# scripts cover them, too slowly to run once per fault.
UNPLANTED = ("src/desktop/main.cpp", "src/link_server/main.cpp", "src/web/inspect/")

# Tests left out of every run, with why: a test that fails now and then on the unchanged tree
# would count faults as caught that it never saw.
UNSTEADY = {}

# Faults read and found to change nothing the program does: (file, line as written, kind, why).
# The line is matched without its indentation, or with it where the file has the line twice.
# A fault here that no test catches is equivalent, not missed.
EQUIVALENT = [
    # The logic's, from the draws of seeds 101, 211 and 307.
    ("src/core/vb_text.cpp",
     "if (static_cast<std::uint64_t>(n) >= text.size()) return std::string(text);", "comparison",
     "with n equal to the length the substring below is the whole text too"),
    ("src/core/monitors.cpp", "std::int64_t{left} + width <= std::int64_t{m.left} + m.width &&",
     "comparison", "a panel flush with a monitor's edge overlaps it wholly, and the fallback clamps "
     "it to where it is; only a panel of no width could tell, and a panel has its margins"),
    ("src/app/image_form.cpp", "work.setVisible(true);", "dropped",
     "the window makes its browsers visible, and Form_Load runs once, before anything hides one"),
    ("src/app/image_form.cpp", "browser.setLeft(0);", "dropped",
     "the window makes every slot browser at left 0, and Form_Load runs once, before any moves"),
    ("src/crawler/next_url.cpp",
     'static_assert(kSearchForms.size() == std::size(kSearchHosts), "a search host for every form");',
     "dropped", "a compile-time check: the program built is the same"),
    ("src/display/get_image.cpp", "index = 0;  // a lone image is never link-tested", "dropped",
     "0 already on the first pass; a later one starts only after a count above 1 was read, with "
     "no events run since"),
    ("src/display/display_slots.cpp", "      picbox.setVisible(true);", "dropped",
     "the frame is shown again two lines below on the same path; binding the click handler "
     "between them cannot fail"),
    ("src/interaction/shell_open.cpp",
     'set(platform::kPathFileAccessError, "Path/file access error");', "text",
     "GShell throws the failure and absorbs it at once: its text reaches no log, box or caller"),
    ("src/dialogs/options_dialog.cpp", "int left = 0;", "constant",
     "set on both branches below before it is read"),
    ("src/dialogs/options_dialog.cpp",
     "if (chosen < 0 && stored == kImageSizes[i]) chosen = i;  // exact, case and all", "constant",
     "the sizes listed all differ, so once one matched no later one can"),
    ("src/dialogs/secondary_windows.cpp", "program_.options = nullptr;", "dropped",
     "the program, made just before the windows, goes right after them and its end reads neither"),
    # From earlier draws.
    ("src/display/cleanup_html.cpp", "if (at == std::string::npos) return;", "dropped",
     "with the pattern absent the copying loop below finds nothing and rebuilds the same text"),
    ("src/crawler/work_page.cpp",
     'GShell(program, VendorUrl("/quorel/download/"), 10, "", "", "open", 0);', "constant",
     "without parameters or a folder GShell opens with the normal show command whatever it is given"),
    ("src/app/settings.cpp", 'settings.AllowDocs = ReadFlag(store.read("AllowDocs", "0"));', "text",
     "a default that is no number reads as off, as \"0\" does"),
    ("src/link_server/link_list.cpp",
     'return QStringLiteral("depth %1 outside %2..%3").arg(entry.depth).arg(kMinDepth).arg(kMaxDepth);',
     "constant", "arg() fills the lowest placeholder left, so %4 takes the third value as %3 did"),
    ("src/dialogs/options_dialog.cpp",
     "view.setPathButtonEnabled(view.checkValue(OptionsCheck::AutoSaveMode) == 1);", "dropped",
     "chkAutoSaveMode_Click, called on the line before, has just set the same"),
    ("src/link_server/link_server.cpp",
     "refuse(408, lineEnd < 0 ? buffer_ : buffer_.left(lineEnd));", "constant",
     "an empty first line is refused (400) as it arrives: a time-out never sees a line end at 0"),
    ("src/web/host_pacing.cpp", "qint64 ms = -1;", "constant",
     "left at its first value only to meet ms > 0 at the end, where -1 and 0 are alike"),
    ("src/app/monitors.cpp", "return w > 0 && h > 0 ? w * h : 0;", "comparison",
     "with no height the product is 0 either way"),
    ("src/interaction/clock_timer.cpp", "char clockText[16];", "constant",
     "a larger buffer for a text that fits the smaller one"),
    ("src/desktop/qt_clock.cpp",
     "const int qtDay = weekday % 7 == 0 ? 7 : static_cast<int>(weekday % 7);", "constant",
     "weekdays come as 0..6, where % 8 and % 7 agree"),
    ("src/desktop/qt_options_view.cpp",
     'pathBox_ = place(new QLineEdit(frame1), "savePathBox", pixels(660, 660, 3615, 315));',
     "constant", "twips become whole pixels, 15 to one: one twip more is the same pixel"),
    ("src/web/http_fetch.cpp", "if (limitOverride_ >= 0) return limitOverride_;", "comparison",
     "its one setter, the image probe, never sets 0 (its limit is 64 KiB and more)"),
    ("src/desktop/qt_file_store.cpp", "if (n < 0) {", "constant",
     "write() of one byte or more to a regular file returns at least 1 or fails with -1, never 0"),
    ("src/link_server/link_server.cpp",
     "QString clientOf(const QHostAddress& peer) { return prefixOf(peer, 32, 64); }", "constant",
     "65 / 8 clears the same bytes as 64 / 8, and the key only tells the groups apart"),
    ("src/link_server/link_server.cpp",
     "const QByteArray path = question < 0 ? target : target.left(question);", "comparison",
     "the target starts with '/' (checked above), so a '?' is never at 0"),
    ("src/desktop/qt_options_view.cpp",
     'place(new QPushButton(QStringLiteral("..."), frame1), "pathBut", pixels(4440, 660, 375, 315));',
     "constant", "twips become whole pixels, 15 to one: one twip more is the same pixel"),
    ("src/desktop/qt_options_view.cpp",
     'checkBox(d, "chkDebugMode", " Log debug information", pixels(180, 3300, 2295, 195));',
     "constant", "twips become whole pixels, 15 to one: one twip more is the same pixel"),
    ("src/desktop/qt_main_window.cpp", "TwipsControl::move(0, 0, 9600, 7200);", "constant",
     "the form's load moves it over the screen before anything reads its place"),
    ("src/link_server/picture_api.cpp", "if (pacing_.paused(now())) failQueued();", "dropped",
     "next(), called right after, fails the queue itself while the pacing forbids asking"),
    ("src/desktop/parse_helper_main.cpp", "if (innerHTML.empty()) return std::nullopt;", "dropped",
     "a copy is asked only of a page with a root, whose markup holds head and body: never empty"),
    ("src/web/parse_helper/main.cpp", "return 4;", "constant",
     "reached only when the sandbox let the probe through; any status there is a death to the client"),
]

COMPARISONS = [("<=", "<"), (">=", ">"), ("==", "!="), ("!=", "=="), ("<", "<="), (">", ">=")]
# A comparison operator with spaces around it: not a template, shift, arrow or include.
COMPARISON = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
STRING = re.compile(r'"((?:[^"\\]|\\.)+)"')
# Statements that cannot change what the program does: capacity hints and debug-only checks.
INERT = re.compile(r"\.(reserve|shrink_to_fit|squeeze)\(|\b(assert|Q_ASSERT|Q_ASSERT_X)\(")


def code_part(line):
    """The line without a trailing // comment (a // inside a string or a character stays)."""
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif line.startswith("//", i):
            return line[:i]
        i += 1
    return line


def candidates(text):
    """Every fault one line of this file can take: (line index, kind, new line)."""
    lines = text.split("\n")
    in_comment = False
    for i, line in enumerate(lines):
        stripped = line.strip()
        if in_comment:
            in_comment = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_comment = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("//", "#", "namespace", "}", "extern \"C\"")):
            continue
        if INERT.search(line):
            continue
        code = code_part(line)
        for match in COMPARISON.finditer(code):
            new = dict(COMPARISONS)[match.group(1)]
            yield i, "comparison", line[: match.start()] + new + line[match.end():]
        if not stripped.startswith(("template", "static_assert")):
            for match in NUMBER.finditer(code):
                value = int(match.group(1))
                new = str(value + 1 if value != 1 else 0)
                yield i, "constant", line[: match.start()] + new + line[match.end():]
        for match in STRING.finditer(code):
            body = match.group(1)
            new = body[:-1] + ("X" if body[-1] != "X" else "Y")
            yield i, "text", line[: match.start(1)] + new + line[match.end(1):]
        # A whole statement on one line: a call, an assignment, a return, a break.
        code_stripped = code.strip()
        if code_stripped.endswith(";") and not code_stripped.startswith(("const ", "auto ", "static ", "using ")):
            if not re.match(r"^[\w:<>,\s*&]+\s+\w+(\s*=|\s*\{|;)", code_stripped) or code_stripped.startswith("return"):
                indent = line[: len(line) - len(line.lstrip())]
                yield i, "dropped", indent + ("return {};" if code_stripped.startswith("return") else ";")


def order_key(seed, path, line, kind, new):
    digest = hashlib.sha256(f"{seed}|{path}|{line.strip()}|{kind}|{new.strip()}".encode())
    return digest.hexdigest()


def folder_files(source, folder):
    for path in sorted((source / "src" / folder).rglob("*.cpp")):
        rel = str(path.relative_to(source))
        if not rel.startswith(UNPLANTED):
            yield rel


def draw(source, folder, seed):
    """The folder's faults in the seed's order: (rel, line index, kind, old line, new line)."""
    faults = []
    for rel in folder_files(source, folder):
        lines = (source / rel).read_text().split("\n")
        for i, kind, new in candidates("\n".join(lines)):
            faults.append((order_key(seed, rel, lines[i], kind, new), rel, i, kind, lines[i], new))
    faults.sort()
    return [fault[1:] for fault in faults]


def equivalence(rel, old, kind):
    for path, line, equivalent_kind, why in EQUIVALENT:
        if path == rel and line in (old.strip(), old) and equivalent_kind == kind:
            return why
    return None


def run(command, cwd, timeout, env=None):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout, env=env).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


class Planter:
    def __init__(self, source, builds, timeout):
        self.source = source
        self.builds = builds
        self.timeout = timeout

    def tests(self, folder):
        build, programs = FOLDERS[folder]
        own = "test_" + folder
        ordered = ([own] if own in programs else []) + [p for p in programs if p != own]
        return build, [p for p in ordered if (self.source / "tests" / p[len("test_"):]).is_dir()]

    def build(self, folder, timeout=900):
        build, programs = self.tests(folder)
        return run(["cmake", "--build", str(self.builds[build]), "-j", "2", "--target", *programs],
                   self.source, timeout) == 0

    def failing(self, folder):
        """The first test program of the folder that fails, or None."""
        build, programs = self.tests(folder)
        directory = self.builds[build]
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen",
                   QUOREL_PARSE_HELPER=str(directory / "quorel-parse"))
        for program in programs:
            command = [str(directory / "tests" / program), "--gtest_brief=1"]
            if program in UNSTEADY:
                command.append("--gtest_filter=-" + ":".join(UNSTEADY[program]))
            if run(command, directory, self.timeout, env) != 0:
                return program
        return None

    def plant(self, folder, rel, i, kind, old, new):
        """Plants one fault: None if it does not compile, else its result."""
        path = self.source / rel
        original = path.read_text()
        lines = original.split("\n")
        if lines[i] != old:
            return None  # the line moved since it was drawn
        lines[i] = new
        started = time.monotonic()
        path.write_text("\n".join(lines))
        try:
            if not self.build(folder, 600):
                return None
            failed = self.failing(folder)
        finally:
            path.write_text(original)
        verdict = "caught" if failed else "MISSED"
        why = equivalence(rel, old, kind) if not failed else None
        if why:
            verdict = "equivalent"
        return {"folder": folder, "where": f"{rel}:{i + 1}", "file": rel, "line": i, "kind": kind,
                "old": old, "new": new, "verdict": verdict, "by": failed, "why": why,
                "seconds": round(time.monotonic() - started, 1)}


def report(result, log):
    print(f"{result['verdict']:10} {result['where']} {result['kind']} ({result['seconds']} s): "
          f"{result['new'].strip()}  [{result['by'] or ''}]", flush=True)
    if log:
        with open(log, "a") as out:
            out.write(json.dumps(result) + "\n")


def summarize(logs):
    """Per-folder counts over the result logs given, then the faults not caught. A fault planted
    again in a later log (a replay) counts with its later verdict."""
    latest = {}
    for log in logs:
        for line in open(log):
            if line.strip():
                r = json.loads(line)
                why = equivalence(r["file"], r["old"], r["kind"])
                if r["verdict"] == "MISSED" and why:  # reviewed after the run
                    r["verdict"], r["why"] = "equivalent", why
                latest[(r["seed"], r["file"], r["line"], r["kind"], r["new"])] = r
    results = list(latest.values())
    by_folder = collections.OrderedDict((name, collections.Counter()) for name in FOLDERS)
    for result in results:
        by_folder[result["folder"]][result["verdict"]] += 1
    out = [f"{'folder':13} {'faults':>6} {'caught':>6} {'equiv':>5} {'missed':>6}  caught of non-equivalent"]
    totals = {"logic": collections.Counter(), "engine": collections.Counter()}
    for name, counts in by_folder.items():
        if not counts:
            continue
        totals[FOLDERS[name][0]].update(counts)
        out.append(line_for(name, counts))
    for name, counts in totals.items():
        if counts:
            out.append(line_for(f"(all {name})", counts))
    out.append(f"seeds: {', '.join(sorted({r['seed'] for r in results}))}")
    for result in results:
        if result["verdict"] != "caught":
            out.append(f"{result['verdict']:10} {result['where']} {result['kind']} (seed {result['seed']})\n"
                       f"           - {result['old'].strip()}\n           + {result['new'].strip()}"
                       + (f"\n           ({result['why']})" if result["why"] else ""))
    return "\n".join(out) + "\n"


def line_for(name, counts):
    total = sum(counts.values())
    judged = counts["caught"] + counts["MISSED"]
    rate = f"{100.0 * counts['caught'] / judged:.1f} %" if judged else "-"
    return f"{name:13} {total:6} {counts['caught']:6} {counts['equivalent']:5} {counts['MISSED']:6}  {rate}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", default=".", help="the tree to plant faults in")
    parser.add_argument("--logic-build", help="its logic-only build directory")
    parser.add_argument("--engine-build", help="its full build directory")
    parser.add_argument("--folders", help="comma-separated (default: every folder present)")
    parser.add_argument("--per-folder", type=int, default=8, help="faults drawn in each folder")
    parser.add_argument("--seed", default="16")
    parser.add_argument("--timeout", type=int, default=240, help="seconds per test program")
    parser.add_argument("--log", help="append each result here as a JSON line")
    parser.add_argument("--replay", help="plant again the faults not caught in this log")
    parser.add_argument("--summarize", nargs="+", metavar="LOG", help="print the per-folder table")
    args = parser.parse_args()

    # Stopped from outside: the planted line is put back (by the finally below) before leaving.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    if args.summarize:
        print(summarize(args.summarize), end="")
        return
    source = pathlib.Path(args.source).resolve()
    builds = {name: pathlib.Path(path).resolve()
              for name, path in (("logic", args.logic_build), ("engine", args.engine_build)) if path}
    folders = args.folders.split(",") if args.folders else list(FOLDERS)
    folders = [f for f in folders if (source / "src" / f).is_dir() and FOLDERS[f][0] in builds]
    planter = Planter(source, builds, args.timeout)

    checked = set()
    for folder in folders:
        started = time.monotonic()
        if not planter.build(folder, 3600):
            print(f"# {folder}: left out, the unchanged tree does not build", flush=True)
            continue
        if frozenset(planter.tests(folder)[1]) not in checked:
            failed = planter.failing(folder)
            if failed:
                print(f"# {folder}: left out, {failed} fails on the unchanged tree", flush=True)
                continue
            checked.add(frozenset(planter.tests(folder)[1]))
            print(f"# {folder}: the unchanged tree builds and passes "
                  f"({time.monotonic() - started:.0f} s)", flush=True)

        if args.replay:
            todo = [(r["seed"], (r["file"], r["line"], r["kind"], r["old"], r["new"]))
                    for r in map(json.loads, open(args.replay))
                    if r["folder"] == folder and r["verdict"] == "MISSED"
                    and not equivalence(r["file"], r["old"], r["kind"])]
            limit = len(todo)
        else:
            todo = [(args.seed, fault) for fault in draw(source, folder, args.seed)]
            limit = args.per_folder
        planted = 0
        for seed, fault in todo:
            if planted >= limit:
                break
            result = planter.plant(folder, *fault)
            if result:
                result["seed"] = seed
                report(result, args.log)
                planted += 1
        planter.build(folder, 3600)


if __name__ == "__main__":
    main()
