"""Shared fixtures: an engine with databases of both kinds and a small
installation on disk."""

import pytest

import zarvqencore as zq

IO_RID = 200  # keeps an IO index (type 1)
CALC_RID = 5  # no IO index


@pytest.fixture
def engine():
    with zq.Engine() as e:
        e.create_database(IO_RID, 1)
        e.create_database(CALC_RID, 0)
        yield e


def add_io_point(engine, index, name, address, channel, **extra):
    props = {1: name, 401: address, 402: channel}
    props.update(extra)
    return engine.insert(zq.Gmpid(IO_RID, 1, 0, index), props)
