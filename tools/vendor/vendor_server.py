#!/usr/bin/env python3
"""The vendor's web site on loopback, for tests and the demo, with faults on request.

    vendor_server.py --pki DIR --port PORT --state DIR [--http-port PORT] [--package FILE]
                     [--content-host NAME]

--pki    certificates made by tools/vendor/make-test-pki.sh (localhost.pem, untrusted-localhost.pem,
         wrong-host.pem and their keys)
--port   the HTTPS port on 127.0.0.1, reached as https://localhost:PORT (0: any free port)
--http-port  a plain-HTTP listener that serves the same body, so that a redirect to http
         has a target (default 0: any free port)
--package    the file served as the package (default: 1 MiB generated from seed 0)
--content-host  a second name of this machine: where it resolves to a loopback address, a
         third listener serves HTTPS there (any free port), as a content host that the
         package request may redirect to; its certificates are the PKI's content-host.pem
         and untrusted-content-host.pem, made for NAME
--state  a folder for the files below

Standard library only. Answers:
    /                                   the vendor's home page
    /license-agreement.html             the licence page
    <the contract's path and query>     the package (the only target that takes a behaviour)
    /moved<the contract's path and query>   the package, as the target of a redirect
    anything else                       404

Files in the state folder:
    pid            the server's process id (removed again when it stops)
    ports.json     {"pid", "https", "http", "origin", "content"}: written once every listener
                   listens, so its appearance means "ready". content: {"host", "address",
                   "port"} of the content host's listener, or {"missing": why there is none}
    requests.jsonl one JSON object per request, appended as each ends (see below)
    control.json   the behaviour, read again for every request and every new TLS
                   connection: a test switches it while the server runs (write a new file
                   and rename it over the old one). Missing or {} means healthy.

Stop it with SIGTERM (or SIGINT) to its process id: it closes its listeners, removes the
pid file and exits 0. A port that is taken already ends it at once with exit code 3 and a
message naming the port.

control.json keys (all optional; anything else is refused with a 500 that names it):
    status        200; another code answers the package request with that status
    length        "exact" (Content-Length), "chunked", "close" (no length: the body ends
                  when the server closes the connection), "larger" (announces
                  length_extra bytes more than it sends, then closes)
    length_extra  1000
    reset_after   N: after N body bytes, reset the connection (TCP RST)
    pause_after   N: after N body bytes, send nothing for pause_seconds, then go on.
                  A pause longer than the client waits is a stall.
    pause_seconds 0
    drip_bytes    N: send the body N bytes at a time ...
    drip_interval ... this many seconds apart (0.05)
    drip_for      S: drip only for the first S seconds of the body, then send the rest at
                  full speed (default: the whole body drips)
    silent_seconds S: read the package request and answer nothing at all (not even a
                  status line) for S seconds, then close the connection
    redirect      "https": 302 to /moved... on this host and port; "http": 302 to
                  http://localhost:HTTP_PORT/moved...; "https-host": 302 to
                  https://CONTENT_HOST:CONTENT_PORT/moved... (a 500 without a content host)
    certificate   "trusted" (localhost, test CA), "untrusted" (localhost, a CA nobody
                  trusts), "wrong-host" (wrong-host.test, test CA): what the HTTPS listener
                  presents, from the next connection on
    content_certificate  "trusted" (the content host, test CA), "untrusted" (the content
                  host, the untrusted CA): what the content host's listener presents
    cache_seconds N: send Cache-Control max-age=N and a Last-Modified date
    package       {"file": PATH} or {"size": N, "seed": S}: N bytes generated on the fly
                  from seed S (generated_digest gives their SHA-256)
status and redirect apply to the package request only; the body behaviours apply to
/moved... too, on both listeners.

requests.jsonl entries: time (Unix seconds at the end), listener ("https"/"http"),
("content" for the content host's), certificate, client (its port), method, target, headers, status, behaviour (the keys of
control.json), body_length (what the body would be), bytes_sent (body bytes written),
complete, client_closed_early (the client went away before the body was sent), reset,
error, seconds (from request to end). A TLS handshake that fails (the client refused the
certificate) is logged as {time, listener, certificate, client, handshake_error}.
"""
import argparse
import email.utils
import errno
import hashlib
import http.server
import json
import os
import random
import select
import signal
import socket
import ssl
import struct
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import package_contract as contract  # noqa: E402

