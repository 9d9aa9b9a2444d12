#!/usr/bin/env python3
"""Writes the GIS files of the kadre-prep example (examples/gis): what a consultant gets for a
study, in the forms GIS software exports. Deterministic: the same files on every run. The
generated files are committed, so running the demo needs no Python.

- sources.geojson: stacks and a cooling tower (points), a road (a line of several vertices)
  and a storage yard (an L-shaped polygon), in WGS 84 longitude/latitude as GeoJSON has them;
- dem.asc + dem.prj: the terrain as a float ASCII grid in longitude/latitude, with a few cells
  without a value (kadre-prep --fill-nodata fills them);
- receptors.csv: named places with x, y in the study's system (EPSG:32633);
- rose.csv: the wind rose as a long table in percent;
- met.csv, traffic.csv: a week of hourly meteorology and the road's traffic profile.
"""
import json
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(20260315)

# The DEM: 0.001 degree cells (about 72 x 111 m) west and south from this corner.
LON0, LAT0, STEP, NCOLS, NROWS = 15.70, 50.00, 0.001, 120, 70


def write(name, text):
    with open(os.path.join(HERE, name), "w") as f:
        f.write(text)


def elevation(lon, lat):
    z = 230.0 + 900.0 * (lon - LON0) + 600.0 * (lat - LAT0)
    for hx, hy, hz, r in [(15.74, 50.045, 90.0, 0.012), (15.79, 50.02, 60.0, 0.015)]:
        z += hz * math.exp(-((lon - hx) ** 2 + ((lat - hy) * 1.55) ** 2) / (2 * r * r))
    return z


def dem():
    lines = [f"ncols {NCOLS}", f"nrows {NROWS}", f"xllcorner {LON0:.3f}", f"yllcorner {LAT0:.3f}",
             f"cellsize {STEP}", "NODATA_value -9999"]
    for row in range(NROWS):  # northernmost first
        lat = LAT0 + (NROWS - row - 0.5) * STEP
        values = []
        for col in range(NCOLS):
            lon = LON0 + (col + 0.5) * STEP
            # A gap in the survey, as elevation models often have.
            gap = 60 <= col <= 62 and 30 <= row <= 31
            values.append("-9999" if gap else f"{elevation(lon, lat):.2f}")
        lines.append(" ".join(values))
    write("dem.asc", "\n".join(lines) + "\n")
    write("dem.prj", 'GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,'
                     '298.257223563]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]]\n')


def feature(props, geometry):
    return {"type": "Feature", "properties": props, "geometry": geometry}


def sources():
    stack = {"height": 0, "emission": 0, "temperature": 0, "diameter": 0, "velocity": 0}
    features = [
        feature(dict(stack, id="K1", height=120, emission=9.5, emission_no=2.0, temperature=140,
                     diameter=5.0, velocity=14.0, cluster=1, group="PLANT"),
                {"type": "Point", "coordinates": [15.7600, 50.0350]}),
        feature(dict(stack, id="K2", height=110, emission=7.0, emission_no=1.5, temperature=130,
                     diameter=4.5, velocity=12.0, cluster=1, group="PLANT"),
                {"type": "Point", "coordinates": [15.7606, 50.0353]}),
        # The flow is given here instead of derived from diameter, velocity and temperature.
        feature(dict(stack, id="CHV", height=150, emission=3.0, temperature=55, diameter=60.0,
                     velocity=3.0, flow=380.0, tower=1, group="PLANT"),
                {"type": "Point", "coordinates": [15.7640, 50.0330]}),
        feature(dict(stack, id="KOT", height=35, emission=0.8, temperature=90, diameter=1.0,
                     velocity=8.0, time_use=0.6, daily_hours=16),
                {"type": "Point", "coordinates": [15.7450, 50.0480]}),
        feature({"id": "ROAD", "height": 0.5, "emission": 0.12, "emission_no": 0.04, "width": 12,
                 "vertical": 2, "profile": "TRF", "group": "TRAFFIC"},
                {"type": "LineString", "coordinates": [[15.7280, 50.0200], [15.7420, 50.0260],
                                                       [15.7530, 50.0270], [15.7700, 50.0310],
                                                       [15.7850, 50.0420]]}),
        feature({"id": "YARD", "height": 2, "emission": 0.6, "time_use": 0.8, "daily_hours": 12},
                {"type": "Polygon", "coordinates": [[[15.7700, 50.0450], [15.7720, 50.0450],
                                                     [15.7720, 50.0456], [15.7710, 50.0456],
                                                     [15.7710, 50.0465], [15.7700, 50.0465],
                                                     [15.7700, 50.0450]]]}),
    ]
    write("sources.geojson", json.dumps({"type": "FeatureCollection", "features": features},
                                        indent=1) + "\n")


def receptors():
    # Places in EPSG:32633 (metres), as a surveyor's table has them.
    rows = ["name,x,y", "Horni Ves,552300,5541800", "Dolany,555600,5539300",
            "Skola Lipova,554200,5542600", "Nemocnice,556900,5543900"]
    write("receptors.csv", "\n".join(rows) + "\n")


def rose():
    # 16 directions; the prevailing wind from the west-southwest.
    situations = [("I", "1.7", 0.03), ("II", "1.7", 0.05), ("II", "5", 0.06), ("III", "1.7", 0.08),
                  ("III", "5", 0.12), ("III", "11", 0.05), ("IV", "1.7", 0.14), ("IV", "5", 0.22),
                  ("IV", "11", 0.09), ("V", "1.7", 0.10), ("V", "5", 0.06)]
    weights = [1.0 + 1.6 * math.exp(-((22.5 * k - 250 + 180) % 360 - 180) ** 2 / (2 * 45.0 ** 2))
               for k in range(16)]
    total = sum(weights)
    rows = ["direction,stability_class,speed_class,frequency"]
    for cls, speed, share in situations:
        for k, w in enumerate(weights):
            rows.append(f"{22.5 * k:g},{cls},{speed},{share * 92.0 * w / total:.4f}")
        rows.append(f"calm,{cls},{speed},{share * 8.0:.4f}")
    write("rose.csv", "\n".join(rows) + "\n")


def met_and_traffic():
    met = ["time,direction,speed,gradient"]
    traffic = ["time,factor"]
    for hour in range(7 * 24):
        day, h = divmod(hour, 24)
        night = h < 6 or h > 19
        wdir = (250 + 60 * math.sin(hour / 17.0) + rng.uniform(-25, 25)) % 360
        wsp = max(0.5, 3.5 + 2.5 * math.sin(hour / 29.0) + rng.uniform(-1.5, 1.5))
        grad = (0.8 if night else -1.2) + rng.uniform(-1.0, 1.0)
        stamp = f"2026-04-{day + 6:02d} {h:02d}:00"
        met.append(f"{stamp},{wdir:.1f},{wsp:.2f},{grad:.2f}")
        traffic.append(f"{stamp},{1.4 if 6 <= h <= 20 else 0.3}")
    write("met.csv", "\n".join(met) + "\n")
    write("traffic.csv", "\n".join(traffic) + "\n")


dem()
sources()
receptors()
rose()
met_and_traffic()
