"""The page around the game in headless Chromium, after play's checks of the game in it (`make test-web`):
  python3 -m tests.e2e.page_checks SITE   from the repository root"""

import json
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.support.wait import WebDriverWait

from browsers import Chromium, serve, stop
from game import ROOT
from game.console import START
from game.geometry import START_SPEED, START_X, STRIDE
from game.pictures import pictures, png_header
from tests.e2e.checks import PROMPT, check, debug_block, expect, failing_as, wait_for

# Where the copy of the site is served: below the host's root, as game hosts do.
PATH = "games/hollowmere/"
PHONE = {"width": 844, "height": 390, "deviceScaleFactor": 3, "mobile": True}
LAPTOP = {"width": 1366, "height": 657, "deviceScaleFactor": 1, "mobile": False}
# The scene's height and the bottom of the keys' line, in CSS pixels.
SCENE = """return [document.getElementById('canvas').getBoundingClientRect().height,
  document.getElementById('keys').getBoundingClientRect().bottom];"""
# The scene's box, the on-screen keys', the console's state and what fills the screen.
LAYOUT = """const box = e => e.getClientRects().length ? e.getBoundingClientRect().toJSON() : null;
return {scene: box(document.getElementById('canvas')), keys: [...document.querySelectorAll('.keys button')].map(box),
  open: document.getElementById('console').open, full: document.fullscreenElement?.id};"""
# Whether the page tells the player a reload brings a new build.
NOTICE = "return !document.getElementById('update').hidden"
# The progress bar as each task leaves it, when that task moved it.
PROGRESS = """window.progressSeen = [];
addEventListener("DOMContentLoaded", () => { const bar = document.getElementById("progress");
  new MutationObserver(() => progressSeen.push([bar.value, bar.max])).observe(bar, {attributeFilter: ["value"]}); });"""


class TouchChromium(Chromium):
    """The page in a desktop window, or on a phone held sideways where a key is a finger on its button."""

    def __init__(self, url, phone=False):
        super().__init__()
        if phone:
            self.cdp("Emulation.setDeviceMetricsOverride", **PHONE)
            self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.open(url)
        self.fingers = {}

    def line(self):
        return (self.console(PROMPT) or [None])[0]

    # Fingers that a touch event does not name stay down.
    def touch(self, kind, *points):
        self.cdp("Input.dispatchTouchEvent", type=kind, touchPoints=list(points))

    def keys(self, action, key):
        if action in ("keydown", "key"):
            box = self.run("return document.querySelector(`[data-key='${arguments[0]}']`).getBoundingClientRect()", key)
            self.fingers[key] = {"x": box["x"] + box["width"] / 2, "y": box["y"] + box["height"] / 2, "id": ord(key)}
            self.touch("touchStart", self.fingers[key])
        if action in ("keyup", "key"):
            self.touch("touchEnd", self.fingers.pop(key))


def walks(game, expected, what):
    """The traveller walks on, or stays put across half a second of frames; returns the last debug block."""
    before = debug_block(game)
    time.sleep(0.5)
    after = wait_for(game, lambda block: block[0] > before[0]) if expected else debug_block(game)
    check((after[0] > before[0]) == expected, what, after, before)
    return after