PACKAGE_TARGET = contract.kDownloadPathAndQuery
MOVED_TARGET = "/moved" + PACKAGE_TARGET
BLOCK = 64 * 1024
DEFAULT_PACKAGE = {"size": 1024 * 1024, "seed": 0}

DEFAULTS = {
    "status": 200,
    "length": "exact",
    "length_extra": 1000,
    "reset_after": None,
    "pause_after": None,
    "pause_seconds": 0,
    "drip_bytes": None,
    "drip_interval": 0.05,
    "drip_for": None,
    "silent_seconds": None,
    "redirect": None,
    "certificate": "trusted",
    "content_certificate": "trusted",
    "cache_seconds": None,
    "package": None,
}
CHOICES = {
    "length": ("exact", "chunked", "close", "larger"),
    "redirect": (None, "http", "https", "https-host"),
    "certificate": ("trusted", "untrusted", "wrong-host"),
    "content_certificate": ("trusted", "untrusted"),
}
CERTIFICATES = {"trusted": "localhost", "untrusted": "untrusted-localhost",
                "wrong-host": "wrong-host"}
CONTENT_CERTIFICATES = {"trusted": "content-host", "untrusted": "untrusted-content-host"}

HOME_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Inkvane</title></head>
<body><h1>Inkvane</h1><p>The vendor's home page (local test server).</p></body></html>
"""
LICENSE_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Inkvane licence agreement</title></head>
<body><h1>Licence agreement</h1><p>The licence page (local test server).</p></body></html>
"""


def generated_blocks(size, seed):
    """size pseudo-random bytes from seed, in blocks; the same for every call."""
    rng = random.Random(seed)
    left = size
    while left > 0:
        block = rng.randbytes(BLOCK)
        yield block[:left]
        left -= BLOCK


def generated_digest(size, seed):
    digest = hashlib.sha256()
    for block in generated_blocks(size, seed):
        digest.update(block)
    return digest.hexdigest()


def file_blocks(path):
    with open(path, "rb") as file:
        while block := file.read(BLOCK):
            yield block


class ControlError(Exception):
    pass


def validate(control):
    """The behaviour of control.json with defaults filled in; ControlError if it is wrong."""
    if not isinstance(control, dict):
        raise ControlError("control.json must hold a JSON object")
    unknown = set(control) - set(DEFAULTS)
    if unknown:
        raise ControlError(f"unknown control keys {sorted(unknown)}")
    behaviour = {**DEFAULTS, **control}
    for key, choices in CHOICES.items():
        if behaviour[key] not in choices:
            raise ControlError(f"{key} must be one of {choices}, not {behaviour[key]!r}")
    for key in ("reset_after", "pause_after", "drip_bytes", "cache_seconds", "length_extra"):
        value = behaviour[key]
        if value is not None and (not isinstance(value, int) or value < 0):
            raise ControlError(f"{key} must be a whole number of bytes or seconds, not {value!r}")
    for key in ("pause_seconds", "drip_interval", "drip_for", "silent_seconds"):
        if behaviour[key] is None and key in ("drip_for", "silent_seconds"):
            continue
        if not isinstance(behaviour[key], (int, float)) or behaviour[key] < 0:
            raise ControlError(f"{key} must be a number of seconds, not {behaviour[key]!r}")
    if not isinstance(behaviour["status"], int) or not 200 <= behaviour["status"] <= 599:
        raise ControlError(f"status must be an HTTP status, not {behaviour['status']!r}")
    if behaviour["drip_bytes"] == 0:
        raise ControlError("drip_bytes must be at least 1")
    package = behaviour["package"]
    if package is not None and not (
            (set(package) == {"file"} and isinstance(package["file"], str)) or
            (set(package) == {"size", "seed"} and
             all(isinstance(package[k], int) and package[k] >= 0 for k in package))):
        raise ControlError(f'package must be {{"file": PATH}} or {{"size": N, "seed": S}}, '
                           f"not {package!r}")
    return behaviour


