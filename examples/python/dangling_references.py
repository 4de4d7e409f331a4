#!/usr/bin/python3
"""List the points whose reference names a point that does not exist.

    dangling_references.py rs130.dat rs200.dat 5:calc.dat ...

Each database is given as a file named rs<RID>.dat or as RID:PATH. A
reference point names another point in property 499 by that point's
reference name, property 1. Exit status 1 when a reference dangles.
"""

import os
import re
import sys

import zarvqencore as zq

REF_NAME, REFERENCE = 1, 499


def rid_and_path(arg):
    m = re.fullmatch(r"(\d+):(.+)", arg)
    if m:
        return int(m[1]), m[2]
    m = re.fullmatch(r"rs(\d+)\.dat", os.path.basename(arg))
    if m:
        return int(m[1]), arg
    sys.exit(f"dangling_references: give {arg} as RID:PATH or name it rs<RID>.dat")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    with zq.Engine() as engine:
        for arg in sys.argv[1:]:
            engine.load(*rid_and_path(arg))
        points = [p for rid in engine.databases() for p in engine.points(rid)]
    names = {p[REF_NAME] for p in points if REF_NAME in p}
    dangling = [p for p in points if REFERENCE in p and p[REFERENCE] not in names]
    for p in dangling:
        print(f"{p.gmpid}  refers to {p[REFERENCE]!r}, which no point is named")
    return 1 if dangling else 0


if __name__ == "__main__":
    sys.exit(main())
