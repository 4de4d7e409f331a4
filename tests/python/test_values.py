"""Values of every kind: chosen explicitly or taken from Python's types,
through a point, a database file, a catalogue and a live value."""

import datetime

import pytest

import zarvqencore as zq
from conftest import CALC_RID

K = zq.Kind

EVERY_KIND = [
    (K.BOOL, True),
    (K.I16, -32768),
    (K.U16, 65535),
    (K.I32, -(2**31)),
    (K.U32, 2**32 - 1),
    (K.F32, 0.5),
    (K.F64, 1 / 3),
    (K.TEXT, "Zähler 5"),
    (K.TEXT, b"\xc4hler"),  # not UTF-8: stays bytes
    (K.I64, -(2**63)),
    (K.U64, 2**64 - 1),
    (K.EMPTY, None),
]


def test_every_kind_survives_a_database_file(engine, tmp_path):
    g = zq.Gmpid(CALC_RID, 0, 0, 1)
    engine.insert(g, {10 + i: zq.Value(kind, v) for i, (kind, v) in enumerate(EVERY_KIND)})
    path = str(tmp_path / "rs5.dat")
    engine.save(CALC_RID, path)
    with zq.Engine() as loaded:
        loaded.load(CALC_RID, path)
        point = loaded[g]
        for i, (kind, v) in enumerate(EVERY_KIND):
            assert point.value(10 + i) == zq.Value(kind, v), kind
            assert point[10 + i] == v, kind


@pytest.mark.parametrize(
    "python_value, kind",
    [
        (True, K.BOOL),
        (7, K.I32),
        (-(2**31), K.I32),
        (2**31, K.I64),
        (2**63, K.U64),
        (2.5, K.F64),
        ("text", K.TEXT),
        (b"\xff", K.TEXT),
        (None, K.EMPTY),
    ],
)
def test_python_types_choose_the_kind(python_value, kind):
    assert zq.Value(python_value).kind == kind


def test_valid_utf8_bytes_read_back_as_str():
    assert zq.Value(b"abc").value == "abc"


@pytest.mark.parametrize(
    "kind, value",
    [(K.U16, 65536), (K.U16, -1), (K.I16, 32768), (K.U32, 2**32), (K.I64, 2**63),
     (K.U64, -1), (K.F32, 1e39)],
)
def test_a_value_outside_its_kind_is_a_value_error(kind, value):
    with pytest.raises(ValueError):
        zq.Value(kind, value)


@pytest.mark.parametrize(
    "kind, value",
    [(K.I16, 1.5), (K.BOOL, 1), (K.TEXT, 5), (K.F64, "1.0"), (K.EMPTY, 0)],
)
def test_a_value_of_the_wrong_type_is_a_type_error(kind, value):
    with pytest.raises(TypeError):
        zq.Value(kind, value)


def test_an_int_no_kind_holds_is_a_value_error():
    with pytest.raises(ValueError):
        zq.Value(2**64)
    with pytest.raises(ValueError):
        zq.Value(-(2**63) - 1)


def test_values_of_different_kinds_differ():
    assert zq.Value(K.U16, 5) != zq.Value(K.I32, 5)
    assert zq.Value(K.F32, 0.5) == zq.Value(K.F32, 0.5)


def test_f32_keeps_single_precision():
    assert zq.Value(K.F32, 0.1).value == pytest.approx(0.1, rel=1e-7)
    assert zq.Value(K.F32, 0.1).value != 0.1


def test_meta_prop_initial_value_keeps_its_kind_through_the_file(tmp_path):
    table = zq.MetaPropTable()
    table.insert(zq.MetaProp(10, "scale", zq.Value(K.U16, 40000)))
    table.insert(zq.MetaProp(11, "gain", zq.Value(K.F32, 1.5)))
    path = str(tmp_path / "meta.xml")
    table.save(path)
    loaded = zq.MetaPropTable(path)
    assert (loaded[10].kind, loaded[10].value) == (K.U16, 40000)
    assert (loaded[11].kind, loaded[11].value) == (K.F32, 1.5)


@pytest.mark.parametrize("kind, value", EVERY_KIND[:-1])
def test_live_values_of_every_kind(engine, kind, value):
    g = zq.Gmpid(CALC_RID, 0, 0, 2)
    engine.insert(g, {1: "P"})
    stamp = datetime.datetime(2026, 1, 1, 10, 0, 0, 123000, tzinfo=datetime.timezone.utc)
    engine.write_value(g, zq.Value(kind, value), zq.Quality.SUBSTITUTED, stamp)
    live = engine.read_value(g)
    assert live.value == value
    assert live.quality == zq.Quality.SUBSTITUTED
    assert live.time == stamp


def test_live_value_times(engine):
    g = zq.Gmpid(CALC_RID, 0, 0, 3)
    engine.insert(g, {1: "T"})
    utc = datetime.timezone.utc
    before_epoch = datetime.datetime(1969, 12, 31, 23, 59, 59, 1000, tzinfo=utc)
    engine.write_value(g, 1, time=before_epoch)
    assert engine.read_value(g).time == before_epoch
    # A naive datetime is UTC, the engine's time.
    engine.write_value(g, 1, time=datetime.datetime(2026, 6, 1, 12, 0))
    assert engine.read_value(g).time == datetime.datetime(2026, 6, 1, 12, 0, tzinfo=utc)
    # Another zone is converted.
    cet = datetime.timezone(datetime.timedelta(hours=1))
    engine.write_value(g, 1, time=datetime.datetime(2026, 6, 1, 13, 0, tzinfo=cet))
    assert engine.read_value(g).time == datetime.datetime(2026, 6, 1, 12, 0, tzinfo=utc)
    # None stamps now.
    engine.write_value(g, 2)
    age = datetime.datetime.now(utc) - engine.read_value(g).time
    assert datetime.timedelta(0) <= age < datetime.timedelta(seconds=60)


def test_a_new_point_reads_as_never_written(engine):
    g = zq.Gmpid(CALC_RID, 0, 0, 4)
    engine.insert(g, {1: "NEW"})
    live = engine.read_value(g)
    assert live.value is None
    assert live.quality == zq.Quality.INVALID | zq.Quality.NOT_INIT
