"""A WebDriver BiDi session over one WebSocket (python3-websockets): commands, their replies, and the events
that came between, kept for the caller."""

import asyncio
import json


class BiDiSession:
    def __init__(self, address):
        """Opens a session on the browser listening at `address` (ws://host:port); `capabilities` are its own."""
        import websockets
        self.loop, self.calls, self.events = asyncio.new_event_loop(), 0, []
        asyncio.set_event_loop(self.loop)
        # The socket lives in this thread's loop, which runs only while we wait on it: no pings.
        self.socket = self.wait(websockets.connect(address + "/session", max_size=None, ping_interval=None,
                                                   close_timeout=1))
        self.capabilities = self.call("session.new", capabilities={})["capabilities"]

    def wait(self, awaitable, timeout=None):
        return self.loop.run_until_complete(asyncio.wait_for(awaitable, timeout))

    def receive(self, timeout=None):
        """One message from the browser; an event is also kept in `events`."""
        message = json.loads(self.wait(self.socket.recv(), timeout))
        if "method" in message:
            self.events.append(message)
        return message

    def call(self, method, **params):
        """Sends a command and waits for its reply; returns its result, or raises its error."""
        self.calls += 1
        self.wait(self.socket.send(json.dumps({"id": self.calls, "method": method, "params": params})))
        # The browser answers within a minute, even a script awaiting the bench's 10 s walk.
        while (reply := self.receive(60)).get("id") != self.calls:
            pass
        if reply["type"] == "error":
            raise RuntimeError("%s: %s %s" % (method, reply["error"], reply["message"]))
        return reply["result"]

    def take_events(self, quiet):
        """The events that came since the last call, once none has come for `quiet` seconds."""
        try:
            while True:
                self.receive(quiet)
        except asyncio.TimeoutError:
            pass
        events, self.events = self.events, []
        return events

    def close(self):
        self.wait(self.socket.close())
