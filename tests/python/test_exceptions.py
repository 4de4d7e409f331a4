"""Failures raise Python's own exceptions: OSError with the path for files,
ValueError for bad input, KeyError for what is missing, TypeError for the
wrong type; none is a silent False."""

import errno
import os

import pytest

import zarvqencore as zq
from conftest import CALC_RID, IO_RID, add_io_point

CATALOGUES = [zq.MetaPropTable, zq.TypedObjectTable, zq.PseudoTable, zq.MetaTables,
              zq.DriverLibrary]


def test_missing_files_and_folders_are_os_errors_naming_the_path(engine, tmp_path):
    path = str(tmp_path / "missing.dat")
    with pytest.raises(FileNotFoundError) as e:
        engine.load(CALC_RID, path)
    assert e.value.filename == path
    with pytest.raises(IsADirectoryError):
        engine.load(CALC_RID, str(tmp_path))
    path = str(tmp_path / "no" / "rs5.dat")
    with pytest.raises(FileNotFoundError) as e:
        engine.save(CALC_RID, path)
    assert e.value.filename == path


def test_a_corrupt_database_file_is_a_value_error_naming_the_file(engine, tmp_path):
    engine.insert(zq.Gmpid(CALC_RID, 0, 0, 0), {1: "A"})
    path = tmp_path / "rs5.dat"
    engine.save(CALC_RID, str(path))
    data = bytearray(path.read_bytes())
    data[-3] ^= 0xFF
    path.write_bytes(bytes(data))
    with pytest.raises(ValueError, match="rs5.dat"):
        engine.load(CALC_RID, str(path))
    # The refused load left the database as it was.
    assert engine[zq.Gmpid(CALC_RID, 0, 0, 0)][1] == "A"


def test_a_database_of_another_rid_is_refused(engine, tmp_path):
    path = str(tmp_path / "rs5.dat")
    engine.save(CALC_RID, path)
    with pytest.raises(ValueError):
        engine.load(6, path)


@pytest.mark.parametrize("catalogue", CATALOGUES)
def test_catalogue_files(catalogue, tmp_path):
    with pytest.raises(FileNotFoundError):
        catalogue(str(tmp_path / "missing.xml"))
    bad = tmp_path / "bad.xml"
    bad.write_text("<meta><prop>")
    with pytest.raises(ValueError, match="bad.xml"):
        catalogue().load(str(bad))
    with pytest.raises(OSError) as e:
        catalogue().save(str(tmp_path / "no" / "x.xml"))
    assert e.value.errno == errno.ENOENT


@pytest.mark.skipif(os.geteuid() == 0, reason="root writes anywhere")
def test_an_unwritable_folder_is_a_permission_error(engine, tmp_path):
    tmp_path.chmod(0o500)
    try:
        with pytest.raises(PermissionError):
            engine.save(CALC_RID, str(tmp_path / "rs5.dat"))
    finally:
        tmp_path.chmod(0o700)


@pytest.mark.parametrize("text", ["256.0.0.0", "1.2.16.0", "1.2.3.4096", "1.2.3", "1.2.3.4.5",
                                  "0x1FFFFFFFF", "abc", "-1.0.0.0", ""])
def test_bad_gmpid_texts(text):
    with pytest.raises(ValueError):
        zq.Gmpid(text)


def test_bad_gmpid_numbers():
    for args in [(-1,), (2**32,), (256, 0, 0, 0), (0, 0, 16, 0), (0, 0, 0, 4096)]:
        with pytest.raises(ValueError):
            zq.Gmpid(*args)
    with pytest.raises(TypeError):
        zq.Gmpid(1.5)


