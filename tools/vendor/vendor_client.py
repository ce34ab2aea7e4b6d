"""Starting, steering and reading the local vendor server (tools/vendor/vendor_server.py) from tests.

    from vendor_client import VendorServer

    with VendorServer(pki_dir, port, state_dir) as vendor:     # started and listening
        vendor.set(status=500)            # the next package request fails with 500
        ...
        vendor.set()                      # healthy again
        vendor.package_requests()         # log entries of the package requests so far
        vendor.wait_for(lambda log: ...)  # poll the log until a condition holds
    # stopped by its process id

    VendorServer.for_build(BUILD_DIR)     # a Wine tree's server: port INKVANE_VENDOR_TEST_PORT,
                                          # the PKI its prefixes trust, state in BUILD_DIR/vendor,
                                          # the content host INKVANE_TEST_CONTENT_HOST
    VendorServer.for_demo(BUILD_DIR)      # the demo's: port base + 2, state in BUILD_DIR/demo/vendor

From a shell (a ctest fixture), the tree's server outlives the command that starts it:

    vendor_client.py start BUILD_DIR      # stops one left over by an earlier run first
    vendor_client.py stop BUILD_DIR       # by the process id in BUILD_DIR/vendor/pid

The PKI is made (tools/vendor/make-test-pki.sh) if it is missing. Keyword arguments of set() are
the keys of control.json described in vendor_server.py; each call replaces the whole
behaviour. vendor.origin is "https://localhost:PORT", vendor.package_url the package's URL,
vendor.ca_file the CA a client must trust, vendor.package_digest() the SHA-256 of what the
server sends as the package now, vendor.content() where its content host listens (or why it
has none).
"""
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

TOOLS = Path(__file__).resolve().parent
sys.path.insert(0, str(TOOLS))
import package_contract as contract  # noqa: E402
import vendor_server  # noqa: E402

generated_digest = vendor_server.generated_digest
PACKAGE_TARGETS = (vendor_server.PACKAGE_TARGET, vendor_server.MOVED_TARGET)


def make_test_pki(folder, content_host=None):
    subprocess.run(["bash", str(TOOLS / "make-test-pki.sh"), str(folder)]
                   + ([content_host] if content_host else []), check=True)
    return Path(folder)


