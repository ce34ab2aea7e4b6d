#!/usr/bin/env python3
"""The local vendor server, checked with plain clients that trust the test CA by file only.

    vendor_server_test.py BUILD_DIR PORT

Faults must fail the client the way a real network fails it; good responses, however they
are framed or paced, must arrive byte for byte.
"""
import http.client
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

TOOLS = Path(__file__).resolve().parents[2] / "tools" / "vendor"
sys.path.insert(0, str(TOOLS))
import package_contract as contract  # noqa: E402
import vendor_client  # noqa: E402

BUILD, PORT = Path(sys.argv[1]).resolve(), int(sys.argv[2])
PACKAGE = contract.kDownloadPathAndQuery
vendor = None
trusting = None


def setUpModule():
    global vendor, trusting
    vendor = vendor_client.VendorServer(BUILD / "test-pki", PORT, BUILD / "vendor-test")
    vendor.start()
    trusting = ssl.create_default_context(cafile=str(vendor.ca_file))


def tearDownModule():
    vendor.stop()


def fetch(target=PACKAGE, timeout=10, scheme="https", port=None, read_first=None):
    """(response, body bytes, the error that ended the body or None)."""
    if scheme == "https":
        connection = http.client.HTTPSConnection("localhost", port or vendor.port,
                                                 context=trusting, timeout=timeout)
    else:
        connection = http.client.HTTPConnection("localhost", port or vendor.http_port,
                                                timeout=timeout)
    connection.request("GET", target)
    response = connection.getresponse()
    body, error = bytearray(), None
    try:
        if read_first:
            body += response.read(read_first)
        while chunk := response.read1(65536):
            body += chunk
    except (OSError, http.client.HTTPException) as caught:
        error = caught
    announced = response.getheader("Content-Length")
    if error is None and announced is not None and len(body) < int(announced):
        error = http.client.IncompleteRead(bytes(body), int(announced) - len(body))
    connection.close()
    return response, bytes(body), error


def digest(data):
    import hashlib
    return hashlib.sha256(data).hexdigest()


class Routes(unittest.TestCase):
    def setUp(self):
        vendor.set()

    def test_pages_and_the_package_only_at_the_contract_target(self):
        before = len(vendor.log())
        cases = [("/", 200), ("/license-agreement.html", 200), (PACKAGE, 200),
                 (PACKAGE.replace(contract.kServerFileName, "Other.exe"), 404),
                 ("/down/down", 404)]
        for target, status in cases:
            with self.subTest(target=target):
                response, body, error = fetch(target)
                self.assertIsNone(error)
                self.assertEqual(response.status, status)
        self.assertEqual(digest(fetch()[1]), vendor.package_digest())
        logged = vendor.wait_for(lambda log: len(log) >= before + len(cases) + 1 and log[before:])
        self.assertEqual([(e["method"], e["target"], e["status"]) for e in logged[:len(cases)]],
                         [("GET", target, status) for target, status in cases])
        self.assertEqual(logged[len(cases)]["bytes_sent"], 1024 * 1024)

    def test_a_fault_switched_on_and_off_while_the_server_runs(self):
        for status in (500, 404):
            vendor.set(status=status)
            response, _, _ = fetch()
            self.assertEqual(response.status, status)
        vendor.set()
        response, body, _ = fetch()
        self.assertEqual((response.status, digest(body)), (200, vendor.package_digest()))

    def test_a_mistyped_behaviour_is_refused_loudly(self):
        vendor.set(stauts=500)
        response, _, _ = fetch()
        self.assertEqual(response.status, 500)
        entry = vendor.wait_for(lambda log: log and log[-1].get("error") and log[-1])
        self.assertIn("stauts", entry["error"])


class Faults(unittest.TestCase):
    def test_broken_bodies_fail_the_client(self):
        size = 200_000
        cases = {
            "reset mid-body": dict(reset_after=50_000),
            "length larger than the body": dict(length="larger"),
            "stall": dict(pause_after=30_000, pause_seconds=4),
        }
        for name, behaviour in cases.items():
            with self.subTest(name):
                vendor.set(package={"size": size, "seed": 5}, **behaviour)
                response, body, error = fetch(timeout=1.5)
                self.assertEqual(response.status, 200)
                self.assertIsNotNone(error, "the client saw a complete body")
                self.assertLess(len(body), int(response.getheader("Content-Length")))
                print(f"{name}: {len(body)} bytes, then {error!r}", file=sys.stderr)
        vendor.set()

    def test_certificates_the_client_must_refuse(self):
        for certificate, reason in (("untrusted", "unable to get local issuer"),
                                    ("wrong-host", "Hostname mismatch")):
            with self.subTest(certificate):
                vendor.set(certificate=certificate)
                with self.assertRaises(ssl.SSLCertVerificationError) as refused:
                    fetch()
                self.assertIn(reason, str(refused.exception))
                vendor.wait_for(lambda log, c=certificate: any(
                    e.get("handshake_error") and e["certificate"] == c for e in log))
        vendor.set()
        self.assertEqual(fetch()[0].status, 200)

    def test_a_redirect_to_http_points_at_a_live_plain_http_copy(self):
        vendor.set(redirect="http")
        response, _, _ = fetch()
        self.assertEqual(response.status, 302)
        location = response.getheader("Location")
        self.assertEqual(location, f"http://localhost:{vendor.http_port}/moved{PACKAGE}")
        _, body, error = fetch(location.split(str(vendor.http_port), 1)[1], scheme="http")
        self.assertIsNone(error)
        self.assertEqual(digest(body), vendor.package_digest())

    def test_a_client_that_closes_early_is_seen(self):
        vendor.set(drip_bytes=1024, drip_interval=0.05, package={"size": 100_000, "seed": 2})
        connection = http.client.HTTPSConnection("localhost", vendor.port, context=trusting)
        connection.request("GET", PACKAGE)
        connection.getresponse().read(2048)
        connection.close()
        entry = vendor.wait_for(lambda log: log and log[-1].get("target") == PACKAGE
                                and log[-1]["client_closed_early"] and log[-1], timeout=10)
        self.assertLess(entry["bytes_sent"], 100_000)
        self.assertLess(entry["seconds"], 2, "the server noticed only after the whole drip")
        vendor.set()


