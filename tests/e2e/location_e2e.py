#!/usr/bin/env python3
"""End-to-end checks of the install folder on the real InkvaneSetup.exe under Wine, driven
with real mouse and keyboard input: the folder field, the folder browser and the install
command's checks with their notices. A folder that passes begins the install (whose download
from the shipped build's origin fails here); a new installer then goes on with the checks.

    location_e2e.py BUILD_DIR CASE      CASE: location-checks | location-notices | location-browse

The test prefix has a drive of every type Wine can make (tests/wine-run.sh): D: floppy,
E: cdrom, F: network, G: and T: fixed disks, Q: unmapped. The free-space checks mount a small
tmpfs on T:'s folder, where the host allows it.
"""
import subprocess
import sys
import time
from contextlib import contextmanager
from pathlib import Path

import e2e_session
from e2e_session import check, main, visible_ids
from installer_e2e import READY_IDS

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "vendor"))
import package_contract as contract  # noqa: E402

NOT_LOCAL = "请选择本地磁盘路径进行安装"
NO_SPACE = "当前所选磁盘内存不足，请重新选择安装路径"
TOO_LONG = "安装路径过长，请重新选择安装路径"
IDC_INSTALL, IDC_CHANGE_DIR, IDC_PROGRESS = 10002, 10005, 10042
NOTICE_CLOSE, NOTICE_OK, NOTICE_LABEL = 10110, 10112, 10100


class Installer(e2e_session.Installer):
    """One running installer on the Ready screen, and the install command's notices."""

    def press_install(self, folder, expected, shot=None):
        """Presses install with FOLDER in the field and checks what follows: the notice
        EXPECTED, dismissed with its button, then no second notice and the Ready screen with
        the folder field as it was; or (None) no notice and the install under way, after which
        a new installer takes this one's place."""
        self.click(self.window, IDC_INSTALL)
        notice = self.wait_dialog(NOTICE_CLOSE, timeout=5 if expected else 1)
        if expected is None:
            check(notice is None, f"a notice for {folder!r}")
            end = time.time() + 10
            while IDC_PROGRESS not in visible_ids(self.refresh()):
                check(time.time() < end, f"the install did not begin with {folder!r}")
                time.sleep(0.2)
            self.restart()
            return
        check(notice is not None, f"no notice for {folder!r}")
        texts = [c["text"] for c in notice["children"] if c["id"] == NOTICE_LABEL]
        check(texts == ["提示", expected], f"notice for {folder!r} says {texts}")
        if shot:
            time.sleep(0.5)  # let it paint
            self.session.screenshot(shot)
        self.click(notice, NOTICE_OK)
        check(self.wait_dialog(NOTICE_CLOSE, present=False), "the notice did not close")
        check(self.wait_dialog(NOTICE_CLOSE, timeout=0.6) is None,
              f"a second notice for {folder!r}")
        check(self.field()["text"] == folder, "the install command changed the folder field")
        check(visible_ids(self.window) == READY_IDS,
              f"the screen changed after install with {folder!r}")

    def check_folder(self, text, expected, shot=None):
        """Types TEXT, redraws the whole window (the field keeps the typing and its caret),
        then presses install."""
        self.type_folder(text)
        self.session.inspect("--redraw")
        time.sleep(0.3)
        field = self.field()
        check(field["text"] == text, f"typed {text!r}, the field shows {field['text']!r} after a redraw")
        check(field["sel"] == [len(text), len(text)], f"the caret moved to {field['sel']} after a redraw")
        self.press_install(text, expected, shot)


@contextmanager
def small_drive(session, size):
    """T:'s folder with a tmpfs of SIZE mounted on it while the block runs; None where the
    host does not allow mounting (the reason is printed)."""
    folder = session.build / "wine" / f"dpi{session.dpi}" / "drives" / "t"
    mount = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "inkvane-t", str(folder)],
                           capture_output=True, text=True)
    if mount.returncode != 0:
        print(f"free space on a real drive not checked: cannot mount a tmpfs on {folder}: "
              f"{mount.stderr.strip()}")
        yield None
        return
    try:
        yield folder
    finally:
        if subprocess.run(["umount", str(folder)]).returncode != 0:
            subprocess.run(["umount", "-l", str(folder)])


