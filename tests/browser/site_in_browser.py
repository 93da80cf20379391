#!/usr/bin/env python3
"""Opens a site made by obitrak-report --site in headless Chromium and follows every link.

Every page must load without a script error, a failed load or a dialog; every table
heading is clicked (the tables sort); a player named <script>alert(1)> shows as text.
The browser is driven over its DevTools protocol through a small WebSocket client, as
the standard library has none.

Usage: site_in_browser.py OBITRAK_REPORT SAMPLE_DEMO
Exits 77 (skipped) where Chromium is absent.
"""
import base64
import collections
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

HOSTILE = b"<script>alert(1)"
VICTIM = b'"><img src=x onerror=alert(2)>'
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"]


def demo_bytes():
    """A protocol 34 demo: server data, two players, one obituary of one by the other."""
    def string(b):
        return b + b"\0"
    block = (bytes([12]) + struct.pack("<iiB", 34, 1, 0) + string(b"baseq2") + struct.pack("<h", 0)
             + string(b"q2dm1"))
    for client, name in enumerate((HOSTILE, VICTIM)):
        block += bytes([13]) + struct.pack("<h", 0x520 + client) + string(name + b"\\male/grunt")
    out = struct.pack("<i", len(block)) + block
    kill = bytes([10, 1]) + string(VICTIM + b" was railed by " + HOSTILE + b"\n")
    out += struct.pack("<i", len(kill)) + kill
    return out + struct.pack("<i", -1)


class DevTools:
    """One page target of the browser, over a WebSocket."""

    def __init__(self, url):
        parsed = urllib.parse.urlparse(url)
        self.sock = socket.create_connection((parsed.hostname, parsed.port), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET {parsed.path} HTTP/1.1\r\nHost: {parsed.netloc}\r\n"
                           "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                           f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                          .encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise RuntimeError("no WebSocket: " + head.decode(errors="replace"))
        self.next_id = 0
        self.events = collections.deque()
        self.problems = []

    def _recv_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise RuntimeError("the browser closed the connection")
            data += chunk
        return data

    def _recv_message(self):
        message = b""
        while True:
            first, second = self._recv_exact(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._recv_exact(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._recv_exact(8))[0]
            message += self._recv_exact(length)
            if first & 0x80:
                return json.loads(message)

    def _send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        head = bytes([0x81])
        if len(payload) < 126:
            head += bytes([0x80 | len(payload)])
        elif len(payload) < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(head + mask + masked)

    def call(self, method, **params):
        self.next_id += 1
        self._send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = self._recv_message()
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def wait_event(self, method, seconds=30):
        deadline = time.time() + seconds
        while time.time() < deadline:
            while self.events:
                event = self.events.popleft()
                self.seen(event)
                if event.get("method") == method:
                    return event
            self.events.append(self._recv_message())
        raise RuntimeError("no " + method)

    def seen(self, event):
        method = event.get("method")
        params = event.get("params", {})
        if method == "Runtime.exceptionThrown":
            self.problems.append("script error: " + json.dumps(params["exceptionDetails"])[:300])
        elif method == "Page.javascriptDialogOpening":
            self.problems.append("a dialog opened: " + params.get("message", ""))
            self.call("Page.handleJavaScriptDialog", accept=True)
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.problems.append("console: " + params["entry"].get("text", ""))

    def drain(self):
        self.call("Runtime.evaluate", expression="1")
        while self.events:
            self.seen(self.events.popleft())


def start_browser(profile):
    browser = subprocess.Popen(["chromium"] + FLAGS + ["--remote-debugging-port=0",
                                                       "--user-data-dir=" + profile, "about:blank"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = os.path.join(profile, "DevToolsActivePort")
    for _ in range(300):
        if os.path.exists(port_file) and open(port_file).read().count("\n") >= 1:
            break
        time.sleep(0.1)
    port = int(open(port_file).read().split("\n")[0])
    request = urllib.request.Request(f"http://127.0.0.1:{port}/json/new?about:blank", method="PUT")
    target = json.load(urllib.request.urlopen(request, timeout=30))
    return browser, DevTools(target["webSocketDebuggerUrl"])


def main():
    report, sample = sys.argv[1], sys.argv[2]
    if shutil.which("chromium") is None:
        print("chromium is not installed: the browser test is skipped (tools/setup installs it)")
        return 77
    work = tempfile.mkdtemp(prefix="obitrak-browser-")
    browser = None
    try:
        demos = os.path.join(work, "demos")
        os.makedirs(demos)
        shutil.copy(sample, demos)
        with open(os.path.join(demos, "hostile.dm2"), "wb") as f:
            f.write(demo_bytes())
        site = os.path.join(work, "site")
        subprocess.run([report, "--site", site, demos], check=True)
        browser, page = start_browser(os.path.join(work, "profile"))
        for domain in ("Page", "Runtime", "Log"):
            page.call(domain + ".enable")
        site_url = "file://" + urllib.parse.quote(site) + "/"
        queue, visited, failures = ["index.html"], set(), []
        while queue:
            name = queue.pop()
            if name in visited:
                continue
            visited.add(name)
            page.problems.clear()
            page.call("Page.navigate", url=site_url + name)
            page.wait_event("Page.loadEventFired")
            links = page.call("Runtime.evaluate", returnByValue=True, expression=(
                "document.querySelectorAll('th').forEach(th => th.click());"
                "Array.from(document.querySelectorAll('a[href]'), a => a.href)"))["result"]["value"]
            page.drain()
            failures += [name + ": " + p for p in page.problems]
            for link in links:
                path = urllib.parse.unquote(urllib.parse.urlparse(link).path)
                if not os.path.exists(path):
                    failures.append(f"{name}: a link leads nowhere: {link}")
                elif link.startswith(site_url) and link.endswith(".html"):
                    queue.append(link[len(site_url):])
                elif link.endswith(".json"):
                    json.load(open(path, encoding="utf-8"))
            if name.startswith("player-script-alert"):
                shown = page.call("Runtime.evaluate", returnByValue=True,
                                  expression="document.querySelector('h1').textContent")
                if shown["result"]["value"] != HOSTILE.decode():
                    failures.append("the hostile name shows as " + repr(shown["result"]["value"]))
        pages = {f for f in os.listdir(site) if f.endswith(".html")}
        failures += [f"{f}: no page links to it" for f in sorted(pages - visited)]
        if not any(v.startswith("player-script-alert") for v in visited):
            failures.append("no page of the player <script>alert(1)")
        for failure in failures:
            print("FAIL", failure)
        print(f"{len(visited)} pages opened, {len(failures)} problems")
        return 1 if failures else 0
    finally:
        if browser is not None:
            browser.kill()
            browser.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
