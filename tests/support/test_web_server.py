#!/usr/bin/env python3
"""The live browser tests' web server: Python's own threading HTTP server on a
free loopback port, with a few pages, a 404, a redirect and a slow page; the
network pages (an image, a request echo, cookies, Basic authentication,
downloads) and the same pages over HTTPS with a self-signed certificate made
at start by openssl, on a second port.

    test_web_server.py start PORT_FILE   serve in the background; PORT_FILE gets the port,
                                         PORT_FILE.https the HTTPS port
    test_web_server.py stop PORT_FILE    end that server
"""
import base64
import http.server
import json
import os
import ssl
import tempfile
import subprocess
import sys
import threading
import time
import urllib.request

PAGES = {
    "/page1.html": "<!doctype html><title>Page One</title><body><p id=p>one</p>"
                   "<a id=next href=\"/page2.html\">two</a><a id=frag href=\"#part\">part</a>"
                   "<div id=part>part</div></body>",
    "/page2.html": "<!doctype html><title>Page Two</title><body>two</body>",
    "/notitle.html": "<!doctype html><body>no title</body>",
    "/frames.html": "<!doctype html><title>Frames</title><body><iframe name=inner src=\"/page2.html\"></iframe></body>",
    "/form.html": "<!doctype html><title>Form</title><body><form id=f action=\"/page2.html\">"
                  "<input id=user name=user value=abc><input type=checkbox id=agree checked>"
                  "<select id=color><option value=r>Red<option value=g>Green</select><div id=box></div>"
                  "<button id=go type=button onclick=\"document.title='clicked'\">Go</button></form>"
                  "<p id=text>Hello <b>you</b></p><script>window.PageController = {name: 'pc',"
                  "add: function (a, b) { return a + b; }, half: function () { return 1.5; },"
                  "none: function () {}, obj: function () { return {a: [1]}; },"
                  "later: function () { return Promise.resolve(1); }, boom: function () { throw new Error('boom'); },"
                  "count: function () { return arguments.length; }, echo: function (x) { return x; }};"
                  "setTimeout(function () {"
                  "var d = document.createElement('div'); d.id = 'late'; document.body.appendChild(d);"
                  "}, 400);</script></body>",
    "/callbacks.html": "<!doctype html><title>Callbacks</title><body>"
                       "<button id=b data-vba=DoThing data-args=\"C:\\new\\table.csv\">Go</button></body>",
    # Fetches the picture and shows the status it got.
    "/picture.html": "<!doctype html><title>Picture</title><body><script>"
                     "fetch('/pixel.png').then(function (r) { document.title = 'status ' + r.status; });</script></body>",
    "/echo.html": "<!doctype html><title>Echo</title><body><script>"
                  "chrome.webview.addEventListener('message', function (e) {"
                  "  chrome.webview.postMessage({echo: e.data}); });"
                  "</script></body>",
    # Find in page: case, whole words, a hidden word and a same-origin frame.
    "/find.html": "<!doctype html><title>Find</title><body><p>Apple apple pineapple APPLE applesauce</p>"
                  "<p style=display:none>apple</p><iframe src=\"/find-inner.html\"></iframe></body>",
    "/find-inner.html": "<!doctype html><body><span>an apple here</span></body>",
    # Printing: five pages without any text of their own.
    "/pages.html": "<!doctype html><title>Pages</title><style>div{height:2in;break-after:page;background:#9c9}</style>"
                   "<body><div></div><div></div><div></div><div></div><div></div></body>",
    "/solid.html": "<!doctype html><title>Solid</title><style>html,body{margin:0;height:100%;background:#3366cc}</style>"
                   "<body></body>",
}


