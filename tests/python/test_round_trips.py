"""Round trips: GMPID texts, databases and every catalogue through their
files, and the engine's listings, indexes and associations."""

import pytest

import zarvqencore as zq
from conftest import CALC_RID, IO_RID, add_io_point


def test_gmpid_text_forms_and_fields():
    g = zq.Gmpid("200.1.2.3")
    assert (g.rid, g.group, g.block, g.index) == (200, 1, 2, 3)
    assert str(g) == "200.1.2.3"
    assert g.hex == "0xC8012003"
    assert zq.Gmpid(g.hex) == g
    assert zq.Gmpid(200, 1, 2, 3) == g
    assert int(g) == 0xC8012003
    assert zq.Gmpid(int(g)) == g
    assert eval(repr(g), {"Gmpid": zq.Gmpid}) == g


def test_gmpid_and_int_are_the_same_key():
    g = zq.Gmpid(5, 0, 0, 1)
    assert g == int(g)
    assert {int(g): "x"}[g] == "x"
    assert sorted([zq.Gmpid(5, 0, 1, 0), g]) == [g, zq.Gmpid(5, 0, 1, 0)]


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
        # The IO index is rebuilt by the load.
        found = loaded.points_by_io(IO_RID, "COM1$2")
        assert [p.gmpid for p in found] == [zq.Gmpid(IO_RID, 1, 0, 1)]


def test_listings_by_rid_group_and_block(engine):
    ids = [zq.Gmpid(CALC_RID, 3, 1, 7), zq.Gmpid(CALC_RID, 0, 0, 1), zq.Gmpid(CALC_RID, 3, 0, 2)]
    for i, g in enumerate(ids):
        engine.insert(g, {1: f"P{i}"})
    assert [p.gmpid for p in engine.points(CALC_RID)] == sorted(ids)
    assert [p.gmpid for p in engine.points(CALC_RID, 3)] == [ids[2], ids[0]]
    assert [p.gmpid for p in engine.points(CALC_RID, 3, 1)] == [ids[0]]
    as_dicts = engine.read_points(CALC_RID, 3)
    assert as_dicts == {int(ids[2]): {1: "P2"}, int(ids[0]): {1: "P0"}}
    assert engine.databases() == [CALC_RID, IO_RID]


def test_point_is_a_read_only_mapping(engine):
    p = add_io_point(engine, 0, "N_U", "COM1", "1", **{})
    assert list(p) == [1, 401, 402]
    assert dict(p.items()) == {1: "N_U", 401: "COM1", 402: "1"}
    assert 401 in p and 403 not in p
    assert p.get(403) is None
    with pytest.raises(TypeError):
        p[401] = "COM2"


def test_update_readdresses_and_moves_the_io_index(engine):
    g = add_io_point(engine, 0, "N_U", "COM1", "1").gmpid
    moved = engine.update(g, {401: "COM2"})
    assert moved[401] == "COM2" and moved[1] == "N_U"
    assert [p.gmpid for p in engine.points_by_io(IO_RID, "COM2$1")] == [g]
    with pytest.raises(KeyError):
        engine.points_by_io(IO_RID, "COM1$1")


def test_refused_update_keeps_the_old_point(engine):
    a = add_io_point(engine, 0, "A", "COM1", "1").gmpid
    add_io_point(engine, 1, "B", "COM1", "2")
    with pytest.raises(ValueError):
        engine.update(a, {402: "2"})
    assert engine[a][402] == "1"
    assert [p.gmpid for p in engine.points_by_io(IO_RID, "COM1$1")] == [a]


def test_deletes(engine):
    for i in range(3):
        add_io_point(engine, i, f"P{i}", "COM1", str(i))
    engine.delete(zq.Gmpid(IO_RID, 1, 0, 0))
    engine.delete_by_io(IO_RID, "COM1$1")
    assert [str(p.gmpid) for p in engine.points(IO_RID)] == ["200.1.0.2"]
    engine.delete_points(IO_RID, 1)
    assert engine.points(IO_RID) == []
    engine.delete_database(IO_RID)
    assert engine.databases() == [CALC_RID]


