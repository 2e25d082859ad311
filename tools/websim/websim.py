#!/usr/bin/env python3
"""websim: the simulated internet of Quorel's offline demo and end-to-end tests.

One process answers proxy-style requests ("GET http://site1.test/ HTTP/1.1") on a loopback
port, so the real program runs unchanged with http_proxy pointing here. The sites are described
in content.py and README.md; unknown hosts get a quick 502 so the program sees a navigation
error. One log line per request goes to stderr.

    websim.py [--listen 127.0.0.1:8481] [--faults [RATE]] [--api-per-minute N]
              [--api-faults [RATE]] [--ready-file FILE] [--seed N]
"""

import argparse
import datetime
import ipaddress
import os
import re
import signal
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import content  # noqa: E402
import faults  # noqa: E402
import hostile  # noqa: E402

MAX_CONNECTIONS = 256
MAX_BODY = 1024 * 1024  # request bodies (form posts) read and dropped

_log_lock = threading.Lock()


def log(line):
    with _log_lock:
        sys.stderr.write(line + "\n")
        sys.stderr.flush()


def printable(text, limit=300):
    text = "".join(c if " " <= c < "\x7f" else "?" for c in text)
    return text if len(text) <= limit else text[:limit] + "..."


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "websim/1.0"
    sys_version = ""
    timeout = 30  # an idle kept-alive connection is dropped after this

    def do_GET(self):
        self.serve(True)

    def do_HEAD(self):
        self.serve(False)

    def do_POST(self):
        try:
            length = min(int(self.headers.get("Content-Length", "0")), MAX_BODY)
        except ValueError:
            length = 0
        if length > 0:
            self.rfile.read(length)
        self.serve(True)

    def do_CONNECT(self):
        # No https in the simulation: the tunnel is refused like an unreachable host.
        self.answer(content.error_page(502, "websim simulates plain http only"), True, "connect")
        self.close_connection = True

    # BaseHTTPRequestHandler logs on its own; we write one line per request ourselves.
    def log_request(self, code="-", size="-"):
        pass

    def log_message(self, format, *args):
        if self.command is None:  # a request line that never parsed
            log("%s %s - %s" % (stamp(), self.client_address[0], printable(format % args)))

    def handle(self):
        try:
            super().handle()
        except (ConnectionError, TimeoutError, OSError):
            pass  # the client went away; nothing to tell it

    def target(self):
        """The host, path and query of the request, proxy-style or direct."""
        if self.path.startswith(("http://", "https://")):
            parts = urllib.parse.urlsplit(self.path)
            return (parts.hostname or "").lower(), parts.path or "/", parts.query
        host = (self.headers.get("Host") or "").lower()
        host = host.rsplit(":", 1)[0] if not host.endswith("]") else host
        path, _, query = self.path.partition("?")
        return host, path or "/", query

    def serve(self, with_body):
        host, path, query = self.target()
        path = urllib.parse.unquote(path)
        path = path.split("#", 1)[0]
        web = self.server.web

        if host == "faults.test" and web.faults:
            fault = faults.route(path)
            if fault is not None:
                return self.fault(fault, "fault=" + fault.__name__)
            if path in ("/", "/index.html"):
                return self.answer(content.Reply(200, faults.index_page()), with_body)
        if host in web.hosts and host.endswith(".test") and web.random.random() < web.fault_rate:
            image = os.path.splitext(path)[1].lower() in content.CTYPES
            fault = web.random.choice(faults.IMAGE_FAULTS if image else faults.PAGE_FAULTS)
            return self.fault(fault, "injected=" + fault.__name__)

        hostile = self.server.hostile
        if hostile and path.startswith("/hostile/"):
            return self.answer(hostile.file(path[len("/hostile/"):]), with_body)
        reply = web.handle(host, path, query)
        if hostile and reply is not None and reply.ctype == content.HTML and host.endswith(".test"):
            swapped = hostile.instead(reply)
            if swapped is not reply:
                return self.answer(swapped, with_body, "hostile")
        if reply is None:
            if is_loopback(host) or host == "localhost":
                reply = self.home()
            else:
                reply = content.error_page(502, "websim: no such host: %s" % host)
        self.answer(reply, with_body)

    def home(self):
        hosts = sorted(self.server.web.hosts)
        if self.server.web.faults:
            hosts.append("faults.test")
        return content.page("websim", "<p>Use this address as an http proxy. Hosts:</p>"
                            + content.link_list(("http://%s/" % h, h) for h in hosts))

    def answer(self, reply, with_body, note=""):
        if reply.delay:
            time.sleep(reply.delay)
        status, body, headers = reply.status, reply.body, list(reply.headers)
        # Pictures are static files: like most servers, honour a single "bytes=A-B" range.
        if status == 200 and reply.ctype.startswith("image/"):
            headers.append(("Accept-Ranges", "bytes"))
            span = byte_range(self.headers.get("Range", ""), len(body))
            if span is not None:
                first, last = span
                status, body = 206, body[first:last + 1]
                headers.append(("Content-Range", "bytes %d-%d/%d" % (first, last, len(reply.body))))
        self.send_response(status)
        self.send_header("Content-Type", reply.ctype)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "max-age=600" if reply.cache else "no-store")
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if with_body:
            self.wfile.write(body)
        self.record(status, len(body) if with_body else 0, note)

    def fault(self, fault, note):
        self.fault_sent = 0
        try:
            fault(self)
        finally:
            self.close_connection = True
            self.record("-", self.fault_sent, note)

    def record(self, status, size, note):
        log("%s %s %s %s %s %s%s" % (stamp(), self.client_address[0], self.command,
                                     printable(self.path), status, size, " " + note if note else ""))


