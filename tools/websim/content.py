"""websim's sites: what each simulated host answers.

Hosts (all answered through the proxy port; anything else gets a quick 502):
  site1.test   picture gallery: real wallpapers and logos from desktop-base, plus pattern pictures
  site2.test   a real manual (debian-reference-en), served unchanged: text pages, small icons
  site3.test   the hard cases: frames, scripts and pop-ups, bad links, file links, imgurl links,
               redirects, slow and failing pages, tiny and huge images
  words.test   phrase pages: paragraphs of plain text, and /random.html, a new page every time
  night.test   the gallery the link list marks adult (harmless pictures; it only tests the mode)
  faults.test  misbehaving pages, only with --faults
  images.google.com, www.alltheweb.com, images.search.yahoo.com: the image-search engines
  commons.test a MediaWiki file API (/w/api.php, generator=search) with thumbnails and file pages
"""

import glob
import html
import json
import html.parser
import os
import random
import threading
import time
import urllib.parse

import imagegen

DESKTOP_BASE = "/usr/share/desktop-base"
REFERENCE = "/usr/share/debian-reference"

HTML = "text/html; charset=utf-8"


class Reply:
    """A complete answer: status, content type, body, extra headers, an optional delay."""

    def __init__(self, status=200, body=b"", ctype=HTML, headers=(), delay=0.0, cache=True):
        self.status = status
        self.body = body if isinstance(body, bytes) else body.encode("utf-8")
        self.ctype = ctype
        self.headers = list(headers)
        self.delay = delay
        self.cache = cache


def page(title, body, status=200, head="", cache=True):
    text = ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title>%s</head>\n"
            "<body>\n<h1>%s</h1>\n%s\n</body></html>\n") % (html.escape(title), head,
                                                            html.escape(title), body)
    return Reply(status, text, cache=cache)


def error_page(status, text):
    return page("%d %s" % (status, text), "<p>%s</p>" % html.escape(text), status)


def redirect(status, location):
    return Reply(status, "<p><a href=\"%s\">moved</a></p>" % html.escape(location),
                 headers=[("Location", location)])


def link_list(items):
    return "<ul>\n%s\n</ul>" % "\n".join(
        "<li><a href=\"%s\">%s</a></li>" % (html.escape(href), html.escape(text))
        for href, text in items)


# ---------------------------------------------------------------------------------------------
# Pictures

CTYPES = {".png": "image/png", ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".gif": "image/gif",
          ".bmp": "image/bmp"}


class Picture:
    def __init__(self, name, title, load, size=None):
        self.name = name
        self.title = title
        self._load = load
        self._data = None
        self.size = size  # (width, height) when known

    @property
    def ctype(self):
        return CTYPES.get(os.path.splitext(self.name)[1].lower(), "application/octet-stream")

    def data(self):
        if self._data is None:
            self._data = self._load()
        return self._data


def _file_loader(path):
    return lambda: open(path, "rb").read()


def real_pictures():
    """The package's wallpapers, login previews, boot-splash art and logos, named by theme."""
    pictures = []
    seen = set()
    for path in sorted(glob.glob(os.path.join(DESKTOP_BASE, "*-theme", "*", "*"))):
        theme_dir = os.path.dirname(os.path.dirname(path))
        kind = os.path.basename(os.path.dirname(path))
        ext = os.path.splitext(path)[1].lower()
        real = os.path.realpath(path)
        if ext not in (".png", ".jpg") or os.path.islink(theme_dir) or real in seen:
            continue  # the "active" theme is an alias of another one
        if kind not in ("grub", "login", "plymouth"):
            continue
        # The boot splash comes in pieces; keep the pictures, not the dots and fields.
        if kind == "plymouth" and (os.path.getsize(path) < 14_000 or "password" in path):
            continue
        seen.add(real)
        theme = os.path.basename(theme_dir)[:-len("-theme")]
        stem = os.path.splitext(os.path.basename(path))[0].replace("grub-", "").replace("sddm-", "")
        name = "%s-%s%s" % (theme, stem.replace("+", "-").replace("_", "-"), ext)
        title = "%s (%s)" % (theme.capitalize(), stem.replace("-", " ").replace("_", " "))
        pictures.append(Picture(name, title, _file_loader(path)))
    for path in sorted(glob.glob(os.path.join(DESKTOP_BASE, "debian-logos", "logo-*.png"))):
        stem = os.path.splitext(os.path.basename(path))[0]
        if "text-" in stem and "version" not in stem:
            continue  # nearly empty pictures
        pictures.append(Picture("debian-" + os.path.basename(path), "Logo " + stem,
                                _file_loader(path)))
    return pictures


PATTERN_SIZES = [(320, 240), (400, 300), (480, 360), (640, 480), (300, 300), (500, 250),
                 (240, 320), (560, 420), (360, 270), (600, 400), (256, 256), (420, 315)]


def pattern_pictures(prefix, seed, count, gifs):
    pictures = []
    for i in range(count):
        w, h = PATTERN_SIZES[(i + seed) % len(PATTERN_SIZES)]
        s = seed * 100 + i
        pictures.append(Picture("%s-%02d.png" % (prefix, i + 1), "%s %d" % (prefix.capitalize(), i + 1),
                                (lambda w=w, h=h, s=s: imagegen.pattern_png(w, h, s)), (w, h)))
    for i in range(gifs):
        w, h = PATTERN_SIZES[(i + seed + 5) % len(PATTERN_SIZES)]
        s = seed * 100 + 50 + i
        pictures.append(Picture("%s-tiles-%02d.gif" % (prefix, i + 1), "Tiles %d" % (i + 1),
                                (lambda w=w, h=h, s=s: imagegen.pattern_gif(w, h, s)), (w, h)))
    return pictures


