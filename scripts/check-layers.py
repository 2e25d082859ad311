#!/usr/bin/env python3
"""Fails when an #include crosses the floors of the program the wrong way.

The logic stands on two floors with its subsystems between them:
  core/     the ground floor (program state, logs, settings, text helpers): includes none of
            the logic above it, and every subsystem may include it
  crawler/ display/ interaction/ dialogs/
            the subsystems: core, platform and each other, never app
  app/      the top (the form's wiring, start-up): includes the subsystems; only the
            composition root (src/desktop) and the tests include it
platform/ (the interfaces) includes only itself, and no file of the logic or of platform/
includes Qt.

  scripts/check-layers.py [ROOT]    (ROOT: the source tree, by default this script's parent's)
Each broken rule is one line: file:line, the #include, the rule it breaks.
"""

import pathlib
import re
import sys

PLATFORM = "platform"
SUBSYSTEMS = {"crawler", "display", "interaction", "dialogs"}
LOGIC = {"core", "app"} | SUBSYSTEMS

# What the files of each folder of src/ may include of ours, and why not the rest.
ALLOWED = {
    "core": ({"core", PLATFORM}, "the ground floor (core) includes only core and platform"),
    **{
        folder: (
            {"core", PLATFORM} | SUBSYSTEMS,
            f"a subsystem ({folder}) includes core, platform and the other subsystems, never app",
        )
        for folder in SUBSYSTEMS
    },
    "app": ({"app", "core", PLATFORM} | SUBSYSTEMS, "the top (app) includes the logic and platform"),
    PLATFORM: ({PLATFORM}, "platform includes only platform"),
}
# Folders of the tree where app/ may be included besides app itself.
APP_INCLUDERS = ("src/desktop/", "tests/", "fuzz/")
APP_RULE = "only app, src/desktop (the composition root), the tests and fuzzers include app"
QT_RULE = "the logic and platform include no Qt"

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Qt\w*/|Q[A-Z]\w*$|q\w+\.h$)")
SCANNED = ("src", "tests", "bench", "fuzz", "tools")
SUFFIXES = {".c", ".cpp", ".h"}


def folder_of(path, root):
    """The folder of src/ a file lives in, or None outside src/."""
    parts = path.relative_to(root).parts
    return parts[1] if len(parts) > 2 and parts[0] == "src" else None


def included_folder(path, name, root):
    """Which folder of src/ a quoted include names: its first part, or for a bare name the
    including file's own folder (where the compiler looks first) when the file is there."""
    if "/" in name:
        return name.split("/")[0]
    return folder_of(path, root) if (path.parent / name).exists() else None


def broken_rules(path, root):
    """(line number, the include as written, the rule it breaks) for every bad include."""
    relative = path.relative_to(root).as_posix()
    folder = folder_of(path, root)
    found = []
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        bracket, name = match.groups()
        written = line.strip()
        if bracket == "<":
            if (folder in LOGIC or folder == PLATFORM) and QT_HEADER.match(name):
                found.append((number, written, QT_RULE))
            continue
        target = included_folder(path, name, root)
        if target is None or target == folder:
            continue
        if folder in ALLOWED:
            allowed, rule = ALLOWED[folder]
            if target not in allowed:
                found.append((number, written, rule))
        elif target == "app" and not relative.startswith(APP_INCLUDERS):
            found.append((number, written, APP_RULE))
    return found


def check(root):
    """Every broken rule under root, as the lines this script prints."""
    report = []
    for top in SCANNED:
        for path in sorted((root / top).rglob("*")):
            if path.suffix in SUFFIXES and path.is_file():
                for number, written, rule in broken_rules(path, root):
                    report.append(f"{path.relative_to(root)}:{number}: {written}: {rule}")
    return report


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[1])
    report = check(root.resolve())
    for line in report:
        print(line, file=sys.stderr)
    if report:
        print(f"layers: {len(report)} include(s) cross the floors the wrong way", file=sys.stderr)
        return 1
    print("layers: every include keeps to its floor")
    return 0


if __name__ == "__main__":
    sys.exit(main())
