#!/usr/bin/env python3
"""Writes the bundled example case (examples/demo/input). Deterministic: the same files on
every run. The generated files are committed, so running the demo needs no Python."""
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "demo", "input")
rng = random.Random(20261206)

XLL, YLL, CELL, NCOLS, NROWS = 480000.0, 5540000.0, 50.0, 200, 200
HILLS = [(3000, 7000, 180, 1200), (7200, 6100, 140, 900), (5200, 2500, 220, 1500),
         (1500, 2000, 90, 700), (8500, 8600, 120, 1000)]


def elevation(x, y):
    z = 240.0 + 0.004 * x + 0.002 * y
    for hx, hy, hz, r in HILLS:
        z += hz * math.exp(-((x - hx) ** 2 + (y - hy) ** 2) / (2.0 * r * r))
    return int(round(z))


def write(name, text):
    with open(os.path.join(OUT, name), "w") as f:
        f.write(text)


def terrain():
    lines = [f"ncols {NCOLS}", f"nrows {NROWS}", f"xllcorner {XLL:.1f}", f"yllcorner {YLL:.1f}",
             f"cellsize {CELL:.1f}", "NODATA_value -9999"]
    for row in range(NROWS):  # northernmost first
        y = (NROWS - row - 0.5) * CELL
        lines.append(" ".join(str(elevation((c + 0.5) * CELL, y)) for c in range(NCOLS)))
    write("terrain.asc", "\n".join(lines) + "\n")


def receptors(name, nx, ny, step, x0, y0, named):
    lines = ["! id  x  y  z  height above terrain [m]"]
    for j in range(ny):
        for i in range(nx):
            x, y = x0 + i * step, y0 + j * step
            lines.append(f"R{j:02d}_{i:02d} {XLL + x:.1f} {YLL + y:.1f} 0 1.5")
    for pid, x, y, h in named:
        lines.append(f"'{pid}' {XLL + x:.1f} {YLL + y:.1f} 0 {h}")
    write(name, "\n".join(lines) + "\n")


NAMED = [("Horni Ves", 2600, 6400, 1.5), ("Dolany", 6900, 3300, 1.5),
         ("Skola Lipova", 4800, 5600, 4.0), ("Nemocnice", 8100, 7400, 10.0)]


def sources():
    definition = ["! id  x  y  z  type  cluster  aux  series  profile"]
    description = ["! id  m  m_no  h  v|x2  t|y2  d|width  w|vert_ext  time_use  daily_hours  length  cooling_tower"]

    def add(sid, x, y, typ, shluk, series, profile, m, m_no, h, a, b, c, d, time_use, hours, length, tower):
        definition.append(f"{sid} {XLL + x:.1f} {YLL + y:.1f} 0 {typ} {shluk} 0 {series} {profile}")
        description.append(f"{sid} {m} {m_no} {h} {a} {b} {c} {d} {time_use} {hours} {length} {tower}")

    # A power plant: three stacks close together form a cluster.
    add("EL_K1", 4300, 4800, 1, 1, "S01", "CON", 12.0, 3.0, 120, 95.0, 140, 5.0, 14.0, 1.0, 24, 0, 0)
    add("EL_K2", 4340, 4830, 1, 1, "S01", "CON", 10.0, 2.5, 120, 90.0, 135, 5.0, 13.0, 1.0, 24, 0, 0)
    add("EL_K3", 4380, 4790, 1, 1, "S01", "CON", 8.0, 2.0, 110, 70.0, 130, 4.5, 12.0, 0.9, 24, 0, 0)
    # Its cooling tower releases flue gas into the tower's air stream.
    add("EL_CHV", 4600, 4600, 1, 0, "S01", "CON", 4.0, 1.0, 150, 380.0, 55, 60.0, 3.0, 0.9, 24, 0, 1)
    # Smaller stacks of industry and heating plants.
    stacks = [(2100, 3100, 35, 2.1, 45), (6100, 7300, 60, 6.0, 110), (7600, 2300, 45, 3.5, 160),
              (3300, 6200, 25, 1.2, 70), (5500, 5900, 80, 9.0, 95), (8300, 5200, 40, 2.4, 28)]
    for n, (x, y, h, v, t) in enumerate(stacks, 1):
        add(f"KOT_{n}", x, y, 1, 0, "S02" if x > 5000 else "S01", "DAY", round(0.4 + 0.3 * n, 2),
            0.1, h, v, t, round(0.6 + 0.1 * n, 2), round(6 + n, 1), round(1.0 - 0.1 * n, 2), 16, 0, 0)
    # Area sources: a quarry (no own rise), storage yards, a landfill.
    areas = [(2800, 4200, 0.8, 2, 0.0, 0.0, 0.0, 150), (5900, 3600, 0.5, 5, 12.0, 0.0, 0.0, 80),
             (6800, 6600, 0.3, 3, 20.0, 0.5, 1.0, 60), (1800, 7600, 0.6, 1, 0.0, 0.0, 0.0, 200),
             (7900, 3900, 0.4, 2, 35.0, 1.0, 2.0, 50), (3900, 2200, 0.2, 4, 8.0, 0.0, 0.0, 120)]
    for n, (x, y, m, h, t, d, w, side) in enumerate(areas, 1):
        add(f"PL_{n}", x, y, 2, 0, "S02" if y < 4000 else "S01", "DAY", m, 0.0, h, 0.0, t, d, w,
            0.8, 12, side, 0)
    # Roads as line sources: start point in the definition, end point in the description.
    roads = [(1000, 1000, 3500, 2600), (3500, 2600, 6200, 3000), (6200, 3000, 9000, 4400),
             (4000, 8800, 4700, 6000), (4700, 6000, 5200, 4200), (7000, 9000, 8800, 7000)]
    for n, (x1, y1, x2, y2) in enumerate(roads, 1):
        add(f"SILNICE_{n}", x1, y1, 3, 0, "S01" if n <= 3 else "S02", "DAY", round(0.05 + 0.02 * n, 3),
            0.02, 0.5, XLL + x2, YLL + y2, 12.0, 2.0, 1.0, 18, 0, 0)
    write("sources.txt", "\n".join(definition) + "\n")
    write("sources_desc.txt", "\n".join(description) + "\n")