# A 1x1 PNG.
PIXEL = base64.b64decode("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAQAAAC1HAwCAAAAC0lEQVR42mNkYAAAAAYAAjCB0C8AAAAASUVORK5CYII=")
AUTH = "Basic " + base64.b64encode(b"corvane:secret").decode()
DOWNLOAD_SIZE = 4 * 1024 * 1024
auth_attempts = [0]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, status, body, headers=()):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-store")
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def network(self, path):
        """The network pages; False when `path` is none of them."""
        if path == "/pixel.png":
            self.send_response(200)
            self.send_header("Content-Type", "image/png")
            self.send_header("Content-Length", str(len(PIXEL)))
            self.end_headers()
            self.wfile.write(PIXEL)
        elif path == "/echo":
            # What reached the server, as JSON in the page.
            length = int(self.headers.get("Content-Length") or 0)
            body = self.rfile.read(length).decode("utf-8", "replace") if length else ""
            seen = {"method": self.command, "body": body, "custom": self.headers.get("X-Corvane", ""),
                    "cookie": self.headers.get("Cookie", "")}
            text = json.dumps(seen).replace("&", "&amp;").replace("<", "&lt;")
            self.send(200, "<!doctype html><title>Echo</title><body><pre id=seen>" + text + "</pre></body>")
        elif path == "/setcookie":
            self.send(200, "<!doctype html><title>Cookies set</title><body>set</body>",
                      [("Set-Cookie", "plain=fromserver; Path=/"), ("Set-Cookie", 'quoted=say"hi"; Path=/')])
        elif path.startswith("/auth/"):
            # Each path is a realm of its own: what the browser learnt for one never answers another.
            auth_attempts[0] += 1
            if self.headers.get("Authorization") == AUTH:
                self.send(200, "<!doctype html><title>Welcome</title><body>in</body>")
            else:
                self.send(401, "<!doctype html><title>Denied</title><body>no</body>",
                          [("WWW-Authenticate", 'Basic realm="%s"' % path)])
        elif path == "/authcount":
            self.send(200, "<!doctype html><title>%d</title><body>%d</body>" % (auth_attempts[0], auth_attempts[0]))
            auth_attempts[0] = 0
        elif path in ("/download.bin", "/slowdownload.bin"):
            slow = path.startswith("/slow")
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Disposition", "attachment; filename=\"data.bin\"")
            self.send_header("Content-Length", str(DOWNLOAD_SIZE))
            self.end_headers()
            chunk = bytes(range(256)) * 256
            try:
                for _ in range(DOWNLOAD_SIZE // len(chunk)):
                    self.wfile.write(chunk)
                    if slow:
                        time.sleep(0.1)
            except OSError:
                pass   # the browser cancelled
        else:
            return False
        return True

    def do_POST(self):
        if not self.network(self.path.split("?")[0]):
            self.send(404, "<!doctype html><title>Not Found</title><body>missing</body>")

    def do_GET(self):
        path = self.path.split("?")[0]
        if self.network(path):
            pass
        elif path == "/__stop":
            self.send(200, "bye")
            threading.Thread(target=self.server.shutdown, daemon=True).start()
        elif path in PAGES:
            self.send(200, PAGES[path])
        elif path == "/slow.html":
            time.sleep(3)
            self.send(200, "<!doctype html><title>Slow</title><body>slow</body>")
        elif path == "/redirect":
            self.send(302, "", [("Location", "/page2.html")])
        else:
            self.send(404, "<!doctype html><title>Not Found</title><body>missing</body>")


def serve_https(port_file):
    """The same pages over HTTPS, with a certificate no browser trusts."""
    if os.path.exists(port_file + ".https"):
        os.remove(port_file + ".https")   # left by an earlier run: never a port of this one
    folder = tempfile.mkdtemp(prefix="corvane-tls-")
    key, cert = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
    made = subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                           "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if made.returncode != 0:
        return
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(port_file + ".https", "w") as f:
        f.write(str(server.server_address[1]))
    threading.Thread(target=server.serve_forever, daemon=True).start()


def serve(port_file):
    serve_https(port_file)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(port_file + ".part", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".part", port_file)
    server.serve_forever()
    os.remove(port_file)


def main():
    command, port_file = sys.argv[1], sys.argv[2]
    if command == "serve":
        serve(port_file)
    elif command == "start":
        if os.path.exists(port_file):
            stop(port_file)   # a server left by an interrupted run
            if os.path.exists(port_file):
                os.remove(port_file)
        subprocess.Popen([sys.executable, __file__, "serve", port_file], start_new_session=True,
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(port_file):
                return 0
            time.sleep(0.05)
        return 1
    elif command == "stop":
        return stop(port_file)
    return 2


def stop(port_file):
    try:
        port = open(port_file).read().strip()
        urllib.request.urlopen("http://127.0.0.1:%s/__stop" % port, timeout=5).read()
    except (OSError, ValueError):
        pass
    for _ in range(100):
        if not os.path.exists(port_file):
            return 0
        time.sleep(0.05)
    return 1


if __name__ == "__main__":
    sys.exit(main())
