"""websim's content, without sockets: every simulated page's links and pictures lead somewhere
that answers, the engines' results carry imgurl addresses the program can use, and the made-up
pictures decode to the sizes they claim. Run: python3 -m unittest discover tools/websim
"""

import html.parser
import json
import os
import re
import struct
import sys
import unittest
import urllib.parse
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import content  # noqa: E402
import imagegen  # noqa: E402
import websim  # noqa: E402

SIMULATED = {"site1.test", "site2.test", "site3.test", "words.test", "night.test",
             "images.google.com", "www.alltheweb.com", "images.search.yahoo.com", "commons.test"}


class References(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []
        self.images = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag in ("a", "area") and attrs.get("href"):
            self.links.append(attrs["href"])
        elif tag in ("img", "frame", "iframe") and attrs.get("src"):
            (self.images if tag == "img" else self.links).append(attrs["src"])


# The engines answering the program's search forms, in the order of its search hosts, with what
# precedes a result's picture address.
ENGINES = [("images.google.com", "?imgurl="), ("www.alltheweb.com", "&imgurl="),
           ("images.search.yahoo.com", "&imgurl=")]
FORMS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "core", "search_forms.h")


def search_forms():
    """The program's search forms, read from its table: (path, leading, phrase name, trailing)."""
    with open(FORMS, encoding="utf-8") as f:
        text = f.read()
    return re.findall(r'SearchForm\{\.path = "([^"]*)",\s*\.leading = "([^"]*)",\s*'
                      r'\.phraseName = "([^"]*)",\s*\.trailing = "([^"]*)"\}', text)


def get(web, url):
    parts = urllib.parse.urlsplit(url)
    return web.handle(parts.hostname, urllib.parse.unquote(parts.path or "/"), parts.query)


