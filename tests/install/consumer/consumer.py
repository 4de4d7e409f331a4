"""The installed Python package as a script outside the tree uses it:
prints where it was imported from and the points of a database.

    consumer.py DB.dat RID TYPE
"""

import sys

import zarvqencore as zq

print(zq.__file__)
with zq.Engine() as engine:
    engine.load(int(sys.argv[2]), sys.argv[1], int(sys.argv[3]))
    print(len(engine.points(int(sys.argv[2]))), "points")
