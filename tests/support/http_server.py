#!/usr/bin/env python3
"""Local HTTP server of the tests: serves files of a folder on 127.0.0.1 and answers as the
routes file in the control folder says. Prints its port on the first line of standard output.

routes (re-read on every request, tab-separated, first match on the raw request target wins):
  SUBSTRING  file NAME          200 with the file
  SUBSTRING  status CODE [NAME] CODE with the file (or an empty body)
  SUBSTRING  busy SECONDS       503 with Retry-After, for the first matching request only
  SUBSTRING  slow SECONDS NAME  waits, then 200 with the file
  SUBSTRING  cut NAME           announces the whole file, sends half and closes
Every request is logged to requests.log as: target TAB User-Agent."""
import http.server
import os
import sys
import threading
import time
import urllib.parse

ROOT, CONTROL = sys.argv[1], sys.argv[2]
lock = threading.Lock()
used_busy = set()

TYPES = {".json": "application/json", ".xml": "application/xml", ".jpg": "image/jpeg",
         ".html": "text/html", ".bin": "application/octet-stream"}


def content_type(name):
    return TYPES.get(os.path.splitext(name)[1], "text/plain; charset=UTF-8")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_body(self, code, name, extra=None, length=None, data=None):
        if data is None:
            data = b""
            if name:
                with open(os.path.join(ROOT, name), "rb") as f:
                    data = f.read()
        self.send_response(code)
        self.send_header("Content-Type", content_type(name or ".txt"))
        self.send_header("Content-Length", str(len(data) if length is None else length))
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        return data

    def do_GET(self):
        with lock:
            with open(os.path.join(CONTROL, "requests.log"), "a") as log:
                log.write(self.path + "\t" + self.headers.get("User-Agent", "") + "\n")
        rules = []
        path = os.path.join(CONTROL, "routes")
        if os.path.exists(path):
            with open(path) as f:
                rules = [line.rstrip("\n").split("\t") for line in f if line.strip()]
        for index, rule in enumerate(rules):
            if rule[0] not in self.path:
                continue
            action, args = rule[1], rule[2:]
            if action == "busy":
                with lock:
                    if index in used_busy:
                        continue
                    used_busy.add(index)
                self.send_body(503, None, {"Retry-After": args[0]})
                return
            if action == "file":
                self.wfile.write(self.send_body(200, args[0]))
            elif action == "status":
                self.wfile.write(self.send_body(int(args[0]), args[1] if len(args) > 1 else None))
            elif action == "slow":
                time.sleep(float(args[0]))
                self.wfile.write(self.send_body(200, args[1]))
            elif action == "cut":
                with open(os.path.join(ROOT, args[0]), "rb") as f:
                    data = f.read()
                self.send_body(200, args[0], length=len(data), data=data)
                self.wfile.write(data[: len(data) // 2])
                self.wfile.flush()
                self.close_connection = True
            return
        local = os.path.normpath(urllib.parse.unquote(urllib.parse.urlsplit(self.path).path))
        name = local.lstrip("/")
        if name and not name.startswith("..") and os.path.isfile(os.path.join(ROOT, name)):
            self.wfile.write(self.send_body(200, name))
        else:
            self.wfile.write(self.send_body(404, None, data=b"Not Found"))


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
