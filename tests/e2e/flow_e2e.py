#!/usr/bin/env python3
"""End-to-end checks of the install flow: the real installer under Wine (its loopback build,
which downloads from this tree's local vendor server), driven with real clicks, against the
vendor server and the stand-in package.

    flow_e2e.py BUILD_DIR CASE
    CASE: install | failed-retry | close-mid-download | close-mid-install | publisher

The vendor server is the ctest fixture "vendor" (tools/vendor/vendor_client.py start BUILD_DIR); run
alone, a case starts its own. Each case chooses the server's behaviour and the run that the
stand-in plays; the stand-in holds each step until the case has seen it. The bar is read off
screenshots: the share of its width that shows the red fill.
"""
import subprocess
import sys
import time
from pathlib import Path

import e2e_session
from e2e_session import Failure, Installer, check, children_by_id, main, visible_ids

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "vendor"))
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "release"))
import package_contract as contract  # noqa: E402
import standin_control as standin  # noqa: E402
import timestamp_server  # noqa: E402
from vendor_client import VendorServer  # noqa: E402

LOOPBACK = "InkvaneSetupLoopback.exe"
# The loopback installer that starts only packages signed by the test PKI's publisher.
LOOPBACK_PUBLISHER = "InkvaneSetupLoopbackPublisher.exe"
TOOLS = Path(__file__).resolve().parents[2] / "tools"
SIGN = TOOLS / "release" / "sign-release.sh"
IDC_INSTALL, IDC_RETRY, IDC_PROGRESS = 10002, 10008, 10042
BLURBS = {10001, 10024, 10025, 10026, 10027, 10028, IDC_PROGRESS}
INSTALLING = BLURBS | {10029}
FAILED = BLURBS | {10030, 10006, IDC_RETRY}
FINISHED = {10001, 10024, 10031, 10032, 10007}
KEY = "HKLM\\" + contract.kProductKey
CLOSE_ROUNDS = 20


def wait_until(condition, what, timeout=30, interval=0.1):
    end = time.time() + timeout
    while not (result := condition()):
        if time.time() > end:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)
    return result


def is_fill(colour):
    red, green, blue = colour
    return red > 180 and green < 150 and blue < 150


