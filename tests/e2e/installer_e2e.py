#!/usr/bin/env python3
"""End-to-end checks of the real InkvaneSetup.exe under Wine, driven from outside.

    installer_e2e.py BUILD_DIR CASE      CASE: ready | two-instances

The session (e2e_session.py) runs the program at the DPI of INKVANE_DPI; the windows are
inspected with the inkvane_inspect helper and by screenshot.
"""
import sys

from e2e_session import check, children_by_id, main, muldiv, near

READY_IDS = {10001, 10021, 10002, 10003, 10022, 10004, 10023, 10041, 10005}


def check_ready_window(window, dpi, screen):
    H = lambda v: muldiv(v, dpi)  # noqa: E731  (both axes share the DPI here)
    x, y, w, h = window["rect"]
    check((w, h) == (H(600), H(400)), f"window is {w} x {h}, expected {H(600)} x {H(400)}")
    wl, wt, ww, wh = window["work"]
    check((x, y) == (wl + ww // 2 - w // 2, wt + wh // 2 - h // 2),
          f"window at ({x}, {y}) is not centred in the work area {window['work']}")
    style = window["style"] & 0xFFFFFFFF
    check(style & 0x00C00000 == 0, "window has a caption")
    check(style & 0x00800000 == 0 and style & 0x00400000 == 0, "window has a border")
    check(window["exstyle"] & 0x00040000, "window has no taskbar button (WS_EX_APPWINDOW)")
    check(window["client"][2:] == [H(600), H(400)], "client area is not the whole window")

    controls = children_by_id(window)
    visible = {cid for cid, c in controls.items() if c["visible"]}
    check(visible == READY_IDS, f"visible controls {sorted(visible)}, expected {sorted(READY_IDS)}")
    check(len(window["children"]) == 22, f"{len(window['children'])} controls, expected 22")

    expected = {
        10001: [H(566), H(20), H(14), H(14)],
        10002: [H(220), H(210), H(160), H(40)],
        10042: [H(40), H(364), H(520), H(10)],
        10003: [H(20), H(280), H(14), H(14)],
    }
    for cid, rect in expected.items():
        check(controls[cid]["rect"] == rect, f"control {cid} at {controls[cid]['rect']}, expected {rect}")
    check(controls[10021]["text"] == "Inkvane" and controls[10002]["text"] == "安装",
          "texts of the title or the install button")

    # The row "install to" | folder field | "change" follows the label's width.
    label, field, change = controls[10023]["rect"], controls[10041]["rect"], controls[10005]["rect"]
    check(field[0] == label[0] + label[2] + H(5), "folder field is not 5 right of its label")
    check(change[0] == field[0] + field[2] + H(5), "change button is not 5 right of the field")

    # Pixels: the check box shows its green tick; the install button its enabled red outline.
    bx, by, bw, bh = controls[10003]["rect"]
    box = [screen.at(x + bx + i, y + by + j) for i in range(bw) for j in range(bh)]
    check(any(g > 120 and g > r + 40 and g > b + 20 for r, g, b in box), "check box is not checked")
    ix, iy, iw, ih = controls[10002]["rect"]
    outline = [screen.at(x + ix + iw // 2, y + iy + j) for j in range(0, H(4))]
    check(any(near(c, (231, 75, 63), 40) for c in outline), f"install button outline {outline}")
    # The title's glyphs are drawn in dark grey over the pale background.
    tx, ty, tw, th = controls[10021]["rect"]
    title = [screen.at(x + tx + i, y + ty + j) for i in range(tw) for j in range(th)]
    check(sum(1 for c in title if max(c) < 120) > tw, "the title text is not drawn")


def case_ready(session):
    session.start_installer("/S", "--install-dir", "D:\\elsewhere")  # arguments are ignored
    window = session.wait_for_windows(1)[0]
    screen = session.screenshot(f"ready-dpi{session.dpi}")
    check(window["dpi"] == session.dpi, f"the prefix runs at {window['dpi']} DPI")
    check_ready_window(window, session.dpi, screen)
    session.close_all()


def case_two_instances(session):
    session.start_installer()
    session.wait_for_windows(1)
    session.start_installer()
    windows = session.wait_for_windows(2)
    check(len(windows) == 2, f"{len(windows)} installer windows, expected 2")
    session.screenshot(f"two-instances-dpi{session.dpi}")
    for window in windows:
        check({c["id"] for c in window["children"] if c["visible"]} == READY_IDS,
              "an instance does not show the Ready screen")
    session.close_all()


CASES = {"ready": case_ready, "two-instances": case_two_instances}


if __name__ == "__main__":
    sys.exit(main(CASES))
