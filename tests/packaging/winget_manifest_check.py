#!/usr/bin/python3
"""The winget manifest that the build made agrees with the installer it
describes, as msitools reads the installer: its SHA-256, product code,
upgrade code, version, publisher and architecture; and its three files are
YAML that agree with each other.

Usage: winget_manifest_check.py MANIFEST_FOLDER MSI
Needs msitools and Debian's python3-yaml.
"""
import hashlib
import re
import subprocess
import sys
from pathlib import Path

import yaml

from windows_support import check, finish

folder, msi = Path(sys.argv[1]), Path(sys.argv[2])


def msi_table(table):
    """The rows of an MSI table as msiinfo exports it, after its three
    header lines: a dict of the first column to the second."""
    text = subprocess.run(["msiinfo", "export", str(msi), table], capture_output=True,
                          text=True, check=True).stdout
    return dict(line.split("\t", 1) for line in text.splitlines()[3:])


properties = msi_table("Property")
template = subprocess.run(["msiinfo", "suminfo", str(msi)], capture_output=True, text=True,
                          check=True).stdout
documents = {}
for path in sorted(folder.glob("*.yaml")):
    documents[path.name] = yaml.safe_load(path.read_text(encoding="utf-8"))
by_type = {document.get("ManifestType"): document for document in documents.values()}
check("one version, one installer and one default locale manifest",
      sorted(by_type) == ["defaultLocale", "installer", "version"] and len(documents) == 3,
      sorted(documents))
version, installer, locale = (by_type.get(kind, {})
                              for kind in ("version", "installer", "defaultLocale"))
package_id = version.get("PackageIdentifier")
for name, document in documents.items():
    check(f"{name} names the package", document.get("PackageIdentifier") == package_id and
          re.fullmatch(r"[^.\s]+\.[^\s]+", str(package_id)), document)
    check(f"{name}: the package's version, as the installer has it",
          document.get("PackageVersion") == properties.get("ProductVersion"),
          f"{document.get('PackageVersion')!r} vs {properties.get('ProductVersion')!r}")
    check(f"{name}: one schema version",
          document.get("ManifestVersion") == version.get("ManifestVersion"), document)
    check(f"{name} is named for its package", name.startswith(f"{package_id}."), name)
check("the default locale is one the package has",
      version.get("DefaultLocale") == locale.get("PackageLocale"), (version, locale))

entries = installer.get("Installers") or [{}]
check("one installer", len(entries) == 1, entries)
sha256 = hashlib.sha256(msi.read_bytes()).hexdigest().upper()
check("InstallerSha256 is the installer's", entries[0].get("InstallerSha256") == sha256,
      f"{entries[0].get('InstallerSha256')} vs {sha256}")
check("the download is the installer's file",
      str(entries[0].get("InstallerUrl", "")).startswith("https://") and
      str(entries[0].get("InstallerUrl")).endswith("/" + msi.name), entries[0])
check("x64, as the installer's template says",
      entries[0].get("Architecture") == "x64" and "Template: x64;" in template, template)
check("an MSI installed for the machine",
      installer.get("InstallerType") == "msi" and installer.get("Scope") == "machine", installer)
check("ProductCode is the installer's",
      installer.get("ProductCode") == properties.get("ProductCode"),
      f"{installer.get('ProductCode')} vs {properties.get('ProductCode')}")
arp = (installer.get("AppsAndFeaturesEntries") or [{}])[0]
expected_arp = {
    "DisplayName": properties.get("ProductName"),
    "Publisher": properties.get("Manufacturer"),
    "DisplayVersion": properties.get("ProductVersion"),
    "ProductCode": properties.get("ProductCode"),
    "UpgradeCode": properties.get("UpgradeCode"),
}
check("the Apps & Features entry is the installer's", arp == expected_arp,
      f"{arp} vs {expected_arp}")
check("publisher and name as the installer has them",
      locale.get("Publisher") == properties.get("Manufacturer") and
      locale.get("PackageName") == properties.get("ProductName"), locale)
for field in ("License", "ShortDescription"):
    check(f"the locale manifest has {field}", bool(locale.get(field)), locale)

finish("winget_manifest_check")
