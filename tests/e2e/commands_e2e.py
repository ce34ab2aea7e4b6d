#!/usr/bin/env python3
"""End-to-end checks of the installer window's commands on the real program under Wine,
driven with real clicks and keys: the close button and its question, the keyboard filter,
the agreement box, the two links and the run button.

    commands_e2e.py BUILD_DIR CASE
    CASE: commands-ready | commands-download | commands-failed | commands-finished

commands-ready runs the shipped build (its compiled origin names the licence page); the other
cases run the loopback build against this tree's vendor server (the ctest fixture "vendor")
and the stand-in package, as flow_e2e.py does. Links are seen through the test prefix's
browser (tests/e2e/browser_recorder.cpp, the "open" command of https addresses), which
appends each address it is asked to open, with the process that started it, to browser.log
in the prefix. The links and the run button must have the desktop's explorer.exe start what
they start, and start nothing when it cannot be reached.
"""
import contextlib
import re
import sys
import time

from e2e_session import (check, children_by_id, main, missing_key, muldiv, near, registry_view,
                         visible_ids)
from flow_e2e import FAILED, FINISHED, INSTALLING, Flow, FlowInstaller, wait_until
from installer_e2e import READY_IDS
from location_e2e import NOT_LOCAL, Installer

import package_contract as contract  # noqa: E402  (flow_e2e put tools/vendor on the path)
import standin_control as standin  # noqa: E402

IDC_CLOSE, IDC_INSTALL, IDC_AGREE, IDC_LICENSE = 10001, 10002, 10003, 10004
IDC_WEB_DOWNLOAD, IDC_RUN = 10006, 10007
BOX_CLOSE, BOX_YES, BOX_NO, BOX_LABEL = 10110, 10111, 10112, 10100
QUESTION = "您确定中止安装吗？"
RED, DISABLED = (231, 75, 63), (197, 205, 223)
HTTPS_KEY = r"HKLM\Software\Classes\https"


SHELL_WINDOWS_TREAT_AS = r"HKLM\Software\Classes\CLSID\{9BA05972-F6A8-11CF-A442-00A0C90A8F39}\TreatAs"


class Browser:
    """The addresses the prefix's browser was asked to open since this object was made. The
    browser recorder writes "ADDRESS<TAB>PARENT<TAB>PARENT PID<TAB>DESKTOP PID" a line; Wine's
    own browser (tests/browser-recorder.sh) the address alone."""

    def __init__(self, session):
        self.log = session.prefix / "browser.log"
        self.start = self.log.stat().st_size if self.log.exists() else 0

    def starts(self, timeout=0.0):
        """One list of fields per address opened, the address first."""
        end = time.time() + timeout
        while True:
            text = self.log.read_bytes()[self.start:].decode() if self.log.exists() else ""
            if text or time.time() >= end:
                return [line.split("\t") for line in text.splitlines() if line]
            time.sleep(0.1)

    def opened(self, timeout=0.0):
        return [fields[0] for fields in self.starts(timeout)]


def check_from_desktop(start, what):
    """START (a recorded start: the address or program, the parent's image and process id, the
    desktop's process id) was started by the desktop's explorer.exe, not by the installer."""
    check(len(start) == 4, f"{what} was not recorded by the browser recorder: {start}")
    parent, parent_pid, desktop_pid = start[1:]
    check(parent.lower() == "explorer.exe" and parent_pid == desktop_pid,
          f"{what} was started by {parent or 'a process that has ended'} ({parent_pid}), "
          f"not by the desktop's explorer.exe ({desktop_pid})")


