"""Misbehaving answers for soak runs (websim --faults): each writes straight to the socket.

Every fault is bounded: a stalled connection is given up after HOLD_SECONDS at the latest, and
every stream ends on its own, so a soak run cannot leave websim stuck.
"""

import html
import os
import random
import select
import socket
import struct
import threading
import time
import zlib

import imagegen

HOLD_SECONDS = 120
TRICKLE_SECONDS = 2.0
HUGE_PAGE_BYTES = 100 * 1024 * 1024
BOMB_BYTES = 1024 * 1024 * 1024  # what the bomb inflates to
MANY_LINKS = 20_000
MANY_IMAGES = 5_000

_cache = {}
_key_locks = {}
_cache_lock = threading.Lock()


def _cached(key, make):
    """make() once per key; a slow make (the bomb) holds up only those who want the same key."""
    with _cache_lock:
        if key in _cache:
            return _cache[key]
        key_lock = _key_locks.setdefault(key, threading.Lock())
    with key_lock:
        if key not in _cache:
            value = make()
            with _cache_lock:
                _cache[key] = value
    return _cache[key]


def _head(status, ctype, length=None, extra=()):
    lines = ["HTTP/1.1 %s" % status, "Server: websim", "Content-Type: %s" % ctype,
             "Cache-Control: no-store", "Connection: close"]
    if length is not None:
        lines.append("Content-Length: %d" % length)
    lines += ["%s: %s" % pair for pair in extra]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


def _send(h, data):
    """Writes to the client, counting what got out for the log line."""
    h.wfile.write(data)
    h.fault_sent = getattr(h, "fault_sent", 0) + len(data)


def _peer_gone(sock, wait):
    """Waits up to `wait` seconds; true when the client has closed its side."""
    readable, _, _ = select.select([sock], [], [], wait)
    if not readable:
        return False
    try:
        return sock.recv(4096, socket.MSG_PEEK) == b""
    except OSError:
        return True


def hang(h):
    """Accepts the request and never answers."""
    deadline = time.monotonic() + HOLD_SECONDS
    while time.monotonic() < deadline:
        if _peer_gone(h.connection, 1.0):
            break
    h.close_connection = True
    return 0


def trickle(h):
    """A real page, one byte every two seconds."""
    body = b"<html><head><title>Slowly</title></head><body><p>One byte at a time.</p>" \
           b"<img src=\"http://site1.test/images/pattern-01.png\"></body></html>"
    data = _head("200 OK", "text/html", len(body)) + body
    sent = 0
    deadline = time.monotonic() + HOLD_SECONDS
    for i in range(len(data)):
        if time.monotonic() > deadline:
            break
        _send(h, data[i:i + 1])
        h.wfile.flush()
        sent += 1
        if _peer_gone(h.connection, TRICKLE_SECONDS):
            break
    h.close_connection = True
    return sent


def reset(h):
    """Drops the connection with a TCP reset instead of an answer."""
    h.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    h.close_connection = True
    return 0


def redirect_loop(h):
    """Two addresses that redirect to each other, forever."""
    target = "http://faults.test/loop-b" if not h.path.endswith("/loop-b") else "http://faults.test/loop"
    _send(h, _head("302 Found", "text/html", 0, [("Location", target)]))
    h.close_connection = True
    return 0


def huge_page(h):
    """A 100 MB page, announced with its length and sent in full unless the client leaves."""
    block = _cached("block", lambda: ("<p>%s</p>\n" % ("big page " * 120)).encode() * 1000)
    _send(h, _head("200 OK", "text/html", HUGE_PAGE_BYTES))
    sent = 0
    while sent < HUGE_PAGE_BYTES:
        chunk = block[:HUGE_PAGE_BYTES - sent]
        _send(h, chunk)
        sent += len(chunk)
    h.close_connection = True
    return sent


def _bomb():
    """A gzip member whose deflate stream repeats one compressed megabyte of spaces.

    After a sync flush over a window full of spaces the compressor is back in the same state,
    so every further megabyte compresses to the same bytes: built in a moment, not minutes.
    """
    block = b" " * (1024 * 1024)
    prefix = b"<html><body><p>"
    blocks = BOMB_BYTES // len(block)
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    first = compressor.compress(prefix + block) + compressor.flush(zlib.Z_SYNC_FLUSH)
    steady = compressor.compress(block) + compressor.flush(zlib.Z_SYNC_FLUSH)
    if compressor.compress(block) + compressor.flush(zlib.Z_SYNC_FLUSH) != steady:
        raise RuntimeError("deflate did not settle")
    # The check above went through the compressor but not into the body: the body alone counts.
    body = first + steady * (blocks - 1) + compressor.flush()
    crc = zlib.crc32(prefix)
    for _ in range(blocks):
        crc = zlib.crc32(block, crc)
    size = len(prefix) + blocks * len(block)
    return (b"\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03" + body
            + struct.pack("<II", crc & 0xFFFFFFFF, size & 0xFFFFFFFF))


