#!/usr/bin/env python3
"""A counting relay in front of an http proxy (websim, or the search fake).

Clients use it as their http proxy; every request goes to the upstream proxy on a fresh
connection and the answer is streamed back in small pieces, so a client that hangs up after
an image's first bytes is charged only for what was handed to it. One line per request:

    TIME METHOD URL STATUS SENT LENGTH CTYPE [aborted]

SENT counts body bytes written to the client's socket (an upper bound of what it read: the
kernel's buffers hold some), LENGTH the body's announced length ("-" when unknown).

With --pictures N it also answers the host bench.test itself: /img/K.png (K < N) are 800x600
pattern pictures, for memory runs whose every slot shows a picture of that size.
"""
import argparse
import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "websim"))

CHUNK = 8192
_log_lock = threading.Lock()
_log_file = sys.stderr
pictures = {}


def log(line):
    with _log_lock:
        _log_file.write(line + "\n")
        _log_file.flush()


def read_head(rfile):
    """The request or status line and the header lines, or None at end of stream."""
    first = rfile.readline(65537)
    while first in (b"\r\n", b"\n"):
        first = rfile.readline(65537)
    if not first:
        return None
    headers = []
    while True:
        line = rfile.readline(65537)
        if not line or line in (b"\r\n", b"\n"):
            break
        headers.append(line.rstrip(b"\r\n"))
    return first.rstrip(b"\r\n"), headers


def header(headers, name):
    name = name.lower().encode() + b":"
    for line in headers:
        if line.lower().startswith(name):
            return line[len(name):].strip().decode("latin-1")
    return None


def without(headers, *names):
    names = tuple(n.lower().encode() + b":" for n in names)
    return [h for h in headers if not h.lower().startswith(names)]


class Relay(socketserver.StreamRequestHandler):
    def setup(self):
        # A small send buffer keeps what sits unread in the kernel after a hang-up small.
        self.request.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 16384)
        super().setup()

    def handle(self):
        try:
            while self.one_request():
                pass
        except (ConnectionError, TimeoutError, OSError):
            pass

    def one_request(self):
        head = read_head(self.rfile)
        if head is None:
            return False
        first, headers = head
        parts = first.split(b" ")
        if len(parts) != 3:
            return False
        method, url = parts[0].decode("latin-1"), parts[1].decode("latin-1")
        body = b""
        length = header(headers, "Content-Length")
        if length and length.isdigit():
            body = self.rfile.read(int(length))
        keep = (header(headers, "Connection") or header(headers, "Proxy-Connection") or "").lower() != "close"
        if method == "CONNECT":
            self.wfile.write(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            log("%s %s %s 502 0 0 -" % (stamp(), method, url))
            return keep
        host = (urllib.parse.urlsplit(url).hostname or "").lower()
        if host == "bench.test":
            return self.serve_picture(method, url, keep)
        return self.forward(method, url, headers, body, keep)

    def serve_picture(self, method, url, keep):
        data = pictures.get(urllib.parse.urlsplit(url).path)
        status, ctype = (200, "image/png") if data is not None else (404, "text/plain")
        data = data if data is not None else b"no such picture"
        self.wfile.write(("HTTP/1.1 %d X\r\nContent-Type: %s\r\nContent-Length: %d\r\n"
                          "Cache-Control: max-age=600\r\n\r\n" % (status, ctype, len(data))).encode())
        sent = self.send_body(data)
        log("%s %s %s %d %d %d %s%s" % (stamp(), method, url, status, sent, len(data), ctype,
                                       "" if sent == len(data) else " aborted"))
        return keep and sent == len(data)

    def send_body(self, data):
        sent = 0
        try:
            for i in range(0, len(data), CHUNK):
                self.wfile.write(data[i:i + CHUNK])
                sent += len(data[i:i + CHUNK])
        except (ConnectionError, OSError):
            pass
        return sent

    def forward(self, method, url, headers, body, keep):
        upstream = socket.create_connection(self.server.upstream, timeout=150)
        try:
            out = without(headers, "Connection", "Proxy-Connection", "Keep-Alive")
            request = b"%s %s HTTP/1.1\r\n" % (method.encode(), url.encode("latin-1"))
            request += b"".join(h + b"\r\n" for h in out) + b"Connection: close\r\n\r\n" + body
            upstream.sendall(request)
            reader = upstream.makefile("rb")
            head = read_head(reader)
            if head is None:
                log("%s %s %s - 0 - - upstream-closed" % (stamp(), method, url))
                return False
            status_line, answer = head
            status = status_line.split(b" ")[1].decode("latin-1") if b" " in status_line else "-"
            announced = header(answer, "Content-Length")
            ctype = (header(answer, "Content-Type") or "-").split(";")[0].strip() or "-"
            no_body = method == "HEAD" or status in ("204", "304") or status.startswith("1")
            framed = announced is not None and announced.isdigit()
            answer = without(answer, "Connection", "Keep-Alive", "Transfer-Encoding")
            if not framed and not no_body:
                keep = False  # the body ends where the upstream hangs up
            self.wfile.write(status_line + b"\r\n" + b"".join(h + b"\r\n" for h in answer)
                             + (b"" if keep else b"Connection: close\r\n") + b"\r\n")
            self.wfile.flush()
            sent = 0
            aborted = False
            remaining = 0 if no_body else (int(announced) if framed else None)
            while remaining is None or remaining > 0:
                piece = reader.read1(CHUNK if remaining is None else min(CHUNK, remaining))
                if not piece:
                    break
                try:
                    self.wfile.write(piece)
                except (ConnectionError, OSError):
                    aborted = True
                    break
                sent += len(piece)
                if remaining is not None:
                    remaining -= len(piece)
            complete = not aborted and (remaining is None or remaining == 0)
            log("%s %s %s %s %d %s %s%s" % (stamp(), method, url, status, sent,
                                           announced if framed else "-", ctype,
                                           "" if complete else " aborted"))
            return keep and complete
        finally:
            upstream.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


def stamp():
    return "%.3f" % time.time()


def address(text):
    host, _, port = text.rpartition(":")
    return host, int(port)


def main():
    global _log_file
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen", type=address, default=("127.0.0.1", 0))
    parser.add_argument("--upstream", type=address, required=True)
    parser.add_argument("--ready-file")
    parser.add_argument("--log")
    parser.add_argument("--pictures", type=int, default=0)
    args = parser.parse_args()
    if args.log:
        _log_file = open(args.log, "a", buffering=1)
    if args.pictures:
        import imagegen
        for k in range(args.pictures):
            pictures["/img/%d.png" % k] = imagegen.pattern_png(800, 600, 900 + k)
    server = Server(args.listen, Relay)
    server.upstream = args.upstream
    if args.ready_file:
        with open(args.ready_file + ".tmp", "w") as f:
            f.write("%s:%d\n" % server.server_address[:2])
        os.replace(args.ready_file + ".tmp", args.ready_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
