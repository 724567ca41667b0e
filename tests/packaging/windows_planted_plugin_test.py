#!/usr/bin/env python3
"""Plugins that another user plants above the programs' folder stay out of
the window. The zip is unpacked as into C:\\Tools\\Tovrik, and beside it, as
any user could create them, lib\\libQt6Core.a (which makes Qt take the
folder above for its prefix) and plugins\\platforms\\qwindows.dll and
qoffscreen.dll: a platform plugin whose instance ends the process with
status 97. With the zip's qt.conf the window starts from its own plugins;
without it (the check that the planted folder bites) the planted plugin is
loaded.

Usage: windows_planted_plugin_test.py ZIP PLANTED_PLUGIN_DLL
Needs a WINEPREFIX of the test's own.
"""
import os
import shutil
import sys
import tempfile
import zipfile

from windows_support import check, finish, start_window

PLANTED_STATUS = 97
zip_path, planted_dll = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])

with tempfile.TemporaryDirectory() as top:
    tools = os.path.join(top, "Tools")
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(tools)
    folder = os.path.join(tools, os.path.basename(zip_path)[: -len(".zip")])
    window = os.path.join(folder, "tovrik.exe")
    os.makedirs(os.path.join(tools, "lib"))
    open(os.path.join(tools, "lib", "libQt6Core.a"), "wb").close()
    platforms = os.path.join(tools, "plugins", "platforms")
    os.makedirs(platforms)
    for name in ("qwindows.dll", "qoffscreen.dll"):
        shutil.copy(planted_dll, os.path.join(platforms, name))

    status = start_window(window)
    check("the window starts from its own plugins, beside the planted ones", status is None,
          f"status {status}")

    qt_conf = os.path.join(folder, "qt.conf")
    check("the zip holds qt.conf", os.path.isfile(qt_conf))
    if os.path.isfile(qt_conf):
        os.rename(qt_conf, qt_conf + ".away")
        status = start_window(window)
        check("without qt.conf the planted plugin is loaded (the test's own check)",
              status == PLANTED_STATUS, f"status {status}")

finish("windows_planted_plugin_test")
