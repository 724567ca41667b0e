#!/usr/bin/python3
"""Makes the Windows packages from one install tree, so that both hold the
same files: the portable zip, the installer (an MSI, built with wixl), the
installer's winget manifest, and SHA256SUMS of the zip and the installer.

Nothing of the machine, the folder or the hour gets into them: entries come
in a fixed order, and every time stamp is SOURCE_DATE_EPOCH (the last
commit's time, from scripts/source-date-epoch.sh; the present time when it
is not set). wixl stamps the installer with the hour it ran and a random
package code; both are rewritten afterwards (pin_summary).

Usage: make_packages.py CONFIG INSTALL_TREE OUTPUT_FOLDER
  CONFIG: the JSON file that packaging/windows/CMakeLists.txt writes.
Needs wixl and Debian's python3-olefile.
"""
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import uuid
import zipfile
from pathlib import Path
from xml.sax.saxutils import quoteattr

WIX_NAMESPACE = "http://schemas.microsoft.com/wix/2006/wi"
# Zip times are DOS dates, which begin in 1980.
ZIP_EPOCH_FLOOR = 315532800


def source_date_epoch():
    value = os.environ.get("SOURCE_DATE_EPOCH")
    return int(value) if value else int(time.time())


def tree_entries(tree):
    """The folders and the files of the tree, as sorted relative paths with
    forward slashes."""
    folders, files = [], []
    for path in Path(tree).rglob("*"):
        rel = path.relative_to(tree).as_posix()
        (folders if path.is_dir() else files).append(rel)
    return sorted(folders), sorted(files)


def pin_times(tree, epoch):
    """Gives every file and folder of the tree the same time, which the
    installer's cabinet takes from them."""
    for root, dirs, files in os.walk(tree, topdown=False):
        for name in files + dirs:
            os.utime(os.path.join(root, name), (epoch, epoch), follow_symlinks=False)
    os.utime(tree, (epoch, epoch))


def write_zip(tree, top, path, epoch):
    """The tree as one folder named TOP, entries sorted, times and modes
    fixed."""
    date_time = time.gmtime(max(epoch, ZIP_EPOCH_FLOOR))[:6]
    folders, files = tree_entries(tree)
    entries = [(f"{top}/", None)] + [(f"{top}/{rel}/", None) for rel in folders]
    entries += [(f"{top}/{rel}", rel) for rel in files]
    partial = path.with_name(path.name + ".part")
    with zipfile.ZipFile(partial, "w") as archive:
        for name, rel in sorted(entries):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 3  # Unix, so that the modes below are read
            if rel is None:
                info.external_attr = (0o40755 << 16) | 0x10  # a folder
                archive.writestr(info, b"")
                continue
            source = Path(tree, rel)
            mode = 0o755 if os.stat(source).st_mode & 0o111 else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, source.read_bytes(), compresslevel=9)
    partial.replace(path)


def identifier(kind, rel):
    """An MSI identifier for a path of the tree: the same path gets the same
    one in every build and every version."""
    return f"{kind}_{hashlib.sha256(rel.encode()).hexdigest()[:32].upper()}"


def files_fragment(tree, config):
    """The installer's files as WiX components, one per file (its key path),
    in the tree's folders under INSTALLDIR; the window's component also makes
    its Start-menu shortcut."""
    folders, files = tree_entries(tree)
    lines = ['<?xml version="1.0" encoding="utf-8"?>', f'<Wix xmlns="{WIX_NAMESPACE}">',
             "<Fragment>"]
    components = []

    def emit(folder, depth):
        indent = "  " * depth
        for rel in files:
            if os.path.dirname(rel) != folder:
                continue
            component, file_id = identifier("C", rel), identifier("F", rel)
            components.append(component)
            lines.append(f'{indent}<Component Id="{component}" Guid="*" Win64="yes">')
            lines.append(f'{indent}  <File Id="{file_id}" KeyPath="yes" '
                         f'Name={quoteattr(os.path.basename(rel))} '
                         f'Source={quoteattr(rel)}/>')
            if rel == config["window_program"]:
                lines.append(f'{indent}  <Shortcut Id="StartMenuShortcut" '
                             'Directory="ProgramMenuFolder" '
                             f'Name={quoteattr(config["product"])} '
                             f'Description={quoteattr(config["summary"])} '
                             f'Target="[#{file_id}]" WorkingDirectory="INSTALLDIR" '
                             'Icon="program.ico"/>')
            lines.append(f"{indent}</Component>")
        for sub in folders:
            if os.path.dirname(sub) != folder:
                continue
            lines.append(f'{indent}<Directory Id="{identifier("D", sub)}" '
                         f'Name={quoteattr(os.path.basename(sub))}>')
            emit(sub, depth + 1)
            lines.append(f"{indent}</Directory>")

    lines.append('<DirectoryRef Id="INSTALLDIR">')
    emit("", 1)
    lines.append("</DirectoryRef>")
    lines.append('<ComponentGroup Id="InstalledFiles">')
    lines += [f'  <ComponentRef Id="{component}"/>' for component in components]
    lines += ["</ComponentGroup>", "</Fragment>", "</Wix>", ""]
    return "\n".join(lines)


