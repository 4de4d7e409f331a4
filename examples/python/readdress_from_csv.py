#!/usr/bin/python3
"""Re-address points from a spreadsheet.

    readdress_from_csv.py DB.dat RID CSV [-o OUT.dat] [--type N]

The CSV has a header row and the columns gmpid, address and channel: each
row gives the point (as "RID.group.block.index" or hex) its new IO address,
properties 401 and 402. All points are re-addressed together, so addresses
may be swapped between them; if one is refused nothing is written.
"""

import argparse
import csv
import sys

import zarvqencore as zq


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("database")
    parser.add_argument("rid", type=int)
    parser.add_argument("csv")
    parser.add_argument("-o", "--output", help="where to save (default: in place)")
    parser.add_argument("--type", type=int, default=1, help="database type (default 1)")
    args = parser.parse_args()

    with open(args.csv, newline="") as f:
        rows = [(zq.Gmpid(r["gmpid"]), r["address"], r["channel"]) for r in csv.DictReader(f)]

    with zq.Engine() as engine:
        engine.load(args.rid, args.database, args.type)
        # Take every point out first, so that an address may move from one
        # point to another in the same run.
        # A point read stays readable after its delete.
        old = {gmpid: engine[gmpid] for gmpid, _, _ in rows}
        for gmpid in old:
            engine.delete(gmpid)
        try:
            for gmpid, address, channel in rows:
                point = old[gmpid]
                engine.insert(gmpid, {**point.to_dict(), 401: address, 402: channel},
                              valid_type={n: point.valid_type(n) for n in point})
        except (ValueError, KeyError) as e:
            sys.exit(f"readdress: {e}; nothing written")
        engine.save(args.rid, args.output or args.database)
    print(f"{len(rows)} points re-addressed")


if __name__ == "__main__":
    main()
