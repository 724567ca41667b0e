#!/usr/bin/env python3
"""Runs the real start-up and a minimal dialog with the same controls, one
after the other, several times, and prints the medians and their ratios.

Usage: bench/startup_compare.py [BUILD_DIR] [RUNS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
exe = os.path.join(build, "bench", "startup_bench")
env = dict(os.environ)
if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
    env.setdefault("QT_QPA_PLATFORM", "offscreen")

# Every start but the first finds the store that an earlier start left: the
# first start, untimed, makes it.
config = tempfile.mkdtemp()
subprocess.run([exe, "real", config], env=env, check=True, capture_output=True)

results = {"real": [], "minimal": []}
for _ in range(runs):
    for mode in results:
        out = subprocess.run([exe, mode, config], env=env, check=True, capture_output=True,
                             text=True).stdout
        fields = dict(item.split("=") for item in out.split())
        results[mode].append((float(fields["time_ms"]), int(fields["maxrss_kb"])))

median = {m: (statistics.median(t for t, _ in r), statistics.median(k for _, k in r))
          for m, r in results.items()}
for mode, (ms, kb) in median.items():
    print(f"{mode:8} time to shown {ms:8.2f} ms   peak memory {kb / 1024:7.1f} MiB")
time_ratio = median["real"][0] / median["minimal"][0]
mem_ratio = median["real"][1] / median["minimal"][1]
print(f"ratio real/minimal: time {time_ratio:.2f} (target <= 1.1), "
      f"memory {mem_ratio:.2f} (target <= 1.05)")
shutil.rmtree(config)
