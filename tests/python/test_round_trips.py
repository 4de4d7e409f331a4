"""Round trips: GMPID texts, a database and every catalogue through their
files."""

import zarvqencore as zq
from conftest import IO_RID, add_io_point

K = zq.Kind


def test_gmpid_text_forms_and_fields():
    g = zq.Gmpid("200.1.2.3")
    assert (g.rid, g.group, g.block, g.index) == (200, 1, 2, 3)
    assert str(g) == "200.1.2.3"
    assert (g.hex, int(g)) == ("0xC8012003", 0xC8012003)
    assert zq.Gmpid(g.hex) == zq.Gmpid(200, 1, 2, 3) == zq.Gmpid(int(g)) == g
    assert eval(repr(g), {"Gmpid": zq.Gmpid}) == g
    assert {int(g): "x"}[g] == "x"  # a GMPID and its number are the same key


def test_database_survives_save_and_load(engine, tmp_path):
    add_io_point(engine, 0, "N_U", "COM1", "1")
    add_io_point(engine, 1, "N_P", "COM1", "2")
    engine.insert(zq.Gmpid(IO_RID, 2, 0, 0), {1: "S"}, valid_type={1: 3})
    path = str(tmp_path / "rs200.dat")
    engine.save(IO_RID, path)
    with zq.Engine() as loaded:
        loaded.load(IO_RID, path, type=1)
        assert loaded.database_type(IO_RID) == 1
        assert loaded.read_points(IO_RID) == engine.read_points(IO_RID)
        assert loaded[zq.Gmpid(IO_RID, 2, 0, 0)].valid_type(1) == 3
        found = loaded.points_by_io(IO_RID, "COM1$2")
        assert [p.gmpid for p in found] == [zq.Gmpid(IO_RID, 1, 0, 1)]


def test_meta_property_table_round_trip(tmp_path):
    table = zq.MetaPropTable()
    table.insert(zq.MetaProp(401, "address", "COM1", input_type=2, parameter="p",
                             description="first address text", valid_type=1))
    table.insert(zq.MetaProp(10, "scale", zq.Value(K.U16, 40000)))
    path = str(tmp_path / "meta.xml")
    table.save(path)
    loaded = zq.MetaPropTable(path)
    assert [p.id for p in loaded] == [10, 401]
    p = loaded[401]
    assert (p.name, p.value, p.input_type, p.parameter, p.description, p.valid_type) == (
        "address", "COM1", 2, "p", "first address text", 1)
    assert (loaded[10].kind, loaded[10].value) == (K.U16, 40000)


def test_typed_object_table_round_trip(tmp_path):
    table = zq.TypedObjectTable()
    table.insert(zq.TypedObject(7, [100, 101, 205], "breaker"))
    path = str(tmp_path / "typeobj.xml")
    table.save(path)
    loaded = zq.TypedObjectTable(path)[7]
    assert (loaded.metas, loaded.description) == ([100, 101, 205], "breaker")


def test_pseudo_table_round_trip(tmp_path):
    table = zq.PseudoTable()
    table.insert(zq.Pseudo(3, {401: "COM1", 10: zq.Value(K.U16, 9)}))
    path = str(tmp_path / "pseudos.xml")
    table.save(path)
    loaded = zq.PseudoTable(path)[3]
    assert dict(loaded) == {10: 9, 401: "COM1"}
    assert loaded.value(10).kind == K.U16


def test_meta_tables_round_trip_keeps_field_order(tmp_path):
    tables = zq.MetaTables()
    node = tables[tables.create("limits")]
    node.insert(zq.TableField("b", 1))
    node.insert(zq.TableField("a", "x", input_type=3, description="d"), 0)
    path = str(tmp_path / "metatbl.xml")
    tables.save(path)
    loaded = zq.MetaTables(path)
    assert list(loaded) == ["limits"]
    assert [f.name for f in loaded["limits"]] == ["a", "b"]
    field = loaded["limits"]["a"]
    assert (field.value, field.input_type, field.description) == ("x", 3, "d")


def test_driver_library_round_trip(tmp_path):
    lib = zq.DriverLibrary()
    drv = zq.DriverNode("iec104", name="IEC 104", family="telecontrol", type=2, io=0x6)
    drv.insert_property(zq.MetaProp(900, "ai_scale", 1.0), zq.DriverNode.AI)
    drv.insert_property(zq.MetaProp(930, "port", 2404), zq.DriverNode.PROTOCOL)
    lib.insert(drv)
    srv = zq.ServiceNode("archive", name="Archive")
    srv.insert_parameter(zq.MetaProp(930, "days", 30))
    lib.insert(srv)
    lib.insert(zq.TaskNode("calc", name="Calculator", pseudo_task="x"))
    path = str(tmp_path / "driverlib.xml")
    lib.save(path)
    loaded = zq.DriverLibrary(path)
    d = loaded.drivers["iec104"]
    assert (d.name, d.family, d.type, d.io) == ("IEC 104", "telecontrol", 2, 0x6)
    assert [p.id for p in d.properties(zq.DriverNode.AI)] == [900]
    assert d.property(930, zq.DriverNode.PROTOCOL).value == 2404
    assert loaded.services["archive"].parameter(930).value == 30
    assert loaded.tasks["calc"].pseudo_task == "x"