def test_missing_points_and_databases_are_key_errors(engine):
    missing = zq.Gmpid(CALC_RID, 0, 0, 9)
    for call in [lambda: engine[missing], lambda: engine.delete(missing),
                 lambda: engine.read_value(missing), lambda: engine.write_value(missing, 1),
                 lambda: engine.insert(zq.Gmpid(7, 0, 0, 0), {1: "X"}),
                 lambda: engine.points(7), lambda: engine.save(7, "/tmp/x"),
                 lambda: engine.database_type(7),
                 lambda: engine.points_by_io(IO_RID, "COM9"),
                 lambda: engine.delete_by_io(IO_RID, "COM9")]:
        with pytest.raises(KeyError):
            call()
    assert engine.get(missing) is None
    p = engine.insert(zq.Gmpid(CALC_RID, 0, 0, 1), {1: "A"})
    with pytest.raises(KeyError):
        p[2]
    with pytest.raises(KeyError):
        p.valid_type(2)


def test_missing_catalogue_entries_are_key_errors():
    for table in [zq.MetaPropTable(), zq.TypedObjectTable(), zq.PseudoTable()]:
        with pytest.raises(KeyError):
            table[5]
        with pytest.raises(KeyError):
            del table[5]
        assert table.get(5) is None
    tables = zq.MetaTables()
    with pytest.raises(KeyError):
        tables["T"]
    with pytest.raises(KeyError):
        tables.rename("T", "U")
    node = tables[tables.create("T")]
    with pytest.raises(KeyError):
        node["f"]
    lib = zq.DriverLibrary()
    with pytest.raises(KeyError):
        lib.drivers["x"]
    with pytest.raises(KeyError):
        del lib.tasks["x"]
    with pytest.raises(KeyError):
        zq.Pseudo(1)[401]


def test_refused_inserts_are_value_errors(engine):
    add_io_point(engine, 0, "A", "COM1", "1")
    with pytest.raises(ValueError, match="exists"):
        add_io_point(engine, 0, "A", "COM1", "9")
    with pytest.raises(ValueError, match="COM1\\$1"):
        add_io_point(engine, 1, "B", "COM1", "1")
    with pytest.raises(ValueError):
        engine.insert(zq.Gmpid(CALC_RID, 0, 0, 0), {70000: 1})
    with pytest.raises(ValueError):
        engine.insert(zq.Gmpid(CALC_RID, 0, 0, 0), {1: "A"}, valid_type=4)
    with pytest.raises(ValueError):
        engine.insert(zq.Gmpid(CALC_RID, 0, 0, 0), {1: "A"}, valid_type={1: 2**80})
    with pytest.raises(ValueError):
        engine.create_database(256)
    table = zq.MetaPropTable()
    table.insert(zq.MetaProp(1, "a"))
    with pytest.raises(ValueError):
        table.insert(zq.MetaProp(1, "b"))
    assert table[1].name == "a"
    tables = zq.MetaTables()
    tables.create("T")
    with pytest.raises(ValueError):
        tables.create("T")
    drv = zq.DriverNode("d")
    with pytest.raises(ValueError):
        drv.insert_property(zq.MetaProp(5, "outside the category"), zq.DriverNode.AI)
    with pytest.raises(ValueError):
        drv.properties(12)
    lib = zq.DriverLibrary()
    lib.insert(drv)
    with pytest.raises(ValueError):
        lib.insert(zq.DriverNode("d"))


def test_wrong_types_are_type_errors(engine):
    g = zq.Gmpid(CALC_RID, 0, 0, 0)
    with pytest.raises(TypeError):
        engine.insert(g, [(1, "A")])
    with pytest.raises(TypeError):
        engine.insert(g, {"1": "A"})
    with pytest.raises(TypeError):
        engine.insert(g, {1: object()})
    with pytest.raises(TypeError):
        engine.insert(g, {1: "A"}, valid_type="1")
    engine.insert(g, {1: "A"})
    with pytest.raises(TypeError):
        engine.write_value(g, 1, time=1700000000)
    with pytest.raises(TypeError):
        zq.DriverLibrary().insert(zq.MetaProp(1))


def test_a_closed_engine_refuses_calls():
    e = zq.Engine()
    e.close()
    assert e.closed
    with pytest.raises(ValueError, match="closed"):
        e.create_database(1)
