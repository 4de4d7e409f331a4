"""Script an installation's configuration: databases of points, the five
catalogues and live values, over the zarvqencore library.

    import zarvqencore as zq
    with zq.Engine() as engine:
        engine.load(200, "rs200.dat", type=1)
        for point in engine.points(200):
            print(point.gmpid, point.get(401))

docs/python.md describes the whole module.
"""

import collections.abc as _abc
import enum as _enum

from ._core import (  # noqa: F401
    __version__,
    DriverLibrary,
    DriverNode,
    Engine,
    Gmpid,
    Kind,
    LiveValue,
    MetaProp,
    MetaPropTable,
    MetaTables,
    NodeView,
    Point,
    Pseudo,
    PseudoTable,
    ServiceNode,
    TableField,
    TableNode,
    TaskNode,
    TypedObject,
    TypedObjectTable,
    Value,
)


class Quality(_enum.IntFlag):
    """The flags of a live value's quality; no flag set means good."""

    GOOD = 0x00
    INVALID = 0x01
    NOT_TOPICAL = 0x02
    SUBSTITUTED = 0x04
    BLOCKED = 0x08
    OVERFLOW = 0x10
    COMM_FAIL = 0x20
    NOT_INIT = 0x40


# The classes that iterate over their keys are mappings, with the methods
# of Python's mappings they do not define themselves. The catalogues keyed
# by ID iterate over their objects, which carry their IDs.
for _view in (Point, Pseudo, MetaTables):
    _abc.Mapping.register(_view)
    for _name in ("keys", "items", "values"):
        if not hasattr(_view, _name):
            setattr(_view, _name, getattr(_abc.Mapping, _name))
del _view, _name
