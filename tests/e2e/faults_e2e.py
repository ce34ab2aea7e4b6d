#!/usr/bin/env python3
"""The installer against broken servers, broken packages and a broken disk: the loopback
installer under Wine, driven with real clicks, each fault a row that says which screen the
user ends on and what then holds on disk, in the registry and in the process table.

    faults_e2e.py BUILD_DIR CASE
    CASE: faults-refused | faults-broken | faults-lengths | faults-package | faults-uninstall
          | faults-planted | faults-stalls | faults-resets | faults-dpi

Rows that end on Failed share one installer: the next row's fault is set and retry pressed.
A row that fails is reported by name, the installer is started afresh, and the other rows
still run. A row that this host cannot play (no second loopback name for a content host) is
skipped with its reason. Each case ends with no installer and no package process left in its prefix.
Closing in each phase is covered by commands_e2e.py (Ready, Installing while downloading and
while the package runs, Failed, Finished) and flow_e2e.py (twenty closes from outside
mid-download and mid-install); the stall row here adds the close of a stalled download.
"""
import os
import shutil
import subprocess
import sys
import time
from contextlib import contextmanager
from pathlib import Path

from e2e_session import Failure, check, main, missing_key
from commands_e2e import BOX_YES, LoopbackInstaller
from location_e2e import small_drive
from flow_e2e import (FAILED, FINISHED, IDC_INSTALL, IDC_RETRY, INSTALLING, KEY, LOOPBACK, Flow,
                      processes_running, wait_until)

import package_contract as contract  # noqa: E402  (flow_e2e put tools/vendor on the path)
import standin_control as standin  # noqa: E402
from vendor_client import file_digest  # noqa: E402

FOLDER = "G:\\InkvaneFaults"
STALL = 65_536
DOWNLOAD_FOLDER = "C:\\" + contract.kDownloadFolderName
PACKAGE_PATH = DOWNLOAD_FOLDER + "\\" + contract.kPackageFileName
PLANTED = "exit-early"  # the planted program's stand-in variant: its start names it


# A download that stops moving ends on Failed this soon after the install command: thirty
# seconds without new bytes, the abort, and room for a busy machine.
STALL_FAILED_WITHIN = 40


class Skipped(Exception):
    """The host cannot play the row; the reason is printed."""


