"""Where Debian puts each engine's browser and its driver, as `scripts/install-deps web` installs them."""

import glob

# engine: (browser, driver). Firefox ESR needs no driver: it speaks WebDriver BiDi itself. MiniBrowser's folder
# is named for WebKitGTK's API version.
PATHS = {
    "chromium": ("/usr/bin/chromium", "/usr/bin/chromedriver"),
    "firefox": ("/usr/bin/firefox-esr", None),
    "webkit": ("/usr/lib/x86_64-linux-gnu/webkit2gtk-4.*/MiniBrowser", "/usr/bin/WebKitWebDriver"),
}


def browser_path(engine):
    """The path of `engine`'s browser."""
    return glob.glob(PATHS[engine][0])[0]


def driver_path(engine):
    """The path of `engine`'s WebDriver."""
    return PATHS[engine][1]