class Flow:
    """The vendor server, the stand-in package it serves, and the download folder where the
    installer puts the package and the stand-in keeps its report."""

    def __init__(self, session):
        self.session = session
        self.download = session.host_path("C:\\" + contract.kDownloadFolderName)
        self.package = self.download / contract.kPackageFileName
        self.vendor = VendorServer.for_build(session.build)
        if not (self.vendor.state / "pid").exists():
            self.vendor.start()  # run alone: no fixture started one
            session.cleanups.append(self.vendor.stop)
        session.cleanups.append(lambda: standin.quit(self.download)
                                if self.download.exists() else None)
        session.reg("delete", KEY, "/f")
        self.timestamps = None
        self.clear()

    def clear(self):
        """No report, progress file or package left by an earlier run."""
        for name in (standin.REPORT, standin.ACK, contract.kPackageFileName):
            (self.download / name).unlink(missing_ok=True)
        (self.progress_file()).unlink(missing_ok=True)

    def progress_file(self):
        return self.download / contract.kProgressFolderName / contract.kProgressFileName

    def serve(self, variant, **behaviour):
        """The server sends the stand-in that plays VARIANT, each step held until
        acknowledged, with BEHAVIOUR (control.json keys); returns its size."""
        folder = self.session.build / "e2e-packages"
        folder.mkdir(exist_ok=True)
        made = folder / f"{variant}.exe"
        standin.make_variant(self.session.build / "inkvane_standin.exe", made, variant)
        self.vendor.set(package={"file": str(made)}, **behaviour)
        return made.stat().st_size

    def signed(self, variant, name, signer=None, ca="ca", tamper=False):
        """A copy of the stand-in that plays VARIANT, as NAME.exe: signed by the test PKI's
        code-signing certificate SIGNER of CA (none: unsigned), then with one byte changed
        when TAMPER."""
        made = self.session.build / "e2e-packages" / f"{name}.exe"
        made.parent.mkdir(exist_ok=True)
        standin.make_variant(self.session.build / "inkvane_standin.exe", made, variant)
        if signer:
            pki = self.session.build / "wine" / "test-pki"
            signing = subprocess.run([str(SIGN), "--timestamp", self.timestamp_server(pki),
                                      "--timestamp-ca", str(pki / "ca.pem"), str(made),
                                      str(pki / f"codesign-{signer}.pem"),
                                      str(pki / f"codesign-{signer}.key.pem"), str(pki / f"{ca}.pem")],
                                     capture_output=True, text=True)
            check(signing.returncode == 0, f"signing {made.name} failed: {signing.stderr}")
        if tamper:
            data = bytearray(made.read_bytes())
            data[len(data) // 3] ^= 0xFF  # in the code, well away from the signature at the end
            made.write_bytes(bytes(data))
        return made

    def timestamp_server(self, pki):
        """The address of the local time-stamping server, started on first use."""
        if not self.timestamps:
            subprocess.run(["bash", str(TOOLS / "vendor" / "make-test-pki.sh"), str(pki)], check=True)
            process, self.timestamps = timestamp_server.start(pki)
            self.session.cleanups.append(lambda: (process.terminate(), process.wait()))
        return self.timestamps

    def served(self):
        return Path(self.vendor.behaviour["package"]["file"])

    def report(self, event):
        return [e for e in standin.read_report(self.download) if e["event"] == event]


class FlowInstaller(Installer):
    """The loopback installer (or a copy of it, EXE relative to the build tree), watched by
    screenshot."""

    def __init__(self, session, exe=LOOPBACK, **options):
        super().__init__(session, exe=exe, **options)

    def look(self):
        """(visible control ids, bar fill in per cent, screenshot) as the screen shows them now."""
        window = self.refresh()
        screen = self.session.screenshot()
        x, y, width, height = children_by_id(window)[IDC_PROGRESS]["rect"]
        left, top = window["client"][:2]
        row = top + y + height // 2
        filled = sum(1 for i in range(width) if is_fill(screen.at(left + x + i, row)))
        return visible_ids(window), filled * 100 / width, screen

    def wait_look(self, accept, what, timeout=30, name=None):
        """Looks until accept(ids, percent) holds, and keeps that screenshot as NAME; returns
        the ids and the percent."""
        last = []

        def looks():
            last[:] = self.look()
            return accept(*last[:2])
        try:
            wait_until(looks, what, timeout, interval=0.05)
        except Failure as failure:
            raise Failure(f"{failure}; last seen: controls {sorted(last[0])}, bar {last[1]:.1f} %")
        if name:
            self.session.keep(last[2], name)
        return last[:2]

    def wait_bar(self, percent, screen=INSTALLING, name=None):
        """The screen SCREEN with the bar at PERCENT (within half a per cent)."""
        return self.wait_look(lambda ids, bar: ids == screen and abs(bar - percent) < 0.5,
                              f"the bar at {percent} %", name=name)

    def press(self, control_id):
        self.click(self.refresh(), control_id)


def case_install(session):
    flow = Flow(session)
    # About five seconds of download: time for two looks at the bar on a loaded machine.
    flow.serve("normal", drip_bytes=2048, drip_interval=0.04)
    installer = FlowInstaller(session)
    if session.dpi != 96:  # the default folder has blanks too: "Program Files (x86)"
        installer.type_folder("G:\\Ink Vane\\Quillomark")
    folder = installer.field()["text"]
    # A progress file left by an earlier run says 100: it must not end the following early.
    flow.progress_file().parent.mkdir(parents=True, exist_ok=True)
    flow.progress_file().write_text(f"[{contract.kProgressSection}]\r\n{contract.kProgressKey}=100\r\n")
    installer.press(IDC_INSTALL)

    # The bar moves while the package arrives, and stays below 90.
    _, first = installer.wait_look(lambda ids, bar: ids == INSTALLING and 0 < bar < 89,
                                   "the download's bar", name=f"flow-downloading-dpi{session.dpi}")
    installer.wait_look(lambda ids, bar: ids == INSTALLING and first < bar < 90,
                        f"the bar beyond {first:.1f} %")

    # The package runs; each value it writes shows on the bar before it goes on.
    values = []
    for value, percent in (("0", 90), ("5", 90), ("50", 95), ("99", 99)):
        values.append(value)
        wait_until(lambda: standin.written_values(flow.download) == values, f"the package's {value}")
        installer.wait_bar(percent, name=f"flow-package-{value}-dpi{session.dpi}" if value == "50" else None)
        standin.acknowledge(flow.download, len(values))
    installer.wait_look(lambda ids, bar: ids == FINISHED, "the Finished screen",
                        name=f"flow-finished-dpi{session.dpi}")

    registry = flow.report("registry")[0]
    check(registry["path"] == folder, f"the package found Path {registry['path']!r}, not {folder!r}")
    check(registry["operation"] == "", f"the package found Operation {registry['operation']!r}")
    started = flow.report("start")[0]
    check(started["arguments"] == "", f"the package was given {started['arguments']!r}")
    launcher = session.host_path(folder + "\\" + contract.kLauncherName)
    check(launcher.exists(), f"no launcher at {launcher}")
    wait_until(lambda: not flow.progress_file().exists(), "the progress file to go", timeout=5)
    check(flow.package.read_bytes() == flow.served().read_bytes(), "the package file is not kept")
    session.close_all()


def case_failed_retry(session):
    flow = Flow(session)
    size = flow.serve("instant-100", reset_after=150_000)
    before = len(flow.vendor.package_requests())
    installer = FlowInstaller(session)
    installer.press(IDC_INSTALL)
    # Failed, with the bar where the download left it: at most what 150 000 bytes give (on a
    # loaded machine the moniker may not have reported any of them yet).
    reached = 150_000 * 90 // (size + 1)
    installer.wait_look(lambda ids, bar: ids == FAILED and bar <= reached + 0.5,
                        f"the Failed screen with the bar at most {reached} %",
                        name=f"flow-failed-dpi{session.dpi}")
    check(not flow.report("start"), "a broken download was started")

    flow.serve("instant-100")
    installer.press(IDC_RETRY)
    installer.wait_look(lambda ids, bar: ids == FINISHED, "the Finished screen after the retry")
    flow.vendor.wait_for(lambda log: len(flow.vendor.package_requests()) - before == 2)
    check(len(flow.report("start")) == 1, "the retried package did not run once")
    check(flow.package.read_bytes() == flow.served().read_bytes(),
          "the retry did not download to the package file again")
    session.close_all()


def case_publisher(session):
    """The build that requires the test publisher. Each package it must refuse arrives whole and
    ends on Failed without starting (it would finish at once if it started); so does the
    publisher's own package redirected to a host that this build does not list; a retry with
    the publisher's own package then finishes."""
    flow = Flow(session)
    refused = {
        "unsigned": flow.signed("instant-100", "unsigned"),
        "tampered": flow.signed("instant-100", "tampered", "publisher", tamper=True),
        "other-publisher": flow.signed("instant-100", "other-publisher", "other"),
        "untrusted-ca": flow.signed("instant-100", "untrusted-ca", "untrusted", "untrusted-ca"),
    }
    accepted = flow.signed("instant-100", "publisher", "publisher")
    installer = FlowInstaller(session, exe=LOOPBACK_PUBLISHER)
    button = IDC_INSTALL
    for name, package in refused.items():
        flow.vendor.set(package={"file": str(package)})
        before = len(flow.vendor.package_requests())
        installer.press(button)
        button = IDC_RETRY
        flow.vendor.wait_for(lambda log: [e for e in flow.vendor.package_requests()[before:]
                                          if e["complete"]])
        installer.wait_look(lambda ids, bar: ids == FAILED, f"the Failed screen for the {name} package",
                            name=f"flow-publisher-{name}-dpi{session.dpi}")
        check(not flow.report("start"), f"the {name} package was started")
        check(flow.package.read_bytes() == package.read_bytes(),
              f"the {name} package on disk is not the one served")

    # This build lists no content host (as a release by default): the publisher's own package,
    # redirected to the machine's second name that the loopback installer lists, is refused.
    content = flow.vendor.content()
    if "missing" in content:
        print(f"skipped the redirect to an unlisted host: {content['missing']}", flush=True)
    else:
        flow.vendor.set(package={"file": str(accepted)}, redirect="https-host")
        before = len(flow.vendor.package_requests())
        installer.press(IDC_RETRY)
        installer.wait_look(lambda ids, bar: ids == FAILED,
                            f"the Failed screen after a redirect to {content['host']}, which is not listed")
        check(not flow.report("start"), f"the package from {content['host']} was started")
        served = [e["listener"] for e in flow.vendor.package_requests()[before:]]
        check(served[:1] == ["https"], f"the redirect was not asked for: {served}")

    flow.vendor.set(package={"file": str(accepted)})
    installer.press(IDC_RETRY)
    installer.wait_look(lambda ids, bar: ids == FINISHED, "the Finished screen for the publisher's package",
                        name=f"flow-publisher-finished-dpi{session.dpi}")
    check(len(flow.report("start")) == 1, "the publisher's package did not run once")
    session.close_all()


def processes_running(name, prefix=None):
    """Host processes whose command line names NAME (a Windows program under Wine); with
    PREFIX, only those of that Wine prefix (other trees may run the same programs)."""
    found = []
    for entry in Path("/proc").iterdir():
        try:
            if not entry.name.isdigit() or name.encode() not in (entry / "cmdline").read_bytes():
                continue
            if prefix is not None and f"WINEPREFIX={prefix}".encode() not in \
                    (entry / "environ").read_bytes().split(b"\0"):
                continue
            found.append(int(entry.name))
        except OSError:
            pass
    return found


def close_while(session, reached, what, after=None):
    """CLOSE_ROUNDS times: starts the installer, presses install, waits for reached(installer),
    then closes the window from outside, as another program would. Each time the process must
    end at once and unharmed, and nothing of it may remain; then after() runs."""
    for round in range(1, CLOSE_ROUNDS + 1):
        errors = session.artifacts / f"flow-close-{what}-{round}.stderr"
        with open(errors, "wb") as stderr:
            installer = FlowInstaller(session, stderr=stderr, settle=0.2)
            installer.press(IDC_INSTALL)
            reached(installer)
            session.inspect("--close")
            try:
                code = installer.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                raise Failure(f"round {round}: the installer did not end within 20 s of the "
                              f"close {what}") from None
        text = errors.read_text(errors="replace")
        check(code == 0 and "Unhandled" not in text,
              f"round {round}: closed {what}, the installer ended with {code}: {text[-2000:]}")
        check(not session.inspect(), f"round {round}: an installer window is left")
        check(not processes_running(LOOPBACK, session.prefix),
              f"round {round}: an installer process is left")
        errors.unlink()
        if after:
            after()


def case_close_mid_download(session):
    flow = Flow(session)
    stall = 65_536
    flow.serve("normal", pause_after=stall, pause_seconds=600)
    before = len(flow.vendor.package_requests())
    close_while(session, lambda installer: installer.wait_look(
        lambda ids, bar: ids == INSTALLING and bar > 0, "the download's first bytes"),
        "mid-download")
    # Each download was cut off where the server stalled: it was under way at the close.
    requests = flow.vendor.wait_for(
        lambda log: len(found := flow.vendor.package_requests()[before:]) >= CLOSE_ROUNDS and found,
        timeout=20)
    check(all(e["bytes_sent"] == stall and not e["complete"] for e in requests),
          f"a download was not stalled at the close: {[e['bytes_sent'] for e in requests]}")


def case_close_mid_install(session):
    flow = Flow(session)
    flow.serve("never-100")

    def followed(installer):
        wait_until(lambda: standin.written_values(flow.download) == ["0"], "the package's 0")
        installer.wait_bar(90)

    def package_lives_on():
        # Closing the installer leaves the package running; it ends when the test tells it to,
        # before the next round downloads to its file again.
        check(not flow.report("end"), "closing the installer ended the package")
        standin.quit(flow.download)
        wait_until(lambda: flow.report("end"), "the package to end")
        wait_until(lambda: not processes_running(contract.kPackageFileName, session.prefix),
                   "the package's process to go")
        flow.clear()

    close_while(session, followed, "mid-install", package_lives_on)


CASES = {"install": case_install, "failed-retry": case_failed_retry,
         "close-mid-download": case_close_mid_download, "close-mid-install": case_close_mid_install,
         "publisher": case_publisher}


if __name__ == "__main__":
    sys.exit(main(CASES))