def product_code(config, version):
    """One product code per version, made from the upgrade code, so that a
    build of a version always has the same one, and another version another."""
    return str(uuid.uuid5(uuid.UUID(config["upgrade_code"]), f"ProductCode {version}")).upper()


SUMMARY_STREAM = "\x05SummaryInformation"
SUMMARY_REVISION, SUMMARY_CREATED, SUMMARY_SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
# FILETIME counts 100 ns from 1601; Unix time seconds from 1970.
FILETIME_UNIX_OFFSET = 11644473600


def pin_summary(path, epoch, upgrade_code):
    """Rewrites what wixl takes from the clock and from chance: the creation
    and save times become EPOCH, and the package code (the revision number,
    which Windows Installer takes for the package's identity) one made from
    the package's content, so that the same content has the same code."""
    import olefile  # Debian's python3-olefile

    def rewrite(data, revision):
        (section,) = struct.unpack_from("<I", data, 44)
        _, count = struct.unpack_from("<II", data, section)
        offsets = {}
        for index in range(count):
            pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * index)
            offsets[pid] = section + offset
        filetime = (epoch + FILETIME_UNIX_OFFSET) * 10_000_000
        for pid in (SUMMARY_CREATED, SUMMARY_SAVED):
            kind, = struct.unpack_from("<I", data, offsets[pid])
            if kind != VT_FILETIME:
                raise SystemExit(f"make_packages: summary property {pid} has type {kind}")
            struct.pack_into("<Q", data, offsets[pid] + 4, filetime)
        kind, size = struct.unpack_from("<II", data, offsets[SUMMARY_REVISION])
        text = f"{{{revision}}}".encode("ascii") + b"\0"
        if kind != VT_LPSTR or size != len(text):
            raise SystemExit(f"make_packages: unexpected package code ({kind}, {size} bytes)")
        start = offsets[SUMMARY_REVISION] + 8
        data[start:start + size] = text

    placeholder = str(uuid.UUID(int=0)).upper()
    with olefile.OleFileIO(str(path), write_mode=True) as ole:
        data = bytearray(ole.openstream(SUMMARY_STREAM).read())
        rewrite(data, placeholder)
        ole.write_stream(SUMMARY_STREAM, bytes(data))
    content = hashlib.sha256(path.read_bytes()).hexdigest()
    code = str(uuid.uuid5(uuid.UUID(upgrade_code), f"PackageCode {content}")).upper()
    with olefile.OleFileIO(str(path), write_mode=True) as ole:
        rewrite(data, code)
        ole.write_stream(SUMMARY_STREAM, bytes(data))


def build_msi(config, tree, path, epoch, version=None):
    """The installer of the tree. VERSION (the project's by default) lets a
    test build an older version of the same files."""
    version = version or config["version"]
    with tempfile.TemporaryDirectory() as work:
        # wixl takes no absolute file names: the files are named from the
        # tree, where it runs, and the icon from an include folder.
        icon = Path(work, "program.ico")
        shutil.copyfile(config["icon"], icon)
        fragment = Path(work, "files.wxs")
        fragment.write_text(files_fragment(tree, config), encoding="utf-8")
        defines = {
            "ProductName": config["product"],
            "Manufacturer": config["publisher"],
            "Version": version,
            "ProductCode": product_code(config, version),
            "UpgradeCode": config["upgrade_code"],
            "Icon": icon.name,
            "HomePage": config["homepage"],
        }
        command = ["wixl", "--arch", "x64", "--output", str(Path(path).resolve()),
                   "--includedir", work]
        for name, value in defines.items():
            command += ["--define", f"{name}={value}"]
        result = subprocess.run(command + [config["wxs"], str(fragment)], cwd=tree,
                                capture_output=True, text=True)
        # wixl passes over what it does not know with a message and still
        # makes a package, which would lack it: any message is a failure.
        if result.returncode != 0 or result.stderr.strip():
            raise SystemExit(f"make_packages: wixl failed:\n{result.stderr}")
    pin_summary(path, epoch, config["upgrade_code"])


