#!/usr/bin/env python3
"""Checks the window's translation files against the code: each .ts file
holds exactly the texts that the code marks for translation (lupdate finds
nothing to add or drop), every text has a finished translation free of
Japanese, with the same %N place markers and keyboard accelerator as its
source, and lrelease reports nothing unfinished or untranslated.

Usage: translations_test.py LUPDATE LRELEASE SOURCE_ROOT TS_FILE...
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

JAPANESE = re.compile("[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]")
MARKERS = re.compile(r"%\d+")

failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text)


def accelerator(text):
    return text.replace("&&", "").count("&")


def check_current(lupdate, root, ts):
    with tempfile.TemporaryDirectory() as work:
        copy = pathlib.Path(work) / ts.name
        shutil.copyfile(ts, copy)
        subprocess.run([lupdate, "-silent", "-locations", "none", "-no-obsolete", "-I", root,
                        f"{root}/ui", "-ts", str(copy)], check=True)
        if copy.read_bytes() != ts.read_bytes():
            fail(f"{ts.name} differs from the code's texts: run "
                 "`cmake --build build --target update_translations` and translate")


def check_messages(ts):
    for context in ET.parse(ts).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            where = f"{ts.name}: {name}: {source!r}"
            if translation is None or translation.get("type") or not translation.text:
                fail(f"{where} has no finished translation")
                continue
            text = translation.text
            if JAPANESE.search(text):
                fail(f"{where}: Japanese in {text!r}")
            if sorted(MARKERS.findall(source)) != sorted(MARKERS.findall(text)):
                fail(f"{where}: place markers differ in {text!r}")
            if accelerator(source) != accelerator(text):
                fail(f"{where}: keyboard accelerator differs in {text!r}")


def check_release(lrelease, ts):
    with tempfile.TemporaryDirectory() as work:
        result = subprocess.run([lrelease, str(ts), "-qm", f"{work}/out.qm"],
                                capture_output=True, text=True, check=True)
    report = result.stdout + result.stderr
    if " 0 unfinished" not in report or "untranslated" in report:
        fail(f"lrelease of {ts.name}: {report.strip()}")


def main(lupdate, lrelease, root, *ts_files):
    for name in ts_files:
        ts = pathlib.Path(name)
        check_current(lupdate, root, ts)
        check_messages(ts)
        check_release(lrelease, ts)
    print("ok" if not failures else f"{len(failures)} problem(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
