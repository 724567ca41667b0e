#!/usr/bin/env python3
"""Puts the page together: page.html with page.css, page.js and the engine's
WebAssembly inlined, under a Content-Security-Policy that allows exactly that
one style and that one script (by their hashes) and nothing from anywhere.

Usage: make_page.py ENGINE.wasm OUTPUT.html
"""
import base64
import hashlib
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent


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
                       ("@WASM@", wasm)):
        if page.count(key) != 1:
            sys.exit(f"make_page: {key} must occur once in page.html")
        page = page.replace(key, value)
    pathlib.Path(out_path).write_text(page, encoding="utf-8")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