class Matrix:
    """One case's rows, the server and the installer they share."""

    def __init__(self, session):
        self.session, self.flow = session, Flow(session)
        self.vendor = self.flow.vendor
        self.install_folder = session.host_path(FOLDER)
        shutil.rmtree(self.install_folder, ignore_errors=True)
        self.installer, self.failures = None, []
        session.cleanups.append(self.quit_packages)

    # -- running rows

    def run(self, rows):
        for row in rows:
            name = row.__name__.replace("row_", "").replace("_", " ")
            print(f"row: {name}", flush=True)
            started = time.time()
            try:
                row(self)
                print(f"  passed in {time.time() - started:.1f} s", flush=True)
            except Skipped as reason:
                print(f"  SKIPPED: {reason}", flush=True)
            except (Failure, TimeoutError) as failure:
                print(f"  FAILED: {failure}", flush=True)
                self.failures.append(name)
                self.fresh()
        self.end()
        check(not self.failures, f"rows failed: {', '.join(self.failures)}")

    def fresh(self):
        """No installer, no package running, no files of an earlier row."""
        if self.installer is not None and self.installer.process.poll() is None:
            self.session.close_all()
        self.installer = None
        self.quit_packages()
        self.flow.clear()

    def quit_packages(self):
        if processes_running(contract.kPackageFileName, self.session.prefix):
            standin.quit(self.flow.download)
            wait_until(lambda: not processes_running(contract.kPackageFileName, self.session.prefix),
                       "the package's process to end", timeout=15)

    def end(self):
        """Closes what is left; nothing of the installer or the package may remain."""
        if self.installer is not None and self.installer.process.poll() is None:
            self.session.close_all()
        self.quit_packages()
        wait_until(lambda: not processes_running(LOOPBACK, self.session.prefix),
                   "the installer's processes to go", timeout=15)

    def start(self, screen=None, prepare=None, proposed=None):
        """Presses retry on the Failed screen, or install on a new installer, and waits for
        SCREEN if given. The log's length before is kept in self.logged."""
        self.flow.clear()
        self.press(prepare, proposed)
        if screen:
            self.wait_screen(screen)

    def press(self, prepare=None, proposed=None):
        """Retry or install, and waits until the install command has run: it writes the
        product key, which is deleted first, so that a Failed screen seen afterwards is this
        attempt's and not the one before. prepare() runs right before the click; a new
        installer's folder field must first show PROPOSED, when given."""
        self.logged = len(self.vendor.log())
        deleted = self.session.reg("delete", KEY, "/f")
        check(deleted.returncode == 0 or missing_key(deleted),
              f"the product key could not be deleted: {deleted.stdout[-500:]}")
        button = IDC_RETRY
        if self.installer is None or self.installer.process.poll() is not None:
            self.installer = LoopbackInstaller(self.session)
            if proposed:
                shown = self.installer.field()["text"]
                check(shown == proposed, f"the installer proposes {shown!r}, not {proposed!r}")
            self.installer.type_folder(FOLDER)
            button = IDC_INSTALL
        if prepare:
            prepare()
        self.installer.press(button)
        wait_until(lambda: self.session.reg_query(KEY, contract.kPathValue) is not None,
                   "the install command to write the product key", timeout=20)

    def wait_screen(self, screen, name=None, timeout=30):
        what = {id(FAILED): "Failed", id(FINISHED): "Finished", id(INSTALLING): "Installing"}
        return self.installer.wait_look(lambda ids, bar: ids == screen,
                                        f"the {what[id(screen)]} screen", timeout=timeout,
                                        name=name)[1]

    def new_log(self):
        return self.vendor.log()[self.logged:]

    # -- what holds after a row

    def registry(self, operation=""):
        path = self.session.reg_query(KEY, contract.kPathValue)
        check(path == FOLDER, f"Path is {path!r}, not {FOLDER!r}")
        found = self.session.reg_query(KEY, contract.kOperationValue)
        check(found == operation, f"Operation is {found!r}, not {operation!r}")

    def nothing_started(self):
        check(self.installer.process.poll() is None, "the installer ended")
        check(not self.flow.report("start"), "the package was started")
        check(not processes_running(contract.kPackageFileName, self.session.prefix),
              "a package process runs")
        check(not self.flow.progress_file().exists(), "a progress file appeared")
        check(not self.install_folder.exists(), f"the install folder {FOLDER} was made")

    def failed(self, package, name=None):
        """The Failed screen after a failed download or start, the package file as PACKAGE
        says ("none": a failed download leaves nothing, or "whole"), the key written, nothing
        started."""
        self.wait_screen(FAILED, name)
        file = self.flow.package
        if package == "none":
            check(not file.exists(), f"{file.stat().st_size if file.exists() else 0} bytes "
                  "reached the package file")
        else:
            check(file.exists() and file_digest(file) == self.vendor.package_digest(),
                  "the package file is not what the server sent")
        self.registry()
        self.nothing_started()

    def package_requests(self):
        return [e for e in self.new_log() if e.get("target") in (
            contract.kDownloadPathAndQuery, "/moved" + contract.kDownloadPathAndQuery)]

    def finished_whole(self):
        """Finished after a whole package: kept, started once, its launcher in the folder, the
        progress file gone, nothing of it left running."""
        self.wait_screen(FINISHED)
        check(file_digest(self.flow.package) == self.vendor.package_digest(),
              "the package file is not what the server sent")
        wait_until(lambda: self.flow.report("end"), "the package to end")
        check(len(self.flow.report("start")) == 1, "the package did not start once")
        check((self.install_folder / contract.kLauncherName).exists(), "no launcher installed")
        wait_until(lambda: not self.flow.progress_file().exists(), "the progress file to go", 5)
        self.registry()
        wait_until(lambda: not processes_running(contract.kPackageFileName, self.session.prefix),
                   "the package's process to end", timeout=15)
        check(self.installer.process.poll() is None, "the installer ended on Finished")
        cached = self.cached_copies()
        check(not cached, f"the package stays in the user's cache: {[str(c) for c in cached]}")

    def cached_copies(self):
        """Copies of the package in the moniker's cache in any user's profile."""
        size, digest = self.flow.package.stat().st_size, file_digest(self.flow.package)
        cache = "AppData/Local/Microsoft/Windows/INetCache/Content.IE5"
        return [f for f in self.session.host_path("C:\\users").glob(f"*/{cache}/*/*")
                if f.is_file() and f.stat().st_size == size and file_digest(f) == digest]

    def close_with_question(self):
        """The close button asks; 是 ends the installer within a few seconds."""
        box = self.installer.question()
        answered = time.time()
        self.installer.click(box, BOX_YES)
        check(self.installer.ended(timeout=10), "是 did not end the installer within 10 s")
        print(f"  the installer ended {time.time() - answered:.1f} s after 是", flush=True)
        wait_until(lambda: not processes_running(LOOPBACK, self.session.prefix),
                   "the installer's processes to go", timeout=10)
        self.installer = None

    def stays(self, screen, bar, seconds=3):
        """SCREEN with the bar at BAR, and still so SECONDS later."""
        self.installer.wait_bar(bar, screen)
        time.sleep(seconds)  # the point: nothing changes meanwhile
        self.installer.wait_look(lambda ids, now: ids == screen and abs(now - bar) < 0.5,
                                 f"the bar still at {bar} %", timeout=1)

    def play(self, variant, **behaviour):
        self.flow.serve(variant, **behaviour)

    def acknowledge(self, values):
        """Waits for the package to write VALUES one by one, acknowledging each."""
        for count in range(1, len(values) + 1):
            wait_until(lambda: standin.written_values(self.flow.download) == values[:count],
                       f"the package to write {values[count - 1]!r}")
            standin.acknowledge(self.flow.download, count)