class WholeBodies(unittest.TestCase):
    def test_every_framing_and_pace_delivers_the_same_bytes(self):
        cases = {
            "content-length": dict(),
            "chunked": dict(length="chunked"),
            "close-delimited": dict(length="close"),
            "slow drip": dict(drip_bytes=1024, drip_interval=0.05, package={"size": 10_240, "seed": 4}),
            "50 MB generated": dict(package={"size": 50_000_000, "seed": 9}),
            "pause after 500": dict(pause_after=500, pause_seconds=0.6, package={"size": 1000, "seed": 1}),
        }
        for name, behaviour in cases.items():
            with self.subTest(name):
                vendor.set(**behaviour)
                started = time.monotonic()
                response, body, error = fetch(read_first=behaviour.get("pause_after"))
                elapsed = time.monotonic() - started
                self.assertIsNone(error)
                self.assertEqual(digest(body), vendor.package_digest())
                headers = {k.lower() for k, _ in response.getheaders()}
                self.assertEqual("content-length" in headers, behaviour.get("length") is None)
                self.assertEqual("transfer-encoding" in headers, behaviour.get("length") == "chunked")
                if "drip_bytes" in behaviour:
                    self.assertGreater(elapsed, 9 * 0.05)
                if "pause_after" in behaviour:
                    self.assertGreater(elapsed, 0.5)
        vendor.set()

    def test_a_served_file_and_a_redirect_on_the_same_host(self):
        with tempfile.NamedTemporaryFile(dir=BUILD) as file:
            file.write(b"MZ" + bytes(range(256)) * 40)
            file.flush()
            vendor.set(redirect="https", package={"file": file.name})
            response, _, _ = fetch()
            self.assertEqual(response.getheader("Location"),
                             f"https://localhost:{vendor.port}/moved{PACKAGE}")
            _, body, error = fetch("/moved" + PACKAGE)
            self.assertIsNone(error)
            self.assertEqual(body, Path(file.name).read_bytes())
        vendor.set()


class Process(unittest.TestCase):
    def test_a_taken_port_is_named_and_sigterm_stops_cleanly(self):
        taken = subprocess.run(
            [sys.executable, str(TOOLS / "vendor_server.py"), "--pki", str(vendor.pki),
             "--port", str(vendor.port), "--state", str(BUILD / "vendor-test-second")],
            capture_output=True, text=True, timeout=20)
        self.assertEqual(taken.returncode, 3)
        self.assertIn(f"port {vendor.port}", taken.stderr)

        second = vendor_client.VendorServer(vendor.pki, 0, BUILD / "vendor-test-second")
        second.start()
        pid_file = second.state / "pid"
        self.assertEqual(int(pid_file.read_text()), second.process.pid)
        second.process.send_signal(signal.SIGTERM)
        self.assertEqual(second.process.wait(10), 0)
        self.assertFalse(pid_file.exists())
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", second.port), timeout=2)


class TestPki(unittest.TestCase):
    def test_code_signing_certificates_chain_to_their_own_ca(self):
        pki = vendor.pki
        def verify(ca, cert):
            return subprocess.run(["openssl", "verify", "-CAfile", str(pki / ca), str(pki / cert)],
                                  capture_output=True).returncode == 0
        for cert in ("codesign-publisher.pem", "codesign-other.pem"):
            self.assertTrue(verify("ca.pem", cert), cert)
        self.assertFalse(verify("ca.pem", "codesign-untrusted.pem"))
        self.assertTrue(verify("untrusted-ca.pem", "codesign-untrusted.pem"))
        usage = subprocess.run(["openssl", "x509", "-in", str(pki / "codesign-publisher.pem"),
                                "-noout", "-ext", "extendedKeyUsage"],
                               capture_output=True, text=True).stdout
        self.assertIn("Code Signing", usage)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