class Vendor:
    """What the listeners share: certificates, the control file, the log."""

    def __init__(self, pki, state, package_file, content_host=None):
        self.state = Path(state)
        self.control = self.state / "control.json"
        self.default_package = {"file": str(package_file)} if package_file else DEFAULT_PACKAGE
        self.contexts = {}
        certificates = {**CERTIFICATES, **({f"content-{name}": stem for name, stem in
                                            CONTENT_CERTIFICATES.items()} if content_host else {})}
        for name, stem in certificates.items():
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(Path(pki) / f"{stem}.pem", Path(pki) / f"{stem}.key.pem")
            self.contexts[name] = context
        self.content_host, self.content_port = content_host, None
        self.log_file = open(self.state / "requests.jsonl", "a", encoding="utf-8")
        self.log_lock = threading.Lock()
        self.https_port = self.http_port = None

    def behaviour(self):
        try:
            text = self.control.read_text(encoding="utf-8")
        except FileNotFoundError:
            return validate({})
        try:
            return validate(json.loads(text) if text.strip() else {})
        except json.JSONDecodeError as error:
            raise ControlError(f"control.json is not JSON: {error}") from None

    def package(self, behaviour):
        """(size, blocks) of the body to serve."""
        spec = behaviour["package"] or self.default_package
        if "file" in spec:
            if not os.path.isfile(spec["file"]):
                raise ControlError(f"the package file {spec['file']} does not exist")
            return os.path.getsize(spec["file"]), file_blocks(spec["file"])
        return spec["size"], generated_blocks(spec["size"], spec["seed"])

    def log(self, entry):
        entry = {"time": round(time.time(), 3), **entry}
        with self.log_lock:
            self.log_file.write(json.dumps(entry) + "\n")
            self.log_file.flush()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "InkvaneTestVendor/1"

    def __init__(self, request, client_address, server, certificate):
        self.certificate = certificate
        self.was_reset = False
        super().__init__(request, client_address, server)

    def log_message(self, *args):
        pass  # every request goes to requests.jsonl instead

    def do_GET(self):
        started = time.monotonic()
        entry = {"listener": self.server.name, "certificate": self.certificate,
                 "client": self.client_address[1], "method": self.command, "target": self.path,
                 "headers": dict(self.headers), "status": None, "behaviour": None,
                 "body_length": 0, "bytes_sent": 0, "complete": False,
                 "client_closed_early": False, "reset": False, "error": None}
        try:
            self.route(entry)
        except ControlError as error:
            entry["error"] = f"control: {error}"
            self.send_page(entry, 500, f"<p>vendor_server: {error}</p>\n")
        except Exception as error:  # noqa: BLE001  (logged, and the connection closed)
            entry["error"] = f"{type(error).__name__}: {error}"
            self.close_connection = True
        finally:
            entry["seconds"] = round(time.monotonic() - started, 3)
            self.server.vendor.log(entry)

    def route(self, entry):
        if self.path == "/":
            self.send_page(entry, 200, HOME_PAGE)
        elif self.path == "/license-agreement.html":
            self.send_page(entry, 200, LICENSE_PAGE)
        elif self.path in (PACKAGE_TARGET, MOVED_TARGET):
            behaviour = self.server.vendor.behaviour()
            entry["behaviour"] = {k: v for k, v in behaviour.items() if v != DEFAULTS[k]}
            self.send_package(entry, behaviour, moved=self.path == MOVED_TARGET)
        else:
            self.send_page(entry, 404, "<p>Not found.</p>\n")

    def send_page(self, entry, status, html):
        body = html.encode("utf-8")
        entry.update(status=status, body_length=len(body))
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        entry.update(bytes_sent=len(body), complete=True)

    def send_package(self, entry, behaviour, moved):
        if not moved and behaviour["redirect"] and self.server.name == "https":
            vendor = self.server.vendor
            location = {"https": ("https", "localhost", vendor.https_port),
                        "http": ("http", "localhost", vendor.http_port),
                        "https-host": ("https", vendor.content_host, vendor.content_port)}
            scheme, host, port = location[behaviour["redirect"]]
            if port is None:
                raise ControlError("redirect https-host needs a content host (--content-host)")
            entry["status"] = 302
            self.send_response(302)
            self.send_header("Location", f"{scheme}://{host}:{port}{MOVED_TARGET}")
            self.send_header("Content-Length", "0")
            # Every package request takes a new connection, so that a certificate switched
            # for the next request is the one its client sees.
            self.send_header("Connection", "close")
            self.close_connection = True
            self.end_headers()
            entry["complete"] = True
            return
        if not moved and behaviour["silent_seconds"] is not None:
            self.close_connection = True
            if not self.wait(behaviour["silent_seconds"]):
                entry["client_closed_early"] = True
            return
        if not moved and behaviour["status"] != 200:
            self.close_connection = True
            self.send_page(entry, behaviour["status"], f"<p>Error {behaviour['status']}.</p>\n")
            return

        size, blocks = self.server.vendor.package(behaviour)
        entry.update(status=200, body_length=size)
        length = behaviour["length"]
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if length == "exact":
            self.send_header("Content-Length", str(size))
        elif length == "larger":
            self.send_header("Content-Length", str(size + behaviour["length_extra"]))
        elif length == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        if behaviour["cache_seconds"] is not None:
            self.send_header("Cache-Control", f"max-age={behaviour['cache_seconds']}")
            self.send_header("Last-Modified", email.utils.formatdate(time.time() - 3600, usegmt=True))
        self.send_header("Connection", "close")
        self.close_connection = True
        self.end_headers()
        self.send_body(entry, behaviour, blocks, chunked=length == "chunked")

    def send_body(self, entry, behaviour, blocks, chunked):
        piece_size = behaviour["drip_bytes"] or BLOCK
        drip_ends = None if behaviour["drip_for"] is None else time.monotonic() + behaviour["drip_for"]
        marks = [m for m in (behaviour["pause_after"], behaviour["reset_after"]) if m is not None]
        paused = False
        pending = memoryview(b"")
        sent = 0
        try:
            while True:
                if behaviour["reset_after"] is not None and sent >= behaviour["reset_after"]:
                    self.reset()
                    entry["reset"] = True
                    return
                if not paused and behaviour["pause_after"] is not None \
                        and sent >= behaviour["pause_after"]:
                    paused = True
                    if not self.wait(behaviour["pause_seconds"]):
                        entry["client_closed_early"] = True
                        return
                if not pending:
                    pending = memoryview(next(blocks, b""))
                    if not pending:
                        break
                dripping = behaviour["drip_bytes"] and (drip_ends is None or time.monotonic() < drip_ends)
                count = min([len(pending), piece_size if dripping else BLOCK] +
                            [m - sent for m in marks if m > sent])
                if sent and dripping and not self.wait(behaviour["drip_interval"]):
                    entry["client_closed_early"] = True
                    return
                piece, pending = pending[:count], pending[count:]
                self.wfile.write(b"%x\r\n%s\r\n" % (count, piece) if chunked else piece)
                sent += count
                entry["bytes_sent"] = sent
            if chunked:
                self.wfile.write(b"0\r\n\r\n")
            entry["complete"] = True
        except (OSError, ssl.SSLError) as error:
            entry["client_closed_early"] = True
            entry["error"] = f"{type(error).__name__}: {error}"

    def wait(self, seconds):
        """Sends nothing for `seconds`; False as soon as the client closes the connection."""
        end = time.monotonic() + seconds
        while (left := end - time.monotonic()) > 0:
            readable, _, _ = select.select([self.connection], [], [], min(left, 0.2))
            if readable and self.peer_closed():
                return False
        return True

    def peer_closed(self):
        connection = self.connection
        timeout = connection.gettimeout()
        connection.settimeout(0.5)
        try:
            return connection.recv(1) == b""
        except (socket.timeout, ssl.SSLWantReadError):
            return False
        except (OSError, ssl.SSLError):
            return True
        finally:
            connection.settimeout(timeout)

    def reset(self):
        """Ends the connection with a TCP reset: no TLS close, no FIN."""
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        os.close(self.connection.detach())
        self.was_reset = True
        self.close_connection = True


