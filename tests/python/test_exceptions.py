"""Failures raise Python's own exceptions: OSError with the path for files,
ValueError for bad input, KeyError for what is missing, TypeError for the
wrong type; none is a silent False. One row per operation and the exception
it maps to."""

import os

import pytest

import zarvqencore as zq
from conftest import CALC_RID, IO_RID, add_io_point

K = zq.Kind
CATALOGUES = [zq.MetaPropTable, zq.TypedObjectTable, zq.PseudoTable, zq.MetaTables,
              zq.DriverLibrary]
MISSING = zq.Gmpid(CALC_RID, 0, 0, 9)
NEW = zq.Gmpid(CALC_RID, 0, 0, 2)


def saved_database(engine, folder, flip=False):
    path = folder / "rs5.dat"
    engine.save(CALC_RID, str(path))
    if flip:
        data = bytearray(path.read_bytes())
        data[-3] ^= 0xFF
        path.write_bytes(bytes(data))
    return str(path)


def bad_xml(folder):
    (folder / "bad.xml").write_text("<meta><prop>")
    return str(folder / "bad.xml")


def a_table_with(key):
    tables = zq.MetaTables()
    tables.create(key)
    return tables


def a_library_with(module):
    lib = zq.DriverLibrary()
    lib.insert(zq.DriverNode(module))
    return lib


def closed_engine():
    e = zq.Engine()
    e.close()
    return e


def row(name, call, error, match=None, **kw):
    return pytest.param(call, error, match, id=name, **kw)


