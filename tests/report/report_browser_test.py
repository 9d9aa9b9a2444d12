"""The report of kadre-map --html in headless Chromium: the demo's statistical run, its
report opened from file:// with no network, clicked as a reader would.

Usage: report_browser_test.py <kadre> <kadre-map> <examples/demo> <work directory>
"""
import base64
import csv
import io
import os
import shutil
import subprocess
import sys
import time
import unittest

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.chrome.service import Service as ChromeService
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

KADRE, KADRE_MAP, DEMO, WORK = (os.path.abspath(a) for a in sys.argv[1:5])
TOP_COLOUR = (0xFD, 0xE7, 0x25)  # the top of the concentration scale


def run_demo():
    """The demo's statistical run in a copy of its folder, and its report."""
    run = os.path.join(WORK, "demo")
    steps = []
    if not os.environ.get("KADRE_REPORT_REUSE"):  # set: the results of an earlier run serve
        shutil.rmtree(run, ignore_errors=True)
        shutil.copytree(DEMO, run, ignore=shutil.ignore_patterns("output", "*.png", "*.html"))
        os.makedirs(os.path.join(run, "output"))
        steps += [[KADRE, "demo.nml"], [KADRE, "hourly.nml"]]
    for args in steps + [
                 [KADRE_MAP, "demo.nml", "--html", "--crs", "EPSG:32633", "--indicator", "ave",
                  "--indicator", "Ch_w_dir_max"],
                 [KADRE_MAP, "hourly.nml", "--html", "--lang", "en", "--indicator", "max"]]:
        done = subprocess.run(args, cwd=run, capture_output=True, text=True)
        assert done.returncode == 0, done.stdout + done.stderr
    return run


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=1400,1000",
                 "--user-data-dir=" + os.path.join(WORK, "chromium-profile")):
        options.add_argument(flag)
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    service = ChromeService(executable_path=shutil.which("chromedriver"))
    return webdriver.Chrome(options=options, service=service)