def byte_range(header, size):
    """(first, last) of a satisfiable single "bytes=A-B" or "bytes=A-" range, else None."""
    match = re.fullmatch(r"\s*bytes=(\d+)-(\d*)\s*", header)
    if not match or size == 0:
        return None
    first = int(match.group(1))
    last = min(int(match.group(2)), size - 1) if match.group(2) else size - 1
    return (first, last) if first <= last else None


def stamp():
    return datetime.datetime.now().strftime("%Y-%m-%dT%H:%M:%S")


def is_loopback(host):
    try:
        return ipaddress.ip_address(host.strip("[]")).is_loopback
    except ValueError:
        return False


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, address, web):
        self.web = web
        self.slots = threading.BoundedSemaphore(MAX_CONNECTIONS)
        super().__init__(address, Handler)

    def process_request(self, request, client_address):
        if not self.slots.acquire(blocking=False):
            log("%s %s - too many connections, closed" % (stamp(), client_address[0]))
            self.shutdown_request(request)
            return
        super().process_request(request, client_address)

    def process_request_thread(self, request, client_address):
        try:
            super().process_request_thread(request, client_address)
        finally:
            self.slots.release()


def parse_listen(text):
    host, sep, port = text.rpartition(":")
    if not sep or not port.isdigit():
        raise argparse.ArgumentTypeError("want ADDRESS:PORT, not %r" % text)
    host = host.strip("[]")
    if not is_loopback(host) and host != "localhost":
        raise argparse.ArgumentTypeError("websim listens on loopback addresses only, not %r" % host)
    return host, int(port)


def main(argv=None):
    parser = argparse.ArgumentParser(description="The simulated internet (an http proxy on loopback).")
    parser.add_argument("--listen", type=parse_listen, default=("127.0.0.1", 8481),
                        help="loopback ADDRESS:PORT to listen on (port 0 picks a free one)")
    parser.add_argument("--faults", type=float, nargs="?", const=0.1, default=None, metavar="RATE",
                        help="serve faults.test and turn RATE of ordinary .test requests (default 0.1; "
                             "0 for none) into faults: hangs, trickles, resets, redirect loops, huge "
                             "pages, gzip bombs, broken images")
    parser.add_argument("--hostile", metavar="DIR",
                        help="serve the hostile corpus (scripts/make-hostile-corpus DIR) under "
                             "/hostile/ and answer every third .test page with one of its pages")
    parser.add_argument("--api-per-minute", type=int, default=30, metavar="N",
                        help="commons.test's picture API answers 429 with Retry-After past N "
                             "requests in any minute (0: no limit; default 30)")
    parser.add_argument("--api-faults", type=float, nargs="?", const=0.3, default=0.0, metavar="RATE",
                        help="answer RATE of the picture API's requests (default 0.3) with a fault: "
                             "429, 503, a 6 MiB answer, a redirect to loopback, a thumbnail on a "
                             "private host, an answer after 25 s")
    parser.add_argument("--seed", type=int, default=None, help="seed for the random choices")
    parser.add_argument("--ready-file", help="write ADDRESS:PORT here once listening")
    args = parser.parse_args(argv)
    if args.faults is not None and not 0.0 <= args.faults <= 1.0:
        parser.error("--faults RATE lies between 0 and 1")
    if not 0.0 <= args.api_faults <= 1.0:
        parser.error("--api-faults RATE lies between 0 and 1")

    web = content.Web(faults=args.faults is not None, fault_rate=args.faults or 0.0, seed=args.seed,
                      api_per_minute=max(0, args.api_per_minute), api_faults=args.api_faults)
    if web.faults:
        # The bomb takes seconds to build: have it ready before the first request for it.
        threading.Thread(target=faults.prepare, daemon=True).start()
    family = socket.AF_INET6 if ":" in args.listen[0] else socket.AF_INET
    Server.address_family = family
    server = Server(args.listen, web)
    server.hostile = hostile.Corpus(args.hostile) if args.hostile else None
    host, port = server.server_address[:2]
    log("websim listening on %s:%d, %d pictures, manual %s, faults %s" % (
        host, port, len(web.gallery), "present" if web.reference else "missing (built-in text)",
        ("on, injected into %g of requests" % web.fault_rate) if web.faults else "off"))
    if args.ready_file:
        with open(args.ready_file + ".tmp", "w") as f:
            f.write("%s:%d\n" % (host, port))
        os.replace(args.ready_file + ".tmp", args.ready_file)

    def stop(signum, frame):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        server.serve_forever(poll_interval=0.5)
    finally:
        server.server_close()
        log("websim stopped")
    return 0


if __name__ == "__main__":
    sys.exit(main())
