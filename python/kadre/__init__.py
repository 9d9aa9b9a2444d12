"""kadre from Python: run a study in this process and get its results as pandas tables.

    import kadre
    results = kadre.run("study.nml", workdir="studies/plant")
    results.mean.sort_values("ave").tail()
    results.groups["PLANT"].max
    results.to_xarray("ave").plot()

A run writes the same result files as the program; the tables come from the run's memory.
"""
import os
import re
import sys

import numpy as np
import pandas as pd

from . import _kadre

__all__ = ["run", "read_results", "Results", "KadreError"]


class KadreError(Exception):
    """A run that stopped: the program's message and its exit status."""

    def __init__(self, message, status):
        super().__init__(message)
        self.message = message
        self.status = status


def _point_frame(ids, x, y, z):
    frame = pd.DataFrame({"x": x, "y": y, "z": z}, index=pd.Index(ids, name="id"))
    return frame


def _hours(dates):
    """The hours' dates ("yyyy/mm/dd/hh") as timestamps where they are calendar hours."""
    try:
        days = pd.to_datetime([d[:10] for d in dates], format="%Y/%m/%d")
        return pd.DatetimeIndex(days + pd.to_timedelta([int(d[11:13]) for d in dates], unit="h"),
                                name="time")
    except (ValueError, TypeError):
        return pd.Index(list(dates), name="time")


class Results:
    """The tables of one set of sources (all of them, or a group in `groups`).

    stats: statistical indicators per point (index id; x, y, z and the indicators);
    hourly: the hourly table (index time, a column per output point);
    mean, max: the mean and the largest hour per point (columns x, y, z and ave or max);
    compliance: the values against the limits per point, when the run has limits.
    Tables the run did not compute are None.
    """

    def __init__(self, points, stats=None, hourly=None, mean=None, maximum=None,
                 compliance=None, groups=None, files=None):
        self.points = points
        self.stats = stats
        self.hourly = hourly
        self.mean = mean
        self.max = maximum
        self.compliance = compliance
        self.groups = groups if groups is not None else {}
        self.files = files if files is not None else []

    def to_xarray(self, indicator):
        """The indicator (a column of stats, mean, max or compliance) as a lattice
        xarray.DataArray over y and x; points off the lattice are left out, empty nodes NaN."""
        import xarray as xr

        for table in (self.stats, self.mean, self.max, self.compliance):
            if table is not None and indicator in table.columns:
                frame = table[["x", "y", indicator]]
                break
        else:
            raise KeyError("no table of the run has the column %r" % indicator)
        lattice = frame.groupby(["y", "x"])[indicator].first().to_xarray()
        lattice.name = indicator
        return lattice

    def __repr__(self):
        have = [name for name in ("stats", "hourly", "mean", "max", "compliance")
                if getattr(self, name) is not None]
        return "<kadre.Results %d points: %s%s>" % (
            len(self.points), ", ".join(have),
            "; groups " + ", ".join(self.groups) if self.groups else "")


def _results_from_tables(data, tables, points):
    ids = data["ids"]
    stats = hourly = mean = maximum = compliance = None
    if "stats" in tables:
        stats = points.copy()
        for name, values in tables["stats"]:
            stats[name] = values
    if "hourly" in tables:
        hourly = pd.DataFrame(np.asarray(tables["hourly"]).T, index=_hours(data["dates"]),
                              columns=pd.Index(data["hourly_ids"], name="id"))
        mean = points.copy()
        mean["ave"] = tables["mean"]
        maximum = points.copy()
        maximum["max"] = tables["max"]
    if "compliance" in tables:
        compliance = points.copy()
        for name, values in tables["compliance"]:
            compliance[name] = values
    return Results(points, stats, hourly, mean, maximum, compliance)


def _progress_callback(progress):
    """A callable(done, total) and the list of the bars it opened: for True a tqdm bar where
    tqdm is installed, opened at the first report, so that a study stopping before it computes
    prints nothing."""
    if callable(progress):
        return progress, []
    if not progress:
        return None, []
    try:
        from tqdm import tqdm
    except ImportError:
        return None, []
    bars = []

    def update(done, total):
        if not bars:
            bars.append(tqdm(total=total, unit="bod", desc="kadre", leave=False))
        bar = bars[0]
        if bar.total != total:
            bar.total = total
        bar.n = done
        bar.refresh()

    return update, bars


def run(config, threads=None, workdir=None, progress=True, console=False):
    """Runs the study of the configuration file `config` in this process.

    threads: computing threads (default: every logical processor); workdir: the directory
    the relative paths start from (param.nml, config, input and output directories; default
    the working directory, which is never changed, so studies may run in several threads);
    progress: a callable(done, total), or True for a tqdm bar where tqdm is installed;
    console: True prints the program's console text after the run.
    Returns Results; a stop raises KadreError with the program's message and status.
    """
    args = [os.fspath(config)]
    if threads is not None:
        args.append(str(int(threads)))
    base = ""
    if workdir is not None:
        base = os.path.join(os.path.abspath(os.fspath(workdir)), "")
    callback, bars = _progress_callback(progress)
    try:
        data = _kadre.run_study(args, base, callback)
    finally:
        for bar in bars:
            bar.close()
    if console:
        sys.stdout.write(data["console"])
    if data["status"] != 0:
        message = data["error"].strip() or data["console"].strip().splitlines()[-1]
        raise KadreError(message, data["status"])
    if "tables" not in data:  # no computation was switched on
        return Results(pd.DataFrame(columns=["x", "y", "z"]))
    points = _point_frame(data["ids"], data["x"], data["y"], data["z"])
    results = _results_from_tables(data, data["tables"], points)
    results.groups = {name: _results_from_tables(data, tables, points)
                      for name, tables in data["group_tables"].items()}
    return results


