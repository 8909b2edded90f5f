"""Serves a folder on loopback, each HTML page with a hook that records its console calls."""

import functools
import http.server
import os
import threading

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