class UnreachableShell:
    """While in effect, no program of the prefix reaches the desktop's shell: the class of its
    window list (CLSID_ShellWindows) is treated as a class that does not exist, so creating it
    fails (REGDB_E_CLASSNOTREG, measured under Wine 8). Explorer itself runs on. Undone on
    leaving, by the session's end should a check fail, and by clear() at the next run should
    this one be killed."""

    def __init__(self, session):
        self.session = session

    @staticmethod
    def clear(session):
        result = session.reg("delete", SHELL_WINDOWS_TREAT_AS, "/f", registry_view(session.arch))
        check(result.returncode == 0 or missing_key(result),
              f"the shell's window list could not be given back: {result.stdout[-500:]}")

    def __enter__(self):
        self.session.cleanups.append(lambda: self.clear(self.session))
        result = self.session.reg("add", SHELL_WINDOWS_TREAT_AS, "/ve", "/d",
                                  "{00000000-0000-0000-0000-00000000dead}", "/f",
                                  registry_view(self.session.arch))
        check(result.returncode == 0,
              f"the shell's window list could not be hidden: {result.stdout[-500:]}")
        return self

    def __exit__(self, *exc):
        self.clear(self.session)


class Commands:
    """What these checks do with any installer: the question, waiting for its end."""

    def ended(self, timeout=10):
        """Whether the installer's process has ended (within TIMEOUT s)."""
        try:
            self.process.wait(timeout=timeout)
            return True
        except Exception:  # still running
            return False

    def question(self, shot=None):
        """Clicks the close button and returns the question box, checked (and kept as SHOT)."""
        self.click(self.refresh(), IDC_CLOSE)
        box = self.wait_dialog(BOX_YES)
        check(box is not None, "the close button asked nothing")
        texts = [c["text"] for c in box["children"] if c["id"] == BOX_LABEL]
        check(texts == ["提示", QUESTION], f"the question says {texts}")
        if shot:
            time.sleep(0.5)  # let it paint
            self.session.screenshot(shot)
        return box

    def answer(self, box, button, what):
        self.click(box, button)
        check(self.wait_dialog(BOX_YES, present=False), f"{what} did not end the question")

    def close_at_once(self, what):
        """The close button ends the installer without a question."""
        self.click(self.refresh(), IDC_CLOSE)
        check(self.ended(), f"the close button did not end the installer on {what}")


