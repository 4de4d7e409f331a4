"""Values of every kind: chosen explicitly or taken from Python's types,
through a database file, and a live value with its time."""

import datetime

import pytest

import zarvqencore as zq
from conftest import CALC_RID

K = zq.Kind
UTC = datetime.timezone.utc

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
    [(True, K.BOOL), (7, K.I32), (-(2**31), K.I32), (2**31, K.I64), (2**63, K.U64),
     (2.5, K.F64), ("text", K.TEXT), (b"\xff", K.TEXT), (None, K.EMPTY)],
)
def test_python_types_choose_the_kind(python_value, kind):
    assert zq.Value(python_value).kind == kind


def test_value_equality_and_precision():
    assert zq.Value(b"abc").value == "abc"  # valid UTF-8 bytes read back as str
    assert zq.Value(K.U16, 5) != zq.Value(K.I32, 5)
    assert zq.Value(K.F32, 0.5) == zq.Value(K.F32, 0.5)
    assert zq.Value(K.F32, 0.1).value == pytest.approx(0.1, rel=1e-7)
    assert zq.Value(K.F32, 0.1).value != 0.1


def at(hour, zone=UTC, **kw):
    return datetime.datetime(2026, 6, 1, hour, tzinfo=zone, **kw)


@pytest.mark.parametrize("written, read", [
    pytest.param(datetime.datetime(1969, 12, 31, 23, 59, 59, 1000, tzinfo=UTC),
                 datetime.datetime(1969, 12, 31, 23, 59, 59, 1000, tzinfo=UTC), id="before 1970"),
    pytest.param(at(12, None), at(12), id="naive is UTC"),
    pytest.param(at(13, datetime.timezone(datetime.timedelta(hours=1))), at(12), id="other zone"),
])
def test_live_values_and_their_times(engine, written, read):
    g = zq.Gmpid(CALC_RID, 0, 0, 3)
    engine.insert(g, {1: "T"})
    never = engine.read_value(g)
    assert (never.value, never.quality) == (None, zq.Quality.INVALID | zq.Quality.NOT_INIT)
    engine.write_value(g, zq.Value(K.U16, 9), zq.Quality.SUBSTITUTED, written)
    live = engine.read_value(g)
    assert (live.value, live.quality, live.time) == (9, zq.Quality.SUBSTITUTED, read)
    engine.write_value(g, 2)  # no time stamps now
    age = datetime.datetime.now(UTC) - engine.read_value(g).time
    assert datetime.timedelta(0) <= age < datetime.timedelta(seconds=60)
