"""The page opened in one of three browser engines from Debian, each behind the one interface of
browsers.base.Browser, and served from loopback by browsers.server. The web checks (tests/e2e/) and the web
bench (bench/web_bench.py) meet the page this way.
  chromium  headless, through chromedriver and selenium
  firefox   firefox-esr headless, over its own WebDriver BiDi socket (browsers.bidi, python3-websockets)
  webkit    WebKitGTK's MiniBrowser through WebKitWebDriver and selenium; needs an X server
Where Debian puts each browser and driver: browsers.paths. An engine's client library is imported only when
one of its browsers starts, so that importing this package needs nothing but Python."""

from browsers.base import BIG, Browser
from browsers.chromium import Chromium
from browsers.firefox import Firefox
from browsers.server import serve, stop
from browsers.webkit import WebKit

__all__ = ["BIG", "Browser", "Chromium", "ENGINES", "Firefox", "WebKit", "serve", "stop"]
ENGINES = {engine.name: engine for engine in (Chromium, Firefox, WebKit)}