# Reading the files of an earlier run.

_NAMELIST_TEXT = r"(?:'((?:[^']|'')*)'|\"((?:[^\"]|\"\")*)\")"


def _setting(text, key, default=""):
    match = re.search(r"(?im)(?:^|[\s,])" + key + r"\s*=\s*" + _NAMELIST_TEXT, text)
    if not match:
        return default
    return match.group(1) if match.group(1) is not None else match.group(2)


def _switch(text, key):
    match = re.search(r"(?im)(?:^|[\s,])" + key + r"\s*=\s*\.?([tf])", text)
    return bool(match) and match.group(1).lower() == "t"


def _with_name(path, group):
    stem, ext = os.path.splitext(path)
    return stem + "_" + group + ext


def _read_table(path, delimiter):
    # Fortran forms: a three-digit exponent lacks its "E" (1.23456-100); float() alone
    # would refuse it.
    frame = pd.read_csv(path, sep=re.escape(delimiter), engine="python", dtype=str,
                        skipinitialspace=True)
    frame.columns = [c.strip() for c in frame.columns]

    def number(text):
        if text is None or (isinstance(text, float) and np.isnan(text)):
            return np.nan
        text = text.strip()
        if text == "":
            return np.nan
        try:
            return float(text)
        except ValueError:
            fixed = re.sub(r"(\d)([+-]\d{3})$", r"\1E\2", text)
            return float(fixed)

    for column in frame.columns:
        if column in ("ID", "cas", "hour_nth_date"):
            frame[column] = frame[column].str.strip()
        else:
            frame[column] = frame[column].map(number)
    return frame


def _read_point_table(path, delimiter, value_columns=None):
    frame = _read_table(path, delimiter)
    frame = frame.rename(columns={"ID": "id", "x[m]": "x", "y[m]": "y", "z[m]": "z"})
    frame = frame.drop(columns=[c for c in ("l[m]",) if c in frame.columns]).set_index("id")
    return frame


def _read_set(directory, names, delimiter):
    stats_path, time_path, limits_path = names
    stats = hourly = mean = maximum = compliance = None
    points = None
    if stats_path and os.path.exists(os.path.join(directory, stats_path)):
        stats = _read_point_table(os.path.join(directory, stats_path), delimiter)
        points = stats[["x", "y", "z"]]
    if time_path and os.path.exists(os.path.join(directory, time_path)):
        head, tail = os.path.split(time_path)
        if time_path.endswith(".nc"):
            import xarray as xr
            with xr.open_dataset(os.path.join(directory, time_path)) as ds:
                hourly = pd.DataFrame(ds["concentration"].values.T,
                                      index=pd.DatetimeIndex(ds["time"].values, name="time"),
                                      columns=pd.Index([str(i) for i in ds["id"].values],
                                                       name="id"))
            tables = []
            for prefix, name in (("avg_", "ave"), ("max_", "max")):
                with xr.open_dataset(os.path.join(directory, head, prefix + tail)) as ds:
                    frame = pd.DataFrame({"x": ds["x"].values, "y": ds["y"].values,
                                          "z": ds["z"].values, name: ds[name].values},
                                         index=pd.Index([str(i) for i in ds["id"].values],
                                                        name="id"))
                tables.append(frame)
            mean, maximum = tables
        else:
            table = _read_table(os.path.join(directory, time_path), delimiter)
            hourly = table.set_index("cas")
            hourly.index = _hours(list(hourly.index))
            hourly.columns.name = "id"
            mean = _read_point_table(os.path.join(directory, head, "avg_" + tail), delimiter)
            maximum = _read_point_table(os.path.join(directory, head, "max_" + tail), delimiter)
        points = mean[["x", "y", "z"]]
    if limits_path and os.path.exists(os.path.join(directory, limits_path)):
        compliance = _read_point_table(os.path.join(directory, limits_path), delimiter)
    return Results(points, stats, hourly, mean, maximum, compliance)


def read_results(config, workdir=None):
    """The result files of an earlier run of the configuration `config` as Results (the
    group files of the groups of its &groups ... when they exist)."""
    base = os.path.abspath(os.fspath(workdir)) if workdir is not None else os.getcwd()
    path = os.path.join(base, os.fspath(config))
    with open(path, encoding="latin-1") as f:
        text = f.read()
    text = "\n".join(line.split("!")[0] for line in text.splitlines())
    directory = os.path.join(base, _setting(text, "oputdir", "").strip() or ".")
    delimiter = _setting(text, "delim_out", ";").strip() or ";"
    time_name = _setting(text, "output_time").strip()
    stats_name = _setting(text, "output_stats").strip()
    limits_name = _setting(text, "output_limits").strip()
    if not limits_name and time_name:
        limits_name = "limits_" + re.sub(r"\.nc$", ".csv", time_name)
    results = _read_set(directory, (stats_name, time_name, limits_name), delimiter)
    groups = {}
    for name in sorted(os.listdir(directory)):
        for stem in (stats_name, time_name):
            if not stem:
                continue
            s, e = os.path.splitext(stem)
            match = re.fullmatch(re.escape(s) + r"_([A-Za-z0-9_-]{1,20})" + re.escape(e), name)
            if match and match.group(1) not in groups:
                group = match.group(1)
                groups[group] = _read_set(directory, tuple(
                    _with_name(n, group) if n else n
                    for n in (stats_name, time_name, limits_name)), delimiter)
    results.groups = groups
    return results
