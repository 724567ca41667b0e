#!/usr/bin/env python3
"""tovrik-gen as a user runs it: the golden passwords, the store it reads,
stores it must refuse, and output that cannot be written. The one harness
that runs the real program, for the tests and for the check of hardened
builds. Given TOVRIK_SETTINGS as well, the output of tovrik-settings too.

Usage: end_to_end_test.py TOVRIK_GEN FIXTURE_CONFIG_DIR [TOVRIK_SETTINGS]
FIXTURE_CONFIG_DIR holds the window's store as a configuration folder holds
it, and so gives the store's place below such a folder.
The cases that need a second user run as root only (through setpriv).
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

# Absolute, as some cases run the programs from another folder.
gen, fixture = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
settings = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
STORE_FOLDER, STORE_FILE = os.path.split(
    os.path.relpath(glob.glob(os.path.join(fixture, "*", "*"))[0], fixture))
NOBODY = 65534
failures = []
is_root = os.geteuid() == 0 and shutil.which("setpriv") is not None
# Run as another user: makes a store folder of its own beside the user's and
# swaps the two names in a loop with renameat2(RENAME_EXCHANGE).
SWAPPER = r"""
import ctypes, os, sys
race, folder, file = sys.argv[1:]
theirs = os.path.join(race, "theirs")
os.makedirs(theirs, 0o700)
with open(os.path.join(theirs, file), "w") as f:
    f.write("[setting102]\nunique%20key=the other key\n")
libc = ctypes.CDLL(None, use_errno=True)
AT_FDCWD, RENAME_EXCHANGE = -100, 2
a, b = os.path.join(race, folder).encode(), theirs.encode()
print("ready", flush=True)
while True:
    libc.renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE)
