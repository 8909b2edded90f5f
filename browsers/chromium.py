"""Chromium headless, through chromedriver and selenium."""

import json
import re

from browsers.paths import browser_path, driver_path
from browsers.base import BIG, SeleniumBrowser


class Chromium(SeleniumBrowser):
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
        options = webdriver.ChromeOptions()
        options.binary_location = browser_path(self.name)
        for flag in self.flags + ["--user-data-dir=" + self.profile]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.start(webdriver.Chrome(service=Service(driver_path(self.name)), options=options))

    def cdp(self, command, **args):
        """A command of the DevTools protocol, which only Chromium speaks: emulation, touch, the manifest."""
        return self.driver.execute_cdp_cmd(command, args)

    def read_console(self):
        entries = []
        for entry in self.driver.get_log("browser"):
            message = re.fullmatch(r'\S+ \d+:\d+ (".*")', entry["message"], re.S)
            text = json.loads(message[1]) if entry["source"] == "console-api" and message else entry["message"]
            entries.append((entry["level"].lower(), text, entry["timestamp"]))
        return entries
