"""The Python module against the program: the same result files, tables equal to the files,
stops as exceptions, and studies in two threads of one process."""
import filecmp
import os
import shutil
import subprocess
import threading

import numpy as np
import pandas as pd
import pytest

import kadre

CASES = os.environ["KADRE_CASES"]
PROGRAM = os.environ["KADRE_PROGRAM"]


def study(tmp_path, name, subdir="study"):
    """A copy of the data case without its expected results, with the shared param.nml."""
    target = tmp_path / subdir
    shutil.copytree(os.path.join(CASES, name), target, ignore=shutil.ignore_patterns("expected"))
    if not (target / "param.nml").exists():
        shutil.copy(os.path.join(CASES, "param.nml"), target / "param.nml")
    (target / "output").mkdir(exist_ok=True)
    return target


def set_key(path, old, new):
    text = (path / "run.nml").read_text(encoding="latin-1")
    assert old in text
    (path / "run.nml").write_text(text.replace(old, new), encoding="latin-1")


@pytest.mark.parametrize("name", ["limits_hourly", "stacks_statistics_pm10", "groups_overlapping"])
def test_a_run_from_python_writes_the_programs_bytes_and_its_tables_equal_the_files(
        tmp_path, name):
    by_program = study(tmp_path, name, "program")
    subprocess.run([PROGRAM, "run.nml", "2"], cwd=by_program, check=True,
                   stdout=subprocess.DEVNULL)
    by_python = study(tmp_path, name, "python")
    results = kadre.run("run.nml", threads=2, workdir=by_python, progress=False)
    files = sorted(os.listdir(by_program / "output"))
    assert files == sorted(os.listdir(by_python / "output"))
    _, mismatch, errors = filecmp.cmpfiles(by_program / "output", by_python / "output", files,
                                           shallow=False)
    assert mismatch == [] and errors == []

    from_files = kadre.read_results("run.nml", workdir=by_python)
    for memory, read in [(results, from_files)] + [
            (results.groups[g], from_files.groups[g]) for g in results.groups]:
        for table in ("stats", "hourly", "mean", "max", "compliance"):
            a, b = getattr(memory, table), getattr(read, table)
            assert (a is None) == (b is None), table
            if a is None:
                continue
            assert list(a.index.astype(str).str.strip()) == list(b.index.astype(str)), table
            assert list(a.columns) == list(b.columns), table
            for column in a.columns:
                if a[column].dtype == object:
                    assert list(a[column].fillna("")) == list(b[column].fillna("")), column
                else:
                    # The files hold six significant digits.
                    np.testing.assert_allclose(a[column].astype(float), b[column].astype(float),
                                               rtol=6e-6, atol=1e-30, err_msg=column)
    assert set(results.groups) == set(from_files.groups)


def test_a_stop_raises_with_the_message_and_status_and_prints_nothing(tmp_path, capfd):
    path = study(tmp_path, "error_misspelt_key")
    with pytest.raises(kadre.KadreError) as stop:
        kadre.run("run.nml", workdir=path)
    expected = open(os.path.join(CASES, "error_misspelt_key", "expected", "console.txt"),
                    encoding="utf-8").read()
    assert stop.value.status == 1
    assert "is_max_abbs" in stop.value.message
    assert stop.value.message in expected
    out, err = capfd.readouterr()
    assert out == "" and err == ""


def test_progress_reaches_every_point(tmp_path):
    path = study(tmp_path, "limits_hourly")
    seen = []
    kadre.run("run.nml", workdir=path, progress=lambda done, total: seen.append((done, total)))
    assert seen and seen[-1][0] == seen[-1][1] == 7


def test_the_default_progress_is_a_tqdm_bar_that_is_gone_at_the_end(tmp_path, capfd):
    pytest.importorskip("tqdm")
    kadre.run("run.nml", workdir=study(tmp_path, "limits_hourly"))
    out, err = capfd.readouterr()
    assert out == ""
    assert "kadre: 100%" in err and "7/7" in err
    assert err.endswith("\r")  # closed without leaving its line


def test_two_studies_in_two_threads_give_their_own_results(tmp_path):
    """Two studies at once, each in its own directory (the working directory is not changed):
    each gives the tables of its run alone."""
    low = study(tmp_path, "limits_hourly", "low")
    high = study(tmp_path, "limits_hourly", "high")
    set_key(high, "'hourly.csv'", "'hourly.nc'")
    alone = {d: kadre.run("run.nml", workdir=d, progress=False).mean for d in (low, high)}
    got = {}

    def one(d):
        got[d] = kadre.run("run.nml", workdir=d, threads=1, progress=False)

    threads = [threading.Thread(target=one, args=(d,)) for d in (low, high)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for d in (low, high):
        pd.testing.assert_frame_equal(got[d].mean, alone[d])
    assert sorted(os.listdir(high / "output"))[0] == "avg_hourly.nc"
    # The NetCDF file reads back as the CSV run's table.
    nc = kadre.read_results("run.nml", workdir=high)
    np.testing.assert_array_equal(nc.hourly.values, got[high].hourly.values)


def test_earlier_files_with_three_digit_exponents(tmp_path):
    (tmp_path / "out").mkdir()
    (tmp_path / "run.nml").write_text(
        "&init\n oputdir = 'out/', output_time = 'h.csv', delim_out = ';' ! a comment\n/\n")
    (tmp_path / "out" / "h.csv").write_text(
        "cas;A;B\n2026/01/01/00;1.00000-100;2.50000E+00\n2026/01/01/01;3.00000+120;0.00000E+00\n")
    point = "ID;x[m];y[m];z[m];l[m];{}\nA                   ;1.00;2.00;3.00;1.50;1.23450-200\n"
    (tmp_path / "out" / "avg_h.csv").write_text(point.format("ave"))
    (tmp_path / "out" / "max_h.csv").write_text(point.format("max"))
    r = kadre.read_results("run.nml", workdir=tmp_path)
    assert r.hourly["A"].tolist() == [1e-100, 3e120]
    assert r.mean.loc["A", "ave"] == 1.2345e-200
    assert str(r.hourly.index[1]) == "2026-01-01 01:00:00"
