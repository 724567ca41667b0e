#!/usr/bin/env python3
"""The Windows zip as a user unpacks and runs it under Wine, checked against
the Linux build in the same run: the same passwords, the window reading and
writing the registry key of the Windows program on an X server, in Japanese
or English by the user's language (LANG, under Wine), and settings
carried both ways between Wine's registry tools and tovrik-settings on Linux.

Usage: windows_zip_test.py ZIP LINUX_BUILD_DIR
Needs DISPLAY (an X server for the window, and for Wine's clipboard),
xdotool, xclip and tmux, and a WINEPREFIX of the test's own.
"""
import glob
import os
import subprocess
import sys
import tempfile
import time
import zipfile

from windows_support import KEY, check, check_passwords, finish, linux, wine

zip_path, linux_build = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
linux_gen = os.path.join(linux_build, "cli", "tovrik-gen")
linux_settings = os.path.join(linux_build, "cli", "tovrik-settings")


def in_language(lang):
    """The environment of a Windows program whose user's language Wine takes
    from LANG."""
    env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_MESSAGES", "LANGUAGE")}
    return dict(env, LANG=lang)


def window_title(window_id):
    return subprocess.run(["xdotool", "getwindowname", window_id or "0"], capture_output=True,
                          text=True).stdout.strip()


def exported_values(path):
    """The values of the settings key in a file that `reg export` wrote,
    as (type, text) by name."""
    data = open(path, "rb").read()
    text = data.decode("utf-16") if data[:2] == b"\xff\xfe" else data.decode("utf-8")
    values, inside = {}, False
    for line in text.splitlines():
        if line.startswith("["):
            inside = line.strip("[]").lower() == KEY.lower()
        elif inside and line.startswith('"'):
            name, _, value = line.partition('"=')
            name = name[1:]
            if value.startswith("dword:"):
                values[name] = ("dword", int(value[6:], 16))
            elif value.startswith('"'):
                values[name] = ("sz", value[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
            else:
                values[name] = ("other", value)
    return values


def visible_window(name, tries=120):
    """The first visible window whose name matches, waited for; or None."""
    for _ in range(tries):
        search = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                                capture_output=True, text=True)
        if search.stdout.strip():
            return search.stdout.split()[0]
        time.sleep(0.5)
    return None


def press(window, key):
    """A key pressed in the window. No window manager runs: the focus is set
    directly, and the key comes through XTEST as a keyboard's would."""
    subprocess.run(["xdotool", "windowfocus", window], timeout=10)
    subprocess.run(["xdotool", "key", key], timeout=10)


def end_with_escape(process, window, name):
    """Esc in the window (when it was found), which must end its process."""
    if window:
        press(window, "Escape")
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        process.kill()
        check(name, False)


def local_backups():
    """The backups in %LOCALAPPDATA%\\Ostrel Applications of Wine's user."""
    return glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", "*", "AppData",
                                  "Local", "Ostrel Applications", "tovrik-backup-*.reg"))


def reg_export(folder, name):
    path = os.path.join(folder, name)
    result = wine(["reg", "export", KEY, path, "/y"])
    check("reg export", result.returncode == 0, result.stderr)
    return path