def prepare():
    _cached("bomb", _bomb)


def gzip_bomb(h):
    """About 1 MB on the wire that inflates to 1 GB."""
    body = _cached("bomb", _bomb)
    _send(h, _head("200 OK", "text/html", len(body), [("Content-Encoding", "gzip")]))
    _send(h, body)
    h.close_connection = True
    return len(body)


def _picture():
    return _cached("picture", lambda: imagegen.pattern_png(400, 300, 21))


def truncated_image(h):
    """A picture whose announced length never arrives."""
    data = _picture()
    _send(h, _head("200 OK", "image/jpeg" if h.path.endswith(".jpg") else "image/png", len(data)))
    _send(h, data[:len(data) // 3])
    h.close_connection = True
    return len(data) // 3


def corrupt_image(h):
    """A picture of the right length whose pixel data is scrambled."""
    data = bytearray(_picture())
    rng = random.Random(len(data))
    for i in range(60, len(data) - 12):
        if rng.random() < 0.3:
            data[i] = rng.randrange(256)
    _send(h, _head("200 OK", "image/png", len(data)) + bytes(data))
    h.close_connection = True
    return len(data)


def garbage_image(h):
    """Random bytes sent as an image."""
    ext = os.path.splitext(h.path.split("?")[0])[1].lower()
    ctype = {".png": "image/png", ".gif": "image/gif"}.get(ext, "image/jpeg")
    data = os.urandom(20_000)
    _send(h, _head("200 OK", ctype, len(data)) + data)
    h.close_connection = True
    return len(data)


def many_page():
    parts = ["<html><head><title>Everything</title></head><body>\n"]
    for i in range(MANY_LINKS):
        parts.append("<a href=\"http://words.test/page/%d.html?n=%d\">link %d</a>\n" % (i % 40 + 1, i, i))
    for i in range(MANY_IMAGES):
        parts.append("<img src=\"http://faults.test/img/%d.png\">\n" % i)
    parts.append("</body></html>\n")
    return "".join(parts).encode()


def many(h):
    """A page of 20,000 links and 5,000 images."""
    body = _cached("many", many_page)
    _send(h, _head("200 OK", "text/html; charset=utf-8", len(body)) + body)
    h.close_connection = True
    return len(body)


def small_image(h):
    data = _cached("small", lambda: imagegen.pattern_png(120, 90, 17))
    _send(h, _head("200 OK", "image/png", len(data)) + data)
    h.close_connection = True
    return len(data)


# The fault host's addresses.
PATHS = {
    "/hang": hang,
    "/trickle": trickle,
    "/reset": reset,
    "/loop": redirect_loop,
    "/loop-b": redirect_loop,
    "/huge-page.html": huge_page,
    "/gzip-bomb.html": gzip_bomb,
    "/truncated.jpg": truncated_image,
    "/truncated.png": truncated_image,
    "/corrupt.png": corrupt_image,
    "/garbage.jpg": garbage_image,
    "/garbage.png": garbage_image,
    "/garbage.gif": garbage_image,
    "/many.html": many,
}

# What a random fault on an ordinary address may be.
PAGE_FAULTS = [hang, trickle, reset, redirect_loop, huge_page, gzip_bomb, many]
IMAGE_FAULTS = [hang, trickle, reset, truncated_image, corrupt_image, garbage_image]


def index_page():
    items = "\n".join("<li><a href=\"http://faults.test%s\">%s</a> %s</li>"
                      % (p, p, html.escape((f.__doc__ or "").strip().splitlines()[0]))
                      for p, f in sorted(PATHS.items()))
    return ("<html><head><title>Faults</title></head><body><h1>Faults</h1><ul>\n%s\n</ul></body></html>\n"
            % items).encode()


def route(path):
    """The fault for a faults.test address, or None."""
    if path.startswith("/img/"):
        return small_image
    return PATHS.get(path)
