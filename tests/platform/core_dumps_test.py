#!/usr/bin/env python3
"""Every program runs with core dumps off: /proc/<pid>/limits shows a core
file size of 0 while each runs.

Usage: core_dumps_test.py TOVRIK_GEN TOVRIK TOVRIK_SETTINGS
"""
import fcntl
import os
import resource
import subprocess
import sys
import tempfile
import time

gen, window, settings = sys.argv[1], sys.argv[2], sys.argv[3]
F_SETPIPE_SZ = 1031


def core_limit(pid):
    with open(f"/proc/{pid}/limits") as limits:
        for line in limits:
            if line.startswith("Max core file size"):
                return line.split()[4:6]
    return None


def wait_for_zero(process):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and process.poll() is None:
        if core_limit(process.pid) == ["0", "0"]:
            return True
        time.sleep(0.01)
    return False


# Children start with core dumps allowed, so that only the programs
# themselves can turn them off.
_, hard = resource.getrlimit(resource.RLIMIT_CORE)
if hard == 0:
    print("skipped: core dumps are forbidden here already")
    sys.exit(0)


def allow_core_dumps():
    resource.setrlimit(resource.RLIMIT_CORE, (hard, hard))


failures = []
with tempfile.TemporaryDirectory() as config:
    env = dict(os.environ, XDG_CONFIG_HOME=config, QT_QPA_PLATFORM="offscreen")

    # tovrik-gen writes into a pipe that is already full, so it waits at its
    # output, long after it started, until the pipe is read.
    read_end, write_end = os.pipe()
    size = fcntl.fcntl(write_end, F_SETPIPE_SZ, 4096)
    os.write(write_end, b"x" * size)
    gen_process = subprocess.Popen([gen, "--no-store"], stdout=write_end, stderr=subprocess.DEVNULL,
                                   env=env, preexec_fn=allow_core_dumps)
    os.close(write_end)
    if not wait_for_zero(gen_process):
        failures.append("tovrik-gen: core limit not 0")
    with os.fdopen(read_end, "rb") as pipe:
        pipe.read()
    gen_process.wait(timeout=10)

    # tovrik-settings waits for the owner key on standard input.
    settings_process = subprocess.Popen([settings, "set-owner-key"], stdin=subprocess.PIPE,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        env=env, preexec_fn=allow_core_dumps)
    if not wait_for_zero(settings_process):
        failures.append("tovrik-settings: core limit not 0")
    settings_process.communicate(timeout=10)

    window_process = subprocess.Popen([window], env=env, preexec_fn=allow_core_dumps)
    try:
        if not wait_for_zero(window_process):
            failures.append("tovrik: core limit not 0")
    finally:
        window_process.kill()
        window_process.wait(timeout=10)

if failures:
    print("FAILED: " + "; ".join(failures))
    sys.exit(1)
print("core dumps are off in every program")
