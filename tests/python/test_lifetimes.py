"""Lifetimes: what Python holds keeps its library object alive by the
object's own reference count, whatever happens to the engine or catalogue
it came from, and nothing leaks."""

import gc
import os

import zarvqencore as zq
from conftest import CALC_RID, IO_RID, add_io_point


def rss_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def test_points_outlive_their_engine():
    with zq.Engine() as engine:
        engine.create_database(IO_RID, 1)
        point = add_io_point(engine, 0, "N_U", "COM1", "1")
        read = engine[point.gmpid]
    del engine
    gc.collect()
    assert dict(read) == {1: "N_U", 401: "COM1", 402: "1"}
    assert dict(point) == dict(read)
    assert read.gmpid == zq.Gmpid(IO_RID, 1, 0, 0)


def test_catalogue_objects_outlive_their_catalogues():
    table = zq.MetaPropTable()
    table.insert(zq.MetaProp(900, "address"))
    prop = table[900]
    tables = zq.MetaTables()
    node = tables[tables.create("T")]
    node.insert(zq.TableField("f", 1))
    field = node["f"]
    lib = zq.DriverLibrary()
    lib.insert(zq.DriverNode("d", name="driver"))
    drivers = lib.drivers
    drv = zq.DriverNode("e")
    drv.insert_property(prop, zq.DriverNode.AI)
    del table, tables, lib
    gc.collect()
    assert prop.name == "address"
    # An object in two places is one object.
    prop.description = "seen everywhere"
    assert drv.property(900, zq.DriverNode.AI).description == "seen everywhere"
    assert len(node) == 1 and field.value == 1
    assert drivers["d"].name == "driver"


def test_the_engine_keeps_its_meta_property_table(tmp_path):
    engine = zq.Engine()
    table = zq.MetaPropTable()
    table.insert(zq.MetaProp(1, "name"))
    engine.meta_props = table
    del table
    gc.collect()
    engine.create_database(CALC_RID)
    engine.insert(zq.Gmpid(CALC_RID, 0, 0, 0), {1: "A"})
    path = str(tmp_path / "rs5.dat")
    engine.save(CALC_RID, path)
    engine.load(CALC_RID, path)  # reads through the table
    assert engine.meta_props[1].name == "name"
    engine.meta_props = None
    assert engine.meta_props is None


def churn(engine, count):
    g = zq.Gmpid(IO_RID, 1, 0, 0)
    table = zq.MetaPropTable()
    for i in range(count):
        point = engine.insert(g, {1: "N", 401: "COM1", 402: str(i), 10: 1.5})
        engine.write_value(g, i)
        engine.read_value(g)
        engine.points_by_io(IO_RID, "COM1")
        engine.delete(g)
        table.insert(zq.MetaProp(5, "x", "a longer text than fits inline"))
        del table[5]
        del point


def test_a_hundred_thousand_objects_leave_memory_flat(engine):
    churn(engine, 10_000)  # the allocator's and Python's pools settle
    before = rss_bytes()
    churn(engine, 100_000)
    gc.collect()
    growth = rss_bytes() - before
    # A leak of one point per round would be several megabytes.
    assert growth < 1_000_000, growth
