"""What the tests of the Windows packages share: running programs under Wine
and on Linux, the checks they collect, and the passwords of the Windows
programs against those of the Linux build in the same run."""
import os
import subprocess
import sys
import tempfile
import time

KEY = r"HKEY_CURRENT_USER\Software\Ostrel Applications\tovrik\setting102"
failures = []


def check(name, condition, detail=""):
    if not condition:
        failures.append(f"{name}: {detail}"[:2000])


def finish(test):
    for failure in failures:
        print("FAIL:", failure)
    print(f"{test}: {len(failures)} failures")
    sys.exit(1 if failures else 0)


def wine(args, **kwargs):
    """Runs a Wine program and returns what it wrote. Its output goes to
    files, not pipes: Wine's services that the program starts (rpcss,
    explorer) inherit its handles and outlive it, and a pipe they hold
    never ends."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine"] + args, stdout=out, stderr=err, timeout=120, **kwargs)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())


def linux(program, args, config, **kwargs):
    env = dict(os.environ, XDG_CONFIG_HOME=config, LC_ALL="C.UTF-8")
    return subprocess.run([program] + args, capture_output=True, env=env, timeout=30, **kwargs)


# Arguments of tovrik-gen that reach every part of the generation, Japanese
# and texts that begin with "@" included.
PASSWORD_CASES = [
    ["--seed", "TANE"],
    ["--seed", "日本語のたね", "--owner-name", "山田太郎", "--owner-key", "鍵🔑"],
    ["--numbers", "1-2-3-4-5-6-99999", "--complex", "--length", "20"],
    ["--numbers", "0-0-0-0-0-0-0", "--length", "4"],
    ["--list", "!#$%&()*+-/=?@[]^_{|}~abcXYZ123", "--complex", "--spread", "4"],
    ["--list", "あいうえおカキクケコ漢字", "--seed", "@String(x)", "--length", "32"],
    ["--owner-name", "@ByteArray(a)", "--seed", "", "--spread", "2"],
]


def check_passwords(what, windows_gen, linux_gen, empty_config):
    """WINDOWS_GEN (a tovrik-gen.exe) makes the golden passwords, and the
    same output as the Linux build's for every case."""
    for args in PASSWORD_CASES:
        windows = wine([windows_gen, "--no-store"] + args)
        expected = linux(linux_gen, ["--no-store"] + args, empty_config)
        check(f"{what} {args}",
              windows.returncode == expected.returncode and windows.stdout == expected.stdout,
              f"{windows.returncode} {windows.stdout[:300]!r} {windows.stderr[:300]!r} "
              f"vs {expected.stdout[:300]!r}")
    golden = wine([windows_gen, "--no-store", "--seed", "TANE"]).stdout.decode().split("\n")
    check(f"{what}: golden passwords",
          len(golden) > 15 and golden[0] == "rGhrZfcW(." and golden[15] == "$9!EE7tD*+", golden)


def start_window(exe):
    """Starts the window EXE on the offscreen platform and waits until its
    start-up has saved the settings, then ends it; returns None. If it ends
    before, returns its exit status."""
    wine(["reg", "delete", KEY, "/f"])
    window = subprocess.Popen(["wine", exe, "-platform", "offscreen"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(120):
            if window.poll() is not None:
                return window.returncode
            if wine(["reg", "query", KEY, "/v", "length"]).returncode == 0:
                return None
            time.sleep(0.5)
        return "neither saved its settings nor ended"
    finally:
        if window.poll() is None:
            window.kill()
            window.wait()