# -- faults refused before any byte of the body is kept

def row_404(m):
    m.play("instant-100", status=404)
    m.start()
    m.failed("none", name=f"faults-failed-404-dpi{m.session.dpi}")
    check([e["status"] for e in m.package_requests()] == [404], "the server did not answer 404 once")


def row_500(m):
    m.play("instant-100", status=500)
    m.start()
    m.failed("none")
    check([e["status"] for e in m.package_requests()] == [500], "the server did not answer 500 once")


def row_redirect_to_http(m):
    m.play("instant-100", redirect="http")
    m.start()
    m.failed("none")
    # Wine follows the redirect without telling the sink, which refuses the response at its
    # first notification after the headers; by then the moniker may have read the body.
    plain = m.vendor.wait_for(lambda log: [e for e in log[m.logged:] if e.get("listener") == "http"],
                              timeout=20)
    print(f"  plain-HTTP body: {[(e['bytes_sent'], e['complete']) for e in plain]} (bytes sent, whole)")


def certificate_row(m, certificate):
    m.play("instant-100", certificate=certificate)
    m.start()
    m.failed("none")
    # The client ends the handshake after the server has finished its part, so the server
    # sees no handshake error; what it must not see is a request.
    check(not m.package_requests(), f"a request came through the {certificate} certificate")


def row_untrusted_certificate(m):
    certificate_row(m, "untrusted")


def row_wrong_host_certificate(m):
    certificate_row(m, "wrong-host")


# -- redirects to a content host that the loopback installer lists: this machine's own name,
# served by the vendor server's third listener on the loopback address the name resolves to

def content_host(m):
    content = m.vendor.content()
    if "missing" in content:
        raise Skipped(f"no second name of this machine reaches the vendor server: {content['missing']}")
    return content