def long_folder(drive, length):
    return drive + "\\" + "a" * (length - len(drive) - 1)


def check_space(installer, shot=None):
    """T: with exactly 81 MiB free passes; one page less is refused."""
    with small_drive(installer.session, "81m") as folder:
        if folder:
            installer.check_folder("T:\\Inkvane", None)
            (folder / "fill").write_bytes(b"x")  # takes one page of the file system
            installer.check_folder("T:\\Inkvane", NO_SPACE, shot)


def case_checks(session):
    installer = Installer(session)
    dpi = session.dpi
    installer.check_folder("C:", None)
    installer.check_folder("G:\\Inkvane", None)
    installer.check_folder("D:\\Inkvane", NOT_LOCAL, f"notice-not-local-dpi{dpi}")  # floppy
    for folder in ["E:\\Inkvane", "F:\\Inkvane", "Q:\\Inkvane", "\\\\server\\share\\Inkvane", ""]:
        installer.check_folder(folder, NOT_LOCAL)
    installer.check_folder(long_folder("C:", 243), None)
    # Too long is said first, even on a drive that the next check refuses.
    installer.check_folder(long_folder("F:", 244), TOO_LONG, f"notice-too-long-dpi{dpi}")
    check_space(installer, f"notice-no-space-dpi{dpi}")
    session.close_all()


def case_notices(session):
    installer = Installer(session)
    dpi = session.dpi
    installer.check_folder("F:\\Inkvane", NOT_LOCAL, f"notice-not-local-dpi{dpi}")
    installer.check_folder(long_folder("C:", 244), TOO_LONG, f"notice-too-long-dpi{dpi}")
    check_space(installer, f"notice-no-space-dpi{dpi}")
    session.close_all()


def case_browse(session):
    installer = Installer(session)
    (session.build / "wine" / f"dpi{session.dpi}" / "drive_c" / "Tools").mkdir(exist_ok=True)

    def browse(keys, shot=None):
        """Opens the folder browser with the change button and walks its tree with the
        keyboard: KEYS, key names, and texts to type ("type:TEXT") into the tree's
        type-ahead. Returns the folder field's text once the browser has closed."""
        installer.click(installer.window, IDC_CHANGE_DIR)
        browser = installer.wait_dialog("SysTreeView32")
        check(browser is not None, "the folder browser did not open")
        if shot:
            session.screenshot(shot)
        tree = next(c for c in browser["children"] if c["class"] == "SysTreeView32")
        installer.click(browser, tree["id"], dx=8, dy=tree["rect"][3] - 8)  # focus, below the items
        for key in keys:
            if key.startswith("type:"):
                time.sleep(0.6)  # past the type-ahead's pause, and the last expansion
                installer.xdotool("type", "--delay", "30", key[5:])
            else:
                time.sleep(0.15)
                installer.xdotool("key", key)
        check(installer.wait_dialog("SysTreeView32", present=False), "the folder browser stayed open")
        time.sleep(0.5)
        return installer.field()["text"]

    # Desktop, then My Computer opened, then its first drive, C:. (The drives' labels start
    # with a blank, which the tree's type-ahead does not take.)
    to_drive_c = ["Home", "type:My", "Right", "Right"]
    name = contract.kBrowseFolderName
    chosen = browse(to_drive_c + ["Right", "type:Tools", "Return"], f"browser-dpi{session.dpi}")
    check(chosen == "C:\\Tools" + name, f"a folder chosen in the browser gives {chosen!r}")
    chosen = browse(to_drive_c + ["Return"])
    check(chosen == "C:\\" + name, f"a drive root chosen in the browser gives {chosen!r}")
    kept = browse(to_drive_c + ["Escape"])
    check(kept == chosen, f"cancelling the browser changed the field to {kept!r}")
    # The browser's choice is what the checks read.
    installer.press_install(kept, None)
    session.close_all()


CASES = {"location-checks": case_checks, "location-notices": case_notices,
         "location-browse": case_browse}


if __name__ == "__main__":
    sys.exit(main(CASES))
