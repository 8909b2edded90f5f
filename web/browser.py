"""Serves a folder on loopback and opens pages in one of three browser engines
from Debian, all behind one small interface (Page). The web checks
(tests/e2e/play.py --web) and the web bench (bench/web_bench.py) both meet the
page this way.
  chromium  headless, through chromedriver and selenium
  firefox   firefox-esr headless, over its own WebDriver BiDi socket (python3-websockets)
  webkit    WebKitGTK's MiniBrowser through WebKitWebDriver and selenium; needs an X server"""

import asyncio
import atexit
import base64
import functools
import glob
import http.server
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time

# The window the checks use: the 1024 x 768 scene unscaled under 13em of text.
BIG = (1280, 1400)
# Records console calls with their time, for an engine with no browser log to read them from.
CONSOLE_HOOK = """window.consoleLines = [];
for (const level of ["log", "info", "warn", "error"]) {
  const write = console[level].bind(console);
  console[level] = (...args) => {
    consoleLines.push([level, args.join(" "), performance.timeOrigin + performance.now()]);
    write(...args);
  };
}
addEventListener("error", e => consoleLines.push(["error", e.message, performance.timeOrigin + performance.now()]));
"""
# Where the served pages find the hook.
HOOK_PATH = "/test-hook.js"
# The servers by address, so that a check can take one away.
SERVERS = {}


def serve(folder, before=""):
    """Serves `folder` on 127.0.0.1 at a free port from a thread; returns the address. Every
    HTML page gets the console hook and the script `before` ahead of its own scripts, from a
    file of the same origin, which the page's policy lets run."""
    hook = (CONSOLE_HOOK + before).encode()

    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def send_head(self):
            path = self.translate_path(self.path)
            path = os.path.join(path, "index.html") if os.path.isdir(path) else path
            if self.path == HOOK_PATH:
                body, kind = hook, "text/javascript"
            elif not path.endswith(".html") or not os.path.isfile(path):
                return super().send_head()
            else:
                with open(path, "rb") as page:
                    body = page.read().replace(b"<script", b'<script src="%s"></script>\n<script' % HOOK_PATH.encode(), 1)
                kind = "text/html; charset=utf-8"
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
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
    """One browser with a fresh profile and one page, `size` its viewport in CSS pixels.
    Each engine gives: open, console lines in order, real key events, the canvas as PNG,
    scripts run in the page, quit. `problems` collects the warnings and errors the engine
    lets us read; the browser quits when Python exits."""

    name = ""

    def __init__(self, size=BIG):
        self.size = size
        self.pending, self.problems = [], []
        self.profile = tempfile.mkdtemp()
        atexit.register(self.quit)

    def open(self, url):
        """Loads `url` and forgets the console lines of the page before."""
        self.pending.clear()

    def console(self, timeout):
        """The next console.log line (text, milliseconds since 1970), waiting up to
        `timeout` seconds; None if none came."""
        deadline = time.monotonic() + timeout
        self.collect()
        while not self.pending and time.monotonic() < deadline:
            time.sleep(0.01)
            self.collect()
        return self.pending.pop(0) if self.pending else None

    def collect(self):
        """Sorts what the console got since the last call into lines and problems."""
        for level, text, at in self.read_console():
            if level in ("log", "info"):
                self.pending.append((text, at))
            elif level in ("warn", "warning", "error", "severe"):
                self.problems.append("%s: %s" % (level, text))

    def read_console(self):
        """Console entries (level, text, ms since 1970) that came since the last call."""
        return self.run("return consoleLines.splice(0)")

    def keys(self, action, key):
        """Real key events: "keydown", "keyup" or "key" (both)."""
        raise NotImplementedError

    def canvas(self):
        """The canvas as the browser shows it: PNG bytes."""
        raise NotImplementedError

    def run(self, script):
        """Runs a function body in the page; returns its JSON-able result, a promise's awaited."""
        raise NotImplementedError

    def quit(self):
        shutil.rmtree(self.profile, True)


class Selenium(Page):
    """Chromium and WebKitGTK, both through W3C WebDriver in selenium."""

    def fit(self):
        """Sizes the window so that the page gets `size`: the window holds more than the page."""
        self.driver.set_window_size(*self.size)
        inner = self.run("return [innerWidth, innerHeight]")
        self.driver.set_window_size(2 * self.size[0] - inner[0], 2 * self.size[1] - inner[1])

    def open(self, url):
        super().open(url)
        self.driver.get(url)
        self.actions = self.webdriver.ActionChains(self.driver)

    def keys(self, action, key):
        if action in ("keydown", "key"):
            self.actions.key_down(key)
        if action in ("keyup", "key"):
            self.actions.key_up(key)
        self.actions.perform()

    def canvas(self):
        return self.driver.find_element("id", "canvas").screenshot_as_png

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)

    def quit(self):
        if getattr(self, "driver", None):
            self.driver.quit()
            self.driver = None
        super().quit()