def check_desktop(server, folder):
    game = TouchChromium(server + PATH)
    WebDriverWait(game.driver, PROMPT).until(lambda driver: START[-1] in driver.find_element("id", "log").text,
                                             "no start-up lines in the panel")
    # Each picture decoded in a task of its own, the bar showing it, so that the page paints between them.
    count = len(pictures())
    seen = [value for value, most in game.run("return progressSeen") if most == count]
    check(seen == list(range(1, count + 1)), "the bar moving a picture at a time", seen, "1 to %d" % count)
    # The console read only now: a clean start, and then scripts from another origin and inline refused.
    said = [entry["message"] for entry in game.driver.get_log("browser") if entry["level"] != "INFO"]
    layout = game.run(LAYOUT)
    check(not said and not any(layout["keys"]) and layout["open"], "a clean console, no keys", [said, layout], "")
    foreign = server.replace("127.0.0.1", "localhost") + "x.js"
    game.run("const add = () => document.head.appendChild(document.createElement('script')); "
             "add().src = arguments[0]; add().text = 'window.foreign = true';", foreign)
    time.sleep(1)
    refused = [entry for entry in game.driver.get_log("browser") if "Content Security Policy" in entry["message"]]
    check(foreign in str(refused) and game.run("return window.foreign") is None, "a script from elsewhere", refused, "")

    version = subprocess.run([ROOT / "scripts" / "version"], stdout=subprocess.PIPE, text=True,
                             check=True).stdout.strip()
    shown = game.run("return document.getElementById('version').textContent")
    check(shown == "Hollowmere " + version, "the version on the page", shown, "Hollowmere " + version)

    manifest = game.cdp("Page.getAppManifest")
    # Each icon's size as its file's header says, by the size the manifest gives it.
    sizes = {icon["sizes"]: "%dx%d" % png_header(folder / icon["src"])[:2]
             for icon in json.loads(manifest["data"])["icons"]}
    check(not manifest["errors"] and sizes == {"192x192": "192x192", "512x512": "512x512"}, "manifest", manifest, "")
    check(not (errors := game.cdp("Page.getInstallabilityErrors")["installabilityErrors"]), "installable", errors, [])
    # A shared link's preview: the name, a sentence and a picture of the site's own, of the size the tags give.
    tags = game.run("return Object.fromEntries([...document.querySelectorAll('meta[name], meta[property]')]"
                    ".map(tag => [tag.name || tag.getAttribute('property'), tag.content]))")
    picture = folder / tags.get("og:image", "missing")
    size = picture.is_file() and "%dx%d" % png_header(picture)[:2]
    check(all(tags.get(t) for t in ("description", "og:description", "twitter:card")) and tags.get("og:title") ==
          "Hollowmere" and size == "%sx%s" % (tags.get("og:image:width"), tags.get("og:image:height")) and
          tags.get("twitter:image") == tags["og:image"], "link preview tags", [tags, size], "name, sentence, picture")
    check(game.run(SCENE)[0] == 768, "the scene at 1:1 in the checks' window", game.run(SCENE), 768)
    game.cdp("Emulation.setDeviceMetricsOverride", **LAPTOP)
    height, keys = game.run(SCENE)
    check(height >= 0.85 * LAPTOP["height"] and keys <= LAPTOP["height"], "a laptop's scene, the keys' line in view",
          [height, keys], "85 %% of %d, keys above its bottom" % LAPTOP["height"])
    game.quit()


def check_without_decoder(server):
    """A host that lost the worker that decodes the pictures: the game decodes them itself and starts."""
    game = TouchChromium(server + "undecoded/")
    expect(game, START, "start-up lines without the decoding worker")
    game.quit()