def row_redirect_to_a_listed_host_with_an_untrusted_certificate(m):
    host = content_host(m)["host"]
    m.play("instant-100", redirect="https-host", content_certificate="untrusted")
    m.start()
    m.failed("none")
    requests = [(e["listener"], e["status"]) for e in m.package_requests()]
    check(requests == [("https", 302)], f"requests {requests}: one came through {host}'s untrusted certificate")


def row_redirect_to_a_listed_host(m):
    host = content_host(m)["host"]
    m.play("instant-100", redirect="https-host")
    m.start()
    m.finished_whole()
    requests = [(e["listener"], e["status"], e["complete"]) for e in m.package_requests()]
    check(requests == [("https", 302, True), ("content", 200, True)],
          f"the package did not come whole from {host} after one redirect: {requests}")
    m.fresh()


def row_retry_on_a_healthy_server(m):
    m.play("instant-100")
    m.start()
    m.finished_whole()
    m.fresh()


# -- faults that break the body, the package or the disk

def row_reset_mid_body(m):
    m.play("instant-100", reset_after=150_000)
    m.start()
    m.failed("none")
    check([e["bytes_sent"] for e in m.package_requests()] == [150_000], "the body was not cut")


def row_lying_length(m):
    m.play("instant-100", length="larger")
    m.start()
    m.failed("none")


def row_not_a_windows_program(m):
    m.vendor.set(package={"size": 200_000, "seed": 14})
    m.start()
    m.failed("whole")
    time.sleep(0.5)  # time for an error box of the shell to come up
    others = [d["title"] for d in m.session.inspect("--dialogs")
              if d["hwnd"] != m.installer.refresh()["hwnd"]]
    check(not others, f"a dialog came up: {others}")


def hold(m, windows_path, seconds=20):
    """Another program keeps WINDOWS_PATH open for reading, sharing only reading, for SECONDS
    from the moment this returns; its process."""
    holder = m.session.start_installer("hold", windows_path, str(seconds),
                                       exe="tests/inkvane_file_probe.exe")
    wait_until(lambda: m.session.helper("inkvane_file_probe.exe", "write", windows_path).returncode
               == 32, f"another program to hold {windows_path}", timeout=30)
    return holder


def let_go(holder):
    wait_until(lambda: holder.poll() is not None, "the other program to let go", timeout=60)


def asides(m):
    """What the installer renamed aside at the download folder's path."""
    download = m.flow.download
    return sorted(download.parent.glob(download.name + ".aside-*"))


def row_download_folder_cannot_be_made(m):
    # A file where the download folder goes is renamed aside, never deleted; while another
    # program holds it, it cannot be, and the download fails before the server is asked.
    download = m.flow.download
    kept = download.with_name(download.name + "-faults-kept")
    download.rename(kept)
    text = b"a file where the download folder goes"

    def restore():
        for aside in asides(m):
            check(aside.read_bytes() == text, f"{aside.name} is not the file renamed aside")
            aside.unlink()
        if download.exists():
            shutil.rmtree(download)
        if kept.exists():
            kept.rename(download)
    m.session.cleanups.append(restore)
    try:
        download.write_bytes(text)
        m.play("instant-100")
        holder = None

        def prepare():
            nonlocal holder
            holder = hold(m, DOWNLOAD_FOLDER)
        m.press(prepare)
        m.wait_screen(FAILED)
        check(download.read_bytes() == text, "the file in the folder's place changed")
        check(not m.package_requests(), "the package was requested without a folder to keep it")
        m.registry()
        check(m.installer.process.poll() is None, "the installer ended")
        check(not processes_running(contract.kPackageFileName, m.session.prefix),
              "a package process runs")
        let_go(holder)
        m.press()  # not start(): its clean-up would look inside the file
        m.finished_whole()
        check(len(asides(m)) == 1, f"renamed aside: {[a.name for a in asides(m)]}")
        m.fresh()
    finally:
        restore()


# -- where the user's desktop lives: the download folder and the proposed folder follow it
# only onto a local fixed disk

EXPLORER = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
PROPOSED_TAIL = contract.kDefaultFolderTail