def file_digest(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        while block := file.read(1 << 20):
            digest.update(block)
    return digest.hexdigest()


class VendorServer:
    def __init__(self, pki, port, state, package=None, http_port=0, start_timeout=20,
                 content_host=None):
        self.pki, self.port, self.state = Path(pki), port, Path(state)
        self.content_host = content_host
        self.package, self.http_port, self.start_timeout = package, http_port, start_timeout
        self.process = None
        self.behaviour = {}

    @classmethod
    def for_build(cls, build, **options):
        """The server that a build tree's Windows-side tests use: the tree's own port
        (INKVANE_VENDOR_TEST_PORT) and the test PKI that its Wine prefixes trust."""
        cache = (Path(build) / "CMakeCache.txt").read_text()
        host = re.search(r"^INKVANE_TEST_CONTENT_HOST:\w+=(.*)$", cache, re.M)
        return cls._of_tree(build, 0, "vendor", content_host=host and host.group(1), **options)

    @classmethod
    def for_demo(cls, build, **options):
        """The demo's server (tools/run.sh): the tree's port base + 2, which the demo
        installer has compiled in, the same PKI, state in BUILD_DIR/demo/vendor."""
        return cls._of_tree(build, 2, "demo/vendor", **options)

    @classmethod
    def _of_tree(cls, build, port_offset, state, **options):
        build = Path(build).resolve()
        cache = (build / "CMakeCache.txt").read_text()
        port = int(re.search(r"^INKVANE_TEST_PORT_BASE:\w+=(\d+)$", cache, re.M).group(1))
        return cls(build / "wine" / "test-pki", port + port_offset, build / state, **options)

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        make_test_pki(self.pki, self.content_host)
        self.state.mkdir(parents=True, exist_ok=True)
        for name in ("ports.json", "pid", "control.json", "requests.jsonl"):
            (self.state / name).unlink(missing_ok=True)
        command = [sys.executable, str(TOOLS / "vendor_server.py"), "--pki", str(self.pki),
                   "--port", str(self.port), "--http-port", str(self.http_port),
                   "--state", str(self.state)]
        if self.package:
            command += ["--package", str(self.package)]
        if self.content_host:
            command += ["--content-host", self.content_host]
        self.output = self.state / "server.out"
        with open(self.output, "wb") as out:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out,
                                            stderr=subprocess.STDOUT, start_new_session=True)
        ports = self.state / "ports.json"
        deadline = time.monotonic() + self.start_timeout
        while not ports.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError(f"the vendor server did not start on port {self.port}: "
                                   + self.output.read_text(errors="replace").strip())
            time.sleep(0.05)
        started = json.loads(ports.read_text())
        self.port, self.http_port = started["https"], started["http"]
        self.origin = started["origin"]
        self.package_url = self.origin + contract.kDownloadPathAndQuery
        self.ca_file = self.pki / "ca.pem"

    def content(self):
        """{"host", "address", "port"} of the running server's content host, or {"missing":
        why it has none}; read from its state folder, so that a server that a ctest fixture
        started is known too."""
        return json.loads((self.state / "ports.json").read_text())["content"]

    def stop(self, timeout=10):
        """Stops the server by its process id: SIGTERM, then SIGKILL if it lingers."""
        if self.process is None or self.process.poll() is not None:
            return
        os.kill(self.process.pid, signal.SIGTERM)
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            os.kill(self.process.pid, signal.SIGKILL)
            self.process.wait()

    def set(self, **behaviour):
        """Replaces the behaviour; it applies from the next request (and TLS connection)."""
        control = self.state / "control.json"
        temporary = control.with_name("control.json.tmp")
        temporary.write_text(json.dumps(behaviour))
        os.replace(temporary, control)
        self.behaviour = behaviour

    def log(self):
        """Every request so far, oldest first (see vendor_server.py for the fields)."""
        path = self.state / "requests.jsonl"
        if not path.exists():
            return []
        return [json.loads(line) for line in path.read_text().splitlines() if line.strip()]

    def package_requests(self):
        return [entry for entry in self.log() if entry.get("target") in PACKAGE_TARGETS]

    def wait_for(self, condition, timeout=30, interval=0.1):
        """Polls the log until condition(log) is true; returns its result or raises."""
        deadline = time.monotonic() + timeout
        while True:
            result = condition(self.log())
            if result:
                return result
            if time.monotonic() > deadline:
                raise TimeoutError(f"the vendor log did not reach the expected state within "
                                   f"{timeout} s; last entries: {self.log()[-3:]}")
            time.sleep(interval)

    def stop_recorded(self, timeout=10):
        """Stops the server whose process id its state folder records, if it is one of ours
        (a vendor_server.py serving this state folder): a server this object did not start,
        such as one a ctest fixture left running."""
        try:
            pid = int((self.state / "pid").read_text())
            command = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")
        except (OSError, ValueError):
            return False
        if not any(arg.endswith(b"vendor_server.py") for arg in command) or \
                str(self.state).encode() not in command:
            return False
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + timeout
        while Path(f"/proc/{pid}").exists():
            if time.monotonic() > deadline:
                os.kill(pid, signal.SIGKILL)
                break
            time.sleep(0.05)
        return True

    def package_digest(self):
        package = self.behaviour.get("package") or (
            {"file": str(self.package)} if self.package else vendor_server.DEFAULT_PACKAGE)
        if "file" in package:
            return file_digest(package["file"])
        return generated_digest(package["size"], package["seed"])


def main(argv):
    if len(argv) != 2 or argv[0] not in ("start", "stop"):
        print("usage: vendor_client.py start|stop BUILD_DIR", file=sys.stderr)
        return 2
    vendor = VendorServer.for_build(argv[1])
    if vendor.stop_recorded():
        print(f"vendor_client: stopped the server of {vendor.state}")
    if argv[0] == "start":
        vendor.start()
        print(f"vendor_client: {vendor.origin} (pid {vendor.process.pid}), state in {vendor.state}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
