#!/usr/bin/env python3
"""The installer as an administrator runs it under Wine, silently: an older
version of the same files is installed first, then this one replaces it;
the installed programs make the Linux build's passwords, the installed
window starts, the Start-menu shortcut and the Apps & Features entry are
there; an older version cannot replace this one; and the uninstall leaves
nothing of the program, only the user's own settings.

Usage: windows_msi_test.py MSI ZIP PACKAGE_CONFIG LINUX_BUILD_DIR
  PACKAGE_CONFIG: the package.json of the Windows build, for the older
  version, which make_packages.py builds from the zip's files.
Needs a WINEPREFIX of the test's own, msitools and Debian's python3-olefile.
"""
import hashlib
import json
import os
import pwd
import re
import sys
import tempfile
import zipfile
from pathlib import Path

from windows_support import KEY, check, check_passwords, finish, start_window, wine

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "packaging" / "windows"))
import make_packages  # noqa: E402

msi, zip_path = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
config = json.loads(Path(sys.argv[3]).read_text(encoding="utf-8"))
linux_gen = os.path.join(os.path.abspath(sys.argv[4]), "cli", "tovrik-gen")
OLDER = "1.01"
UNINSTALL = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PRODUCTS = r"HKEY_LOCAL_MACHINE\Software\Classes\Installer\Products"
drive_c = Path(os.environ["WINEPREFIX"], "drive_c")
folder = drive_c / "Program Files" / config["product"]
# The Start menu of all users, where Windows puts the shortcut of a
# per-machine install; Wine puts it in the installing user's (its msi sets
# ProgramMenuFolder to that user's folder whatever ALLUSERS says).
shortcuts = [drive_c / start / "Microsoft" / "Windows" / "Start Menu" / "Programs" /
             f"{config['product']}.lnk"
             for start in ("ProgramData", f"users/{pwd.getpwuid(os.getuid()).pw_name}/AppData/Roaming")]


def contents(root):
    """Each file under ROOT by its relative path, with its SHA-256."""
    return {path.relative_to(root).as_posix(): hashlib.sha256(path.read_bytes()).hexdigest()
            for path in sorted(Path(root).rglob("*")) if path.is_file()}


def drive_entries():
    """Every file and folder of the Wine drive, but the temporary folders
    (the window's lock lives there while it runs), Wine's cache of device
    descriptions, which it writes when it likes, and the folder of Windows
    Installer's own, which its first run makes (what it keeps there does
    count)."""
    entries = {path.relative_to(drive_c).as_posix() for path in drive_c.rglob("*")}
    return {entry for entry in entries
            if "/Temp/" not in f"/{entry}/" and not entry.startswith("windows/inf/")
            and entry != "windows/Installer"}


def registry_entries(key):
    """The subkeys of KEY that name the product, by key, each as a dict of
    its values."""
    listing = wine(["reg", "query", key, "/s"]).stdout.decode("utf-8", "replace")
    entries, key = {}, None
    for line in listing.splitlines():
        if line.startswith("HKEY_"):
            key = line.rsplit("\\", 1)[-1]
            entries[key] = {}
        elif key and line.startswith("    ") and "REG_" in line:
            name, _, value = line.strip().partition("    ")
            entries[key][name] = value.partition("    ")[2]
    return {key: values for key, values in entries.items()
            if config["product"] in (values.get("DisplayName"), values.get("ProductName"))}


def uninstall_entries():
    return registry_entries(UNINSTALL)


def msiexec(*args):
    return wine(["msiexec", *args, "/qn"]).returncode