@contextmanager
def desktop_at(m, path):
    """The user's desktop at PATH, in both shell-folder settings, while the block runs; the
    settings as they were afterwards. An installer proposes its folder when it starts."""
    saved = []
    for key in ("User Shell Folders", "Shell Folders"):
        file = m.session.build / "e2e-packages" / f"{key.replace(' ', '-')}.reg"
        file.parent.mkdir(exist_ok=True)
        exported = m.session.reg("export", EXPLORER + key, "Z:" + str(file).replace("/", "\\"), "/y")
        check(exported.returncode == 0, f"{key} could not be saved: {exported.stdout[-500:]}")
        saved.append((key, file))
    try:
        for key, kind in (("User Shell Folders", "REG_EXPAND_SZ"), ("Shell Folders", "REG_SZ")):
            added = m.session.reg("add", EXPLORER + key, "/v", "Desktop", "/t", kind, "/d", path, "/f")
            check(added.returncode == 0, f"the desktop could not be set: {added.stdout[-500:]}")
        yield
    finally:
        for key, file in saved:
            restored = m.session.reg("import", "Z:" + str(file).replace("/", "\\"))
            check(restored.returncode == 0, f"{key} could not be restored: {restored.stdout[-500:]}")


def row_desktop_on_a_network_share(m):
    # A share that exists (Wine maps \\server\share to dosdevices/unc/server/share), so that
    # the desktop query answers with the share's path instead of failing.
    unc = m.session.prefix / "dosdevices" / "unc"
    made = not unc.exists()
    try:
        (unc / "server" / "share" / "Desktop").mkdir(parents=True, exist_ok=True)
        m.fresh()
        with desktop_at(m, "\\\\server\\share\\Desktop"):
            m.play("instant-100")
            m.start(proposed="C" + PROPOSED_TAIL)  # the Windows folder's drive
            m.finished_whole()  # the package in C:'s download folder
            m.fresh()
    finally:
        if made:
            shutil.rmtree(unc, ignore_errors=True)


def row_desktop_on_a_full_drive(m):
    # T: is a fixed disk: the download folder goes there, and the package does not fit.
    with small_drive(m.session, "96k") as drive:
        if drive is None:
            raise Skipped("no tmpfs can be mounted on T:'s folder (the reason is above)")
        flow, kept = m.flow, (m.flow.download, m.flow.package)
        (drive / "Desktop").mkdir()
        try:
            m.fresh()
            shutil.rmtree(m.install_folder, ignore_errors=True)  # an earlier row's install
            flow.download = m.session.host_path("T:\\" + contract.kDownloadFolderName)
            flow.package = flow.download / contract.kPackageFileName
            with desktop_at(m, "T:\\Desktop"):
                size = flow.serve("instant-100")
                check(size > 96 * 1024, f"the package ({size} bytes) fits the small drive")
                m.start(proposed="T" + PROPOSED_TAIL)
                m.failed("none")
                free = os.statvfs(drive)
                check(free.f_bavail * free.f_frsize >= 90 * 1024,
                      f"the drive stays full: {free.f_bavail * free.f_frsize} bytes free")
                grown = subprocess.run(["mount", "-o", "remount,size=8m", str(drive)],
                                       capture_output=True, text=True)
                check(grown.returncode == 0, f"T: could not be grown: {grown.stderr.strip()}")
                m.start()
                m.finished_whole()
                m.fresh()
        finally:
            if m.installer is not None:
                m.fresh()  # nothing may hold the drive when it goes
            flow.download, flow.package = kept


# -- what others put at the package's path or the download folder's: never started

def plant(m):
    """A different, larger program at the package's path, which records its start as the
    planted variant; its bytes."""
    made = m.session.build / "e2e-packages" / "planted.exe"
    made.parent.mkdir(exist_ok=True)
    standin.make_variant(m.session.build / "inkvane_standin.exe", made, PLANTED)
    with open(made, "ab") as padding:
        padding.write(bytes(m.flow.served().stat().st_size))
    m.flow.download.mkdir(exist_ok=True)
    shutil.copyfile(made, m.flow.package)
    return made.read_bytes()


