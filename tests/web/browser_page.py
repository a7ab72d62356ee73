#!/usr/bin/env python3
"""Loads a page in headless Chromium and reports what it published.

Serves DIR on 127.0.0.1 (a port of its own), opens PAGE (a path with its
query) in Chromium driven through the DevTools protocol over a pipe (no
libraries needed), waits until the page's title starts with "done", and
prints the text of its #result element. With --expect-canvas HASH it fails
unless the result names that canvas hash, with --expect-prefix TEXT unless
the result starts with TEXT; with --screenshot FILE it also saves a PNG of
the page's <main> element (or its first canvas), scaled by --scale.

  browser_page.py DIR PAGE [--expect-canvas HASH] [--expect-prefix TEXT]
                  [--screenshot FILE [--scale F]] [--timeout S]
"""
import argparse
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--remote-debugging-pipe", "--window-size=1100,900",
]


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def log_message(self, *args):
        pass


class DevTools:
    """The DevTools protocol on Chromium's pipe: NUL-terminated JSON messages."""

    def __init__(self, to_browser, from_browser):
        self.out = os.fdopen(to_browser, "wb", buffering=0)
        self.inp = os.fdopen(from_browser, "rb", buffering=0)
        self.buffer = b""
        self.next_id = 0
        self.session = None

    def call(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        self.out.write(json.dumps(message).encode() + b"\0")
        while True:
            reply = self.receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})

    def receive(self):
        while b"\0" not in self.buffer:
            chunk = self.inp.read(65536)
            if not chunk:
                raise RuntimeError("Chromium closed the DevTools pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result.get("result", {}).get("value")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dir")
    parser.add_argument("page")
    parser.add_argument("--expect-canvas")
    parser.add_argument("--expect-prefix")
    parser.add_argument("--screenshot")
    parser.add_argument("--scale", type=float, default=1.0)
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    args = parser.parse_args()

    handler = functools.partial(Quiet, directory=args.dir)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/{args.page.lstrip('/')}"

    profile = tempfile.mkdtemp(prefix="ruvo-chromium-")
    to_browser_r, to_browser_w = os.pipe()
    from_browser_r, from_browser_w = os.pipe()
    # Chromium reads commands on fd 3 and writes replies on fd 4.
    browser = subprocess.Popen(
        [args.chromium, *CHROMIUM_FLAGS, f"--user-data-dir={profile}", "about:blank"],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        pass_fds=(3, 4), preexec_fn=lambda: (os.dup2(to_browser_r, 3), os.dup2(from_browser_w, 4)))
    os.close(to_browser_r)
    os.close(from_browser_w)
    status = 1
    try:
        devtools = DevTools(to_browser_w, from_browser_r)
        target = devtools.call("Target.createTarget", url="about:blank")["targetId"]
        devtools.session = devtools.call("Target.attachToTarget", targetId=target,
                                         flatten=True)["sessionId"]
        devtools.call("Page.enable")
        start = time.monotonic()
        devtools.call("Page.navigate", url=url)
        title = ""
        while time.monotonic() - start < args.timeout:
            title = devtools.evaluate("document.title") or ""
            if title.startswith("done"):
                break
            time.sleep(0.2)
        elapsed = time.monotonic() - start
        status_text = devtools.evaluate(
            "(document.getElementById('status') || {}).textContent") or ""
        if not title.startswith("done"):
            print(f"the page did not finish in {args.timeout:.0f} s; it shows: {status_text}",
                  file=sys.stderr)
            return 1
        result = devtools.evaluate("document.getElementById('result').textContent")
        print(result)
        print(f"page: {status_text}")
        print(f"loaded and finished in {elapsed:.1f} s")
        if args.screenshot:
            box = devtools.evaluate(
                "(() => { const e = document.querySelector('main') || document.querySelector('canvas');"
                " const r = e.getBoundingClientRect();"
                " return {x: r.x, y: r.y, width: r.width, height: r.height}; })()")
            shot = devtools.call("Page.captureScreenshot", format="png",
                                 clip={**box, "scale": args.scale})
            with open(args.screenshot, "wb") as f:
                f.write(base64.b64decode(shot["data"]))
            print(f"wrote {args.screenshot}")
        status = 0
        if args.expect_prefix and not result.startswith(args.expect_prefix):
            print(f"the page's result does not start with {args.expect_prefix!r}", file=sys.stderr)
            log = devtools.evaluate("(document.getElementById('log') || {}).textContent") or ""
            if log:
                print("\n".join(log.splitlines()[-40:]), file=sys.stderr)
            status = 1
        if args.expect_canvas:
            fields = result.split()
            canvas = fields[fields.index("canvas") + 1] if "canvas" in fields else "?"
            if canvas != args.expect_canvas:
                print(f"the canvas differs from the native frame: {canvas}, expected "
                      f"{args.expect_canvas}", file=sys.stderr)
                status = 1
            else:
                print("the canvas shows the native frame, pixel for pixel")
        return status
    finally:
        try:
            devtools.call("Browser.close")
        except Exception:
            pass
        try:
            browser.wait(timeout=10)
        except subprocess.TimeoutExpired:
            browser.kill()
            browser.wait()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
