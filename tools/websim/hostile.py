"""The hostile corpus (scripts/make-hostile-corpus) as websim serves it: its files under
/hostile/NAME on any host, and one of its pages in place of every third ordinary page."""

import itertools
import os
import threading

import content

TYPES = {".html": content.HTML, ".txt": "text/plain", ".png": "image/png", ".jpg": "image/jpeg"}


class Corpus:
    def __init__(self, folder):
        self.folder = folder
        names = sorted(n for n in os.listdir(folder) if n.endswith((".html", ".html.gz")))
        self.pages = itertools.cycle(names)
        self.count = itertools.count(1)
        self.lock = threading.Lock()

    def file(self, name):
        path = os.path.join(self.folder, os.path.basename(name))
        if not os.path.isfile(path):
            return content.error_page(404, "websim: no such hostile file")
        with open(path, "rb") as f:
            body = f.read()
        if name.endswith(".gz"):
            return content.Reply(200, body, content.HTML, [("Content-Encoding", "gzip")], cache=False)
        ctype = TYPES.get(os.path.splitext(name)[1], "application/octet-stream")
        return content.Reply(200, body, ctype, cache=False)

    def instead(self, reply):
        """Every third page: the next hostile page (its relative addresses stay on the corpus)."""
        with self.lock:
            if next(self.count) % 3:
                return reply
            name = next(self.pages)
        hostile = self.file(name)
        if not name.endswith(".gz"):
            hostile.body = hostile.body.replace(b"<head>", b"<head><base href='/hostile/'>", 1)
        return hostile