class Listener(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, vendor, scheme, port, address="127.0.0.1", name=None):
        self.vendor, self.scheme, self.name = vendor, scheme, name or scheme
        super().__init__((address, port), Handler)

    def finish_request(self, request, client_address):
        request.settimeout(60)
        certificate = None
        if self.scheme == "https":
            key = "content_certificate" if self.name == "content" else "certificate"
            try:
                certificate = self.vendor.behaviour()[key]
            except ControlError:
                certificate = "trusted"  # the request itself then reports the fault
            context = f"content-{certificate}" if self.name == "content" else certificate
            try:
                request = self.vendor.contexts[context].wrap_socket(request, server_side=True)
            except (OSError, ssl.SSLError) as error:
                self.vendor.log({"listener": self.name, "certificate": certificate,
                                 "client": client_address[1], "handshake_error": str(error)})
                return
        handler = Handler(request, client_address, self, certificate)
        if handler.was_reset:
            return
        try:
            if self.scheme == "https":
                # Sends close_notify, so that a close-delimited body counts as complete, but
                # does not wait for the client's: some clients end only when the TCP
                # connection closes.
                request.settimeout(0.05)
                request = request.unwrap()
            request.shutdown(socket.SHUT_RDWR)
        except (OSError, ssl.SSLError, ValueError):
            pass
        request.close()