class Chromium(Selenium):
    name = "chromium"
    # As Chromium runs where it finds no GPU, compositing in software; a page that reaches for WebGL
    # then gets it emulated, with a warning. The rest keeps Chromium from calling home.
    flags = ["--headless=new", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--disable-quic"]

    def __init__(self, size=BIG):
        super().__init__(size)
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.webdriver = webdriver
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in self.flags + ["--user-data-dir=" + self.profile]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.fit()

    def read_console(self):
        entries = []
        for entry in self.driver.get_log("browser"):
            message = re.fullmatch(r'\S+ \d+:\d+ (".*")', entry["message"], re.S)
            text = json.loads(message[1]) if entry["source"] == "console-api" and message else entry["message"]
            entries.append((entry["level"].lower(), text, entry["timestamp"]))
        return entries


class WebKit(Selenium):
    """MiniBrowser has no headless mode: it needs an X server (xvfb-run) and no browser log,
    so console lines come from the hook `serve` puts in the page."""

    name = "webkit"

    def __init__(self, size=BIG):
        super().__init__(size)
        from selenium import webdriver
        self.webdriver = webdriver
        options = webdriver.WebKitGTKOptions()
        options.binary_location = glob.glob("/usr/lib/x86_64-linux-gnu/webkit2gtk-4.*/MiniBrowser")[0]
        options.add_argument("--automation")
        self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)
        self.fit()

    def keys(self, action, key):
        # WebKitWebDriver releases the last key pressed, whatever key is named: after E's press and release
        # a held key's release goes nowhere. The key goes down once more first, as a held key repeats.
        super().keys("key" if action == "keyup" else action, key)

    def canvas(self):
        # Its element screenshot of the canvas misses layers the page shows; the viewport's has them all.
        box = self.run("const box = document.getElementById('canvas').getBoundingClientRect();"
                       "return [box.width, box.height, box.left, box.top]")
        return subprocess.run(["convert", "png:-", "-crop", "%dx%d+%d+%d" % tuple(box), "+repage", "png:-"],
                              input=self.driver.get_screenshot_as_png(), stdout=subprocess.PIPE, check=True).stdout


class Firefox(Page):
    """Debian has no geckodriver, but Firefox ESR speaks WebDriver BiDi itself: a few of its commands
    over one socket are all the checks and the bench need, with no driver or Node bridge between."""

    name = "firefox"

    def __init__(self, size=BIG):
        super().__init__(size)
        import websockets
        self.process = subprocess.Popen(
            ["firefox-esr", "--headless", "--no-remote", "--remote-debugging-port=0", "--profile", self.profile,
             "about:blank"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = next(line.split()[-1] for line in self.process.stderr if "BiDi listening" in line)
        # The rest of Firefox's own chatter is not the page's: drain it so Firefox never blocks on it.
        threading.Thread(target=self.process.stderr.read, daemon=True).start()
        self.loop, self.calls, self.entries = asyncio.new_event_loop(), 0, []
        asyncio.set_event_loop(self.loop)
        # The socket lives in this thread's loop, which runs only while we wait on it: no pings.
        self.socket = self.wait(websockets.connect(address + "/session", max_size=None, ping_interval=None,
                                                   close_timeout=1))
        self.call("session.new", capabilities={})
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": size[0], "height": size[1]})
        self.call("session.subscribe", events=["log.entryAdded"])

    def wait(self, awaitable, timeout=None):
        return self.loop.run_until_complete(asyncio.wait_for(awaitable, timeout))

    def receive(self, timeout=None):
        """One message from Firefox; log entries are kept for `read_console`."""
        message = json.loads(self.wait(self.socket.recv(), timeout))
        if message.get("method") == "log.entryAdded":
            entry = message["params"]
            self.entries.append((entry["level"], entry["text"], entry["timestamp"]))
        return message

    def call(self, method, **params):
        self.calls += 1
        self.wait(self.socket.send(json.dumps({"id": self.calls, "method": method, "params": params})))
        # Firefox answers within a minute, even a script awaiting the bench's 10 s walk.
        while (reply := self.receive(60)).get("id") != self.calls:
            pass
        if reply["type"] == "error":
            raise RuntimeError("%s: %s %s" % (method, reply["error"], reply["message"]))
        return reply["result"]

    def open(self, url):
        super().open(url)
        self.entries.clear()
        self.call("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def read_console(self):
        try:
            while True:
                self.receive(0.02)
        except asyncio.TimeoutError:
            pass
        entries, self.entries = self.entries, []
        return entries

    def keys(self, action, key):
        kinds = {"keydown": ["keyDown"], "keyup": ["keyUp"], "key": ["keyDown", "keyUp"]}[action]
        self.call("input.performActions", context=self.context, actions=[
            {"type": "key", "id": "keyboard", "actions": [{"type": kind, "value": key} for kind in kinds]}])

    def canvas(self):
        element = self.call("script.evaluate", expression="document.getElementById('canvas')",
                            target={"context": self.context}, awaitPromise=False)["result"]
        shot = self.call("browsingContext.captureScreenshot", context=self.context,
                         clip={"type": "element", "element": {"sharedId": element["sharedId"]}})
        return base64.b64decode(shot["data"])

    def run(self, script):
        expression = "(async () => { %s })().then(value => JSON.stringify(value ?? null))" % script
        reply = self.call("script.evaluate", expression=expression, target={"context": self.context},
                          awaitPromise=True)
        if reply["type"] == "exception":
            raise RuntimeError(reply["exceptionDetails"]["text"])
        return json.loads(reply["result"]["value"])

    def quit(self):
        if getattr(self, "process", None):
            self.wait(self.socket.close())
            self.process.kill()
            self.process.wait()
            self.process = None
        super().quit()


ENGINES = {engine.name: engine for engine in (Chromium, Firefox, WebKit)}