def planted_never_started(m):
    check(not [e for e in m.flow.report("start") if e.get("slot", "").startswith(PLANTED)],
          "the planted program was started")


def failed_unasked(m):
    """Failed before the server was asked, nothing started."""
    m.wait_screen(FAILED)
    check(not m.package_requests(), "the server was asked for the package")
    m.registry()
    planted_never_started(m)
    check(not [p for p in processes_running(contract.kPackageFileName, m.session.prefix)
               if b"inkvane_file_probe" not in Path(f"/proc/{p}/cmdline").read_bytes()],
          "a package process runs")


def row_planted_program_held_open(m):
    m.play("instant-100")
    planted, holder = None, None

    def prepare():
        nonlocal planted, holder
        planted = plant(m)
        holder = hold(m, PACKAGE_PATH)
    m.start(prepare=prepare)
    failed_unasked(m)
    check(m.flow.package.read_bytes() == planted, "the planted program changed")
    let_go(holder)
    m.start()
    m.finished_whole()
    planted_never_started(m)
    m.fresh()


def row_planted_program_read_only(m):
    m.play("instant-100")
    m.start(prepare=lambda: (plant(m), os.chmod(m.flow.package, 0o444)))
    m.finished_whole()
    planted_never_started(m)
    m.fresh()


def row_folder_in_the_package_place(m):
    m.play("instant-100")

    def prepare():
        m.flow.package.mkdir(parents=True)
        (m.flow.package / "inside.txt").write_text("kept")
    m.start(prepare=prepare)
    failed_unasked(m)
    check((m.flow.package / "inside.txt").read_text() == "kept", "the folder's content changed")
    shutil.rmtree(m.flow.package)
    m.start()
    m.finished_whole()
    m.fresh()


def row_download_folder_others_may_change(m):
    # Every account may write in the folder (a Unix mode of 0777, which Wine reports as
    # Everyone's right to change it), and it holds another user's file: it is renamed aside
    # with that file, and the installer makes its own, which Wine keeps as mode 0750.
    m.play("instant-100")
    m.session.cleanups.append(lambda: [shutil.rmtree(a, ignore_errors=True) for a in asides(m)])

    def prepare():
        m.flow.download.mkdir(exist_ok=True)
        (m.flow.download / "others.txt").write_text("another user's")
        os.chmod(m.flow.download, 0o777)
        plant(m)
    m.start(prepare=prepare)
    m.finished_whole()
    planted_never_started(m)
    moved = [a for a in asides(m) if (a / "others.txt").exists()]
    check(len(moved) == 1 and (moved[0] / "others.txt").read_text() == "another user's",
          f"the other user's file was not kept aside: {[a.name for a in asides(m)]}")
    mode = m.flow.download.stat().st_mode & 0o777
    check(mode == 0o750, f"the new download folder has mode {mode:o}, not 750")
    probes = [p.name for p in m.flow.download.glob("~owner-*")]
    check(not probes, f"the installer's owner probe stayed in the download folder: {probes}")
    m.fresh()


def row_download_folder_is_a_link(m):
    # Wine opens, removes and renames what a Unix link leads to, even when told not to follow
    # it: the installer touches nothing there and fails before the server is asked.
    m.play("instant-100")
    download = m.flow.download
    target = download.with_name(download.name + "-link-target")
    planted = None

    def restore():
        if download.is_symlink():
            download.unlink()
        shutil.rmtree(target, ignore_errors=True)
    m.session.cleanups.append(restore)

    def prepare():
        nonlocal planted
        if download.exists():
            shutil.rmtree(download)
        target.mkdir(exist_ok=True)
        download.symlink_to(target.name)
        planted = plant(m)
    m.start(prepare=prepare)
    failed_unasked(m)
    check(download.is_symlink() and (target / contract.kPackageFileName).read_bytes() == planted,
          "the link or what it led to was changed")
    restore()
    m.start()
    m.finished_whole()
    m.fresh()


# -- bodies without a (true) length, and slow ones: each installs