def check_phone(server, folder):
    game = TouchChromium(server + PATH, phone=True)
    expect(game, START, "start-up lines on a phone")
    scene = (windowed := game.run(LAYOUT))["scene"]
    beside = [key and (key["right"] <= scene["left"] or key["left"] >= scene["right"]) for key in windowed["keys"]]
    check(beside == [True] * 4 and scene["height"] >= 0.7 * PHONE["height"] and not windowed["open"],
          "4 keys beside a scene 70 % of the height, the console folded", windowed, "")
    game.keys("keydown", "d")
    x = wait_for(game, lambda block: block[0] >= START_X + STRIDE * 10)[0]
    check((x - START_X) % STRIDE == 0, "a held D walks %d pixels a frame" % STRIDE, x, "%d + %dn" % (START_X, STRIDE))
    # Two fingers: = raises the speed while D walks on.
    game.keys("keydown", "=")
    speed = walks(game, True, "D held with =")[2]
    check(speed == START_SPEED + 1, "the speed after = pressed while D is held", speed, START_SPEED + 1)
    game.keys("keyup", "=")
    # A lifted finger, a cancelled touch and a finger slid off each let D go.
    finger = game.fingers["d"]
    game.keys("keyup", "d")
    walks(game, False, "D after a touchEnd")
    for end, points in (("touchCancel", []), ("touchMove", [dict(finger, x=422, y=100)])):
        game.touch("touchStart", finger)
        game.touch(end, *points)
        walks(game, False, "D after a " + end)
    game.touch("touchCancel")

    # Full screen from its button: the largest 4:3 box in the screen, where the on-screen keys still play.
    game.driver.find_element("id", "fullscreen").click()
    full, side = game.run(LAYOUT), min(PHONE["width"], PHONE["height"] * 4 / 3)
    box = {"x": (PHONE["width"] - side) / 2, "y": (PHONE["height"] - side * 3 / 4) / 2, "width": side}
    check(full["full"] == "stage" and all(abs(full["scene"][edge] - box[edge]) < 1 for edge in box),
          "full screen: the largest 4:3 box", full, box)
    game.keys("keydown", "d")
    walks(game, True, "D held in full screen")
    game.keys("keyup", "d")
    Chromium.keys(game, "key", "f")
    check(game.run(LAYOUT) == windowed, "F, from the keyboard, leaves full screen", "", windowed)

    # A new build, as the build makes it: one file changed, the worker written anew. The returning player
    # reloads, plays the kept build and, while walking, is told of the new one, which replaces the kept.
    kept = game.run("return navigator.serviceWorker.ready.then(() => caches.keys())")
    page = folder / "index.html"
    page.write_text(page.read_text().replace('lang="en"', 'lang="en-x-rebuilt"'))
    subprocess.run(["cmake", "-DSITE=%s" % folder, "-DWORKER=%s" % (ROOT / "web" / "sw.js"), "-P",
                    ROOT / "cmake" / "web-worker.cmake"], check=True, timeout=PROMPT)
    game.driver.refresh()
    expect(game, START, "start-up lines after the new build")
    check(game.run("return document.documentElement.lang") == "en", "the kept build on the first reload", "", "en")
    game.keys("keydown", "d")
    WebDriverWait(game.driver, PROMPT).until(lambda _: game.run(NOTICE), "no notice of the new build while playing")
    walks(game, True, "D held as the new build arrives")
    game.keys("keyup", "d")
    # The worker takes over before it deletes the kept build's cache.
    WebDriverWait(game.driver, PROMPT).until(lambda _: len(names := game.run("return caches.keys()")) == 1
                                             and names != kept, "the kept build's cache left beside the new")
    game.driver.refresh()
    expect(game, START, "start-up lines on the second reload")
    check(game.run("return document.documentElement.lang") == "en-x-rebuilt", "the new build on the second reload",
          game.run("return document.documentElement.lang"), "en-x-rebuilt")
    check(not game.run(NOTICE), "no notice once the new build plays", "shown", "hidden")

    # With the host gone and the browser's own cache emptied, the page comes from the worker's: the new build's.
    stop(server)
    game.cdp("Network.clearBrowserCache")
    game.driver.refresh()
    expect(game, START, "start-up lines offline")
    check(game.run("return document.documentElement.lang") == "en-x-rebuilt", "the new build's page offline", "", "")
    game.keys("keydown", "d")
    walks(game, True, "D held offline")


def main():
    """Every check above, on a copy of the site: one host, two origins (127.0.0.1 and localhost)."""
    with tempfile.TemporaryDirectory() as root, failing_as("chromium"):
        folder = pathlib.Path(root, PATH)
        shutil.copytree(sys.argv[1], folder)
        shutil.copytree(sys.argv[1], pathlib.Path(root, "undecoded"), ignore=shutil.ignore_patterns("decoder.js"))
        pathlib.Path(root, "x.js").write_text("window.foreign = true;")
        server = serve(root, PROGRESS)
        check_without_decoder(server)
        check_desktop(server, folder)
        check_phone(server, folder)
    print("PASS [chromium] the page around the game")


if __name__ == "__main__":
    main()
