#!/usr/bin/env python3
"""Fails when an #include in src/ reaches up the stack of layers: each folder may
include its own headers and those of the folders the table allows it."""
import pathlib
import re
import sys

# Bottom to top; the library list in CMakeLists.txt mirrors it.
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

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
problems = [] if any(src.rglob("*.cpp")) else [f"no sources under {src}"]
for path in sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp") and p.parent != src):
    folder = path.relative_to(src).parts[0]
    if folder not in ALLOWED:
        problems.append(f"{path}: folder '{folder}' has no entry in the layer table")
        continue
    for number, line in enumerate(path.read_text().splitlines(), 1):
        match = INCLUDE.match(line)
        if match and match.group(1) not in [folder] + ALLOWED[folder]:
            problems.append(f"{path}:{number}: {folder}/ may not include {match.group(1)}/")
if problems:
    print("\n".join(problems))
sys.exit(1 if problems else 0)
