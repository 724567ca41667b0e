#!/usr/bin/env python3
"""Puts the page together: page.html with page.css, page.js and the engine's
WebAssembly inlined, under a Content-Security-Policy that allows exactly that
one style and that one script (by their hashes) and nothing from anywhere.
The page's English texts go in as data: those it shares with the window from
the window's translation, the page's own from page_en.json.

Usage: make_page.py ENGINE.wasm OUTPUT.html
"""
import base64
import hashlib
import json
import pathlib
import sys
import xml.etree.ElementTree as ET

HERE = pathlib.Path(__file__).resolve().parent
WINDOW_TRANSLATION = HERE.parent / "ui" / "translations" / "tovrik_en.ts"


def english_texts():
    """English by Japanese: the window's texts, then the page's own."""
    texts = {}
    for message in ET.parse(WINDOW_TRANSLATION).getroot().iter("message"):
        source = message.findtext("source")
        english = message.findtext("translation")
        if texts.setdefault(source, english) != english:
            sys.exit(f"make_page: the window translates {source!r} in two ways")
    page = json.loads((HERE / "page_en.json").read_text(encoding="utf-8"))
    for source in page:
        if source in texts:
            sys.exit(f"make_page: {source!r} is the window's text; page_en.json repeats it")
    texts.update(page)
    # Data inside a script element: nothing in it may end the element.
    return json.dumps(texts, ensure_ascii=False, sort_keys=True).replace("</", "<\\/")


def source_hash(text):
    digest = hashlib.sha256(text.encode("utf-8")).digest()
    return "'sha256-" + base64.b64encode(digest).decode("ascii") + "'"


def main(wasm_path, out_path):
    page = (HERE / "page.html").read_text(encoding="utf-8")
    style = (HERE / "page.css").read_text(encoding="utf-8")
    script = (HERE / "page.js").read_text(encoding="utf-8")
    wasm = base64.b64encode(pathlib.Path(wasm_path).read_bytes()).decode("ascii")
    # Line breaks keep the file easy to look at; the page drops them.
    wasm = "\n".join(wasm[i:i + 120] for i in range(0, len(wasm), 120))

    csp = "; ".join([
        "default-src 'none'",
        "script-src " + source_hash(script) + " 'wasm-unsafe-eval'",
        "style-src " + source_hash(style),
        "base-uri 'none'",
        "form-action 'none'",
    ])
    for key, value in (("@CSP@", csp), ("@STYLE@", style), ("@SCRIPT@", script),
                       ("@WASM@", wasm), ("@TEXTS_EN@", english_texts())):
        if page.count(key) != 1:
            sys.exit(f"make_page: {key} must occur once in page.html")
        page = page.replace(key, value)
    pathlib.Path(out_path).write_text(page, encoding="utf-8")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
