#!/usr/bin/env python3
"""The window ended by a signal: SIGTERM (as at logout), SIGHUP (its
terminal gone) or SIGINT (Ctrl+C). It ends as Esc ends it, with status 0,
saving nothing, and its lock file goes with it. Whatever is found at the
lock's name (a FIFO, a link to /dev/zero, a folder), the window neither
hangs nor takes it, and ends the same way.

Usage: window_signals_test.py TOVRIK
"""
import glob
import os
import signal
import stat
import subprocess
import sys
import tempfile
import time

window = sys.argv[1]
failures = []


def catches(pid, signum):
    """The process has a handler of its own for the signal."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("SigCgt:"):
                    return (int(line.split()[1], 16) >> (signum - 1)) & 1 == 1
    except FileNotFoundError:
        pass
    return False


def wait_until(condition, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.02)
    return False


def default_signals():
    # Whatever started the tests may have left these ignored, which the
    # window keeps.
    for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        signal.signal(signum, signal.SIG_DFL)


def snapshot(folder):
    """Every entry of the folder: its type, inode, time and bytes."""
    entries = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        info = os.lstat(path)
        data = None
        if stat.S_ISREG(info.st_mode):
            with open(path, "rb") as f:
                data = f.read()
        entries[name] = (stat.S_IFMT(info.st_mode), info.st_ino, info.st_mtime_ns, data)
    return entries


def locks(config):
    return glob.glob(os.path.join(config, "*", "*.window-lock"))


def end_by(name, signum, env, ready):
    """Starts the window, sends the signal once it is ready, and waits for
    its end. True when it ended with status 0."""
    process = subprocess.Popen([window], env=env, preexec_fn=default_signals)
    try:
        if not wait_until(lambda: process.poll() is None and catches(process.pid, signum)
                          and ready()):
            failures.append(f"{name}: the window never got ready (status {process.poll()})")
            return False
        process.send_signal(signum)
        status = process.wait(timeout=30)
        if status != 0:
            failures.append(f"{name}: status {status}")
            return False
        return True
    except subprocess.TimeoutExpired:
        failures.append(f"{name}: the window did not end")
        return False
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


with tempfile.TemporaryDirectory() as config:
    env = dict(os.environ, XDG_CONFIG_HOME=config, QT_QPA_PLATFORM="offscreen")

    # A first start makes the store; its lock goes at the end.
    ended = end_by("first start", signal.SIGTERM, env, lambda: bool(locks(config)))
    if ended and locks(config):
        failures.append("first start: the lock file is left")
    folders = glob.glob(os.path.join(config, "*"))
    if not ended or len(folders) != 1:
        print("FAILED:\n  " + "\n  ".join(failures + ["no store folder after a first start"]))
        sys.exit(1)
    folder = folders[0]
    store = [name for name in os.listdir(folder) if not name.endswith(".window-lock")]
    lock = os.path.join(folder, (store[0] if store else "?") + ".window-lock")

    for signum in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        name = signal.Signals(signum).name
        before = snapshot(folder)
        if end_by(name, signum, env, lambda: os.path.exists(lock)) and \
                snapshot(folder) != before:
            failures.append(f"{name}: the store folder changed: {snapshot(folder)} "
                            f"instead of {before}")

    # Odd things at the lock's name: ready as soon as the handler is in,
    # since the lock is never taken.
    plants = {
        "FIFO at the lock's name": lambda: os.mkfifo(lock, 0o600),
        "link to /dev/zero at the lock's name": lambda: os.symlink("/dev/zero", lock),
        "folder at the lock's name": lambda: os.mkdir(lock, 0o700),
    }
    for name, plant in plants.items():
        plant()
        before = snapshot(folder)
        if end_by(name, signal.SIGTERM, env, lambda: True) and snapshot(folder) != before:
            failures.append(f"{name}: the store folder changed")
        if os.path.isdir(lock) and not os.path.islink(lock):
            os.rmdir(lock)
        else:
            os.unlink(lock)

if failures:
    print("FAILED:\n  " + "\n  ".join(failures))
    sys.exit(1)
print("the window ends on each signal as Esc ends it, and releases its lock")