def yaml_document(fields, indent=""):
    """Simple YAML: every text as a JSON string, which YAML reads as it is
    (so that 1.10 stays the text "1.10")."""
    lines = []
    for key, value in fields:
        if isinstance(value, list):
            lines.append(f"{indent}{key}:")
            for item in value:
                if isinstance(item, list):
                    nested = yaml_document(item, indent + "  ").splitlines()
                    lines.append(f"{indent}- {nested[0].lstrip()}")
                    lines += [f"{indent}{line}" for line in nested[1:]]
                else:
                    lines.append(f"{indent}- {json.dumps(item)}")
        else:
            lines.append(f"{indent}{key}: {json.dumps(value)}")
    return "\n".join(lines) + "\n"


WINGET_SCHEMA = "1.6.0"


def write_winget(config, msi, folder):
    """The three files of a winget manifest for the installer: its version,
    its installer (the MSI's hash, product code and version) and its
    default locale."""
    folder.mkdir(parents=True, exist_ok=True)
    package_id, version = config["winget_id"], config["version"]
    head = [("PackageIdentifier", package_id), ("PackageVersion", version)]
    tail = [("ManifestVersion", WINGET_SCHEMA)]
    code = "{" + product_code(config, version) + "}"
    documents = {
        f"{package_id}.yaml": head + [("DefaultLocale", "en-US"), ("ManifestType", "version")],
        f"{package_id}.installer.yaml": head + [
            ("MinimumOSVersion", "10.0.0.0"),
            ("InstallerType", "msi"),
            ("Scope", "machine"),
            ("InstallModes", ["interactive", "silent", "silentWithProgress"]),
            ("UpgradeBehavior", "install"),
            ("ProductCode", code),
            ("AppsAndFeaturesEntries", [[
                ("DisplayName", config["product"]),
                ("Publisher", config["publisher"]),
                ("DisplayVersion", version),
                ("ProductCode", code),
                ("UpgradeCode", "{" + config["upgrade_code"] + "}"),
            ]]),
            ("Installers", [[
                ("Architecture", "x64"),
                ("InstallerUrl", config["download_url"] + msi.name),
                ("InstallerSha256", hashlib.sha256(msi.read_bytes()).hexdigest().upper()),
            ]]),
            ("ManifestType", "installer"),
        ],
        f"{package_id}.locale.en-US.yaml": head + [
            ("PackageLocale", "en-US"),
            ("Publisher", config["publisher"]),
            ("PackageName", config["product"]),
            ("PackageUrl", config["homepage"]),
            ("License", config["license"]),
            ("ShortDescription", config["summary"]),
            ("ManifestType", "defaultLocale"),
        ],
    }
    for name, fields in documents.items():
        Path(folder, name).write_text(yaml_document(fields + tail), encoding="utf-8")


def write_sums(folder, names):
    """SHA256SUMS as sha256sum writes it, so that `sha256sum -c` checks it."""
    lines = [f"{hashlib.sha256(Path(folder, name).read_bytes()).hexdigest()}  {name}\n"
             for name in sorted(names)]
    Path(folder, "SHA256SUMS").write_text("".join(lines), encoding="ascii")


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    config = json.loads(Path(sys.argv[1]).read_text(encoding="utf-8"))
    tree, out = Path(sys.argv[2]).resolve(), Path(sys.argv[3])
    epoch = source_date_epoch()
    out.mkdir(parents=True, exist_ok=True)
    pin_times(tree, epoch)
    zip_path = out / f"{config['name']}.zip"
    msi_path = out / f"{config['name']}.msi"
    write_zip(tree, config["name"], zip_path, epoch)
    build_msi(config, tree, msi_path, epoch)
    write_winget(config, msi_path, out / "winget")
    write_sums(out, [zip_path.name, msi_path.name])
    print(zip_path)
    print(msi_path)


if __name__ == "__main__":
    main()
