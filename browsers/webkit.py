"""WebKitGTK's MiniBrowser through WebKitWebDriver and selenium."""

import subprocess

from browsers.paths import browser_path, driver_path
from browsers.base import BIG, SeleniumBrowser


class WebKit(SeleniumBrowser):
    """MiniBrowser has no headless mode: it needs an X server (xvfb-run) and no browser log,
    so console lines come from the hook browsers.server puts in the page."""

    name = "webkit"

    def __init__(self, size=BIG):
        super().__init__(size)
        from selenium import webdriver
        options = webdriver.WebKitGTKOptions()
        options.binary_location = browser_path(self.name)
        options.add_argument("--automation")
        self.start(webdriver.WebKitGTK(executable_path=driver_path(self.name), options=options))

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
