#!/usr/bin/env python3
"""Fails when an #include in src/ reaches up the stack of layers.

Each folder of src/ may include its own headers and those of the folders listed
for it below; a folder missing from the table, or an include of a folder the
table does not allow, is reported with its file and line.
"""
import pathlib
import re
import sys

# The allowed dependencies, bottom to top: the one table of the layering (the
# library list in CMakeLists.txt mirrors it).
ALLOWED = {
    "store":   [],
    "options": ["store"],
    "state":   [],
    "buffers": ["store"],
    "screen":  ["store", "options", "state"],
    "undo":    ["store", "state"],
    "input":   ["store", "options", "state", "screen", "undo"],
    "edit":    ["store", "options", "state", "buffers", "screen", "undo", "input"],
    "files":   ["store", "options", "state", "buffers", "screen", "undo", "input", "edit"],
    "app":     ["store", "options", "state", "buffers", "screen", "undo", "input", "edit", "files"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def violations(src):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or path.parent == src:
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in ALLOWED:
            yield f"{path}: folder '{folder}' has no entry in the layer table"
            continue
        for number, line in enumerate(path.read_text().splitlines(), 1):
            match = INCLUDE.match(line)
            if match and match.group(1) != folder and match.group(1) not in ALLOWED[folder]:
                yield f"{path}:{number}: {folder}/ may not include {match.group(1)}/"


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    found = list(violations(src))
    for problem in found:
        print(problem)
    if not any(src.rglob("*.cpp")):
        print(f"no sources under {src}")
        return 1
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