def test_free_identifiers(engine):
    engine.insert(zq.Gmpid(CALC_RID, 0, 0, 0), {1: "A"})
    engine.insert(zq.Gmpid(CALC_RID, 0, 0, 2), {1: "B"})
    assert engine.free_gmpids(CALC_RID, 0, 0, limit=2) == [zq.Gmpid(CALC_RID, 0, 0, 1),
                                                            zq.Gmpid(CALC_RID, 0, 0, 3)]
    assert len(engine.free_gmpids(CALC_RID, 0, 0)) == 4096 - 2
    assert engine.free_rid(5, 7) == 6
    assert engine.free_rid(5, 6) is None


def test_references_associate_and_read_through(engine):
    engine.create_database(130, 0)
    target = add_io_point(engine, 0, "N_U_L1", "COM1", "1").gmpid
    ref = zq.Gmpid(130, 0, 1, 0)
    engine.insert(ref, {499: "N_U_L1"})
    assert engine.associations(target) == [ref]
    engine.write_value(target, 20.5)
    assert engine.read_value(ref).value == 20.5
    assert engine.read_values([target, ref])[1].value == 20.5


def test_bulk_insert_and_write(engine):
    count = engine.insert_many(((zq.Gmpid(CALC_RID, 0, 0, i), {1: f"V{i}"}) for i in range(50)))
    assert count == 50
    values = {zq.Gmpid(CALC_RID, 0, 0, i): i * 1.5 for i in range(50)}
    assert engine.write_values(values, zq.Quality.GOOD) == 50
    assert [v.value for v in engine.read_values(values)] == list(values.values())


def test_meta_property_table_round_trip(tmp_path):
    table = zq.MetaPropTable()
    table.insert(zq.MetaProp(401, "address", "COM1", input_type=2, parameter="p",
                             description="first address text", valid_type=1))
    table.insert(zq.MetaProp(1, "name", ""))
    path = str(tmp_path / "meta.xml")
    table.save(path)
    loaded = zq.MetaPropTable(path)
    assert [p.id for p in loaded] == [1, 401]
    p = loaded[401]
    assert (p.name, p.value, p.input_type, p.parameter, p.description, p.valid_type) == (
        "address", "COM1", 2, "p", "first address text", 1)
    assert loaded.free_id() == 2


def test_typed_object_table_round_trip(tmp_path):
    table = zq.TypedObjectTable()
    table.insert(zq.TypedObject(7, [100, 101, 205], "breaker"))
    path = str(tmp_path / "typeobj.xml")
    table.save(path)
    loaded = zq.TypedObjectTable(path)
    assert (loaded[7].metas, loaded[7].description) == ([100, 101, 205], "breaker")
    assert loaded.free_id() == 0 and loaded.free_id(low_range=False) == 32768


def test_pseudo_table_round_trip(tmp_path):
    table = zq.PseudoTable()
    table.insert(zq.Pseudo(3, {401: "COM1", 10: zq.Value(zq.Kind.U16, 9)}))
    path = str(tmp_path / "pseudos.xml")
    table.save(path)
    loaded = zq.PseudoTable(path)[3]
    assert dict(loaded) == {10: 9, 401: "COM1"}
    assert loaded.value(10).kind == zq.Kind.U16
    loaded[10] = 11
    del loaded[401]
    assert dict(loaded) == {10: 11}


def test_meta_tables_round_trip_keeps_field_order(tmp_path):
    tables = zq.MetaTables()
    name = tables.create()
    node = tables[name]
    node.insert(zq.TableField("b", 1))
    node.insert(zq.TableField("a", "x", input_type=3, description="d"), 0)
    tables.rename(name, "limits")
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
    assert d.free_property_number(zq.DriverNode.AI) == 901
    assert loaded.services["archive"].parameter(930).value == 30
    assert loaded.tasks["calc"].pseudo_task == "x"
    assert [n.module for n in loaded.drivers] == ["iec104"]