"""
WARNING = ("tovrik-gen: warning: the owner key is empty, so anyone can work out these "
           "passwords; set a long random owner key\n")


def run(args, config, as_nobody=False, stdout=subprocess.PIPE, home=None, cwd=None,
        program=None, stdin=None):
    env = dict(os.environ, XDG_CONFIG_HOME=config, LC_ALL="C.UTF-8")
    if home is not None:
        env["HOME"] = home
    command = [program or gen] + args
    if as_nobody:
        command = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + command
    return subprocess.run(command, env=env, stdout=stdout, stderr=subprocess.PIPE, timeout=10,
                          cwd=cwd, stdin=stdin)


def check(name, condition, result=None):
    if not condition:
        detail = "" if result is None else f" (status {result.returncode}, " \
            f"out {result.stdout!r:.200}, err {result.stderr!r:.300})"
        failures.append(name + detail)


def expect(name, result, status, out=None, err=None, err_has=None):
    ok = result.returncode == status
    if out is not None:
        ok = ok and result.stdout.decode() == out
    if err is not None:
        ok = ok and result.stderr.decode() == err
    if err_has is not None:
        ok = ok and err_has in result.stderr.decode()
    check(name, ok, result)


with tempfile.TemporaryDirectory() as top:
    os.chmod(top, 0o755)

    def config_dir(name, owner=None):
        path = os.path.join(top, name)
        os.makedirs(os.path.join(path, STORE_FOLDER))
        if owner is not None:
            for folder in (path, os.path.join(path, STORE_FOLDER)):
                os.chown(folder, owner, owner)
        return path

    def store_of(config):
        return os.path.join(config, STORE_FOLDER, STORE_FILE)

    # The golden first-start passwords, and the one warning on errors.
    result = run(["--no-store", "--seed", "TANE"], top)
    lines = result.stdout.decode().splitlines()
    check("golden passwords", result.returncode == 0 and len(lines) == 16 and
          lines[0] == "rGhrZfcW(." and lines[15] == "$9!EE7tD*+", result)
    expect("empty-key warning", result, 0, err=WARNING)

    # The store the window left: numeric seed, complexity, length 4, spread 0.
    stored = os.path.join(top, "stored")
    shutil.copytree(fixture, stored)
    expect("reads the store", run([], stored), 0, out="1r@M\n", err=WARNING)

    # The configuration folder as the XDG rules have it: a relative
    # XDG_CONFIG_HOME is ignored (~/.config, empty here, is used), and one
    # that is not valid in the locale's encoding is refused, naming it.
    home = os.path.join(top, "home")
    os.makedirs(home)
    expect("relative XDG_CONFIG_HOME", run([], "stored", home=home, cwd=top), 0,
           out="rGhrZfcW(.\n", err=WARNING)
    expect("XDG_CONFIG_HOME not valid UTF-8", run([], os.fsencode(top) + b"/\xff"), 1, out="",
           err_has="XDG_CONFIG_HOME is not valid in the locale's encoding")

    # A store folder that its owner linked elsewhere, as dotfile managers do.
    linked_folder = os.path.join(top, "linked-folder")
    os.makedirs(linked_folder)
    dotfiles = os.path.join(top, "dotfiles")
    shutil.copytree(os.path.join(fixture, STORE_FOLDER), dotfiles)
    os.chmod(dotfiles, 0o700)
    os.symlink(dotfiles, os.path.join(linked_folder, STORE_FOLDER))
    expect("store folder linked by its owner", run([], linked_folder), 0, out="1r@M\n",
           err=WARNING)

    # A list with nothing left once normalised.
    expect("empty list", run(["--no-store", "--list", "\r\n"], top), 1, out="")

    # A mistyped configuration folder is a first start, with the warning.
    result = run([], os.path.join(top, "no such folder"))
    expect("absent store is a first start", result, 0, out="rGhrZfcW(.\n", err=WARNING)

    # A FIFO in place of the store neither blocks nor is read.
    fifo = config_dir("fifo")
    os.mkfifo(store_of(fifo))
    expect("FIFO", run([], fifo), 1, out="", err_has=store_of(fifo))

    # A full disk behind standard output: a failure, for every output of
    # either program.
    full_cases = [(gen, ["--no-store"]), (gen, ["--help"]), (gen, ["-v"])]
    if settings:
        full_cases += [(settings, args) for args in (
            ["show"], ["show", "--reveal-key"], ["path"], ["--help"], ["--version"], ["-h"],
            ["-v"])]
    for program, args in full_cases:
        with open("/dev/full", "wb") as full:
            result = run(args, stored, stdout=full, program=program)
        check(f"/dev/full: {os.path.basename(program)} {' '.join(args)}",
              result.returncode == 4 and result.stderr.endswith(b"cannot write to standard output\n"),
              result)
    # A pipe that nobody reads fails the same way, instead of ending the
    # program through SIGPIPE.
    for program, args in [(gen, ["--no-store"])] + ([(settings, ["show"])] if settings else []):
        read_end, write_end = os.pipe()
        os.close(read_end)
        with os.fdopen(write_end, "wb") as closed:
            result = run(args, stored, stdout=closed, program=program)
        check(f"closed pipe: {os.path.basename(program)} {' '.join(args)}",
              result.returncode == 4 and result.stderr.endswith(b"cannot write to standard output\n"),
              result)

    # A key read from standard input that never ends a line is refused once
    # it passes 4 KiB, without reading on; the store stays as it was.
    key_cases = [(gen, ["--no-store", "--ask-owner-key"])]
    if settings:
        key_cases.append((settings, ["set-owner-key"]))
    for program, args in key_cases:
        before = open(store_of(stored), "rb").read()
        with open("/dev/zero", "rb") as zeros:
            result = run(args, stored, stdin=zeros, program=program)
        expect(f"/dev/zero: {os.path.basename(program)}", result, 1, out="",
               err_has="longer than 4096 bytes")
        check(f"/dev/zero: {os.path.basename(program)} leaves the store",
              open(store_of(stored), "rb").read() == before)

    # A line break and an escape in the configuration folder's name reach
    # the terminal escaped, in one line.
    odd = config_dir("odd\nname\x1b[2J")
    os.mkfifo(store_of(odd))
    result = run([], odd)
    shown = store_of(odd).replace("\n", "\\x0A").replace("\x1b", "\\x1B")
    expect("odd folder name", result, 1, out="", err_has=shown)
    check("odd folder name: one line", result.stderr.count(b"\n") == 1 and
          b"\x1b" not in result.stderr, result)

    # Damaged and hand-edited stores: each value read as the text it holds,
    # or the store refused, naming it and the value; a refused store is
    # left as it was.
    damaged = [
        ("a key that looks like a list", b"[setting102]\nunique%20key=my, key\n", 0, "my, key"),
        ("a byte array", b"[setting102]\nunique%20key=@ByteArray(abc)\n", 3, "'unique key'"),
        ("a variant", b"[setting102]\nseed1=@Variant(\\0\\0\\0\\x2)\n", 3, "'seed1'"),
        ("a header left open", b"[setting102\nunique%20key=k\n", 3, "line 1"),
        ("binary garbage", bytes(range(256)), 3, "not UTF-8"),
    ]
    for name, content, status, says in damaged:
        config = config_dir("damaged " + name)
        with open(store_of(config), "wb") as f:
            f.write(content)
        result = run([], config)
        if status == 0:
            check(f"damaged store, {name}: read", result.returncode == 0, result)
            if settings:
                shown = run(["show", "--reveal-key"], config, program=settings)
                check(f"damaged store, {name}: the key as it is",
                      f"owner key:    {says}\n" in shown.stdout.decode(), shown)
            continue
        expect(f"damaged store, {name}", result, status, out="", err_has=says)
        check(f"damaged store, {name}: names the file", store_of(config) in result.stderr.decode(),
              result)
        if settings:
            for args in (["show"], ["set-owner-key", "--clear"]):
                result = run(args, config, program=settings)
                expect(f"damaged store, {name}: tovrik-settings {args[0]}", result, 1, out="",
                       err_has=says)
        with open(store_of(config), "rb") as f:
            check(f"damaged store, {name}: left as it was", f.read() == content)

    if not is_root:
        unreadable = config_dir("unreadable")
        shutil.copy(store_of(fixture), store_of(unreadable))
        os.chmod(store_of(unreadable), 0)
        expect("unreadable store", run([], unreadable), 3, out="", err_has=store_of(unreadable))
        print("skipped without root: the stores of another user")
    else:
        # The store of the user nobody, who runs tovrik-gen.
        unreadable = config_dir("unreadable", NOBODY)
        with open(store_of(unreadable), "w") as f:
            f.write("[setting102]\nunique%20key=mine\n")
        os.chown(store_of(unreadable), NOBODY, NOBODY)
        os.chmod(store_of(unreadable), 0)
        expect("unreadable store", run([], unreadable, True), 3, out="",
               err_has=store_of(unreadable))

        # Stores that another user (root here) made for nobody.
        planted = "[setting102]\nunique%20key=chosen by someone else\n"
        theirs = config_dir("theirs")
        os.chmod(os.path.join(theirs, STORE_FOLDER), 0o755)
        with open(store_of(theirs), "w") as f:
            f.write(planted)
        os.chmod(store_of(theirs), 0o644)
        expect("folder of another user", run([], theirs, True), 1, out="",
               err_has=os.path.join(theirs, STORE_FOLDER))

        shared = config_dir("shared")
        os.chmod(os.path.join(shared, STORE_FOLDER), 0o777)
        expect("shared folder of another user", run([], shared, True), 1, out="")

        linked = config_dir("linked", NOBODY)
        victim = os.path.join(linked, "victim.conf")
        with open(victim, "w") as f:
            f.write(planted)
        os.chown(victim, NOBODY, NOBODY)
        os.symlink(victim, store_of(linked))  # made by root
        expect("link made by another user", run([], linked, True), 1, out="",
               err_has=store_of(linked))

        # Another user who can write to the folder above the store swaps a
        # store folder of their own with the user's, again and again: each
        # run reads the user's own key or refuses, never the other key.
        if settings:
            race = os.path.join(top, "race")
            os.makedirs(race)
            os.chmod(race, 0o777)
            mine = os.path.join(race, STORE_FOLDER)
            os.makedirs(mine, 0o700)
            with open(os.path.join(mine, STORE_FILE), "w") as f:
                f.write("[setting102]\nunique%20key=my own key\n")
            swapper = subprocess.Popen(
                ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups",
                 sys.executable, "-c", SWAPPER, race, STORE_FOLDER, STORE_FILE],
                stdout=subprocess.PIPE)
            swapper.stdout.readline()  # the other folder is in place
            outcomes = {}
            try:
                for _ in range(300):
                    result = run(["show", "--reveal-key"], race, program=settings)
                    key = [line for line in result.stdout.decode().splitlines()
                           if line.startswith("owner key:")]
                    outcome = key[0] if result.returncode == 0 and key else \
                        f"refused ({result.returncode})"
                    outcomes[outcome] = outcomes.get(outcome, 0) + 1
            finally:
                swapper.kill()
                swapper.wait()
            check(f"two-user read race: {outcomes}",
                  set(outcomes) <= {"owner key:    my own key", "refused (1)", "refused (3)"})
            # Both folders were met: the race ran.
            check(f"two-user read race: both folders met {outcomes}",
                  "owner key:    my own key" in outcomes and len(outcomes) > 1)

if failures:
    print("FAILED:\n  " + "\n  ".join(failures))
    sys.exit(1)
print("all cases passed")
