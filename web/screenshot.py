#!/usr/bin/python3
"""Takes a picture of the offline page after a generation, in headless
Chromium: the whole page at the given width in CSS pixels, in the browser
languages given (as in Accept-Language; the page follows the first).

Usage: screenshot.py PAGE.html OUT.png [WIDTH [LANGUAGES]]   (default 720 ja)
"""
import base64
import pathlib
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait


def main(page, out, width=720, languages="ja"):
    profile = tempfile.TemporaryDirectory(prefix="tovrik-shot-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-first-run",
                "--hide-scrollbars", "--force-color-profile=srgb",
                "--user-data-dir=" + profile.name):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.execute_cdp_cmd("Emulation.setUserAgentOverride", {
            "userAgent": driver.execute_script("return navigator.userAgent"),
            "acceptLanguage": languages})
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": 800, "deviceScaleFactor": 1, "mobile": width < 500})
        driver.get(pathlib.Path(page).resolve().as_uri())
        WebDriverWait(driver, 10).until(
            lambda d: d.find_element(By.ID, "generate").is_enabled())
        driver.find_element(By.ID, "owner-key").send_keys("owner key")
        driver.find_element(By.ID, "complexity").click()
        Select(driver.find_element(By.ID, "spread")).select_by_value("3")
        driver.find_element(By.ID, "generate").click()
        driver.find_element(By.ID, "generate").send_keys("")  # keep the focus ring off
        height = driver.execute_script("return document.documentElement.scrollHeight")
        shot = driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": True,
            "clip": {"x": 0, "y": 0, "width": width, "height": height, "scale": 1}})
        pathlib.Path(out).write_bytes(base64.b64decode(shot["data"]))
    finally:
        driver.quit()
        profile.cleanup()


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4, 5):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], *[int(sys.argv[3])] if len(sys.argv) > 3 else [],
         *sys.argv[4:])
