#!/usr/bin/env python3
"""End-to-end checks of the installer window's commands on the real program under Wine,
driven with real clicks and keys: the close button and its question, the keyboard filter,
the agreement box, the licence link.

    commands_e2e.py BUILD_DIR CASE      CASE: commands-ready

Links are seen through the test prefix's browser recorder (tests/browser-recorder.sh), which
appends each address it is asked to open to browser.log in the prefix.
"""
import re
import sys
import time

from e2e_session import check, main, muldiv, near
from installer_e2e import READY_IDS, children_by_id
from location_e2e import NOT_LOCAL, Installer

IDC_CLOSE, IDC_INSTALL, IDC_AGREE, IDC_LICENSE = 10001, 10002, 10003, 10004
BOX_CLOSE, BOX_YES, BOX_NO, BOX_LABEL = 10110, 10111, 10112, 10100
QUESTION = "您确定中止安装吗？"
RED, DISABLED = (231, 75, 63), (197, 205, 223)


def compiled_origin(session):
    """The vendor origin compiled into the build's InkvaneSetup.exe."""
    cache = (session.build / "CMakeCache.txt").read_text()
    return re.search(r"^INKVANE_VENDOR_ORIGIN:STRING=(.*)$", cache, re.M).group(1)


class Browser:
    """The addresses the prefix's browser was asked to open since this object was made."""

    def __init__(self, session):
        self.log = session.build / "wine" / f"dpi{session.dpi}" / "browser.log"
        self.start = self.log.stat().st_size if self.log.exists() else 0

    def opened(self, timeout=0.0):
        end = time.time() + timeout
        while True:
            text = self.log.read_bytes()[self.start:].decode() if self.log.exists() else ""
            if text or time.time() >= end:
                return text.split()
            time.sleep(0.1)


class Commands(Installer):
    """An installer on the Ready screen with the helpers these checks share."""

    def ended(self, timeout=10):
        """Whether the installer's process has ended (within TIMEOUT s)."""
        try:
            self.session.programs[-1].wait(timeout=timeout)
            return True
        except Exception:  # still running
            return False

    def screen(self, name="commands"):
        """The installer window as it is now, and a screenshot of it, kept as NAME."""
        windows = self.session.inspect()
        check(len(windows) == 1, f"{len(windows)} installer windows")
        self.window = windows[0]
        return self.window, self.session.screenshot(f"{name}-dpi{self.session.dpi}")

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
        """The Ready screen as it was: no dialog, the folder field and the agreement kept."""
        check(self.wait_dialog(BOX_CLOSE, timeout=0.6) is None, f"{what}: a dialog came up")
        check(self.wait_dialog("SysTreeView32", timeout=0.1) is None, f"{what}: the folder browser opened")
        window, screen = self.screen()
        visible = {c["id"] for c in window["children"] if c["visible"]}
        check(visible == READY_IDS, f"{what}: the screen changed to {sorted(visible)}")
        check(self.field()["text"] == folder, f"{what}: the folder field changed")
        check(self.agreed(screen), f"{what}: the agreement changed")

    def press_dropped_keys(self, folder, where):
        self.xdotool("key", "--delay", "60", "Escape", "Return", "space")
        time.sleep(0.3)
        self.check_unchanged(folder, f"Escape, Enter and Space with the focus on {where}")

    def question(self):
        """Clicks the close button and returns the question box, checked."""
        self.click(self.window, IDC_CLOSE)
        box = self.wait_dialog(BOX_YES)
        check(box is not None, "the close button asked nothing")
        texts = [c["text"] for c in box["children"] if c["id"] == BOX_LABEL]
        check(texts == ["提示", QUESTION], f"the question says {texts}")
        return box

    def answer(self, box, button, what):
        self.click(box, button)
        check(self.wait_dialog(BOX_YES, present=False), f"{what} did not end the question")


def case_ready(session):
    """Everything the Ready screen offers, in one run: the keys, the agreement, the licence
    link, the question with each of its answers; then Alt+F4 on a second installer."""
    installer = Commands(session)
    folder = "F:\\Inkvane"  # a network drive: an install command shows its notice at once
    installer.type_folder(folder)

    # In the folder field the keys reach the field (the x is typed), yet do nothing.
    installer.xdotool("key", "--delay", "60", "Escape", "Return", "space", "x")
    time.sleep(0.3)
    check(installer.field()["text"] == folder + "x",
          f"keys in the folder field give {installer.field()['text']!r}")
    installer.xdotool("key", "BackSpace")
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

    # The licence link opens the licence page and leaves the window as it is.
    browser = Browser(session)
    installer.click(installer.window, IDC_LICENSE)
    opened = browser.opened(timeout=10)
    licence = compiled_origin(session) + "/license-agreement.html"
    check(opened == [licence], f"the licence link opened {opened}, expected {licence}")
    installer.check_unchanged(folder, "the licence link")

    # The question: 否 and the box's own close button keep the installer, 是 ends it.
    installer.answer(installer.question(), BOX_NO, "否")
    installer.check_unchanged(folder, "否")
    installer.press_dropped_keys(folder, "the close button")
    installer.answer(installer.question(), BOX_CLOSE, "the question's close button")
    installer.check_unchanged(folder, "the question's close button")
    installer.answer(installer.question(), BOX_YES, "是")
    check(installer.ended(), "是 did not end the installer")

    # Alt+F4 is not filtered: it closes a second installer without a question.
    second = Commands(session)
    second.xdotool("key", "alt+F4")
    check(second.ended(), "Alt+F4 did not end the installer")


CASES = {"commands-ready": case_ready}


if __name__ == "__main__":
    sys.exit(main(CASES))
