#!/usr/bin/env python3
"""Plants one-line faults in the logic, one at a time, and counts how many the logic tests catch.

Each fault is a small change to one line of src/{core,crawler,display,interaction,dialogs,app}:
a flipped comparison, a whole-number constant off by one, a dropped statement or a changed
text. For each: write it, rebuild the logic test programs, run them, record caught (some test
program fails or times out) or missed, and put the line back. A fault that does not compile is
not counted and the next one is drawn.

Faults are drawn in an order fixed by the seed and by the text of each line (not its number),
so the same seed picks mostly the same faults after unrelated edits elsewhere.

  tools/plant-faults.py --build build-fast --sample 45 --seed 16 [--out summary.txt]

The build directory is a logic-only one of the same tree, for speed without sanitizers:
  cmake -S . -B build-fast -G Ninja -DQUOREL_LOGIC_ONLY=ON -DCMAKE_BUILD_TYPE=Debug \\
        -DCMAKE_CXX_FLAGS=-O0
The tree must be clean: run it on a copy (git worktree or git archive) while you work on.
"""

import argparse
import hashlib
import pathlib
import re
import subprocess
import sys

LOGIC = ["core", "crawler", "display", "interaction", "dialogs", "app"]
TESTS = ["test_" + name for name in LOGIC]

COMPARISONS = [("<=", "<"), (">=", ">"), ("==", "!="), ("!=", "=="), ("<", "<="), (">", ">=")]
# A comparison operator with spaces around it: not a template, shift, arrow or include.
COMPARISON = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
STRING = re.compile(r'"((?:[^"\\]|\\.)+)"')


def candidates(path, text):
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
        if not stripped or stripped.startswith(("//", "#", "namespace", "}")):
            continue
        code = line.split("//")[0] if '"' not in line else line
        for match in COMPARISON.finditer(code):
            new = dict(COMPARISONS)[match.group(1)]
            yield i, "comparison", line[: match.start()] + new + line[match.end():]
        for match in NUMBER.finditer(code):
            if stripped.startswith(("template", "static_assert")):
                continue
            value = int(match.group(1))
            new = str(value + 1 if value != 1 else 0)
            yield i, "constant", line[: match.start()] + new + line[match.end():]
        for match in STRING.finditer(line):
            body = match.group(1)
            new = body[:-1] + ("X" if body[-1] != "X" else "Y")
            yield i, "text", line[: match.start(1)] + new + line[match.end(1):]
        # A whole statement on one line: a call, an assignment, a return, a break.
        if stripped.endswith(";") and not stripped.startswith(("const ", "auto ", "static ", "using ")):
            if not re.match(r"^[\w:<>,\s*&]+\s+\w+(\s*=|\s*\{|;)", stripped) or stripped.startswith("return"):
                indent = line[: len(line) - len(line.lstrip())]
                yield i, "dropped", indent + ("return {};" if stripped.startswith("return") else ";")


def order_key(seed, path, line, kind, new):
    digest = hashlib.sha256(f"{seed}|{path}|{line.strip()}|{kind}|{new.strip()}".encode())
    return digest.hexdigest()


def run(command, cwd, timeout):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", default=".", help="the tree to plant faults in")
    parser.add_argument("--build", required=True, help="its logic-only build directory")
    parser.add_argument("--sample", type=int, default=45)
    parser.add_argument("--seed", default="16")
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test program")
    parser.add_argument("--out", help="also write the summary here")
    args = parser.parse_args()

    source = pathlib.Path(args.source).resolve()
    build = pathlib.Path(args.build).resolve()
    faults = []
    for folder in LOGIC:
        for path in sorted((source / "src" / folder).glob("*.cpp")):
            text = path.read_text()
            lines = text.split("\n")
            for i, kind, new in candidates(path, text):
                rel = str(path.relative_to(source))
                faults.append((order_key(args.seed, rel, lines[i], kind, new), rel, i, kind, new))
    faults.sort()

    if run(["cmake", "--build", str(build), "--target", *TESTS], source, 1800) != 0:
        sys.exit("the unchanged tree does not build")
    results = []
    for _, rel, i, kind, new in faults:
        if len(results) >= args.sample:
            break
        path = source / rel
        original = path.read_text()
        lines = original.split("\n")
        old = lines[i]
        lines[i] = new
        path.write_text("\n".join(lines))
        try:
            if run(["cmake", "--build", str(build), "--target", *TESTS], source, 600) != 0:
                continue  # does not compile: not a fault the tests could see
            failed = [t for t in TESTS
                      if run([str(build / "tests" / t), "--gtest_brief=1"], build, args.timeout) != 0]
        finally:
            path.write_text(original)
        verdict = "caught" if failed else "MISSED"
        results.append((verdict, f"{rel}:{i + 1}", kind, old.strip(), new.strip(), failed))
        print(f"{len(results):3} {verdict:6} {rel}:{i + 1} {kind}: {new.strip()}"
              f"  [{' '.join(failed)}]", flush=True)
    run(["cmake", "--build", str(build), "--target", *TESTS], source, 1800)

    caught = sum(1 for r in results if r[0] == "caught")
    lines = [f"seed {args.seed}, {len(results)} faults, caught {caught} "
             f"({100.0 * caught / max(1, len(results)):.1f} %)"]
    for verdict, where, kind, old, new, failed in results:
        lines.append(f"{verdict:6} {where} {kind}\n       - {old}\n       + {new}"
                     + (f"\n       by {' '.join(failed)}" if failed else ""))
    summary = "\n".join(lines) + "\n"
    print(summary)
    if args.out:
        pathlib.Path(args.out).write_text(summary)


if __name__ == "__main__":
    main()
