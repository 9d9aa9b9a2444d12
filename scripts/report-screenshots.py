#!/usr/bin/python3
"""Screenshots of a kadre-map report for the README, taken in headless Chromium.

Usage: report-screenshots.py <report.html> <map.png> [<tables.png> [<roses.png>]]
"""
import os
import shutil
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

report, map_png = sys.argv[1:3]
options = webdriver.ChromeOptions()
profile = tempfile.mkdtemp(prefix="kadre-shot-")
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--window-size=1400,900", "--user-data-dir=" + profile):
    options.add_argument(flag)
driver = webdriver.Chrome(options=options, service=Service(shutil.which("chromedriver")))
try:
    driver.get("file://" + os.path.abspath(report))
    top = driver.execute_script(
        "const s = window.KADRE_DATA.sets[0]; return s.indicators[0].max;")
    driver.execute_script("window.kadre.receptorMarkers[arguments[0]].openPopup()", top)
    time.sleep(0.5)
    driver.save_screenshot(map_png)
    if len(sys.argv) > 3:
        driver.execute_script("window.kadre.map.closePopup();"
                              "document.getElementById('maxima').scrollIntoView()")
        time.sleep(0.3)
        driver.save_screenshot(sys.argv[3])
    if len(sys.argv) > 4:
        driver.execute_script("document.querySelector('.roses').scrollIntoView()")
        time.sleep(0.3)
        driver.save_screenshot(sys.argv[4])
finally:
    driver.quit()
    shutil.rmtree(profile, ignore_errors=True)
