#!/usr/bin/env python3
"""A local stand-in for the image-search and photo sites the peer collage program asks.

An http proxy on loopback: result pages of www.bing.com, www.google.com, www.flickr.com,
www.livejournal.com, imgur.com and www.tumblr.com are made up here, each listing pictures of
websim's gallery (http://site1.test/images/NAME), so both programs show the same pictures.
Picture addresses that those sites would serve themselves (*.gstatic.com, i.imgur.com) are
fetched from websim under the gallery name; every other request goes to websim unchanged.
Requests are logged by the counting relay in front (tally_proxy.py), not here. Quorel's own
search forms are not among these: they are listed in src/core/search_forms.h and websim answers
them.
"""
import argparse
import html
import http.server
import json
import os
import random
import socket
import socketserver
import sys
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "websim"))
import content  # noqa: E402  (websim's sites: the gallery's picture names)

RESULTS = 20


class Fake(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        host = (parts.hostname or "").lower()
        maker = {
            "www.bing.com": self.bing,
            "www.google.com": self.google,
            "www.flickr.com": self.flickr,
            "www.livejournal.com": self.livejournal,
            "imgur.com": self.imgur,
            "www.tumblr.com": self.tumblr,
        }.get(host)
        if maker is not None:
            return self.reply(200, "text/html; charset=utf-8", maker(parts).encode())
        if host.endswith(".gstatic.com"):
            name = urllib.parse.parse_qs(parts.query).get("q", ["tbn:"])[0].split(":", 1)[1]
            return self.relay("http://site1.test/images/" + name)
        if host == "i.imgur.com":
            index = int(os.path.splitext(os.path.basename(parts.path))[0] or 0)
            return self.relay(self.server.pictures[index % len(self.server.pictures)])
        return self.relay(self.path)

    def reply(self, status, ctype, body):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def relay(self, url):
        with socket.create_connection(self.server.upstream, timeout=60) as s:
            s.sendall(b"GET %s HTTP/1.0\r\nConnection: close\r\n\r\n" % url.encode())
            data = b""
            while True:
                piece = s.recv(65536)
                if not piece:
                    break
                data += piece
        self.wfile.write(data)

    def picks(self):
        pool = self.server.pictures
        return random.sample(pool, min(RESULTS, len(pool)))

    def bing(self, parts):
        rows = []
        for url in self.picks():
            m = html.escape(json.dumps({"purl": "http://site1.test/", "murl": url}), quote=True)
            rows.append('<a class="iusc" href="/images/search?view=detailV2" m="%s">'
                        '<img src="%s"></a>' % (m, url))
        return "<html><body>%s</body></html>" % "\n".join(rows)

    def google(self, parts):
        rows = ['<a href="http://site1.test/"><img src="http://t0.gstatic.com/images?q=tbn:%s"></a>'
                % url.rsplit("/", 1)[1] for url in self.picks()]
        return "<html><body>%s</body></html>" % "\n".join(rows)

    def flickr(self, parts):
        if parts.path.startswith("/services/feeds/"):
            items = ['<item><link>http://site1.test/</link><enclosure url="%s" type="image/jpeg"/></item>'
                     % url for url in self.picks()]
            return '<rss><channel><link>http://www.flickr.com/</link>%s</channel></rss>' % "".join(items)
        data = [{"displayUrl": url, "pathAlias": "user%d" % i} for i, url in enumerate(self.picks())]
        return '<script>modelExport = {"_data": %s};</script>' % json.dumps(data)

    def livejournal(self, parts):
        rows = ["<recent-image IMG='%s' URL='http://site1.test/' />" % url for url in self.picks()]
        return "<recent-images>\n%s\n</recent-images>" % "\n".join(rows)

    def imgur(self, parts):
        count = len(self.server.pictures)
        rows = ['<a href="/gallery/%d"><img src="x.jpg"></a>' % random.randrange(count) for _ in range(RESULTS)]
        return "<html><body>%s</body></html>" % "\n".join(rows)

    def tumblr(self, parts):
        rows = ['<figure><img src="%s" data-pin-url="http://site1.test/"></figure>' % url
                for url in self.picks()]
        return "<html><body>%s</body></html>" % "\n".join(rows)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def address(text):
    host, _, port = text.rpartition(":")
    return host, int(port)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen", type=address, default=("127.0.0.1", 0))
    parser.add_argument("--upstream", type=address, required=True, help="websim's address")
    parser.add_argument("--ready-file")
    args = parser.parse_args()
    server = Server(args.listen, Fake)
    server.upstream = args.upstream
    server.pictures = ["http://site1.test/images/" + p.name for p in content.Web().gallery]
    if args.ready_file:
        with open(args.ready_file + ".tmp", "w") as f:
            f.write("%s:%d\n" % server.server_address[:2])
        os.replace(args.ready_file + ".tmp", args.ready_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
