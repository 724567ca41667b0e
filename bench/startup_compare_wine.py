#!/usr/bin/env python3
"""Under Wine, the time from launch to the window shown on an X server:
tovrik.exe against startup_minimal.exe (the bare dialog with the same
controls, built beside it with the same Qt and toolchain), in alternating
runs under one wineserver. Prints the medians and their ratio.

Run it on an X server of its own (xvfb-run), with WINEPREFIX set to a
prefix that may be written; the windows' title is the same for both.

Usage: bench/startup_compare_wine.py BIN_DIR [RUNS]
"""
import os
import statistics
import subprocess
import sys
import time

bin_dir = os.path.abspath(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
programs = {"tovrik.exe": os.path.join(bin_dir, "tovrik.exe"),
            "bare dialog": os.path.join(bin_dir, "startup_minimal.exe")}
env = dict(os.environ, WINEDEBUG="-all", LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
TITLE = "さん用"


def shown_window():
    search = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE],
                            capture_output=True, text=True, env=env)
    return search.stdout.split()[0] if search.stdout.strip() else None


def time_to_shown(exe):
    """Seconds from the launch until the window is mapped; the program is
    then ended and its window gone before the next run."""
    start = time.monotonic()
    process = subprocess.Popen(["wine", exe], cwd=bin_dir, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = None
    while window is None:
        if time.monotonic() - start > 60:
            process.kill()
            sys.exit(f"startup_compare_wine: no window of {exe} within 60 s")
        window = shown_window()
        if window is None:
            time.sleep(0.005)
    elapsed = time.monotonic() - start
    process.terminate()
    process.wait(timeout=30)
    while shown_window():
        time.sleep(0.05)
    return elapsed


# A usual start finds an owner key. A prefix without the window's settings
# gets some for the runs, removed again at the end; existing ones are used
# as they are.
APP_KEY = r"HKEY_CURRENT_USER\Software\Ostrel Applications\tovrik"
made_key = subprocess.run(["wine", "reg", "query", APP_KEY], env=env,
                          capture_output=True).returncode != 0
if made_key:
    subprocess.run(["wine", "reg", "add", APP_KEY + r"\setting102", "/v", "unique key", "/t",
                    "REG_SZ", "/d", "benchmark owner key 42", "/f"],
                   env=env, check=True, capture_output=True)

# One wineserver for every run, so that none pays for starting it; an
# untimed start of each first, so that both find the prefix, the store and
# the DLLs in the page cache alike.
subprocess.run(["wineserver", "-p"], env=env, check=True)
try:
    for exe in programs.values():
        time_to_shown(exe)
    results = {name: [] for name in programs}
    for _ in range(runs):
        for name, exe in programs.items():
            results[name].append(time_to_shown(exe))
finally:
    if made_key:
        subprocess.run(["wine", "reg", "delete", APP_KEY, "/f"], env=env, capture_output=True)
    subprocess.run(["wineserver", "-k"], env=env)

median = {name: statistics.median(times) * 1000 for name, times in results.items()}
for name, ms in median.items():
    print(f"{name:12} launch to window shown {ms:8.1f} ms (median of {runs})")
print(f"ratio tovrik.exe/bare dialog: {median['tovrik.exe'] / median['bare dialog']:.2f} "
      "(target <= 1.2)")
