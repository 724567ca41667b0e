#!/usr/bin/python3
"""Drives the built offline page in headless Chromium through its element
ids and checks it against tovrik-gen run in the same test run. The browser
speaks Japanese unless a test says otherwise.

Usage: page_test.py PAGE.html TOVRIK_GEN
Prints "N passed, N failed"; the exit status is 1 when a test failed.
"""
import pathlib
import re
import subprocess
import sys
import tempfile
import traceback
import xml.etree.ElementTree as ET

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

PAGE = pathlib.Path(sys.argv[1]).resolve()
GEN = sys.argv[2]
URL = PAGE.as_uri()
WINDOW_TRANSLATION = pathlib.Path(__file__).resolve().parents[2] / "ui/translations/tovrik_en.ts"
JAPANESE = re.compile("[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]")

# Inputs of one case, as a user types them; None keeps the page's value.
# "numbers" switches to the numeric seed mode.
CASES = [
    dict(name="first-start values"),
    dict(name="Japanese owner texts, complexity", owner_name="山田太郎", owner_key="ひみつの鍵",
         seed="メール ", complexity=True, spread=3),
    dict(name="numeric seed", numbers=["1", "2", "3", "4", "5", "6", "7"], length="16", spread=2),
    dict(name="numbers above the window's range, length 4", owner_key="k",
         numbers=["3000000000", "4294967295", "0", "99999", "100000", "7", "00012"],
         length="4", complexity=True, spread=1, note=True),
    dict(name="short custom list, length 99", char_list="cab\nba", length="99", spread=0),
    dict(name="length 99 with complexity", owner_name="", owner_key=" 鍵 key ", seed="",
         length="99", complexity=True, spread=4),
    dict(name="list of non-ASCII characters", char_list="あいう9x", seed="種", spread=4,
         complexity=True),
]

# Inputs that must be refused, and the words of the message each gives.
ERRORS = [
    (dict(length="3"), "文字数は 4 から 99"),
    (dict(length="100"), "文字数は 4 から 99"),
    (dict(length="1O"), "文字数は 4 から 99"),
    (dict(length=""), "文字数は 4 から 99"),
    (dict(char_list="\n"), "文字リストが空"),
    (dict(numbers=["1", "2", "3", "4", "5", "6", "4294967296"]), "数字 7: 0 から 4294967295"),
    (dict(numbers=["-1", "2", "3", "4", "5", "6", "7"]), "数字 1: 0 から 4294967295"),
    (dict(numbers=["1", "", "3", "4", "5", "6", "7"]), "数字 2: 0 から 4294967295"),
    (dict(numbers=["1", "2", "3", "4", "5", "6", "7"], length="0"), "文字数は 4 から 99"),
]


def gen_args(case, report=False):
    args = [GEN, "--no-store"]
    for key, option in (("owner_name", "--owner-name"), ("owner_key", "--owner-key"),
                        ("seed", "--seed"), ("length", "--length"),
                        ("char_list", "--list")):
        if case.get(key) is not None:
            args += [option, case[key]]
    if case.get("numbers"):
        args += ["--numbers", "-".join(case["numbers"])]
    if case.get("complexity"):
        args.append("--complex")
    args += ["--spread", str(case.get("spread", 4))]
    if report:
        args.append("--report")
    return args