def row_no_length_chunked(m):
    m.play("instant-100", length="chunked")
    m.start()
    m.finished_whole()
    m.fresh()


def row_no_length_close_delimited(m):
    m.play("instant-100", length="close")
    m.start()
    m.finished_whole()
    m.fresh()


def row_slow_drip(m):
    m.play("instant-100", drip_bytes=8192, drip_interval=0.05)  # about 5 s
    m.start()
    m.installer.wait_look(lambda ids, bar: ids == INSTALLING and 0 < bar < 89, "the bar moving")
    m.finished_whole()
    m.fresh()


# -- downloads that stop moving end on Failed; slow ones that move are never cut

def stalled_to_failed(m, what):
    """Failed within STALL_FAILED_WITHIN s of the press, nothing left at the package's path;
    returns the seconds it took."""
    pressed = time.time()
    time.sleep(25)  # nothing to look at before the watchdog's thirty seconds
    m.wait_screen(FAILED, timeout=STALL_FAILED_WITHIN - (time.time() - pressed))
    took = time.time() - pressed
    print(f"  {what}: Failed {took:.1f} s after the press", flush=True)
    m.failed("none")
    return took


def row_server_never_answers(m):
    m.play("instant-100", silent_seconds=600)
    m.start()
    stalled_to_failed(m, "no answer")


def row_stall_after_64_kib(m):
    m.play("instant-100", pause_after=STALL, pause_seconds=600)
    m.start()
    bar = m.installer.wait_look(lambda ids, bar: ids == INSTALLING and bar > 0,
                                "the download's first bytes")[1]
    stalled_to_failed(m, "stall")
    m.installer.wait_look(lambda ids, now: ids == FAILED and abs(now - bar) < 0.5,
                          f"the bar still at {bar:.1f} % on Failed", timeout=2)


def row_reset_during_a_slow_download_six_times(m):
    # Under Wine the moniker misses most of these resets and would wait for ever.
    m.play("instant-100", drip_bytes=4096, drip_interval=0.1, reset_after=40_000)
    for attempt in range(1, 7):
        m.start()
        pressed = time.time()
        m.wait_screen(FAILED, timeout=STALL_FAILED_WITHIN)
        print(f"  try {attempt}: Failed {time.time() - pressed:.1f} s after the press", flush=True)
        m.failed("none")


def row_drip_then_full_speed(m):
    # One byte a second for 45 s, more than the watchdog's thirty, which the moniker does
    # not report at all until the rest comes: only its cache file shows the bytes.
    m.play("instant-100", drip_bytes=1, drip_interval=1, drip_for=45)
    m.start()
    time.sleep(40)
    check(m.installer.look()[0] == INSTALLING, "the dripping download was cut")
    m.finished_whole()
    check(len(m.package_requests()) == 1, "the package was requested more than once")
    m.fresh()


# -- a stalled download, and packages that never say 100

def row_stall(m):
    m.play("instant-100", pause_after=STALL, pause_seconds=600)
    m.start(INSTALLING)
    bar = m.installer.wait_look(lambda ids, bar: ids == INSTALLING and bar > 0,
                                "the download's first bytes")[1]
    m.stays(INSTALLING, bar, seconds=5)
    m.session.screenshot(f"faults-stall-installing-dpi{m.session.dpi}")
    m.registry()
    m.close_with_question()
    requests = m.vendor.wait_for(lambda log: m.package_requests(), timeout=20)
    check(len(requests) == 1 and requests[0]["client_closed_early"]
          and requests[0]["bytes_sent"] == STALL,
          f"the server did not see the stalled download closed: {requests}")
    check(not m.flow.report("start"), "the package was started")


def row_package_never_writes_100(m):
    m.play("never-100")
    m.start()
    m.acknowledge(["0", "5", "50"])
    m.stays(INSTALLING, 95)
    m.registry()
    m.close_with_question()
    time.sleep(1)  # the package must outlive the installer, not just the click
    check(not m.flow.report("end") and processes_running(contract.kPackageFileName, m.session.prefix),
          "closing the installer ended the package")
    check(m.flow.progress_file().exists(), "the package's progress file went")
    m.fresh()