CLASSES = 11


def rose(name, prevailing):
    n_dir = 36
    weights = []
    for k in range(n_dir):
        angle = k * 10.0
        w = 1.0 + 1.6 * math.exp(-((angle - prevailing + 180) % 360 - 180) ** 2 / (2 * 40.0 ** 2))
        w += 0.6 * math.exp(-((angle - prevailing + 0) % 360 - 180) ** 2 / (2 * 50.0 ** 2))
        weights.append(w)
    class_share = [0.03, 0.05, 0.06, 0.08, 0.12, 0.05, 0.14, 0.22, 0.09, 0.10, 0.06]
    lines = ["! wind rose, percent of the year per direction; the last value of a class is its calm",
             str(n_dir)]
    total_w = sum(weights)
    for share in class_share:
        calm = 0.08 * share * 100.0
        values = [share * 100.0 * 0.92 * w / total_w for w in weights]
        lines.append(" ".join(f"{v:.4f}" for v in values) + f" {calm:.4f}")
    write(name, "\n".join(lines) + "\n")


def met_series(name, hours, prevailing, with_inversion):
    lines = ["! year month day hour wind_dir wind_speed temp_gradient [zi dir_i speed_i gradient_i]"]
    for hour in range(hours):
        day, h = divmod(hour, 24)
        month_day = day + 1
        night = h < 6 or h > 19
        wdir = (prevailing + 60 * math.sin(hour / 17.0) + rng.uniform(-25, 25)) % 360
        wsp = max(0.5, 3.5 + 2.5 * math.sin(hour / 29.0) + rng.uniform(-1.5, 1.5))
        grad = (0.8 if night else -1.2) + rng.uniform(-1.0, 1.0)
        line = f"2026 1 {month_day} {h} {wdir:.1f} {wsp:.2f} {grad:.2f}"
        if with_inversion:
            zi = -9999
            if night and rng.random() < 0.5:
                zi = round(420 + rng.uniform(0, 250))
            line += f" {zi} {(wdir + 20) % 360:.1f} {wsp * 1.4:.2f} {grad + 0.5:.2f}"
        lines.append(line)
    write(name, "\n".join(lines) + "\n")


def profiles(hours):
    day = ["! year month day hour factor"]
    con = ["! year month day hour factor"]
    for hour in range(hours):
        d, h = divmod(hour, 24)
        day.append(f"2026 1 {d + 1} {h} {1.0 if 6 <= h <= 21 else 0.2:.2f}")
        con.append(f"2026 1 {d + 1} {h} {0.9 + 0.1 * math.sin(hour / 12.0):.3f}")
    write("emis_DAY.txt", "\n".join(day) + "\n")
    write("emis_CON.txt", "\n".join(con) + "\n")


def climate():
    lines = ["Klimaticka data chladicich vezi"]

    def matrix(label, value):
        lines.append(label)
        for j in range(10):
            lines.append(" ".join(f"{value(i, j):.5g}" for i in range(7)))

    humid = [0.08, 0.12, 0.18, 0.2, 0.17, 0.15, 0.1]
    temp = [0.02, 0.05, 0.1, 0.13, 0.15, 0.16, 0.16, 0.13, 0.07, 0.03]
    for s in range(5):
        matrix(f"grt_{s + 1}", lambda i, j: humid[i] * temp[j])
    matrix("frt", lambda i, j: 0.6 + 0.03 * i - 0.01 * j)
    for c in range(3):
        matrix(f"vch1_{c + 1}", lambda i, j, c=c: 9000 + 800 * c - 120 * j)
    for c in range(3):
        matrix(f"tch1_{c + 1}", lambda i, j: 18 + 1.6 * j + 0.3 * i)
    write("climate.txt", "\n".join(lines) + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    terrain()
    receptors("receptors.txt", 40, 30, 200.0, 1100.0, 1100.0, NAMED)
    receptors("receptors_hourly.txt", 20, 15, 400.0, 1000.0, 1000.0, NAMED)
    write("output_points.txt", "\n".join(f"'{p[0]}'" for p in NAMED) + "\nR07_10\n")
    sources()
    rose("rose_S01.txt", 250.0)
    rose("rose_S02.txt", 220.0)
    hours = 31 * 24
    met_series("met_S01.txt", hours, 250.0, True)
    met_series("met_S02.txt", hours, 220.0, True)
    profiles(hours)
    climate()


if __name__ == "__main__":
    main()