def img_tag(src, picture=None, attrs=True):
    size = ""
    if attrs and picture is not None and picture.size:
        size = " width=\"%d\" height=\"%d\"" % picture.size
    alt = html.escape(picture.title) if picture else ""
    return "<img src=\"%s\" alt=\"%s\"%s>" % (html.escape(src), alt, size)


# ---------------------------------------------------------------------------------------------
# Text for phrase pages

FALLBACK_TEXT = [
    "The old lighthouse keeper walked along the rocky shore every morning before sunrise, "
    "counting the fishing boats that came back from the northern banks with silver herring.",
    "Autumn leaves covered the village square where children played hide and seek between "
    "wooden market stalls selling apples, honey cakes and warm chestnuts.",
    "A small yellow train crossed the mountain valley twice a day, stopping at every quiet "
    "station to leave letters, newspapers and baskets of fresh bread.",
    "Scientists watched the bright comet through a large telescope while the desert wind "
    "carried fine red sand across the observatory roof.",
    "Her grandmother kept a garden full of tall sunflowers, blue lavender and climbing roses "
    "that attracted bees, butterflies and curious neighbours.",
    "The river boat drifted slowly past green rice fields, bamboo bridges and floating "
    "markets where traders sold mangoes, coconuts and painted kites.",
    "Snow fell softly over the frozen lake as skaters traced long circles under the pale "
    "winter moon and the church bells rang midnight.",
    "Every summer the travelling circus arrived with striped tents, juggling clowns, "
    "dancing horses and a brass band playing cheerful marches.",
]


