#!/usr/bin/python3
"""Reads every property of 200 000 points into Python and times
`zarvqen export-csv` on the same file, in the same run.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_read.py [--tool build/bin/zarvqen]
                                                                  [--points N]

The points are those of the other benchmarks: ten properties each (a
reference name, an IO address in 401 and 402, seven numbers) in RID 200,
type 1. Each side loads the file and turns every property into its own
form: Python objects in a dict per point, respectively CSV text written to
a file. Each timing is the best of three runs; the ratio is Python's time
over the tool's.
"""

import argparse
import os
import shutil
import subprocess
import tempfile
import time

import zarvqencore as zq

RID = 200
POINTS_PER_BLOCK = 512
BLOCKS_PER_GROUP = 16


def build(path, count):
    with zq.Engine() as engine:
        engine.create_database(RID, 1)

        def points():
            for i in range(count):
                block, index = divmod(i, POINTS_PER_BLOCK)
                group, block = divmod(block, BLOCKS_PER_GROUP)
                props = {1: f"P{i}", 401: f"COM{i // 256}", 402: str(i % 256)}
                props.update({10 + k: i * 0.5 + k for k in range(4)})
                props.update({20 + k: i + k for k in range(3)})
                yield zq.Gmpid(RID, group + 1, block, index), props

        engine.insert_many(points())
        engine.save(RID, path)


def best_of_three(run):
    best = float("inf")
    for _ in range(3):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return best


def read_bulk(path):
    with zq.Engine() as engine:
        engine.load(RID, path, 1)
        return engine.read_points(RID)


def read_per_point(path):
    with zq.Engine() as engine:
        engine.load(RID, path, 1)
        return {p.gmpid: dict(p.items()) for p in engine.points(RID)}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", default=os.path.join(here, "..", "build", "bin", "zarvqen"))
    parser.add_argument("--points", type=int, default=200_000)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="zarvqen-pybench-")
    try:
        db = os.path.join(folder, "rs200.dat")
        csv = os.path.join(folder, "rs200.csv")
        build(db, args.points)
        read = read_bulk(db)
        assert len(read) == args.points and all(len(p) == 10 for p in read.values())

        tool = best_of_three(
            lambda: subprocess.run([args.tool, "export-csv", db, "-o", csv], check=True,
                                   stdout=subprocess.DEVNULL))
        bulk = best_of_three(lambda: read_bulk(db))
        per_point = best_of_three(lambda: read_per_point(db))
        print(f"{args.points} points, {os.path.getsize(db)} bytes")
        print(f"zarvqen export-csv               {tool:8.3f} s")
        print(f"Engine.read_points (bulk)        {bulk:8.3f} s   ratio {bulk / tool:.2f}")
        print(f"Engine.points, dict per point    {per_point:8.3f} s   ratio {per_point / tool:.2f}")
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