class Report(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.run_dir = run_demo()
        with open(os.path.join(cls.run_dir, "output", "stats.csv"), newline="") as f:
            rows = list(csv.reader(f, delimiter=";"))
        header = [c.strip() for c in rows[0]]
        cls.points = [r[0].strip() for r in rows[1:]]
        ave = header.index("ave")
        values = [float(r[ave]) for r in rows[1:]]
        cls.top = values.index(max(values))
        cls.top_text = rows[1 + cls.top][ave].strip()
        cls.driver = browser()
        cls.driver.get("file://" + os.path.join(cls.run_dir, "output", "demo.html"))
        cls.driver.execute_script("return window.kadre.map.getZoom()")

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def test_loads_offline_without_errors(self):
        errors = [e for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]
        self.assertEqual(errors, [])
        resources = self.js("return performance.getEntriesByType('resource')"
                            ".map(e => e.name).filter(n => !n.startsWith('data:'))")
        self.assertEqual(resources, [])

    def test_receptors_are_the_points_and_popup_shows_value_as_written(self):
        self.assertEqual(self.js("return window.kadre.receptorMarkers.length"), len(self.points))
        ids = self.js("return window.KADRE_DATA.points.ids")
        self.assertEqual(ids, self.points)
        self.js("window.kadre.map.setView(window.KADRE_DATA.points.at[arguments[0]], "
                "window.kadre.map.getZoom() + 1, {animate: false})", self.top)
        self.js("window.kadre.hide(['maximum', 'contours'])")
        p = self.js("return window.kadre.containerPoint(arguments[0])", self.top)
        box = self.driver.find_element(By.ID, "map")
        size = box.size
        ActionChains(self.driver).move_to_element_with_offset(
            box, int(p["x"] - size["width"] / 2), int(p["y"] - size["height"] / 2)).click().perform()
        cell = self.driver.find_element(
            By.CSS_SELECTOR, ".leaflet-popup-content td[data-file='stats.csv'][data-column='ave']")
        self.assertEqual(cell.get_attribute("textContent"), self.top_text)
        self.assertEqual(self.points[self.top], self.driver.find_element(
            By.CSS_SELECTOR, ".leaflet-popup-content .pid").get_attribute("textContent"))
        self.js("window.kadre.map.closePopup(); window.kadre.map.addLayer(window.kadre.contourLayer)")

    def test_switching_indicator_changes_overlay_and_directions_have_no_contours(self):
        select = Select(self.driver.find_element(By.ID, "kadre-indicator"))
        select.select_by_index(0)
        before = self.js("return window.kadre.overlaySource()")
        self.assertGreater(self.js("return window.kadre.contourCount()"), 0)
        names = [o.text.split(" ")[0] for o in select.options]
        select.select_by_index(names.index("Ch_w_dir_max"))
        self.assertNotEqual(self.js("return window.kadre.overlaySource()"), before)
        self.assertEqual(self.js("return window.kadre.contourCount()"), 0)
        select.select_by_index(0)

    def test_maxima_rows_centre_the_map(self):
        self.js("window.kadre.map.setView(window.KADRE_DATA.points.at[0], "
                "window.kadre.map.getZoom(), {animate: false})")
        row = self.driver.find_element(By.CSS_SELECTOR, "#maxima tr[data-indicator='ave']")
        self.assertEqual(int(row.get_attribute("data-point")), self.top)
        row.click()
        centre = self.js("const c = window.kadre.map.getCenter(); return [c.lat, c.lng]")
        at = self.js("return window.KADRE_DATA.points.at[arguments[0]]", self.top)
        self.assertAlmostEqual(centre[0], at[0], places=6)
        self.assertAlmostEqual(centre[1], at[1], places=6)
        self.js("window.kadre.map.closePopup()")

    def test_screenshot_has_top_colour_at_the_maximum(self):
        Select(self.driver.find_element(By.ID, "kadre-indicator")).select_by_index(0)
        self.js("window.kadre.hide(['maximum', 'contours', 'receptors']);"
                "const o = document.getElementById('kadre-opacity'); o.value = 1;"
                "o.dispatchEvent(new Event('input'));"
                "window.kadre.map.setView(window.KADRE_DATA.points.at[arguments[0]], "
                "window.kadre.map.getZoom(), {animate: false})", self.top)
        p = self.js("return window.kadre.containerPoint(arguments[0])", self.top)
        # The opacity change may still be fading in on a busy machine: look again for a while.
        for _ in range(25):
            png = self.driver.find_element(By.ID, "map").screenshot_as_png
            pixel = png_pixel(png, int(p["x"]) + 2, int(p["y"]) + 2)
            if pixel[:3] == TOP_COLOUR:
                break
            time.sleep(0.2)
        self.assertEqual(pixel[:3], TOP_COLOUR)
        shot = os.environ.get("KADRE_REPORT_SCREENSHOT")
        if shot:
            with open(shot, "wb") as f:
                f.write(self.driver.get_screenshot_as_png())

    def test_x_hourly_report_in_local_metres_holds_the_compliance_file(self):
        self.driver.get("file://" + os.path.join(self.run_dir, "output", "hourly.html"))
        self.assertEqual([e for e in self.driver.get_log("browser") if e["level"] == "SEVERE"], [])
        with open(os.path.join(self.run_dir, "output", "limits_hourly.csv"), newline="") as f:
            rows = list(csv.reader(f, delimiter=";"))
        columns = [c.strip() for c in rows[0]][4:]
        self.js("window.kadre.receptorMarkers[0].openPopup()")
        for k, column in enumerate(columns):
            cell = self.driver.find_element(
                By.CSS_SELECTOR, ".leaflet-popup-content td[data-file='limits_hourly.csv']"
                "[data-column='%s']" % column)
            self.assertEqual(cell.get_attribute("textContent"), rows[1][4 + k].strip())
        verdicts = self.driver.find_element(By.CSS_SELECTOR, "table.compliance").text
        self.assertIn("exceeds_year", verdicts)
        self.assertFalse(self.js("return window.KADRE_DATA.geographic"))


def png_pixel(png, x, y):
    """The pixel (x, y) of an RGBA or RGB PNG, decoded with the standard library only."""
    import struct
    import zlib
    pos, chunks = 8, b""
    width = height = 0
    colour_type = 6
    while pos < len(png):
        length, kind = struct.unpack(">I4s", png[pos:pos + 8])
        data = png[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, _, colour_type = struct.unpack(">IIBB", data[:10])
        elif kind == b"IDAT":
            chunks += data
        pos += 12 + length
    raw = zlib.decompress(chunks)
    bpp = 4 if colour_type == 6 else 3
    stride = width * bpp
    prev = bytearray(stride)
    rows = []
    for r in range(height):
        f = raw[r * (stride + 1)]
        line = bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
        if r == y:
            return tuple(line[x * bpp:(x + 1) * bpp])
    raise IndexError((x, y))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
