#!/usr/bin/env python3
"""A submission service speaking protocol 1.1 on 127.0.0.1, for the native
client tests. The user name picks the scenario; the submission is checked
against an independent form parser and hashlib, and a mismatch is answered
"FAILED <what>" so that the test sees it. Prints the port, then serves until
killed."""
import hashlib
import http.server
import re
import secrets
import sys
import urllib.parse

PASSWORD = b"secret"
challenges = {}   # user -> last challenge handed out
posts = {}        # user -> submissions seen


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def reply(self, status, text):
        body = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True, errors="strict")
        if url.path != "/" or query.get("hs") != ["true"] or query.get("p") != ["1.1"] \
                or query.get("c") != ["xvq"] or query.get("v") != ["0.1"]:
            return self.reply(400, "FAILED bad handshake query " + self.path)
        user = query["u"][0]
        if user == "baduser":
            return self.reply(200, "BADUSER\nINTERVAL 0\n")
        if user == "failed":
            return self.reply(200, "FAILED Maintenance\nINTERVAL 10\n")
        if user == "short":
            return self.reply(200, "UPTODATE\nabc\n")
        if user == "err500":
            return self.reply(500, "boom")
        challenges[user] = secrets.token_hex(16)
        port = self.server.server_address[1]
        self.reply(200, "UPTODATE\r\n%s\r\nhttp://127.0.0.1:%d/submit\r\nINTERVAL 1\r\n" % (challenges[user], port))

    def do_POST(self):
        raw = self.rfile.read(int(self.headers.get("Content-Length", "0"))).decode("ascii")
        if self.path != "/submit":
            return self.reply(404, "FAILED no such path")
        if self.headers.get("Content-Type") != "application/x-www-form-urlencoded":
            return self.reply(200, "FAILED content type")
        keys = [pair.split("=", 1)[0] for pair in raw.split("&")]
        if keys != ["u", "s", "a[0]", "t[0]", "b[0]", "m[0]", "l[0]", "i[0]"]:
            return self.reply(200, "FAILED fields " + ",".join(keys))
        if "+" in raw or not re.search(r"&i\[0\]=\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$", raw):
            return self.reply(200, "FAILED encoding " + raw)
        form = {k: v[0] for k, v in urllib.parse.parse_qs(raw, keep_blank_values=True, errors="strict").items()}
        user = form["u"]
        posts[user] = posts.get(user, 0) + 1
        if user == "badauth-once" and posts[user] == 1:
            return self.reply(200, "BADAUTH\n")
        expected = hashlib.md5((hashlib.md5(PASSWORD).hexdigest() + challenges.get(user, "")).encode()).hexdigest()
        if form["s"] != expected:
            return self.reply(200, "BADAUTH\n")
        with open(sys.argv[1], "a", encoding="utf-8") as seen:
            fields = [user] + [form[k] for k in ("a[0]", "t[0]", "b[0]", "l[0]", "i[0]")]
            seen.write("|".join(fields) + "\n")
        self.reply(200, "OK\n")


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