def expected_passwords(case):
    out = subprocess.run(gen_args(case), check=True, capture_output=True).stdout
    return out.decode("utf-8").split("\n")[:-1]


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-first-run",
                f"--user-data-dir={profile}", "--window-size=1000,1400"):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": True, "latency": 0, "downloadThroughput": 0, "uploadThroughput": 0})
    driver.execute_cdp_cmd("Browser.grantPermissions", {
        "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
    set_language(driver, "ja")
    return driver


def set_language(driver, languages):
    """The browser's languages, first one first, as in Accept-Language."""
    driver.execute_cdp_cmd("Emulation.setUserAgentOverride", {
        "userAgent": driver.execute_script("return navigator.userAgent"),
        "acceptLanguage": languages})


class Page:
    def __init__(self, driver):
        self.d = driver
        driver.get(URL)
        WebDriverWait(driver, 10).until(lambda d: self.el("generate").is_enabled())

    def el(self, id_):
        return self.d.find_element(By.ID, id_)

    def js(self, script, *args):
        return self.d.execute_script(script, *args)

    def type(self, id_, text):
        field = self.el(id_)
        field.clear()
        if text:
            field.send_keys(text)

    def fill(self, case):
        for key, id_ in (("owner_name", "owner-name"), ("owner_key", "owner-key"),
                         ("length", "length"), ("char_list", "char-list")):
            if case.get(key) is not None:
                self.type(id_, case[key])
        if case.get("numbers"):
            self.el("mode-numeric").click()
            for k, number in enumerate(case["numbers"], 1):
                self.type(f"seed-number-{k}", number)
        elif case.get("seed") is not None:
            self.type("seed-text", case["seed"])
        if self.el("complexity").is_selected() != bool(case.get("complexity")):
            self.el("complexity").click()
        Select(self.el("spread")).select_by_value(str(case.get("spread", 4)))

    def shown_passwords(self):
        """The texts of the shown password elements; hidden ones must be empty."""
        shown = []
        for k in range(1, 17):
            field = self.el(f"password-{k}")
            text = self.js("return arguments[0].textContent", field)
            if field.is_displayed():
                shown.append(text)
            elif text:
                raise AssertionError(f"hidden password-{k} holds text")
        return shown

    def clipboard(self):
        return self.d.execute_async_script(
            "navigator.clipboard.readText().then(arguments[0], e => arguments[0]('ERR ' + e))")

    def paste(self, id_, text):
        """Replaces a field's text by a paste of text from the clipboard."""
        written = self.d.execute_async_script(
            "navigator.clipboard.writeText(arguments[0]).then(() => arguments[1](''),"
            " e => arguments[1]('ERR ' + e))", text)
        check(written == "", f"clipboard write: {written}")
        field = self.el(id_)
        field.click()
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys(Keys.CONTROL, "v")


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def test_passwords_match_tovrik_gen(driver):
    for case in CASES:
        page = Page(driver)
        page.fill(case)
        page.el("generate").click()
        got = page.shown_passwords()
        want = expected_passwords(case)
        check(len(got) == len(want), f"{case['name']}: {len(got)} passwords, not {len(want)}")
        for k, (page_password, gen_password) in enumerate(zip(got, want), 1):
            check(page_password == gen_password, f"{case['name']}: password {k} is "
                  f"{page_password!r} on the page, {gen_password!r} from tovrik-gen")
        check(page.el("message").text == "", f"{case['name']}: unexpected message")
        note = page.el("seed-numbers-note").text
        check(bool(note) == bool(case.get("note")), f"{case['name']}: note {note!r}")
        if case.get("note"):
            check("99999" in note and "1、2、5" in note, f"note names the numbers: {note!r}")


def test_errors_show_a_message_and_no_passwords(driver):
    for inputs, words in ERRORS:
        page = Page(driver)
        page.el("generate").click()
        check(len(page.shown_passwords()) == 16, "a first generation succeeds")
        page.fill(inputs)
        page.el("generate").click()
        message = page.el("message").text
        check(words in message, f"{inputs}: message {message!r} lacks {words!r}")
        check(page.shown_passwords() == [], f"{inputs}: passwords still shown")
        check(not page.el("report").is_enabled(), f"{inputs}: report still enabled")


def test_list_is_normalised_as_the_window_does(driver):
    page = Page(driver)
    default = "!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz"
    check(page.el("char-list").get_attribute("value") == default[:60] + "\n" + default[60:],
          "the list starts as the normalised default in its two-line form")
    page.type("char-list", "zzyx\nab b a")
    page.el("length").click()  # leaving the list commits it
    check(page.el("char-list").get_attribute("value") == " abxyz\n", "list normalised on leaving")

    # Each line break counts as the window's CR LF towards the list's first
    # 200 characters: after eighty lines the "b" is the 241st.
    for breaks in ("\r\n", "\n"):
        page.paste("char-list", ("a" + breaks) * 80 + "b")
        page.el("length").click()
        check(page.el("char-list").get_attribute("value") == "a\n",
              f"pasted lines with {breaks!r} count as CR LF")

    # The longest list, 200 characters, is longer than that in its two-line
    # form, yet stays whole while the field holds that form unchanged.
    longest = "".join(map(chr, [*range(0x21, 0x7F), *range(0xA1, 0x100), *range(0x180, 0x18B)]))
    page.paste("char-list", longest)
    page.el("length").click()
    shown = page.el("char-list").get_attribute("value")
    listed = shown.replace("\n", "")
    check(len(listed) == 200 and shown == listed[:60] + "\n" + listed[60:],
          f"the longest list in its two-line form: {shown!r}")
    page.el("char-list").click()
    page.el("char-list").send_keys(Keys.END)
    page.el("length").click()
    page.el("generate").click()
    check(page.el("char-list").get_attribute("value") == shown, "the longest list is kept")
    case = dict(char_list=listed)
    check(page.shown_passwords() == expected_passwords(case), "passwords from all 200")


def test_report_and_copy_buttons(driver):
    case = dict(owner_name="山田", numbers=["1", "2", "3", "4", "5", "6", "3000000000"], spread=3,
                complexity=True, length="12")
    page = Page(driver)
    page.fill(case)
    page.el("generate").click()
    page.el("report").click()
    got = page.clipboard()
    want = subprocess.run(gen_args(case, report=True), check=True,
                          capture_output=True).stdout.decode("utf-8")
    stamp = re.compile(r"生成日時: \d{4}/\d\d/\d\d \d\d:\d\d:\d\d\r\n")
    check(stamp.search(got), f"report time stamp: {got!r}")
    check(stamp.sub("", got) == stamp.sub("", want), f"report {got!r} != {want!r}")
    check(got.count("\r\n") == 7 + 8 and "\n" not in got.replace("\r\n", ""), "CR LF lines")
    driver.find_element(By.CSS_SELECTOR, "#results li:nth-child(3) button").click()
    check(page.clipboard() == expected_passwords(case)[2], "copy button of password 3")
    check("3" in page.el("copy-status").text, "copy is confirmed")


def test_keyboard_only(driver):
    page = Page(driver)
    page.el("owner-name").click()
    reached = []
    for _ in range(30):
        reached.append(page.js("return document.activeElement.id"))
        driver.switch_to.active_element.send_keys(Keys.TAB)
    for id_ in ("owner-name", "owner-key", "show-key", "length", "complexity", "char-list",
                "mode-string", "seed-text", "spread", "generate"):
        check(id_ in reached, f"Tab reaches {id_}: {reached}")
    # Arrow keys switch the seed mode; Enter in a number field generates.
    page.el("mode-string").send_keys(Keys.ARROW_DOWN)
    check(page.el("mode-numeric").is_selected(), "arrow key selects 数字")
    driver.switch_to.active_element.send_keys(Keys.TAB)
    check(page.js("return document.activeElement.id") == "seed-number-1", "Tab to the numbers")
    field = driver.switch_to.active_element
    field.send_keys(Keys.BACK_SPACE, "5", Keys.ENTER)
    case = dict(numbers=["5", "0", "0", "0", "0", "0", "0"])
    check(page.shown_passwords() == expected_passwords(case), "Enter generates")
    page.el("report").send_keys(Keys.ENTER)
    check(page.clipboard().startswith("[ トヴリク ver1.02 ]\r\n"), "report from the keyboard")


def test_every_control_has_a_visible_label(driver):
    Page(driver)
    unlabelled = driver.execute_script("""
        const visible = (e) => e && e.getClientRects().length > 0 && e.textContent.trim() !== '';
        return [...document.querySelectorAll('input, select, textarea, button')].filter((c) => {
          if (c.tagName === 'BUTTON') return !visible(c);
          const by = (c.getAttribute('aria-labelledby') || '').split(' ').filter(Boolean);
          if (by.length) return !by.every((id) => visible(document.getElementById(id)));
          return ![...c.labels].some(visible);
        }).map((c) => c.id || c.outerHTML);""")
    # Buttons of hidden results are not shown; the rest must all be named.
    unlabelled = [c for c in unlabelled if not c.startswith("<button")]
    check(unlabelled == [], f"controls without a visible label: {unlabelled}")
    check(driver.find_element(By.TAG_NAME, "html").get_attribute("lang") == "ja", "lang=ja")


def window_english():
    """The window's English texts by their Japanese."""
    return {m.findtext("source"): m.findtext("translation")
            for m in ET.parse(WINDOW_TRANSLATION).getroot().iter("message")}


def test_english_for_every_language_but_japanese(driver):
    try:
        for languages in ("de-DE,de", "fr,en"):
            set_language(driver, languages)
            page = Page(driver)
            check(page.js("return document.documentElement.lang") == "en", f"{languages}: lang")
        set_language(driver, "en-US")
        page = Page(driver)
        # The texts the page shares with the window are the window's.
        english = window_english()
        for id_, source in (("generate", "生成"), ("results-title", "生成パスワード"),
                            ("mode-string-label", "文字列"), ("mode-numeric-label", "数字")):
            check(page.el(id_).text == english[source], f"{id_}: {page.el(id_).text!r}")
        check(page.js("return document.querySelector('label[for=length]').textContent")
              == english["文字数"], "the length's label is the window's")

        def no_japanese(what):
            texts = page.js("""
                return [document.title, document.body.innerText,
                        ...[...document.querySelectorAll('[aria-label]')].map(
                            (e) => e.getAttribute('aria-label'))];""")
            for text in texts:
                check(not JAPANESE.search(text), f"{what}: Japanese in {text!r}")

        no_japanese("the page as it opens")
        # The same passwords, and every message in English.
        page.el("generate").click()
        check(page.shown_passwords() == expected_passwords({}), "passwords as tovrik-gen's")
        page.el("report").click()
        driver.find_element(By.CSS_SELECTOR, "#results li:nth-child(2) button").click()
        check(page.el("copy-status").text == "Password 2 copied.", page.el("copy-status").text)
        no_japanese("after a generation and a copy")
        for inputs, words in ((dict(length="3"), "4 to 99"), (dict(char_list="\n"), "empty"),
                              (dict(numbers=["1", "2", "3", "4", "5", "6", "-1"]), "Number 7")):
            page = Page(driver)
            page.fill(inputs)
            page.el("generate").click()
            check(words in page.el("message").text, f"{inputs}: {page.el('message').text!r}")
            no_japanese(f"the message for {inputs}")
        page = Page(driver)
        page.fill(dict(numbers=["100000", "2", "3", "4", "5", "6", "7"]))
        page.el("generate").click()
        check(page.el("seed-numbers-note").text.startswith("Number 1: above 99999."),
              page.el("seed-numbers-note").text)
        no_japanese("the note on large numbers")
    finally:
        set_language(driver, "ja")


def test_phone_width(driver):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": 360, "height": 740, "deviceScaleFactor": 2, "mobile": True})
    try:
        page = Page(driver)
        page.fill(dict(length="99", complexity=True))
        page.el("generate").click()
        width = page.js("return document.documentElement.scrollWidth")
        check(width <= 360, f"the page is {width} px wide at a 360 px screen")
        check(len(page.shown_passwords()) == 16, "results at phone width")
    finally:
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def test_privacy_and_size(driver):
    page = Page(driver)
    page.type("owner-key", "secret")
    page.el("generate").click()
    csp = page.js("return document.querySelector('meta[http-equiv=\"Content-Security-Policy\"]')"
                  ".content")
    check(csp.startswith("default-src 'none';") and "unsafe-inline" not in csp, f"CSP {csp!r}")
    check(page.el("owner-key").get_attribute("autocomplete") == "off", "key autocomplete off")
    check(page.el("owner-key").get_attribute("type") == "password", "key is a password field")
    stored = page.js("return [document.cookie, localStorage.length, sessionStorage.length,"
                     " performance.getEntriesByType('resource').length]")
    check(stored == ["", 0, 0, 0], f"cookie, storage, requests: {stored}")
    # A request the policy forbids fails even as a try from the page.
    blocked = driver.execute_async_script("""
        const done = arguments[0];
        fetch('data:text/plain,x').then(() => done('fetched'), () => done('blocked'));""")
    check(blocked == "blocked", "fetch is blocked")
    size = PAGE.stat().st_size
    check(size <= 200 * 1024, f"page is {size} bytes")


def main():
    profile = tempfile.TemporaryDirectory(prefix="tovrik-web-")
    driver = start_browser(profile.name)
    passed = failed = 0
    try:
        for name, test in list(globals().items()):
            if not name.startswith("test_"):
                continue
            try:
                test(driver)
                passed += 1
                print(f"PASS {name}")
            except Exception:  # noqa: BLE001 - every failure is reported the same way
                failed += 1
                print(f"FAIL {name}")
                traceback.print_exc(file=sys.stdout)
    finally:
        driver.quit()
        profile.cleanup()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
