"""What every engine gives the checks and the bench (Browser), and the part Chromium and WebKitGTK share,
W3C WebDriver through selenium (SeleniumBrowser)."""

import atexit
import shutil
import tempfile
import time

# The window the checks use: the 1024 x 768 scene unscaled under 13em of text.
BIG = (1280, 1400)


class Browser:
    """One browser with a fresh profile and one page, `size` its viewport in CSS pixels.
    Each engine gives: open, console lines in order, real key events, the canvas as PNG,
    scripts run in the page, its version, quit. `problems` collects the warnings and errors the
    engine lets us read; the browser quits when Python exits."""

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

    def run(self, script, *args):
        """Runs a function body in the page, `args` its arguments; returns its JSON-able result, a
        promise's awaited."""
        raise NotImplementedError

    @property
    def version(self):
        """The browser's version, as it names it."""
        raise NotImplementedError

    def quit(self):
        shutil.rmtree(self.profile, True)


class SeleniumBrowser(Browser):
    """Chromium and WebKitGTK, both through W3C WebDriver in selenium; `start` gives the driver."""

    def start(self, driver):
        """Takes the engine's new selenium driver and sizes the window so that the page gets `size`:
        the window holds more than the page."""
        self.driver = driver
        driver.set_window_size(*self.size)
        inner = self.run("return [innerWidth, innerHeight]")
        driver.set_window_size(2 * self.size[0] - inner[0], 2 * self.size[1] - inner[1])

    def open(self, url):
        from selenium.webdriver import ActionChains
        super().open(url)
        self.driver.get(url)
        self.actions = ActionChains(self.driver)

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

    @property
    def version(self):
        return self.driver.capabilities["browserVersion"]

    def quit(self):
        if getattr(self, "driver", None):
            self.driver.quit()
            self.driver = None
        super().quit()