class _ParagraphText(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.paragraphs = []
        self._depth = 0
        self._words = []

    def handle_starttag(self, tag, attrs):
        if tag == "p":
            self._depth += 1

    def handle_endtag(self, tag):
        if tag == "p" and self._depth:
            self._depth -= 1
            text = " ".join(" ".join(self._words).split())
            self._words = []
            if len(text.split()) >= 12 and "$" not in text:
                self.paragraphs.append(text)

    def handle_data(self, data):
        if self._depth:
            self._words.append(data)


def paragraphs():
    found = []
    for path in sorted(glob.glob(os.path.join(REFERENCE, "ch*.en.html"))):
        parser = _ParagraphText()
        try:
            parser.feed(open(path, encoding="utf-8", errors="replace").read())
        except OSError:
            continue
        found += parser.paragraphs
    return found or FALLBACK_TEXT


# ---------------------------------------------------------------------------------------------
# The simulated web

FILE_CLASSES = [".avi", ".wmv", ".mpeg", ".mpg", ".asf", ".wav", ".mp3", ".pdf", ".doc", ".xls",
                ".zip", ".tar", ".tgz", ".bz2", ".exe", ".vbs", ".tiff", ".gz", ".tar.gz"]
FILE_CTYPES = {".avi": "video/x-msvideo", ".wmv": "video/x-ms-wmv", ".mpeg": "video/mpeg",
               ".mpg": "video/mpeg", ".asf": "video/x-ms-asf", ".wav": "audio/x-wav",
               ".mp3": "audio/mpeg", ".pdf": "application/pdf", ".doc": "application/msword",
               ".xls": "application/vnd.ms-excel", ".zip": "application/zip",
               ".tar": "application/x-tar", ".tgz": "application/gzip",
               ".bz2": "application/x-bzip2", ".exe": "application/octet-stream",
               ".vbs": "text/vbscript", ".tiff": "image/tiff", ".gz": "application/gzip"}

# Fragments the program's bad-link list refuses: a page made only of these has nothing to follow.
BAD_LINKS = ["/preferences?hl=en", "/services/", "/ads/spring.html", "/options/", "/nav_home.html",
             "/about.html#top", "mailto:webmaster@site3.test", "news:comp.misc",
             "javascript:void(0)", "/answers/", "/members/login.html", "/dummy.html",
             "/cgi-bin/clicks.cgi?id=4", "/advanced_image_search", "/search?c=mp3",
             "/banner.html", "http://www.google.com/", "http://www.microsoft.com/"]


class Web:
    def __init__(self, faults=False, fault_rate=0.0, seed=None, api_per_minute=30, api_faults=0.0,
                 clock=time.monotonic):
        self.faults = faults  # the fault host answers
        self.fault_rate = fault_rate  # share of ordinary requests turned into faults
        self.api_per_minute = api_per_minute  # the picture API's limit, as the real one has
        self.api_faults = api_faults  # share of picture API requests answered with a fault
        self.clock = clock
        self.api_sent = []  # when the API was asked, within the last minute
        self.api_lock = threading.Lock()
        self.random = random.Random(seed)
        real = real_pictures()
        self.gallery = real + pattern_pictures("pattern", 1, 12, 4)
        self.night = pattern_pictures("night", 7, 8, 2)
        self.by_name = {p.name: p for p in self.gallery}
        self.night_by_name = {p.name: p for p in self.night}
        self.paragraphs = paragraphs()
        self.special = self._special_images()
        self.commons = pattern_pictures("commons", 3, 30, 6)
        self.commons_by_name = {p.name: p for p in self.commons}
        self.reference = os.path.isdir(REFERENCE)
        self.hosts = {
            "site1.test": self.site1,
            "site2.test": self.site2,
            "site3.test": self.site3,
            "words.test": self.words,
            "night.test": self.night_site,
            "images.google.com": self.google,
            "www.alltheweb.com": self.alltheweb,
            "images.search.yahoo.com": self.yahoo,
            "commons.test": self.commons_site,
        }

    def _special_images(self):
        cache = {}

        def lazy(make):
            return lambda: cache.setdefault(make, make())

        def solid_png(w, h, colour):
            return lambda: imagegen.png(w, h, lambda y: bytes(colour) * w)

        return {
            "pixel.gif": Picture("pixel.gif", "pixel", lambda: imagegen.gif(1, 1, [(0, 0, 0)], lambda x, y: 0), (1, 1)),
            "spacer.gif": Picture("spacer.gif", "spacer", lambda: imagegen.gif(1, 1, [(255, 255, 255)], lambda x, y: 0), (1, 1)),
            "icon16.png": Picture("icon16.png", "icon", solid_png(16, 16, (220, 40, 40)), (16, 16)),
            "exact-28x30.png": Picture("exact-28x30.png", "28 by 30", lambda: imagegen.pattern_png(28, 30, 5), (28, 30)),
            "small-90x90.png": Picture("small-90x90.png", "90 by 90", lambda: imagegen.pattern_png(90, 90, 6), (90, 90)),
            "wide-2000x100.png": Picture("wide-2000x100.png", "wide", lambda: imagegen.pattern_png(2000, 100, 8), (2000, 100)),
            "large-1600x1200.png": Picture("large-1600x1200.png", "large", lambda: imagegen.pattern_png(1600, 1200, 9), (1600, 1200)),
            "huge-8000x6000.png": Picture("huge-8000x6000.png", "huge", lazy(lambda: imagegen.huge_png(8000, 6000)), (8000, 6000)),
            "picture.bmp": Picture("picture.bmp", "bitmap", lambda: imagegen.bmp(320, 240), (320, 240)),
        }

    # -- dispatch --------------------------------------------------------------------------

    def handle(self, host, path, query):
        site = self.hosts.get(host)
        if site is None:
            return None
        return site(path, urllib.parse.parse_qs(query, keep_blank_values=True), query)

    def picture_reply(self, picture):
        return Reply(200, picture.data(), picture.ctype)

    # -- site1.test: the gallery ------------------------------------------------------------

    GALLERY_PAGE = 8

    def site1(self, path, q, raw):
        pictures = self.gallery
        pages = (len(pictures) + self.GALLERY_PAGE - 1) // self.GALLERY_PAGE
        if path in ("/", "/index.html"):
            items = [("/gallery/%d.html" % (i + 1), "Gallery %d" % (i + 1)) for i in range(pages)]
            items += [("http://site2.test/", "A system manual"), ("http://words.test/", "Words"),
                      ("http://site3.test/", "Odd pages")]
            return page("Picture Gallery",
                        "<p>Wallpapers, login screens and patterns, %d pictures.</p>\n%s"
                        % (len(pictures), link_list(items)))
        if path.startswith("/gallery/") and path.endswith(".html"):
            try:
                number = int(path[len("/gallery/"):-len(".html")])
            except ValueError:
                return error_page(404, "No such gallery")
            if not 1 <= number <= pages:
                return error_page(404, "No such gallery")
            chunk = pictures[(number - 1) * self.GALLERY_PAGE:number * self.GALLERY_PAGE]
            # Odd galleries give the thumbnails their sizes, even ones leave them to the picture.
            cells = "\n".join(
                "<a href=\"/pictures/%s.html\">%s</a>" % (p.name, img_tag("/images/" + p.name, p, number % 2 == 1))
                for p in chunk)
            nav = [("/index.html", "All galleries")]
            if number > 1:
                nav.append(("/gallery/%d.html" % (number - 1), "Previous"))
            if number < pages:
                nav.append(("/gallery/%d.html" % (number + 1), "Next"))
            return page("Gallery %d" % number, "<div>%s</div>\n%s" % (cells, link_list(nav)))
        if path.startswith("/pictures/") and path.endswith(".html"):
            name = path[len("/pictures/"):-len(".html")]
            picture = self.by_name.get(name)
            if picture is None:
                return error_page(404, "No such picture")
            i = pictures.index(picture)
            nav = [("/pictures/%s.html" % pictures[i - 1].name, "Previous picture"),
                   ("/pictures/%s.html" % pictures[(i + 1) % len(pictures)].name, "Next picture"),
                   ("/gallery/%d.html" % (i // self.GALLERY_PAGE + 1), "Back to the gallery")]
            return page(picture.title, "<p>%s</p>\n<p>%s</p>\n%s" % (
                img_tag("/images/" + picture.name, picture), html.escape(self.sentence(name)),
                link_list(nav)))
        if path.startswith("/images/"):
            picture = self.by_name.get(path[len("/images/"):])
            return self.picture_reply(picture) if picture else error_page(404, "No such image")
        return error_page(404, "Not found")

    def sentence(self, key):
        return random.Random(key).choice(self.paragraphs)

    # -- site2.test: the manual, unchanged ---------------------------------------------------

    def site2(self, path, q, raw):
        if not self.reference:
            return page("A small manual", "<p>%s</p>" % "</p><p>".join(
                html.escape(t) for t in self.paragraphs[:6]))
        if path in ("/", ""):
            path = "/index.en.html"
        name = os.path.normpath(path).lstrip("/")
        full = os.path.join(REFERENCE, name)
        if name.startswith("..") or not os.path.isfile(full) or name.endswith((".pdf", ".gz")):
            return error_page(404, "Not found")
        ext = os.path.splitext(name)[1].lower()
        ctype = {".html": HTML, ".css": "text/css"}.get(ext, CTYPES.get(ext, "application/octet-stream"))
        with open(full, "rb") as f:
            return Reply(200, f.read(), ctype)

    # -- words.test: phrase pages --------------------------------------------------------------

    WORD_PAGES = 40

    def words_page(self, number):
        rng = random.Random(number)
        chosen = rng.sample(self.paragraphs, min(6, len(self.paragraphs)))
        body = "\n".join("<p>%s</p>" % html.escape(t) for t in chosen)
        return body

    def words(self, path, q, raw):
        if path in ("/", "/index.html"):
            items = [("/page/%d.html" % n, "Page %d" % n) for n in range(1, self.WORD_PAGES + 1)]
            return page("Words", "<p>Plain text, many words to a page.</p>\n" + link_list(items))
        if path == "/random.html":
            number = self.random.randint(1, self.WORD_PAGES)
            return page("Page %d" % number, self.words_page(number), cache=False)
        if path.startswith("/page/") and path.endswith(".html"):
            try:
                number = int(path[len("/page/"):-len(".html")])
            except ValueError:
                number = 0
            if 1 <= number <= self.WORD_PAGES:
                return page("Page %d" % number, self.words_page(number))
        if path == "/short.html":
            return page("Short", "<p>Hi.</p>")
        if path == "/empty.html":
            return Reply(200, b"")
        return error_page(404, "Not found")

    # -- night.test: the adult-marked gallery ----------------------------------------------

    def night_site(self, path, q, raw):
        if path in ("/", "/index.html"):
            cells = "\n".join("<a href=\"/pictures/%s.html\">%s</a>" % (p.name, img_tag("/images/" + p.name, p))
                              for p in self.night)
            return page("After Dark", "<p>Pictures for the late hours.</p>\n<div>%s</div>" % cells)
        if path.startswith("/pictures/") and path.endswith(".html"):
            picture = self.night_by_name.get(path[len("/pictures/"):-len(".html")])
            if picture:
                return page(picture.title, "<p>%s</p>\n%s" % (img_tag("/images/" + picture.name, picture),
                                                             link_list([("/", "After Dark")])))
        if path.startswith("/images/"):
            picture = self.night_by_name.get(path[len("/images/"):])
            if picture:
                return self.picture_reply(picture)
        return error_page(404, "Not found")

    # -- site3.test: the hard cases ----------------------------------------------------------

    def site3(self, path, q, raw):
        cases = {
            "/frames.html": self.frames,
            "/frames-imgurl.html": self.frames_imgurl,
            "/frame-menu.html": self.frame_menu,
            "/frame-picture.html": self.frame_picture,
            "/iframes.html": self.iframes,
            "/popups.html": self.popups,
            "/bad-links.html": self.bad_links,
            "/files.html": self.files,
            "/files-and-pages.html": self.files_and_pages,
            "/imgurl.html": self.imgurl_links,
            "/redirects.html": self.redirects,
            "/tiny.html": self.tiny,
            "/huge.html": self.huge,
            "/no-links.html": lambda: page("No links", "<p>%s</p>" % html.escape(self.paragraphs[0])),
            "/one-link.html": lambda: page("One link", "<p><a href=\"/\">Back</a></p>"),
            "/text.txt": lambda: Reply(200, "\n\n".join(self.paragraphs[:3]), "text/plain; charset=utf-8"),
            "/latin1.html": lambda: Reply(200, "<html><head><title>Caf\xe9</title></head><body><p>Caf\xe9 "
                                          "cr\xe8me br\xfbl\xe9e, na\xefve fa\xe7ade.</p><img src=\"/images/icon16.png\">"
                                          "</body></html>".encode("latin-1"), "text/html; charset=iso-8859-1"),
        }
        if path in ("/", "/index.html"):
            items = [(p, p.strip("/")) for p in sorted(cases)]
            items += [("/slow.html?s=5", "a page that takes 5 s"), ("/slow-image.html", "a slow picture"),
                      ("/status/404", "404"), ("/status/500", "500"), ("/status/503", "503"),
                      ("/status/403", "403"), ("/empty.html", "an empty page"),
                      ("http://nowhere.test/", "a host that does not exist")]
            if self.faults:
                items.append(("http://faults.test/", "misbehaving pages"))
            return page("Odd pages", link_list(items))
        if path in cases:
            return cases[path]()
        if path == "/slow.html":
            seconds = self._seconds(q, 5)
            return self._delayed(page("Slow", "<p>This page took %g seconds.</p><p><a href=\"/\">Back</a> "
                                      "<a href=\"/tiny.html\">Tiny</a></p>" % seconds), seconds)
        if path == "/slow-image.html":
            return page("Slow picture", img_tag("/images/slow.png?s=5") + "<p><a href=\"/\">Back</a></p>")
        if path == "/images/slow.png":
            return self._delayed(Reply(200, imagegen.pattern_png(320, 240, 11), "image/png"),
                                 self._seconds(q, 5))
        if path.startswith("/status/"):
            try:
                status = int(path[len("/status/"):])
            except ValueError:
                status = 500
            if not 400 <= status <= 599:
                status = 500
            return error_page(status, "A failing page")
        if path.startswith("/redirect/"):
            return self.redirect(path[len("/redirect/"):], q)
        if path.startswith("/imgres"):
            return self.imgres(q)
        if path.startswith("/files/"):
            ext = os.path.splitext(path.lower())[1]
            if ext not in FILE_CTYPES:
                return error_page(404, "Not found")
            return Reply(200, ("not really a %s file\n" % ext).encode() * 64, FILE_CTYPES[ext])
        if path.startswith("/images/"):
            picture = self.special.get(path[len("/images/"):]) or self.by_name.get(path[len("/images/"):])
            return self.picture_reply(picture) if picture else error_page(404, "No such image")
        if path == "/empty.html":
            return Reply(200, b"")
        if any(urllib.parse.urlsplit(link).path == path for link in BAD_LINKS if link.startswith("/")):
            return page("Not for crawlers", link_list([("/", "Back")]))
        return error_page(404, "Not found")

    @staticmethod
    def _seconds(q, default):
        try:
            return max(0.0, min(60.0, float(q.get("s", [default])[0])))
        except ValueError:
            return default

    @staticmethod
    def _delayed(reply, seconds):
        reply.delay = seconds
        reply.cache = False
        return reply

    def frames(self):
        return Reply(200, "<html><head><title>Frames</title></head>\n"
                     "<frameset cols=\"30%,70%\">\n<frame src=\"/frame-menu.html\" name=\"menu\">\n"
                     "<frame src=\"/frame-picture.html\" name=\"main\">\n"
                     "<noframes><p>This page uses frames.</p></noframes>\n</frameset></html>\n")

    def frames_imgurl(self):
        picture = self.gallery[3 % len(self.gallery)]
        first = ("http://images.google.com/imgres?imgurl=site1.test/images/%s&imgrefurl="
                 "http://site1.test/pictures/%s.html&h=480&w=640" % (picture.name, picture.name))
        return Reply(200, "<html><head><title>Framed result</title></head>\n"
                     "<frameset rows=\"100,*\">\n<frame src=\"%s\">\n<frame src=\"http://site1.test/\">\n"
                     "</frameset></html>\n" % html.escape(first))

    def frame_menu(self):
        return page("Menu", link_list([("/frame-picture.html", "Picture"), ("http://site1.test/", "Gallery"),
                                       ("http://site1.test/gallery/2.html", "More")]))

    def frame_picture(self):
        picture = self.gallery[0]
        return page("Picture", img_tag("http://site1.test/images/" + picture.name, picture))

    def iframes(self):
        return page("Inline frames", "<p>Two inline frames.</p>\n"
                    "<iframe src=\"/frame-picture.html\" width=\"400\" height=\"300\"></iframe>\n"
                    "<iframe src=\"http://site1.test/gallery/1.html\" width=\"400\" height=\"300\"></iframe>\n"
                    + link_list([("/", "Back"), ("http://site1.test/", "Gallery")]))

    def popups(self):
        picture = self.gallery[1 % len(self.gallery)]
        script = """<script type="text/javascript">
window.open("http://site3.test/tiny.html", "popup", "width=300,height=200");
window.resizeTo(4000, 3000);
window.moveTo(-100, -100);
self.focus();
if (top != self) top.location = self.location;
document.write('<img src="http://site1.test/images/%s">');
function annoy() { window.open("http://site3.test/frames.html"); window.resizeTo(10, 10); }
</script>""" % picture.name
        body = ("<p onmouseover=\"window.open('http://site3.test/')\">Hover here.</p>\n"
                "<p>%s</p>\n"
                "<a href=\"http://site1.test/gallery/1.html\" target=\"_blank\">A new window</a>\n"
                "<a href=\"http://site1.test/gallery/2.html\" onclick=\"window.open(this.href); return false\">Pop</a>\n"
                "<a href=\"http://site1.test/\">Gallery</a>\n"
                "<object data=\"/files/movie.avi\" type=\"video/x-msvideo\" width=\"320\" height=\"240\"></object>\n"
                "<embed src=\"/files/song.mp3\" width=\"200\" height=\"40\">\n"
                "<applet code=\"Clock.class\" width=\"100\" height=\"100\"></applet>\n"
                "<script>window.setTimeout(annoy, 100); window.showModalDialog && window.showModalDialog('/');</script>"
                % img_tag("http://site1.test/images/" + picture.name, picture))
        text = ("<!DOCTYPE html>\n<html><head><title>Pop-ups</title>%s</head>\n"
                "<body onload=\"annoy()\" onunload=\"window.open('http://site3.test/popups.html')\" "
                "onbeforeunload=\"return 'Stay!'\">\n%s\n</body></html>\n" % (script, body))
        return Reply(200, text)

    def bad_links(self):
        items = [(href, href) for href in BAD_LINKS]
        return page("Nothing to follow", "<p>Every link here is one the crawler refuses.</p>\n"
                    + link_list(items) + "\n" + img_tag("/images/spacer.gif") + img_tag("/images/pixel.gif"))

    def file_links(self):
        items = []
        for ext in FILE_CLASSES:
            items.append(("/files/sample%s" % ext, "sample" + ext))
            items.append(("/files/SAMPLE%s" % ext.upper(), "SAMPLE" + ext.upper()))
        return items

    def files(self):
        return page("Files", "<p>Only files, no pages.</p>\n" + link_list(self.file_links()))

    def files_and_pages(self):
        items = self.file_links() + [("http://site1.test/gallery/%d.html" % i, "Gallery %d" % i) for i in (1, 2, 3)]
        self.random.shuffle(items)
        return page("Files and pages", link_list(items))

    def imgurl_links(self):
        good = self.gallery[:6]
        items = [("/imgres?imgurl=site1.test/images/%s&imgrefurl=http://site1.test/pictures/%s.html"
                  % (p.name, p.name), "result " + p.name) for p in good[:3]]
        items += [("/imgres?q=x&imgurl=site1.test/images/%s&imgrefurl=http://site1.test/" % p.name,
                   "second-place marker " + p.name) for p in good[3:]]
        items += [("/imgres?imgurl=site3.test/images/picture.bmp&imgrefurl=http://site3.test/", "a bitmap"),
                  ("/imgres?imgurl=nowhere.test/images/gone.jpg&imgrefurl=http://nowhere.test/", "a lost host"),
                  ("/imgres?imgurl=site1.test/images/%s" % good[0].name, "no trailing parameter")]
        return page("Image results", link_list(items))

    def imgres(self, q):
        image = q.get("imgurl", [""])[0]
        ref = q.get("imgrefurl", ["http://site1.test/"])[0]
        return page("Image result", "<p>%s</p><p><a href=\"%s\">See the page</a></p>"
                    % (img_tag("http://" + image), html.escape(ref)))

    def redirects(self):
        picture = self.gallery[2 % len(self.gallery)]
        items = [("/redirect/301?to=http://site1.test/", "301 to the gallery"),
                 ("/redirect/302?to=/tiny.html", "302, relative"),
                 ("/redirect/303?to=http://site1.test/gallery/2.html", "303"),
                 ("/redirect/307?to=http://words.test/", "307 to words"),
                 ("/redirect/chain?n=5", "a chain of five"),
                 ("/redirect/302?to=http://site1.test/images/" + picture.name, "to an image"),
                 ("/redirect/302?to=http://nowhere.test/", "to a host that does not exist"),
                 ("/redirect/302?to=ftp://site1.test/", "to another scheme"),
                 ("/redirect/302?to=file:///etc/passwd", "to a local file")]
        return page("Redirects", link_list(items))

    def redirect(self, kind, q):
        if kind == "chain":
            try:
                n = max(0, min(50, int(q.get("n", ["5"])[0])))
            except ValueError:
                n = 5
            return redirect(302, "/redirect/chain?n=%d" % (n - 1)) if n > 0 else redirect(302, "http://site1.test/")
        try:
            status = int(kind)
        except ValueError:
            status = 302
        if status not in (301, 302, 303, 307, 308):
            status = 302
        return redirect(status, q.get("to", ["/"])[0])

    def tiny(self):
        names = ["pixel.gif", "spacer.gif", "icon16.png", "exact-28x30.png", "small-90x90.png"]
        cells = "\n".join(img_tag("/images/" + n, self.special[n]) for n in names)
        cells += "\n" + img_tag("/images/icon16.png") + img_tag("/images/pixel.gif")
        return page("Tiny pictures", "<div>%s</div>\n%s" % (cells, link_list([("/", "Back"), ("/huge.html", "Huge")])))

    def huge(self):
        names = ["huge-8000x6000.png", "large-1600x1200.png", "wide-2000x100.png"]
        cells = "\n".join(img_tag("/images/" + n) for n in names)
        return page("Huge pictures", "<div>%s</div>\n%s" % (cells, link_list([("/", "Back"), ("/tiny.html", "Tiny")])))

    # -- the search engines ------------------------------------------------------------------
    # They answer the program's search forms (src/core/search_forms.h), form i at the host of
    # test_websim.ENGINES[i]; that test fails when a form there has no engine here.

    def results(self, phrase, count=20):
        """Pictures for a phrase, as (address without scheme, page it came from, label): the
        same phrase always finds the same ones."""
        rng = random.Random(phrase.lower())
        chosen = []
        for i in range(count):
            roll = rng.random()
            if roll < 0.05:
                chosen.append(("site3.test/images/picture.bmp", "http://site3.test/", "picture.bmp"))
            elif roll < 0.08:
                chosen.append(("nowhere.test/images/lost-%d.jpg" % i, "http://nowhere.test/", "lost"))
            elif roll < 0.12 and self.faults:
                name = rng.choice(["truncated.jpg", "corrupt.png", "garbage.jpg"])
                chosen.append(("faults.test/" + name, "http://faults.test/", name))
            else:
                p = rng.choice(self.gallery)
                chosen.append(("site1.test/images/" + p.name, "http://site1.test/pictures/%s.html" % p.name,
                               p.name))
        return chosen

    @staticmethod
    def phrase_of(q, key):
        return q.get(key, [""])[0].strip()

    def google(self, path, q, raw):
        if path == "/images":
            phrase = self.phrase_of(q, "q")
            quoted = urllib.parse.quote_plus(phrase)
            cells = []
            for n, (image, ref, label) in enumerate(self.results(phrase)):
                href = ("/imgres?imgurl=%s&imgrefurl=%s&h=480&w=640&sz=56&tbnid=tb%d&tbnh=90&tbnw=120"
                        "&start=%d&prev=/images%%3Fq%%3D%s" % (image, ref, n, n, quoted))
                cells.append("<td><a href=\"%s\"><img src=\"http://%s\" width=\"120\" height=\"90\"></a>"
                             "<br>%s</td>" % (html.escape(href), image, html.escape(label)))
            nav = [("http://www.google.com/", "Web"), ("/preferences?hl=en", "Preferences"),
                   ("/advanced_image_search?hl=en", "Advanced Image Search"),
                   ("/intl/en/help.html", "Help"),
                   ("/images?q=%s&start=20&sa=N" % quoted, "Next")]
            return page("Images: " + phrase,
                        img_tag("/intl/en/images/logo.gif") + link_list(nav[:4])
                        + "<table><tr>%s</tr></table>" % "</tr><tr>".join(
                            "".join(cells[i:i + 5]) for i in range(0, len(cells), 5))
                        + link_list(nav[4:]))
        if path == "/imgres":
            image = q.get("imgurl", [""])[0]
            ref = q.get("imgrefurl", ["about:blank"])[0]
            return Reply(200, "<html><head><title>Image result</title></head>\n<frameset rows=\"120,*\">"
                         "<frame src=\"/imgres-top?imgurl=%s\"><frame src=\"%s\"></frameset></html>\n"
                         % (html.escape(image), html.escape(ref)))
        if path == "/imgres-top":
            image = q.get("imgurl", [""])[0]
            return page("Image", "%s<p>Below is the image in its original context.</p>" % img_tag("http://" + image))
        if path == "/intl/en/images/logo.gif":
            return Reply(200, imagegen.pattern_gif(276, 110, 3), "image/gif")
        if path in ("/", "/imghp"):
            return page("Image Search", "<form action=\"/images\"><input name=\"q\"><input type=\"submit\"></form>")
        return self.engine_page(path)

    def alltheweb(self, path, q, raw):
        if path == "/search":
            # The phrase is everything after q= (the program puts nothing after it).
            phrase = raw.split("q=", 1)[1] if "q=" in raw else ""
            phrase = urllib.parse.unquote_plus(phrase)
            cells = []
            for image, ref, label in self.results(phrase, 15):
                href = "/r?cat=img&cs=utf-8&imgurl=%s&url=%s" % (image, urllib.parse.quote(ref, safe=""))
                cells.append("<p><a href=\"%s\"><img src=\"http://%s\" width=\"100\" height=\"75\"> %s</a></p>"
                             % (html.escape(href), image, html.escape(label)))
            nav = [("/help/webmaster/", "Help"), ("/advanced?cat=img", "Advanced search"),
                   ("/customize?", "Customize"), ("/search?c=web&q=%s" % urllib.parse.quote_plus(phrase), "Web")]
            return page("AllTheWeb pictures: " + phrase, link_list(nav) + "\n".join(cells))
        if path == "/r":
            return redirect(302, urllib.parse.unquote(q.get("url", ["http://site1.test/"])[0]))
        if path == "/":
            return page("AllTheWeb", "<form action=\"/search\"><input name=\"q\"></form>")
        return self.engine_page(path)

    def yahoo(self, path, q, raw):
        if path == "/search/images":
            phrase = self.phrase_of(q, "p")
            quoted = urllib.parse.quote_plus(phrase)
            cells = []
            for n, (image, ref, label) in enumerate(self.results(phrase)):
                href = ("/search/images/view?back=%s&w=640&h=480&imgurl=%s&rurl=%s&size=56.0kB&name=%s"
                        "&p=%s&no=%d&tt=20" % (urllib.parse.quote("/search/images?p=" + quoted, safe=""),
                                               image, urllib.parse.quote(ref, safe=""), label, quoted, n + 1))
                cells.append("<li><a href=\"%s\"><img src=\"http://%s\" width=\"110\" height=\"82\"></a></li>"
                             % (html.escape(href), image))
            nav = [("http://help.yahoo.com/help/us/images/", "Help"), ("http://shopping.yahoo.com/", "Shopping"),
                   ("http://rds.yahoo.com/S=1/K=%s/*-http://site1.test/" % quoted, "Sponsored")]
            return page("Yahoo! Image Search: " + phrase, link_list(nav) + "<ul>%s</ul>" % "\n".join(cells))
        if path == "/search/images/view":
            image = q.get("imgurl", [""])[0]
            ref = q.get("rurl", ["http://site1.test/"])[0]
            return page("Image view", "%s<p><a href=\"%s\">Visit the page</a></p>"
                        % (img_tag("http://" + image), html.escape(ref)))
        if path == "/":
            return page("Yahoo! Image Search", "<form action=\"/search/images\"><input name=\"p\"></form>")
        return self.engine_page(path)

    @staticmethod
    def engine_page(path):
        """The engines' help, preference and advanced-search pages: there, but never crawled."""
        return page("Search " + path.strip("/").replace("/", " "), link_list([("/", "Search")]))

    # -- commons.test: a picture API ---------------------------------------------------------

    # Files the API also finds that are no photographs (left out by careful clients).
    COMMONS_OTHERS = [("Map of the coast.svg", "image/svg+xml", ".svg.png"),
                      ("Old scan.tif", "image/tiff", ".tif.jpg"),
                      ("Interview.ogv", "video/ogg", ".ogv.jpg")]
    # The only widths the image servers make thumbnails in.
    THUMB_STEPS = (20, 40, 60, 120, 250, 330, 500, 960, 1280, 1920, 3840)
    THUMB_REFUSAL = ("Use thumbnail steps listed on https://w.wiki/GHai. "
                     "Please contact noc@wikimedia.org for further information")
    # Categories as the files carry them: visible ones, some a family screen must not show,
    # and hidden ones (licences, maintenance) the API leaves out when asked for visible only.
    SAFE_CATEGORIES = ["Patterns", "Abstract art", "Tiles", "Colourful images", "Geometry in art"]
    UNSAFE_CATEGORIES = ["Nude women in art", "Surgical procedures", "Corpses"]
    HIDDEN_CATEGORIES = ["CC-BY-SA-4.0", "Self-published work"]

    def commons_site(self, path, q, raw):
        if path == "/w/api.php":
            return self.commons_api(q)
        if path.startswith("/thumb/"):
            width, _, name = path[len("/thumb/"):].partition("px-")
            picture = self.commons_by_name.get(name)
            if picture is None:
                return error_page(404, "No such file")
            if not width.isdigit() or int(width) not in self.THUMB_STEPS:
                return Reply(429, self.THUMB_REFUSAL, "text/plain; charset=utf-8", cache=False)
            return self.thumbnail(picture, int(width))
        if path.startswith("/files/"):
            picture = self.commons_by_name.get(path[len("/files/"):])
            return self.picture_reply(picture) if picture else error_page(404, "No such file")
        if path.startswith("/wiki/File:"):
            picture = self.commons_by_name.get(path[len("/wiki/File:"):])
            if picture is None:
                return error_page(404, "No such file")
            original = "/files/" + picture.name
            return page("File:" + picture.name, "<p>%s</p>\n<p>%s</p>\n%s" % (
                img_tag(original, picture), html.escape(self.sentence(picture.name)),
                link_list([(original, "Full size"), ("/wiki/Main_Page", "Main page")])))
        if path in ("/", "/wiki/Main_Page"):
            return page("Commons", "<p>A simulated picture archive.</p>")
        return error_page(404, "Not found")

    def thumbnail(self, picture, width):
        w, h = picture.size
        if width >= w or picture.ctype != "image/png":
            return self.picture_reply(picture)
        return Reply(200, imagegen.pattern_png(width, max(1, h * width // w), w + h), "image/png")

    def api_over_limit(self):
        """Seconds until the API may be asked again when over its per-minute limit, else 0."""
        with self.api_lock:
            now = self.clock()
            self.api_sent = [t for t in self.api_sent if t > now - 60]
            if self.api_per_minute and len(self.api_sent) >= self.api_per_minute:
                return max(1, int(self.api_sent[0] + 60 - now + 0.999))
            self.api_sent.append(now)
            return 0

    def api_fault(self):
        """With --api-faults, now and then an answer a careful client must survive."""
        if not self.api_faults or self.random.random() >= self.api_faults:
            return None
        kind = self.random.choice(["429", "503", "huge", "redirect", "private", "slow"])
        if kind == "429":
            return Reply(429, "Too many requests", "text/plain", [("Retry-After", "30")], cache=False)
        if kind == "503":
            return Reply(503, "Service unavailable", "text/plain", cache=False)
        if kind == "huge":
            return self.json_reply({"batchcomplete": "", "padding": "x" * (6 * 1024 * 1024)})
        if kind == "redirect":
            return Reply(302, "", headers=[("Location", "http://127.0.0.1:8480/quorel/bin/version.asp")],
                         cache=False)
        if kind == "private":
            info = {"mime": "image/png", "thumburl": "http://10.0.0.1/thumb/960px-private.png",
                    "thumbwidth": 300, "url": "http://10.0.0.1/private.png", "width": 300}
            return self.json_reply({"query": {"pages": {"1": {
                "pageid": 1, "ns": 6, "title": "File:Private.png", "index": 1, "imageinfo": [info],
                "categories": [{"ns": 14, "title": "Category:Patterns"}]}}}})
        return Reply(200, json.dumps({"batchcomplete": ""}), "application/json", delay=25, cache=False)

    def commons_api(self, q):
        """generator=search over the File namespace with imageinfo url|size|mime and, when asked,
        categories: the same phrase finds the same files; a phrase with "nothing" in it finds
        none. Over the per-minute limit the answer is 429 with Retry-After."""
        def arg(name, default=""):
            return q.get(name, [default])[0]
        wait = self.api_over_limit()
        if wait:
            return Reply(429, json.dumps({"error": {"code": "ratelimited", "info": "Too many requests."}}),
                         "application/json", [("Retry-After", str(wait))], cache=False)
        fault = self.api_fault()
        if fault is not None:
            return fault
        if arg("action") != "query" or arg("format") != "json":
            return self.json_reply({"error": {"code": "badparams", "info": "Unsupported query."}})
        phrase = arg("gsrsearch").replace("filetype:bitmap", "").strip()
        if not phrase or "nothing" in phrase.lower():
            return self.json_reply({"batchcomplete": ""})
        try:
            limit = max(1, min(50, int(arg("gsrlimit", "10"))))
            width = int(arg("iiurlwidth", "0"))
        except ValueError:
            return self.json_reply({"error": {"code": "badinteger", "info": "Not a number."}})
        # Another width is served as the next larger step, while thumbwidth reports the one asked.
        step = next((s for s in self.THUMB_STEPS if s >= width), self.THUMB_STEPS[-1])
        props = arg("prop").split("|")
        visible_only = arg("clshow") == "!hidden"
        rng = random.Random("commons " + phrase.lower())
        pages = {}
        for index in range(1, limit + 1):
            pageid = 100000 + rng.randrange(1000) * 100 + index
            if rng.random() < 0.08:
                name, mime, thumb_end = rng.choice(self.COMMONS_OTHERS)
                w, h = 3000, 2000
                stem = name.rsplit(".", 1)[0]
                original = "http://commons.test/files/" + stem + thumb_end
                thumb = "http://commons.test/thumb/%dpx-%s%s" % (step, stem, thumb_end)
            else:
                picture = rng.choice(self.commons)
                name, mime = picture.name, picture.ctype
                w, h = picture.size
                original = "http://commons.test/files/" + name
                thumb = original if w <= width else "http://commons.test/thumb/%dpx-%s" % (step, name)
            info = {"size": w * h // 4, "width": w, "height": h, "mime": mime, "url": original,
                    "descriptionurl": "http://commons.test/wiki/File:" + name.replace(" ", "_"),
                    "descriptionshorturl": "http://commons.test/w/index.php?curid=%d" % pageid}
            if width:
                info.update(thumburl=thumb, thumbwidth=min(w, width), thumbheight=h * min(w, width) // w)
            result = {"pageid": pageid, "ns": 6, "title": "File:" + name, "index": index,
                      "imagerepository": "local", "imageinfo": [info]}
            if "categories" in props:
                names = [rng.choice(self.SAFE_CATEGORIES)]
                if rng.random() < 0.15:
                    names.append(rng.choice(self.UNSAFE_CATEGORIES))
                if not visible_only:
                    names += self.HIDDEN_CATEGORIES
                result["categories"] = [{"ns": 14, "title": "Category:" + c} for c in sorted(names)]
            pages[str(pageid)] = result
        return self.json_reply({"batchcomplete": "", "continue": {"gsroffset": limit, "continue": "gsroffset||"},
                                "query": {"pages": pages}})

    @staticmethod
    def json_reply(value):
        return Reply(200, json.dumps(value), "application/json; charset=utf-8", cache=False)
