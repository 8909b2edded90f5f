"""Firefox ESR headless, over its own WebDriver BiDi socket."""

import base64
import json
import subprocess
import threading

from browsers.paths import browser_path
from browsers.base import BIG, Browser
from browsers.bidi import BiDiSession


class Firefox(Browser):
    """Debian has no geckodriver, but Firefox ESR speaks WebDriver BiDi itself: a few of its commands
    over one socket are all the checks and the bench need, with no driver or Node bridge between."""

    name = "firefox"

    def __init__(self, size=BIG):
        super().__init__(size)
        self.process = subprocess.Popen(
            [browser_path(self.name), "--headless", "--no-remote", "--remote-debugging-port=0", "--profile",
             self.profile, "about:blank"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE, text=True)
        address = next(line.split()[-1] for line in self.process.stderr if "BiDi listening" in line)
        # The rest of Firefox's own chatter is not the page's: drain it so Firefox never blocks on it.
        threading.Thread(target=self.process.stderr.read, daemon=True).start()
        self.bidi = BiDiSession(address)
        self.context = self.bidi.call("browsingContext.getTree")["contexts"][0]["context"]
        self.bidi.call("browsingContext.setViewport", context=self.context,
                       viewport={"width": size[0], "height": size[1]})
        self.bidi.call("session.subscribe", events=["log.entryAdded"])

    def open(self, url):
        super().open(url)
        self.bidi.events.clear()
        self.bidi.call("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def read_console(self):
        return [(event["params"]["level"], event["params"]["text"], event["params"]["timestamp"])
                for event in self.bidi.take_events(0.02) if event["method"] == "log.entryAdded"]

    def keys(self, action, key):
        kinds = {"keydown": ["keyDown"], "keyup": ["keyUp"], "key": ["keyDown", "keyUp"]}[action]
        self.bidi.call("input.performActions", context=self.context, actions=[
            {"type": "key", "id": "keyboard", "actions": [{"type": kind, "value": key} for kind in kinds]}])

    def canvas(self):
        element = self.bidi.call("script.evaluate", expression="document.getElementById('canvas')",
                                 target={"context": self.context}, awaitPromise=False)["result"]
        shot = self.bidi.call("browsingContext.captureScreenshot", context=self.context,
                              clip={"type": "element", "element": {"sharedId": element["sharedId"]}})
        return base64.b64decode(shot["data"])

    def run(self, script, *args):
        # A function, not an arrow, so that the script finds `args` in `arguments`, as selenium's engines do.
        expression = "(async function () { %s }).apply(null, %s).then(value => JSON.stringify(value ?? null))" % (
            script, json.dumps(args))
        reply = self.bidi.call("script.evaluate", expression=expression, target={"context": self.context},
                               awaitPromise=True)
        if reply["type"] == "exception":
            raise RuntimeError(reply["exceptionDetails"]["text"])
        return json.loads(reply["result"]["value"])

    @property
    def version(self):
        return self.bidi.capabilities["browserVersion"]

    def quit(self):
        if getattr(self, "process", None):
            self.bidi.close()
            self.process.kill()
            self.process.wait()
            self.process = None
        super().quit()