def loopback_address(host):
    """(an IPv4 loopback address that HOST resolves to, None) or (None, why there is none)."""
    try:
        found = {info[4][0] for info in socket.getaddrinfo(host, None, socket.AF_INET)}
    except OSError as error:
        return None, f"{host} does not resolve ({error})"
    loopback = sorted(a for a in found if a.startswith("127."))
    if not loopback:
        return None, f"{host} resolves to {', '.join(sorted(found))}, not to a loopback address"
    return loopback[0], None


def write_atomically(path, text):
    temporary = path.with_name(path.name + ".tmp")
    temporary.write_text(text, encoding="utf-8")
    os.replace(temporary, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Local vendor web server for tests and the demo.")
    parser.add_argument("--pki", required=True, help="folder made by tools/vendor/make-test-pki.sh")
    parser.add_argument("--port", type=int, required=True, help="HTTPS port (0: any free port)")
    parser.add_argument("--http-port", type=int, default=0, help="plain-HTTP port (0: any free)")
    parser.add_argument("--state", required=True, help="folder for pid, ports, log and control")
    parser.add_argument("--package", help="the file served as the package")
    parser.add_argument("--content-host", help="a second name of this machine (a content host)")
    args = parser.parse_args(argv)

    state = Path(args.state)
    state.mkdir(parents=True, exist_ok=True)
    for name in CERTIFICATES.values():
        if not (Path(args.pki) / f"{name}.pem").exists():
            print(f"vendor_server: {args.pki} lacks {name}.pem; make it with "
                  "tools/vendor/make-test-pki.sh", file=sys.stderr)
            return 2
    if args.package and not os.path.isfile(args.package):
        print(f"vendor_server: the package file {args.package} does not exist", file=sys.stderr)
        return 2
    content, address = {"missing": "no content host was named (--content-host)"}, None
    if args.content_host:
        address, why = loopback_address(args.content_host)
        if address is None:
            content = {"missing": why}
        elif (Path(args.pki) / "content-host.name").read_text().strip() != args.content_host:
            print(f"vendor_server: {args.pki} has no certificates for {args.content_host}; make "
                  "them with tools/vendor/make-test-pki.sh", file=sys.stderr)
            return 2
    vendor = Vendor(args.pki, state, args.package, args.content_host if address else None)
    listeners = []
    wanted = [("https", args.port, "127.0.0.1", "https"), ("http", args.http_port, "127.0.0.1", "http")]
    if address:
        wanted.append(("https", 0, address, "content"))
    for scheme, port, at, name in wanted:
        try:
            listeners.append(Listener(vendor, scheme, port, at, name))
        except OSError as error:
            if error.errno != errno.EADDRINUSE:
                raise
            print(f"vendor_server: port {port} on 127.0.0.1 is taken already (another vendor "
                  f"server, perhaps another build tree's tests); cannot serve {scheme} there",
                  file=sys.stderr)
            return 3
    vendor.https_port = listeners[0].server_address[1]
    vendor.http_port = listeners[1].server_address[1]
    if address:
        vendor.content_port = listeners[2].server_address[1]
        content = {"host": args.content_host, "address": address, "port": vendor.content_port}

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    for listener in listeners:
        threading.Thread(target=listener.serve_forever, daemon=True).start()

    origin = f"https://localhost:{vendor.https_port}"
    write_atomically(state / "pid", f"{os.getpid()}\n")
    write_atomically(state / "ports.json", json.dumps(
        {"pid": os.getpid(), "https": vendor.https_port, "http": vendor.http_port,
         "origin": origin, "content": content}) + "\n")
    print(f"vendor_server: {origin}{PACKAGE_TARGET} (http port {vendor.http_port}), "
          f"state in {state}", flush=True)

    while not stop.wait(0.5):
        pass
    for listener in listeners:
        listener.shutdown()
        listener.server_close()
    (state / "pid").unlink(missing_ok=True)
    print("vendor_server: stopped", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