with tempfile.TemporaryDirectory() as top:
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(top)
    folder = os.path.join(top, os.path.basename(zip_path)[: -len(".zip")])
    exe = {name: os.path.join(folder, name + ".exe")
           for name in ("tovrik", "tovrik-gen", "tovrik-settings")}
    for name, path in exe.items():
        check(f"the zip holds {name}.exe", os.path.isfile(path))
    for name in ("tovrik_en.qm", "qtbase_en.qm", "qtbase_ja.qm"):
        check(f"the zip holds {name}", os.path.isfile(os.path.join(folder, "translations", name)))
    for dirpath, _, names in os.walk(folder):
        for name in names:
            if name.endswith((".dll", ".exe")):
                sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h",
                                           os.path.join(dirpath, name)],
                                          capture_output=True, text=True).stdout
                check(f"{name} carries no debug sections", ".debug_" not in sections)
    empty_config = os.path.join(top, "linux-config")
    os.mkdir(empty_config)

    # 1. The same passwords as the Linux build, Japanese arguments included.
    check_passwords("the zip's tovrik-gen.exe", exe["tovrik-gen"], linux_gen, empty_config)

    # 2. The window on the Windows program's key. Texts that begin with "@"
    # stay as they are; a REG_SZ length reads as the default and is
    # rewritten as REG_DWORD.
    wine(["reg", "delete", KEY.rsplit("\\", 1)[0], "/f"])
    for name, kind, value in [("user name", "REG_SZ", "@String(山田)"),
                              ("seed1", "REG_SZ", "@ByteArray(tane)"),
                              ("unique key", "REG_SZ", "長い鍵 long key"),
                              ("length", "REG_SZ", "20")]:
        result = wine(["reg", "add", KEY, "/v", name, "/t", kind, "/d", value, "/f"])
        check(f"reg add {name}", result.returncode == 0, result.stderr)
    # Wine's export of these values, imported on Linux: the REG_SZ length
    # goes in as its default, with a line that says so.
    text_length = reg_export(top, "text-length.reg")
    config = os.path.join(top, "text-length")
    os.mkdir(config)
    result = linux(linux_settings, ["import", text_length], config)
    check("tovrik-settings imports a REG_SZ length as its default",
          result.returncode == 0 and b"the number 'length' is a text (REG_SZ)" in result.stdout,
          result.stdout + result.stderr)
    check("the imported length is the default",
          b"length:       10\n" in linux(linux_settings, ["show"], config).stdout)
    subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"], timeout=10)
    window = subprocess.Popen(["wine", exe["tovrik"]], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=in_language("ja_JP.UTF-8"))
    found = visible_window("さん用")
    check("the window appears", found is not None)
    title = window_title(found)
    check("the window's Japanese title", title == "トヴリク (@String(山田)さん用)", title)
    report = ""
    if found:
        time.sleep(1)
        press(found, "Return")
        for _ in range(40):
            time.sleep(0.5)
            report = subprocess.run(["xclip", "-selection", "clipboard", "-o"],
                                    capture_output=True, timeout=10).stdout.decode("utf-8", "replace")
            if report:
                break
    end_with_escape(window, found, "Esc ends the window")
    expected = linux(linux_gen, ["--no-store", "--owner-name", "@String(山田)", "--owner-key",
                                 "長い鍵 long key", "--seed", "@ByteArray(tane)", "--length",
                                 "10", "--spread", "0"], empty_config).stdout.decode().split()
    # A first start shows one password (spread level 0).
    check("the report reaches the clipboard with the Linux build's password",
          len(expected) == 1 and f"生成パスワード( 1): {expected[0]}\n" in report,
          repr(report[:600]))

    # A user whose language is not Japanese meets the window in English.
    window = subprocess.Popen(["wine", exe["tovrik"]], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=in_language("de_DE.UTF-8"))
    found = visible_window("^Tovrik ")
    check("the window in English under LANG=de_DE.UTF-8",
          window_title(found) == "Tovrik (for @String(山田))", window_title(found))
    end_with_escape(window, found, "Esc ends the window")

    exported = exported_values(reg_export(top, "window.reg"))
    check("texts kept exactly", exported.get("user name") == ("sz", "@String(山田)") and
          exported.get("seed1") == ("sz", "@ByteArray(tane)"), exported)
    check("the length rewritten as REG_DWORD 10", exported.get("length") == ("dword", 10),
          exported.get("length"))
    check("integers are REG_DWORD", exported.get("mode", ("", 0))[0] == "dword", exported)
    from_registry = wine([exe["tovrik-gen"]]).stdout.decode().split()
    check("tovrik-gen.exe reads the window's key", from_registry == expected, from_registry)

    # 3. reg export, imported on Linux, gives the same passwords.
    config = os.path.join(top, "imported")
    os.mkdir(config)
    result = linux(linux_settings, ["import", os.path.join(top, "window.reg")], config)
    check("tovrik-settings imports Wine's export", result.returncode == 0, result.stderr)
    on_linux = linux(linux_gen, [], config).stdout.decode().split()
    check("the same passwords on Linux after the import", on_linux == expected, on_linux)

    # 4. What tovrik-settings exports on Linux, Wine's reg import loads with
    # the same values and types.
    linux(linux_settings, ["set-owner-key"], config, input=b"another long key 2\n")
    linux_file = os.path.join(top, "from-linux.reg")
    result = linux(linux_settings, ["export", linux_file], config)
    check("tovrik-settings export", result.returncode == 0, result.stderr)
    wine(["reg", "delete", KEY, "/f"])
    result = wine(["reg", "import", linux_file])
    check("reg import of our export", result.returncode == 0, result.stderr)
    back = exported_values(reg_export(top, "back.reg"))
    check("reg import keeps the values and types", back == exported_values(linux_file),
          f"{back} vs {exported_values(linux_file)}")
    check("tovrik-gen.exe after reg import",
          wine([exe["tovrik-gen"]]).stdout == linux(linux_gen, [], config).stdout)

    # 5. tovrik-settings.exe takes a new key from a pipe, and tovrik-gen.exe
    # uses it.
    result = wine([exe["tovrik-settings"], "set-owner-key"], input=b"piped owner key 7\r\n")
    check("set-owner-key from a pipe", result.returncode == 0, result.stderr)
    linux(linux_settings, ["set-owner-key"], config, input=b"piped owner key 7\n")
    check("the piped key is used",
          wine([exe["tovrik-gen"]]).stdout == linux(linux_gen, [], config).stdout)

    # A key line that never ends is refused once it passes 4 KiB, the key
    # kept.
    for program, args in (("tovrik-settings", ["set-owner-key"]),
                          ("tovrik-gen", ["--ask-owner-key"])):
        with open("/dev/zero", "rb") as zeros:
            result = wine([exe[program], *args], stdin=zeros)
        check(f"{program} from /dev/zero",
              result.returncode == 1 and b"longer than 4096 bytes" in result.stderr,
              (result.returncode, result.stderr))
    check("the piped key is kept",
          wine([exe["tovrik-gen"]]).stdout == linux(linux_gen, [], config).stdout)

    # 6. On a console (Wine's, on a terminal that tmux holds), the key is
    # asked twice with echo off, Japanese included.
    key = "console typed key 日本 42"
    # A socket of this run's own, so that two runs on one machine stay apart.
    server = ["tmux", "-L", f"tovrik-windows-test-{os.getpid()}"]
    subprocess.run(server + ["new-session", "-d", "-x", "120", "-y", "20", "-e",
                             "WINEPREFIX=" + os.environ["WINEPREFIX"], "-e", "WINEDEBUG=-all",
                             f"wine '{exe['tovrik-settings']}' set-owner-key; echo EXIT=$?; "
                             "sleep 60"], check=True, timeout=30)
    screen = ""
    try:
        for prompt in ("Owner key:", "Owner key again:"):
            for _ in range(60):
                screen = subprocess.run(server + ["capture-pane", "-p"], capture_output=True,
                                        text=True, timeout=10).stdout
                if prompt in screen:
                    break
                time.sleep(0.5)
            subprocess.run(server + ["send-keys", key, "Enter"], timeout=10)
        for _ in range(60):
            screen = subprocess.run(server + ["capture-pane", "-p"], capture_output=True,
                                    text=True, timeout=10).stdout
            if "EXIT=" in screen:
                break
            time.sleep(0.5)
    finally:
        subprocess.run(server + ["kill-server"], timeout=10)
    check("set-owner-key on a console", "EXIT=0" in screen and "Owner key again:" in screen,
          screen)
    check("the key is not echoed", key not in screen and "日本" not in screen, screen)
    linux(linux_settings, ["set-owner-key"], config, input=(key + "\n").encode())
    check("the key typed on the console is used",
          wine([exe["tovrik-gen"]]).stdout == linux(linux_gen, [], config).stdout)

    # 7. An owner key of the wrong type (REG_EXPAND_SZ): the programs stop,
    # naming it; the window says so and saves nothing until asked to back
    # the store up, which goes to the user's own local application data.
    backups = local_backups()
    check("set-owner-key's backups in %LOCALAPPDATA%", len(backups) >= 1, backups)
    for path in backups:
        os.remove(path)
    wine(["reg", "add", KEY, "/v", "unique key", "/t", "REG_EXPAND_SZ", "/d", "%TEMP% key",
          "/f"])
    result = wine([exe["tovrik-gen"]])
    check("tovrik-gen.exe refuses a REG_EXPAND_SZ owner key",
          result.returncode == 3 and b"'unique key' is REG_EXPAND_SZ" in result.stderr,
          result.stderr)
    window = subprocess.Popen(["wine", exe["tovrik"]], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, env=in_language("ja_JP.UTF-8"))
    warning = visible_window("^tovrik$")
    check("the window warns about the owner key", warning is not None)
    unchanged = exported_values(reg_export(top, "unchanged.reg")).get("unique key")
    check("nothing saved over it before the choice", unchanged is not None and
          unchanged[1].startswith("hex(2):"), unchanged)
    if warning:
        time.sleep(1)
        press(warning, "alt+b")
        # Then the box that says where the backup went.
        for _ in range(40):
            time.sleep(0.5)
            backups = local_backups()
            if backups:
                break
        search = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^tovrik$"],
                                capture_output=True, text=True)
        for box in search.stdout.split():
            press(box, "Return")
    check("the wrong-typed key is backed up", len(backups) == 1 and
          "hex(2):" in open(backups[0], "rb").read().decode("utf-16", "replace")
          if backups else False, backups)
    end_with_escape(window, visible_window("さん用", tries=10),
                    "Esc ends the window after the warning")
    check("then saved as REG_SZ",
          exported_values(reg_export(top, "afresh.reg")).get("unique key") == ("sz", ""))

    # Output to a pipe is UTF-8 with LF line ends.
    result = wine([exe["tovrik-gen"], "--version"])
    check("--version to a pipe", result.returncode == 0 and b"\r" not in result.stdout,
          result.stdout)

finish("windows_zip_test")
