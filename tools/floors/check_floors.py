#!/usr/bin/env python3
"""Checks the floors of src/: every #include goes to a folder on the same floor or a lower one, folders that share
a floor do not include each other, and no units (a .h with its .cpp) include each other in a circle.
Prints each fault and exits 1 when there is one. Usage: check_floors.py [SRC_FOLDER]"""
import os
import re
import sys

# Lowest first; folders on one floor stand beside each other and include neither the other.
FLOORS = [["platform"], ["data"], ["core"], ["combat", "music"], ["world"], ["game"], ["author"], ["app"]]
FLOOR_OF = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src")
    src = os.path.normpath(src)
    faults = []
    units = {}  # unit (folder/name) -> the units it includes
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".h.in")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src)
            folder = rel.split(os.sep)[0]
            if folder not in FLOOR_OF:
                faults.append(f"{rel}: the folder {folder} stands on no floor (tools/floors/check_floors.py)")
                continue
            unit = rel.replace(os.sep, "/").rsplit(".", 1)[0].removesuffix(".h")
            with open(path, encoding="utf-8") as f:
                text = f.read()
            for line_no, included in ((text.count("\n", 0, m.start()) + 1, m.group(1)) for m in INCLUDE.finditer(text)):
                to_folder = included.split("/")[0]
                if to_folder not in FLOOR_OF:
                    continue  # a generated header beside our own, or another library's
                if FLOOR_OF[to_folder] > FLOOR_OF[folder]:
                    faults.append(f"{rel}:{line_no}: includes {included} from the higher floor of {to_folder}/")
                elif FLOOR_OF[to_folder] == FLOOR_OF[folder] and to_folder != folder:
                    faults.append(f"{rel}:{line_no}: includes {included} from {to_folder}/, which stands beside {folder}/")
                target = included.rsplit(".", 1)[0]
                if target != unit:
                    units.setdefault(unit, set()).add(target)
    faults += circles(units)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} fault(s) in the floors; docs/architecture.md says where things go")
        return 1
    return 0


def circles(units):
    """Units that reach themselves through their includes, one line per circle (Tarjan's strongly connected sets)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]

    def visit(unit):
        index[unit] = low[unit] = counter[0]
        counter[0] += 1
        stack.append(unit)
        on_stack.add(unit)
        for other in sorted(units.get(unit, ())):
            if other not in index:
                visit(other)
                low[unit] = min(low[unit], low[other])
            elif other in on_stack:
                low[unit] = min(low[unit], index[other])
        if low[unit] == index[unit]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == unit:
                    break
            if len(group) > 1:
                found.append("units that include each other in a circle: " + ", ".join(sorted(group)))

    sys.setrecursionlimit(10000)
    for unit in sorted(units):
        if unit not in index:
            visit(unit)
    return found


if __name__ == "__main__":
    sys.exit(main())