with tempfile.TemporaryDirectory() as top:
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(top)
    tree = Path(top, config["name"])
    expected = contents(tree)
    # The older version holds one file more, which the upgrade removes.
    older_tree = Path(top, "older")
    older_tree.mkdir()
    for rel in expected:
        (older_tree / rel).parent.mkdir(parents=True, exist_ok=True)
        (older_tree / rel).write_bytes((tree / rel).read_bytes())
    (older_tree / "dropped-in-1.02.txt").write_text("only in the older version\n")
    older = Path(top, "older.msi")
    make_packages.build_msi(config, older_tree, older, make_packages.source_date_epoch(),
                            version=OLDER)
    new_code = "{" + make_packages.product_code(config, config["version"]) + "}"
    old_code = "{" + make_packages.product_code(config, OLDER) + "}"

    check("nothing installed before", not folder.exists() and not uninstall_entries())
    before = drive_entries()

    # 1. The older version, then this one over it.
    check("the older version installs", msiexec("/i", str(older)) == 0)
    check("the older version is listed", list(uninstall_entries()) == [old_code],
          uninstall_entries())
    check("the older version's own file", (folder / "dropped-in-1.02.txt").is_file())
    check("this version replaces it", msiexec("/i", str(msi)) == 0)
    entries = uninstall_entries()
    check("one entry in Apps & Features, this version's", list(entries) == [new_code], entries)
    entry = entries.get(new_code, {})
    check("the entry's version and publisher",
          entry.get("DisplayVersion") == config["version"] and
          entry.get("Publisher") == config["publisher"], entry)
    # Apps & Features shows the icon that the installer registers for the
    # product, copied out of the package.
    products = registry_entries(PRODUCTS)
    icon = next(iter(products.values()), {}).get("ProductIcon", "")
    check("the entry's icon", len(products) == 1 and icon.lower().endswith(".ico") and
          (drive_c / icon[3:].replace("\\", "/")).is_file(), products)
    installed = contents(folder)
    check("the installed files are the zip's, byte for byte", installed == expected,
          f"only installed: {sorted(set(installed) - set(expected))}, "
          f"missing: {sorted(set(expected) - set(installed))}, "
          f"different: {sorted(r for r in installed if r in expected and installed[r] != expected[r])}")

    # 2. The installed programs.
    empty_config = os.path.join(top, "linux-config")
    os.mkdir(empty_config)
    check_passwords("the installed tovrik-gen.exe", str(folder / "tovrik-gen.exe"), linux_gen,
                    empty_config)
    status = start_window(str(folder / config["window_program"]))
    check("the installed window starts and saves its settings", status is None, f"status {status}")

    # 3. The Start-menu shortcut starts the window, with the product's icon.
    links = [path for path in shortcuts if path.is_file()]
    link = links[0].read_bytes() if len(links) == 1 else b""
    text = link.decode("latin-1") + link.decode("utf-16-le", "replace")
    check("one Start-menu shortcut", bool(link), links)
    check("the shortcut points at the installed window",
          f"Program Files\\{config['product']}\\{config['window_program']}".lower() in text.lower(),
          repr(link[:400]))
    icons = re.findall(r"C:\\windows\\Installer\\[^\x00]+?\.ico", text, re.IGNORECASE)
    check("the shortcut's icon", icons and (drive_c / icons[0][3:].replace("\\", "/")).is_file(),
          icons)

    # 4. An older version does not replace this one.
    check("an older version is refused", msiexec("/i", str(older)) != 0)
    check("this version stays", list(uninstall_entries()) == [new_code] and
          contents(folder) == expected, uninstall_entries())

    # 5. The uninstall leaves nothing of the program; the user's settings
    # stay.
    check("the uninstall", msiexec("/x", str(msi)) == 0)
    check("no program folder left", not folder.exists(), sorted(contents(folder)) if
          folder.exists() else "")
    check("no shortcut left", not any(path.exists() for path in shortcuts))
    check("no Apps & Features entry left", not uninstall_entries(), uninstall_entries())
    check("the product is no longer registered", not registry_entries(PRODUCTS))
    left = sorted(drive_entries() - before)
    check("no file or folder left on the drive", not left, left)
    check("the user's settings stay", wine(["reg", "query", KEY, "/v", "length"]).returncode == 0)

finish("windows_msi_test")
