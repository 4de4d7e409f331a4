"""The example scripts run on a small installation and do what they say."""

import os
import subprocess
import sys

import zarvqencore as zq
from conftest import IO_RID, add_io_point

EXAMPLES = os.environ.get("ZARVQEN_EXAMPLES") or os.path.join(
    os.path.dirname(__file__), "..", "..", "examples", "python")


def run(script, *args):
    return subprocess.run([sys.executable, os.path.join(EXAMPLES, script), *map(str, args)],
                          capture_output=True, text=True, timeout=60)


def test_readdress_from_csv(engine, tmp_path):
    a = add_io_point(engine, 0, "A", "COM1", "1").gmpid
    b = add_io_point(engine, 1, "B", "COM1", "2").gmpid
    db = tmp_path / "rs200.dat"
    engine.save(IO_RID, str(db))
    sheet = tmp_path / "new.csv"
    sheet.write_text(f"gmpid,address,channel\n{a},COM1,2\n{b.hex},COM1,1\n")
    result = run("readdress_from_csv.py", db, IO_RID, sheet)
    assert result.returncode == 0, result.stderr
    with zq.Engine() as loaded:
        loaded.load(IO_RID, str(db), 1)
        assert (loaded[a][402], loaded[b][402]) == ("2", "1")
        assert loaded[a][1] == "A"


def test_dangling_references_lists_only_missing_targets(engine, tmp_path):
    add_io_point(engine, 0, "N_U", "COM1", "1")
    engine.save(IO_RID, str(tmp_path / "rs200.dat"))
    engine.create_database(130)
    engine.insert(zq.Gmpid(130, 0, 1, 0), {499: "N_U"})
    engine.insert(zq.Gmpid(130, 0, 1, 1), {499: "GONE"})
    engine.save(130, str(tmp_path / "refs.dat"))
    result = run("dangling_references.py", tmp_path / "rs200.dat", f"130:{tmp_path / 'refs.dat'}")
    assert result.returncode == 1, result.stderr
    assert result.stdout.splitlines() == ["130.0.1.1  refers to 'GONE', which no point is named"]