class Crawl(unittest.TestCase):
    def setUp(self):
        self.web = content.Web(seed=1)

    def test_pages_of_the_simulated_sites_lead_to_answering_addresses(self):
        start = ["http://site1.test/", "http://site3.test/", "http://words.test/", "http://night.test/",
                 "http://images.google.com/images?q=red+boat", "http://www.alltheweb.com/search?q=red+boat",
                 "http://images.search.yahoo.com/search/images?p=red+boat"]
        seen, queue, broken = set(), list(start), []
        while queue and len(seen) < 400:
            url = queue.pop(0)
            if url in seen:
                continue
            seen.add(url)
            reply = get(self.web, url)
            if reply is None or reply.delay or "/status/" in url:
                continue
            if reply.status in (301, 302, 303, 307):
                continue
            if reply.status != 200:
                broken.append("%s %d" % (url, reply.status))
                continue
            if not reply.ctype.startswith("text/html"):
                continue
            refs = References()
            refs.feed(reply.body.decode("utf-8", "replace"))
            for ref in refs.links + refs.images:
                target = urllib.parse.urljoin(url, ref).split("#")[0]
                host = urllib.parse.urlsplit(target).hostname
                if target.startswith("http://") and host in SIMULATED and "site2.test" not in target:
                    queue.append(target)
        self.assertEqual(broken, [])
        self.assertGreater(len(seen), 150)

    def test_engine_results_carry_usable_imgurl_addresses(self):
        forms = search_forms()
        self.assertEqual(len(forms), len(ENGINES), "an engine here for every search form the program asks")
        for (host, marker), (path, leading, name, trailing) in zip(ENGINES, forms):
            url = "http://%s%s?%s%s=blue+river%s" % (host, path, leading, name, trailing)
            with self.subTest(url=url):
                body = get(self.web, url).body.decode()
                self.assertTrue("blue river" in body, "the engine did not read the phrase")
                refs = References()
                refs.feed(body)
                results = [urllib.parse.urljoin(url, link) for link in refs.links if marker in link]
                self.assertGreaterEqual(len(results), 10)
                shown = 0
                for link in results:
                    # As the program reads them: after the marker, up to the first '&', behind http://.
                    rest = link.split(marker, 1)[1]
                    self.assertIn("&", rest)
                    image = "http://" + rest[:rest.index("&")]
                    reply = get(self.web, image)
                    if reply is not None and reply.status == 200:
                        self.assertTrue(reply.ctype.startswith("image/"), image)
                        shown += 1
                self.assertGreater(shown, len(results) // 2)
                # The same phrase finds the same pictures.
                self.assertEqual(get(self.web, url).body, get(self.web, url).body)

    API = ("http://commons.test/w/api.php?action=query&format=json&generator=search&gsrnamespace=6"
           "&gsrsearch=%s&gsrlimit=40&prop=imageinfo%%7Ccategories&iiprop=url%%7Csize%%7Cmime"
           "&iiurlwidth=%d&clshow=%%21hidden&cllimit=max")

    def pages(self, web, phrase="blue%20river", width=960):
        return json.loads(get(web, self.API % (phrase, width)).body)["query"]["pages"].values()

    def test_the_picture_api_names_thumbnails_and_pages_that_answer(self):
        pages = self.pages(self.web)
        self.assertEqual(sorted(p["index"] for p in pages), list(range(1, 41)))
        for info in (p["imageinfo"][0] for p in pages):
            if info["mime"] in ("image/png", "image/gif"):
                self.assertTrue(get(self.web, info["thumburl"]).ctype.startswith(info["mime"]))
                self.assertEqual(get(self.web, info["descriptionurl"]).status, 200)
        self.assertEqual(json.loads(get(self.web, self.API % ("nothing%20at%20all", 960)).body),
                         {"batchcomplete": ""})

    def test_thumbnails_come_in_standard_widths_only(self):
        cases = [("/thumb/500px-commons-01.png", 200), ("/thumb/330px-commons-01.png", 200),
                 ("/thumb/800px-commons-01.png", 429), ("/thumb/1024px-commons-01.png", 429)]
        for path, status in cases:
            with self.subTest(path=path):
                reply = get(self.web, "http://commons.test" + path)
                self.assertEqual(reply.status, status)
                if status == 429:
                    self.assertIn(b"Use thumbnail steps", reply.body)
        # Asked for another width, the API names the next larger step and reports the width asked.
        wide = [p["imageinfo"][0] for p in self.pages(self.web, width=300)
                if p["imageinfo"][0]["width"] > 300 and p["imageinfo"][0]["mime"] == "image/png"]
        self.assertTrue(wide)
        for info in wide:
            self.assertIn("/330px-", info["thumburl"])
            self.assertEqual(info["thumbwidth"], 300)

    def test_answers_carry_visible_categories_some_unsafe(self):
        titles = [c["title"] for phrase in ("red%20boat", "old%20house", "blue%20river")
                  for p in self.pages(self.web, phrase) for c in p["categories"]]
        self.assertTrue(any(t[len("Category:"):] in content.Web.UNSAFE_CATEGORIES for t in titles))
        self.assertFalse(any(t[len("Category:"):] in content.Web.HIDDEN_CATEGORIES for t in titles))

    def test_the_api_limits_requests_per_minute(self):
        now = [1000.0]
        web = content.Web(seed=1, api_per_minute=3, clock=lambda: now[0])
        statuses = []
        for step in (0, 10, 20, 30, 61):
            now[0] = 1000.0 + step
            reply = get(web, self.API % ("red%20boat", 960))
            statuses.append((reply.status, dict(reply.headers).get("Retry-After")))
        self.assertEqual(statuses, [(200, None), (200, None), (200, None), (429, "30"), (200, None)])

    def test_api_faults_mode_answers_with_faults(self):
        web = content.Web(seed=3, api_per_minute=0, api_faults=1.0)
        seen = set()
        for i in range(60):
            reply = web.commons_api({"action": ["query"], "format": ["json"], "gsrsearch": ["x%d" % i]})
            seen.add(reply.status if not reply.delay else "slow")
        self.assertTrue({429, 503, 302, "slow"} <= seen, seen)

    def test_unknown_hosts_are_not_simulated(self):
        self.assertIsNone(get(self.web, "http://nowhere.test/"))
        self.assertIsNone(get(self.web, "http://faults.test/hang"))


def png_size(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    return struct.unpack(">II", data[16:24])


class Pictures(unittest.TestCase):
    def test_made_up_pictures_have_the_sizes_they_claim(self):
        cases = [(imagegen.pattern_png(28, 30, 1), (28, 30)), (imagegen.pattern_png(640, 480, 2), (640, 480)),
                 (imagegen.huge_png(3000, 2000), (3000, 2000))]
        for data, size in cases:
            self.assertEqual(png_size(data), size)
            # The pixel data inflates to one filter byte and three bytes a pixel per row.
            length = struct.unpack(">I", data[33:37])[0]
            raw = zlib.decompress(data[41:41 + length])
            self.assertEqual(len(raw), size[1] * (1 + 3 * size[0]))

    def test_gif_codes_stay_nine_bits_wide(self):
        data = imagegen.gif(300, 7, [(0, 0, 0), (255, 255, 255)], lambda x, y: (x + y) % 2)
        self.assertEqual(data[:6], b"GIF89a")
        self.assertEqual(struct.unpack("<HH", data[6:10]), (300, 7))
        self.assertTrue(data.endswith(b"\x00;"))


if __name__ == "__main__":
    unittest.main()


class Ranges(unittest.TestCase):
    def test_single_byte_ranges(self):
        cases = [("bytes=0-16383", 100000, (0, 16383)), ("bytes=0-16383", 500, (0, 499)),
                 ("bytes=10-", 50, (10, 49)), ("bytes=60-70", 50, None), ("bytes=0-5,9-12", 50, None),
                 ("items=0-5", 50, None), ("", 50, None), ("bytes=0-0", 0, None)]
        for header, size, expected in cases:
            self.assertEqual(websim.byte_range(header, size), expected, header)
