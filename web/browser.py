"""Serves a folder on loopback and opens pages in Debian's headless Chromium,
driven by selenium. The web checks (tests/e2e/play.py --web) and the web bench
(bench/web_bench.py) both meet the page this way."""

import atexit
import collections
import functools
import http.server
import json
import re
import shutil
import tempfile
import threading
import time

# No GPU here: SwiftShader emulates WebGL. The rest keeps Chromium from calling home.
FLAGS = ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--no-first-run", "--disable-quic", "--window-size=1280,1400"]
# The servers by address, so that a check can take one away.
SERVERS = {}


def serve(folder):
    """Serves `folder` on 127.0.0.1 at a free port from a thread; returns the address."""
    handler = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *a: None})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = "http://127.0.0.1:%d/" % server.server_port
    SERVERS[url] = server
    return url


def stop(url):
    """Stops serving `url`, as a host gone away would."""
    server = SERVERS.pop(url)
    server.shutdown()
    server.server_close()


class Page:
    """A page in headless Chromium with a fresh profile that keeps the console;
    the script `before` runs ahead of the page's own. Quits when Python exits."""

    def __init__(self, url, before=None, flags=FLAGS):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        profile = tempfile.mkdtemp()
        atexit.register(shutil.rmtree, profile, True)
        for flag in flags + ["--user-data-dir=" + profile]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        atexit.register(self.driver.quit)
        if before:
            self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": before})
        self.driver.get(url)
        self.actions = webdriver.ActionChains(self.driver)
        self.pending = collections.deque()

    def console(self, timeout, errors=False):
        """The next console line (text, milliseconds since 1970), waiting up to `timeout`
        seconds; None if none came. Errors (standard error) only if `errors`."""
        deadline = time.monotonic() + timeout
        while not self.pending and time.monotonic() < deadline:
            for entry in self.driver.get_log("browser"):
                message = re.fullmatch(r'\S+ \d+:\d+ (".*")', entry["message"], re.S)
                if entry["source"] == "console-api" and message and (errors or entry["level"] == "INFO"):
                    self.pending.append((json.loads(message[1]), entry["timestamp"]))
            time.sleep(0.01)
        return self.pending.popleft() if self.pending else None

    def keys(self, action, key):
        """Real key events: "keydown", "keyup" or "key" (both)."""
        if action in ("keydown", "key"):
            self.actions.key_down(key)
        if action in ("keyup", "key"):
            self.actions.key_up(key)
        self.actions.perform()

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)