class ReadyInstaller(Commands, Installer):
    """The shipped installer on the Ready screen."""

    def screen(self, name="commands"):
        """The installer window as it is now, and a screenshot of it, kept as NAME."""
        return self.refresh(), self.session.screenshot(f"{name}-dpi{self.session.dpi}")

    def outline(self, screen):
        """The install button's outline colour, at the middle of its top edge."""
        x, y, w, _ = children_by_id(self.window)[IDC_INSTALL]["rect"]
        left, top = self.window["client"][:2]
        for dy in range(muldiv(4, self.session.dpi)):
            colour = screen.at(left + x + w // 2, top + y + dy)
            if not near(colour, (255, 255, 255), 8):
                return colour
        return None

    def agreed(self, screen):
        """Whether the agreement box shows its green tick."""
        x, y, w, h = children_by_id(self.window)[IDC_AGREE]["rect"]
        left, top = self.window["client"][:2]
        box = [screen.at(left + x + i, top + y + j) for i in range(w) for j in range(h)]
        return any(g > 120 and g > r + 40 and g > b + 20 for r, g, b in box)

    def check_unchanged(self, folder, what):
        """The Ready screen as it was: no other dialog (a box, the folder browser), the folder
        field and the agreement kept."""
        time.sleep(0.5)  # time for a dialog to come up
        others = [d for d in self.session.inspect("--dialogs") if d["hwnd"] != self.window["hwnd"]]
        check(not others, f"{what}: a dialog came up: {[d['title'] for d in others]}")
        window, screen = self.screen()
        check(visible_ids(window) == READY_IDS, f"{what}: the screen changed to {sorted(visible_ids(window))}")
        text = children_by_id(window)[10041]["inner"]["text"]
        check(text == folder, f"{what}: the folder field changed to {text!r}")
        check(self.agreed(screen), f"{what}: the agreement changed")

    def press_dropped_keys(self, folder, where):
        self.xdotool("key", "--delay", "60", "Escape", "Return", "space")
        self.check_unchanged(folder, f"Escape, Enter and Space with the focus on {where}")


class LoopbackInstaller(Commands, FlowInstaller):
    """The loopback installer, which downloads from this tree's vendor server."""

    def install(self, screen, what, folder=None):
        """Types FOLDER (if given), presses install and waits for SCREEN."""
        if folder:
            self.type_folder(folder)
        self.press(IDC_INSTALL)
        self.wait_look(lambda ids, bar: ids == screen, what)


def text_right_edge(installer, screen):
    """The right edge of the folder field's text on SCREEN: its rightmost dark pixel's x."""
    x, y, w, h = children_by_id(installer.window)[10041]["rect"]
    left, top = installer.window["client"][:2]
    ink = [i for i in range(1, w - 1) for j in range(1, h - 1)
           if max(screen.at(left + x + i, top + y + j)) < 160]
    return max(ink, default=None)


def check_blank_typed(installer):
    """A folder name with a blank, typed with real key presses, arrives whole and shows with
    its blank: its text reaches further right than the same name typed without it."""
    edges = {}
    for text in ("D:\\MyApps", "D:\\My Apps"):
        installer.type_folder(text)
        check(installer.field()["text"] == text, f"typed {text!r}, the field holds {installer.field()['text']!r}")
        _, screen = installer.screen("folder-with-blank" if " " in text else "folder-without-blank")
        edges[text] = text_right_edge(installer, screen)
    narrow, wide = edges["D:\\MyApps"], edges["D:\\My Apps"]
    check(narrow is not None and wide is not None and wide >= narrow + 2,
          f"the field does not show the blank: the text ends at {wide} with it, {narrow} without")


def compiled_origin(session):
    """The vendor origin compiled into the build's InkvaneSetup.exe."""
    cache = (session.build / "CMakeCache.txt").read_text()
    return re.search(r"^INKVANE_VENDOR_ORIGIN:STRING=(.*)$", cache, re.M).group(1)


def case_ready(session):
    """Everything the Ready screen offers, in one run: a folder with a blank typed, the keys,
    the agreement, the licence link, the question with each of its answers; then Alt+F4 on a
    second installer."""
    UnreachableShell.clear(session)
    installer = ReadyInstaller(session)
    check_blank_typed(installer)
    folder = "F:\\Inkvane"  # a network drive: an install command shows its notice at once
    installer.type_folder(folder)

    # In the folder field Escape and Enter do nothing; Space types a blank, before the x.
    installer.xdotool("key", "--delay", "60", "Escape", "Return", "space", "x")
    time.sleep(0.3)
    check(installer.field()["text"] == folder + " x",
          f"keys in the folder field give {installer.field()['text']!r}")
    installer.xdotool("key", "BackSpace", "BackSpace")
    installer.check_unchanged(folder, "Escape, Enter and Space in the folder field")

    # Unchecked: the install button greys and a click on it starts nothing.
    installer.click(installer.window, IDC_AGREE)
    time.sleep(0.3)
    window, screen = installer.screen("agreement-unchecked")
    check(not installer.agreed(screen), "the agreement box still shows its tick")
    outline = installer.outline(screen)
    check(outline and near(outline, DISABLED, 20), f"unchecked, the install button's outline is {outline}")
    installer.click(window, IDC_INSTALL)
    check(installer.wait_dialog(BOX_CLOSE, timeout=1.5) is None, "a disabled install button was pressed")
    # Checked again: the normal look, and the install command runs (its notice).
    installer.click(window, IDC_AGREE)
    time.sleep(0.3)
    window, screen = installer.screen()
    outline = installer.outline(screen)
    check(outline and near(outline, RED, 40), f"checked again, the install button's outline is {outline}")
    installer.press_dropped_keys(folder, "the check box")
    installer.press_install(folder, NOT_LOCAL)
    installer.press_dropped_keys(folder, "the install button")

    # The licence link has the desktop's Explorer open the licence page and leaves the window
    # as it is; without the desktop's shell it opens nothing and shows nothing.
    browser = Browser(session)
    installer.click(installer.window, IDC_LICENSE)
    starts = browser.starts(timeout=10)
    licence = compiled_origin(session) + "/license-agreement.html"
    check([start[0] for start in starts] == [licence],
          f"the licence link opened {starts}, expected {licence}")
    check_from_desktop(starts[0], "the licence page's browser")
    installer.check_unchanged(folder, "the licence link")
    with UnreachableShell(session):
        browser = Browser(session)
        installer.click(installer.window, IDC_LICENSE)
        installer.check_unchanged(folder, "the licence link without the desktop's shell")
        check(browser.opened(timeout=1.5) == [],
              f"without the desktop's shell the licence link opened {browser.opened()}")

    # The question: 否 and the box's own close button keep the installer, 是 ends it.
    installer.answer(installer.question(), BOX_NO, "否")
    installer.check_unchanged(folder, "否")
    installer.press_dropped_keys(folder, "the close button")
    installer.answer(installer.question(), BOX_CLOSE, "the question's close button")
    installer.check_unchanged(folder, "the question's close button")
    installer.answer(installer.question(), BOX_YES, "是")
    check(installer.ended(), "是 did not end the installer")

    # Alt+F4 is not filtered: it closes a second installer without a question.
    second = ReadyInstaller(session)
    second.xdotool("key", "alt+F4")
    check(second.ended(), "Alt+F4 did not end the installer")


def case_download(session):
    """The question over the Installing screen while the download is under way: 否 keeps it,
    是 ends the installer and the server sees the download stop early."""
    flow = Flow(session)
    stall = 65_536
    flow.serve("instant-100", pause_after=stall, pause_seconds=600)
    before = len(flow.vendor.package_requests())
    installer = LoopbackInstaller(session)
    installer.press(IDC_INSTALL)
    installer.wait_look(lambda ids, bar: ids == INSTALLING and bar > 0, "the download's first bytes")

    box = installer.question(f"question-installing-dpi{session.dpi}")
    installer.answer(box, BOX_NO, "否")
    check(visible_ids(installer.refresh()) == INSTALLING, "否 left the Installing screen")
    check(not installer.ended(timeout=0.5), "否 ended the installer")
    installer.answer(installer.question(), BOX_YES, "是")
    check(installer.ended(), "是 did not end the installer")
    requests = flow.vendor.wait_for(lambda log: flow.vendor.package_requests()[before:], timeout=20)
    check(len(requests) == 1 and requests[0]["client_closed_early"] and not requests[0]["complete"],
          f"the server did not see the download stop early: {requests}")


def case_failed(session):
    """On Failed: the web-download link stays when the desktop's shell cannot be reached, when
    it cannot start the browser, and when there is no browser; it closes once the desktop's
    Explorer opened the home page. The close button closes at once."""
    UnreachableShell.clear(session)
    flow = Flow(session)
    flow.serve("instant-100", status=500)
    installer = LoopbackInstaller(session)
    installer.install(FAILED, "the Failed screen")

    backup = session.prefix / "https-association.reg"
    windows_backup = "Z:" + str(backup).replace("/", "\\")

    def restore():
        if backup.exists():
            check(session.reg("import", windows_backup).returncode == 0,
                  f"the https association could not be restored from {backup}")
            backup.unlink()

    def press_and_stay(what):
        browser = Browser(session)
        installer.press(IDC_WEB_DOWNLOAD)
        check(not installer.ended(timeout=2), f"the installer ended though {what}")
        check(visible_ids(installer.refresh()) == FAILED, f"the Failed screen changed when {what}")
        check(browser.opened() == [], f"the browser was asked for {browser.opened()} when {what}")

    with UnreachableShell(session):
        press_and_stay("the desktop's shell could not be reached")

    # Without a handler for https the page cannot open (an empty browser setting would not do:
    # the shell still starts Wine's browser); nor with one whose program is missing, for which
    # Explorer takes the request and answers that it started nothing. The association comes
    # back afterwards, also when a check fails, and at the next run when this one was killed.
    restore()
    check(session.reg("export", HTTPS_KEY, windows_backup, "/y").returncode == 0,
          "the https association could not be saved")
    session.cleanups.append(restore)
    check(session.reg("add", HTTPS_KEY + r"\shell\open\command", "/ve", "/f",
                      "/d", '"C:\\missing\\browser.exe" "%1"').returncode == 0,
          "the https association could not be pointed at a missing program")
    press_and_stay("the browser's program is missing")
    check(session.reg("delete", HTTPS_KEY, "/f").returncode == 0,
          "the https association could not be removed")
    press_and_stay("there is no browser")
    restore()

    browser = Browser(session)
    installer.press(IDC_WEB_DOWNLOAD)
    starts = browser.starts(timeout=10)
    home = f"https://localhost:{flow.vendor.port}"  # the loopback build's origin
    # The shell may hand the bare origin on in its canonical form, with the root's "/".
    check([start[0] for start in starts] in ([home], [home + "/"]),
          f"the web-download link opened {starts}, expected {home}")
    check_from_desktop(starts[0], "the home page's browser")
    check(installer.ended(), "the installer stayed after its home page opened")

    again = LoopbackInstaller(session)
    again.install(FAILED, "the Failed screen")
    again.close_at_once("Failed")


def case_finished(session):
    """Closing while the package runs leaves it running; on Finished the close button closes
    at once, and run has the desktop's Explorer start the launcher in the chosen folder and
    ends the installer, also when the launcher is missing or the desktop's shell cannot be
    reached (then nothing starts)."""
    UnreachableShell.clear(session)
    flow = Flow(session)
    folder = "G:\\InkvaneRun"
    launcher = session.host_path(folder + "\\" + contract.kLauncherName)

    flow.serve("never-100")
    installer = LoopbackInstaller(session)
    installer.type_folder(folder)
    installer.press(IDC_INSTALL)
    wait_until(lambda: standin.written_values(flow.download) == ["0"], "the package's 0")
    installer.answer(installer.question(), BOX_YES, "是")
    check(installer.ended(), "是 did not end the installer")
    standin.acknowledge(flow.download, 1)
    wait_until(lambda: standin.written_values(flow.download) == ["0", "5"],
               "the package to go on after the installer ended")
    standin.quit(flow.download)
    wait_until(lambda: flow.report("end"), "the package to end")
    flow.clear()

    flow.serve("instant-100")
    for run in ("close", "run", "run without launcher", "run without shell"):
        installer = LoopbackInstaller(session)
        installer.install(FINISHED, "the Finished screen", folder)
        if run == "close":
            installer.close_at_once("Finished")
            continue
        if run == "run without launcher":
            launcher.unlink()
        starts = len(standin.launcher_starts(launcher.parent))
        with UnreachableShell(session) if run == "run without shell" else contextlib.nullcontext():
            installer.press(IDC_RUN)
            check(installer.ended(), f"{run}: the installer did not end")
        if run == "run":
            start = wait_until(lambda: standin.launcher_starts(launcher.parent)[starts:],
                               "the launcher to start")[0]
            check_from_desktop([launcher.name, start["parent"], str(start["parent_pid"]),
                                str(start["desktop_pid"])], "the launcher")
            check(start["working_folder"].lower() == folder.lower(),
                  f"the launcher runs in {start['working_folder']}, not in {folder}")
        else:
            time.sleep(2)
            check(len(standin.launcher_starts(launcher.parent)) == starts, f"{run}: a launcher started")
        flow.clear()


CASES = {"commands-ready": case_ready, "commands-download": case_download,
         "commands-failed": case_failed, "commands-finished": case_finished}


if __name__ == "__main__":
    sys.exit(main(CASES))