def row_package_exits_early(m):
    m.play("exit-early")
    m.start()
    m.acknowledge(["0", "5"])
    wait_until(lambda: m.flow.report("end"), "the package to exit")
    wait_until(lambda: not processes_running(contract.kPackageFileName, m.session.prefix),
               "the package's process to end")
    m.stays(INSTALLING, 90)
    m.registry()
    m.close_with_question()
    m.fresh()


def row_garbage_in_the_progress_file(m):
    m.play("garbage")
    m.start()
    # Text that is no number counts as 0, a negative number as 0: the bar stays at 90.
    for count, value in enumerate(["abc", "-5"], 1):
        wait_until(lambda: standin.written_values(m.flow.download)[-1:] == [value],
                   f"the package to write {value!r}")
        m.stays(INSTALLING, 90, seconds=1)
        standin.acknowledge(m.flow.download, count)
    # A number of 30 digits is beyond 100 whatever the reader keeps of it: done.
    wait_until(lambda: len(standin.written_values(m.flow.download)) == 3, "the package's last value")
    m.wait_screen(FINISHED)
    check(processes_running(contract.kPackageFileName, m.session.prefix),
          "the package no longer runs")
    m.fresh()


# -- "UnInstall" in the product key

def row_uninstall_while_downloading(m):
    # The pause leaves time for the registry calls below while the download is under way.
    m.play("never-100", pause_after=STALL, pause_seconds=25)
    stop = ["add", KEY, "/v", contract.kOperationValue, "/d", contract.kStopWord, "/f"]
    m.start(prepare=lambda: m.session.reg(*stop))
    m.installer.wait_look(lambda ids, bar: ids == INSTALLING and bar > 0, "the download's first bytes")
    m.registry()  # the install command cleared the stop word set on Ready
    m.session.reg(*stop)
    check(not m.package_requests(), "the download ended before the stop word was set again")
    # Set while downloading, the stop word ends the following at once once the package runs:
    # Finished, with the package still at work.
    m.wait_screen(FINISHED, timeout=60)
    wait_until(lambda: m.flow.report("start"), "the package to start")
    m.registry(operation=contract.kStopWord)
    check(processes_running(contract.kPackageFileName, m.session.prefix), "the package ended")
    m.installer.close_at_once("Finished")
    m.fresh()


CHAINS = {
    "faults-refused": [row_404, row_500, row_redirect_to_http, row_untrusted_certificate,
                       row_wrong_host_certificate,
                       row_redirect_to_a_listed_host_with_an_untrusted_certificate,
                       row_retry_on_a_healthy_server, row_redirect_to_a_listed_host],
    "faults-broken": [row_reset_mid_body, row_lying_length, row_not_a_windows_program,
                      row_download_folder_cannot_be_made, row_desktop_on_a_network_share,
                      row_desktop_on_a_full_drive, row_retry_on_a_healthy_server],
    "faults-lengths": [row_no_length_chunked, row_no_length_close_delimited, row_slow_drip],
    "faults-package": [row_stall, row_package_never_writes_100, row_package_exits_early,
                       row_garbage_in_the_progress_file],
    "faults-uninstall": [row_uninstall_while_downloading],
    "faults-planted": [row_planted_program_held_open, row_planted_program_read_only,
                       row_folder_in_the_package_place, row_download_folder_others_may_change,
                       row_download_folder_is_a_link],
    "faults-stalls": [row_server_never_answers, row_stall_after_64_kib,
                      row_retry_on_a_healthy_server, row_drip_then_full_speed],
    "faults-resets": [row_reset_during_a_slow_download_six_times, row_retry_on_a_healthy_server],
    "faults-dpi": [row_404, row_not_a_windows_program, row_retry_on_a_healthy_server],
}
CASES = {name: (lambda rows: lambda session: Matrix(session).run(rows))(rows)
         for name, rows in CHAINS.items()}


if __name__ == "__main__":
    sys.exit(main(CASES))
