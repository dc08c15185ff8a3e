#!/usr/bin/env python3
"""Serves the browser check's pages on 127.0.0.1 only, on a port the system
chooses (written to the file given), and stops by itself after a time limit.
Usage: loopback_pages.py PORT_FILE SECONDS"""
import http.server
import os
import sys
import threading

PAGES = {
    # path: title, cookies (persistent ones: a browser stores no session
    # cookie on disk), script. The first two pages set a value with an
    # apostrophe and have non-ASCII titles.
    "/start.html": ("Grüße aus Köln ☃", ["plain=one; Path=/; Max-Age=86400", "quote=it's; Path=/; Max-Age=86400"],
                    "setTimeout(function(){location.href='/second.html';},300);"),
    "/second.html": ("Второй — 第二", ["second=two; Path=/; Max-Age=86400"],
                     "document.cookie=\"fromscript=it's too; path=/; max-age=86400\";"
                     "setTimeout(function(){location.href='/done.html';},300);"),
    "/done.html": ("Done", [], "setTimeout(function(){window.close();},500);"),
    # Stays open (the browser holds its files) for ?ms= milliseconds.
    # A form filled in and sent by its script: Firefox keeps what was typed.
    "/form.html": ("Form", [], "var f=document.getElementById('f');f.elements.q.value='vl typed search';"
                   "setTimeout(function(){f.requestSubmit();},300);",
                   "<form id='f' action='/sent.html'><input name='q' type='text'></form>"),
    "/sent.html": ("Sent", [], "setTimeout(function(){window.close();},800);"),
    # Starts a download of /file.zip, then closes once it had time to finish.
    "/download.html": ("Download", [], "location.href='/file.zip';"
                       "setTimeout(function(){window.close();},3000);"),
    "/stay.html": ("Stay", ["stay=1; Path=/; Max-Age=86400"],
                   "var m=/ms=(\\d+)/.exec(location.search);"
                   "setTimeout(function(){window.close();},m?parseInt(m[1],10):20000);"),
}


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path.split("?")[0] == "/file.zip":
            data = b"PK\x05\x06" + b"\x00" * 18
            self.send_response(200)
            self.send_header("Content-Type", "application/zip")
            self.send_header("Content-Disposition", "attachment; filename=\"vl file.zip\"")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)
            return
        page = PAGES.get(self.path.split("?")[0])
        if page is None:
            self.send_error(404)
            return
        title, cookies, script = page[:3]
        extra = page[3] if len(page) > 3 else ""
        body = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
                "<body><p>%s</p>%s<script>%s</script></body></html>" % (title, title, extra, script)).encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        for c in cookies:
            self.send_header("Set-Cookie", c)
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("%s\n" % (fmt % args))


def main():
    port_file, limit = sys.argv[1], float(sys.argv[2])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    timer = threading.Timer(limit, server.shutdown)
    timer.daemon = True
    timer.start()
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
