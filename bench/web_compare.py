#!/usr/bin/python3
"""One generation at length 99 with complexity: the offline page in headless
Chromium against the native engine, in the same run. Target: the page takes
at most 3 times the native time.

Usage: web_compare.py PAGE.html BUILD_DIR
(BUILD_DIR holds bench/generate_bench.)
"""
import json
import pathlib
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

TARGET = 3.0


def native_ns(build_dir):
    """Fastest repetition of generator/L99_complexity, in ns of wall time."""
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run(
            [str(pathlib.Path(build_dir) / "bench" / "generate_bench"),
             "--benchmark_filter=^generator/L99_complexity$", "--benchmark_repetitions=7",
             "--benchmark_out_format=json", "--benchmark_out=" + out.name],
            check=True, capture_output=True)
        runs = [b for b in json.load(out)["benchmarks"] if b.get("run_type") == "iteration"]
    return min(b["real_time"] for b in runs)


# The page's own bridge, on the request that the native benchmark uses.
BROWSER_RUN = """
const [batches, calls] = arguments;
const request = { ownerName: '○○', ownerKey: '', stringSeedMode: true, seedText: 'TANE',
                  seedNumbers: [0, 0, 0, 0, 0, 0, 0], complexity: true,
                  charList: document.getElementById('char-list').value, length: 99 };
let best = Infinity;
for (let b = 0; b < batches; ++b) {
  const start = performance.now();
  for (let i = 0; i < calls; ++i) tovrikEngine.generatePasswords(request);
  best = Math.min(best, (performance.now() - start) / calls);
}
return best * 1e6;
"""


def browser_ns(page):
    profile = tempfile.TemporaryDirectory(prefix="tovrik-bench-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-first-run",
                "--user-data-dir=" + profile.name):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.get(pathlib.Path(page).resolve().as_uri())
        WebDriverWait(driver, 10).until(
            lambda d: d.execute_script("return typeof tovrikEngine === 'object'"))
        driver.execute_script(BROWSER_RUN, 3, 200)  # warm-up: the tiers of the wasm compiler
        return driver.execute_script(BROWSER_RUN, 15, 200)
    finally:
        driver.quit()
        profile.cleanup()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    native = native_ns(sys.argv[2])
    browser = browser_ns(sys.argv[1])
    native_again = native_ns(sys.argv[2])
    native = min(native, native_again)
    print(f"native engine  {native / 1000:8.1f} us")
    print(f"page (Chromium){browser / 1000:8.1f} us")
    print(f"ratio page/native {browser / native:.2f}  (target <= {TARGET:g})")


if __name__ == "__main__":
    main()
