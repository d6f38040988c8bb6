#!/usr/bin/env python3
"""Checks that includes run one way, as doc/architecture.md draws the layers.

The order, from the bottom: common; the subsystems' cores (points, plan, tasks, exchange,
area); ui; the subsystems' windows in the same order; app. A source is in the core when its
folder's CMakeLists.txt lists it for korvela_core; a header goes with its source, and a header
without one is in the core when it includes no Qt header. A file may include files of its own
level and below; the batch front end (cli) may include any core file and no window.
Prints each include that runs upward and exits 1 when there is one."""
import pathlib
import re
import sys

SUBSYSTEMS = ["points", "plan", "tasks", "exchange", "area"]
CORE = {"common": 0, **{s: 1 + k for k, s in enumerate(SUBSYSTEMS)}}
UI = len(CORE)
WINDOWS = {s: UI + 1 + k for k, s in enumerate(SUBSYSTEMS)}
APP = UI + 1 + len(SUBSYSTEMS)
CLI = UI - 1


def core_sources(folder):
    text = (folder / "CMakeLists.txt").read_text(encoding="utf-8")
    listed = re.search(r"target_sources\(korvela_core[^)]*\)", text)
    return set(re.findall(r"([\w.]+)\.cpp", listed.group(0))) if listed else set()


def level_of(src, path, cores):
    folder, stem = path.parts[0], path.stem
    fixed = {"common": CORE["common"], "ui": UI, "app": APP, "cli": CLI}
    if folder in fixed:
        return fixed[folder]
    if (src / folder / f"{stem}.cpp").exists():
        in_core = stem in cores[folder]
    else:
        in_core = not re.search(r'#include [<"]Q', (src / path).read_text(encoding="utf-8"))
    return CORE[folder] if in_core else WINDOWS[folder]


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    cores = {s: core_sources(src / s) for s in SUBSYSTEMS}
    files = [p.relative_to(src) for p in src.rglob("*") if p.suffix in (".h", ".cpp")]
    levels = {f: level_of(src, f, cores) for f in files}
    upward = []
    for f in sorted(files):
        text = (src / f).read_text(encoding="utf-8")
        for included in map(pathlib.Path, re.findall(r'#include "([\w/.]+)"', text)):
            if included in levels and levels[included] > levels[f]:
                upward.append(f"{f} includes {included}, which lies above it")
    print("\n".join(upward))
    return 1 if upward else 0


if __name__ == "__main__":
    sys.exit(main())