ROWS = [
    row("load a missing file", lambda e, d: e.load(CALC_RID, str(d / "missing.dat")),
        FileNotFoundError, "missing.dat"),
    row("load a folder", lambda e, d: e.load(CALC_RID, str(d)), IsADirectoryError),
    row("save into a missing folder", lambda e, d: e.save(CALC_RID, str(d / "no" / "rs5.dat")),
        FileNotFoundError, "rs5.dat"),
    row("save into an unwritable folder",
        lambda e, d: (d.chmod(0o500), e.save(CALC_RID, str(d / "x.dat"))), PermissionError,
        marks=pytest.mark.skipif(os.geteuid() == 0, reason="root writes anywhere")),
    row("load a corrupt database", lambda e, d: e.load(CALC_RID, saved_database(e, d, flip=True)),
        ValueError, "rs5.dat"),
    row("load a database of another RID", lambda e, d: e.load(6, saved_database(e, d)),
        ValueError),
    *[row(f"GMPID text {t!r}", lambda e, d, t=t: zq.Gmpid(t), ValueError)
      for t in ["256.0.0.0", "1.2.16.0", "1.2.3.4096", "1.2.3", "1.2.3.4.5", "0x1FFFFFFFF",
                "abc", "-1.0.0.0", ""]],
    *[row(f"GMPID numbers {a}", lambda e, d, a=a: zq.Gmpid(*a), ValueError)
      for a in [(-1,), (2**32,), (256, 0, 0, 0), (0, 0, 16, 0), (0, 0, 0, 4096)]],
    row("GMPID of a float", lambda e, d: zq.Gmpid(1.5), TypeError),
    row("read a missing point", lambda e, d: e[MISSING], KeyError),
    row("delete a missing point", lambda e, d: e.delete(MISSING), KeyError),
    row("read a missing live value", lambda e, d: e.read_value(MISSING), KeyError),
    row("write a missing live value", lambda e, d: e.write_value(MISSING, 1), KeyError),
    row("insert into a missing database", lambda e, d: e.insert(zq.Gmpid(7, 0, 0, 0), {1: "X"}),
        KeyError),
    row("list a missing database", lambda e, d: e.points(7), KeyError),
    row("save a missing database", lambda e, d: e.save(7, str(d / "x")), KeyError),
    row("type of a missing database", lambda e, d: e.database_type(7), KeyError),
    row("points at a missing address", lambda e, d: e.points_by_io(IO_RID, "COM9"), KeyError),
    row("delete at a missing address", lambda e, d: e.delete_by_io(IO_RID, "COM9"), KeyError),
    row("a point's missing property", lambda e, d: e[zq.Gmpid(CALC_RID, 0, 0, 1)][2], KeyError),
    row("a point's missing valid type", lambda e, d: e[zq.Gmpid(CALC_RID, 0, 0, 1)].valid_type(2),
        KeyError),
    *[row(f"{t.__name__} {what}", lambda e, d, t=t, f=f: f(t()), KeyError)
      for t in [zq.MetaPropTable, zq.TypedObjectTable, zq.PseudoTable]
      for what, f in [("missing entry", lambda t: t[5]),
                      ("delete missing", lambda t: t.__delitem__(5))]],
    row("missing meta table", lambda e, d: zq.MetaTables()["T"], KeyError),
    row("rename a missing meta table", lambda e, d: zq.MetaTables().rename("T", "U"), KeyError),
    row("missing table field", lambda e, d: a_table_with("T")["T"]["f"], KeyError),
    row("missing driver", lambda e, d: zq.DriverLibrary().drivers["x"], KeyError),
    row("delete a missing task", lambda e, d: zq.DriverLibrary().tasks.__delitem__("x"), KeyError),
    row("a pseudo's missing property", lambda e, d: zq.Pseudo(1)[401], KeyError),
    row("insert an existing point", lambda e, d: add_io_point(e, 0, "A", "COM1", "9"),
        ValueError, "exists"),
    row("insert at a taken address", lambda e, d: add_io_point(e, 1, "B", "COM1", "1"),
        ValueError, r"COM1\$1"),
    row("property number out of range", lambda e, d: e.insert(NEW, {70000: 1}), ValueError),
    row("valid type of no property", lambda e, d: e.insert(NEW, {1: "A"}, valid_type=4),
        ValueError),
    row("valid type out of range", lambda e, d: e.insert(NEW, {1: "A"}, valid_type={1: 2**80}),
        ValueError),
    row("RID out of range", lambda e, d: e.create_database(256), ValueError),
    row("create an existing meta table", lambda e, d: a_table_with("T").create("T"), ValueError),
    row("driver property outside its category",
        lambda e, d: zq.DriverNode("d").insert_property(zq.MetaProp(5, "x"), zq.DriverNode.AI),
        ValueError),
    row("driver category out of range", lambda e, d: zq.DriverNode("d").properties(12), ValueError),
    row("insert an existing driver", lambda e, d: a_library_with("d").insert(zq.DriverNode("d")),
        ValueError),
    row("properties as a list", lambda e, d: e.insert(NEW, [(1, "A")]), TypeError),
    row("property number as text", lambda e, d: e.insert(NEW, {"1": "A"}), TypeError),
    row("property of no value type", lambda e, d: e.insert(NEW, {1: object()}), TypeError),
    row("valid type as text", lambda e, d: e.insert(NEW, {1: "A"}, valid_type="1"), TypeError),
    row("time as a number", lambda e, d: e.write_value(zq.Gmpid(CALC_RID, 0, 0, 1), 1, time=17),
        TypeError),
    row("a library of a meta property", lambda e, d: zq.DriverLibrary().insert(zq.MetaProp(1)),
        TypeError),
    *[row(f"{k.name} holding {v!r}", lambda e, d, k=k, v=v: zq.Value(k, v), ValueError)
      for k, v in [(K.U16, 65536), (K.U16, -1), (K.I16, 32768), (K.U32, 2**32),
                   (K.I64, 2**63), (K.U64, -1), (K.F32, 1e39)]],
    *[row(f"no kind holds {v}", lambda e, d, v=v: zq.Value(v), ValueError)
      for v in [2**64, -(2**63) - 1]],
    *[row(f"{k.name} of {v!r}", lambda e, d, k=k, v=v: zq.Value(k, v), TypeError)
      for k, v in [(K.I16, 1.5), (K.BOOL, 1), (K.TEXT, 5), (K.F64, "1.0"), (K.EMPTY, 0)]],
    *[row(f"{c.__name__} of a missing file", lambda e, d, c=c: c(str(d / "missing.xml")),
          FileNotFoundError, "missing.xml") for c in CATALOGUES],
    *[row(f"{c.__name__} of bad XML", lambda e, d, c=c: c().load(bad_xml(d)), ValueError, "bad.xml")
      for c in CATALOGUES],
    *[row(f"{c.__name__} saved into a missing folder",
          lambda e, d, c=c: c().save(str(d / "no" / "x")),
          FileNotFoundError) for c in CATALOGUES],
    row("a closed engine", lambda e, d: closed_engine().create_database(1), ValueError, "closed"),
]


@pytest.mark.parametrize("call, error, match", ROWS)
def test_failure_raises(engine, tmp_path, call, error, match):
    add_io_point(engine, 0, "A", "COM1", "1")
    engine.insert(zq.Gmpid(CALC_RID, 0, 0, 1), {1: "A"})
    try:
        with pytest.raises(error, match=match):
            call(engine, tmp_path)
    finally:
        tmp_path.chmod(0o700)


def test_lookups_that_find_nothing_return_none(engine):
    assert engine.get(MISSING) is None
    for table in [zq.MetaPropTable, zq.TypedObjectTable, zq.PseudoTable]:
        assert table().get(5) is None, table
