#!/usr/bin/env python3
"""What a screen reader learns of the real InkvaneSetup.exe under Wine, asked from another
process as a screen reader asks (AccessibleObjectFromWindow with OBJID_CLIENT, through the
inkvane_inspect helper), with real clicks beside it.

    accessibility_e2e.py BUILD_DIR accessible-ready

One grouped walk over the Ready screen: oleacc.dll not loaded until the first question, then
from the system folder; each control's name, role, state and default action; the agreement
box's state before and after a click and after its default action, with the state-change
events; the install button unavailable while the agreement is unticked, its default action
then doing nothing; and the default actions of the install button, the close button and the
licence link doing what a click on them does.
"""
import sys
import time

from commands_e2e import BOX_NO, QUESTION, Browser, ReadyInstaller, compiled_origin
from e2e_session import check, children_by_id, main
from location_e2e import NOT_LOCAL, NOTICE_CLOSE, NOTICE_LABEL, NOTICE_OK

IDC_CLOSE, IDC_INSTALL, IDC_AGREE, IDC_LICENSE, IDC_CHANGE_DIR = 10001, 10002, 10003, 10004, 10005
IDC_FOLDER, IDC_RUN, IDC_RETRY = 10041, 10007, 10008
# Roles and state bits (oleacc.h).
PUSH_BUTTON, CHECK_BUTTON, LINK, TEXT = 0x2B, 0x2C, 0x1E, 0x2A
UNAVAILABLE, CHECKED, INVISIBLE, FOCUSABLE, LINKED = 0x1, 0x10, 0x8000, 0x100000, 0x400000
OK, NO_ACTION = "00000000", "80020003"  # S_OK, DISP_E_MEMBERNOTFOUND

# What a screen reader hears of each control of the Ready screen: name, role, default action
# (the agreement box's while it is ticked).
READY = {
    IDC_CLOSE: ("关闭", PUSH_BUTTON, "按下"),
    IDC_INSTALL: ("安装", PUSH_BUTTON, "按下"),
    IDC_CHANGE_DIR: ("更改", PUSH_BUTTON, "按下"),
    IDC_AGREE: ("已阅读并同意许可协议", CHECK_BUTTON, "取消选中"),
    IDC_LICENSE: ("许可协议", LINK, "跳转"),
}


class Reader:
    """The screen reader: asks the installer's window from another process."""

    def __init__(self, session):
        self.session = session

    def controls(self):
        """Each child of the installer window as a screen reader reads it ({"acc": ...}), the
        folder field's text field under 10041's "inner"."""
        windows = self.session.inspect("--accessible")
        check(len(windows) == 1, f"{len(windows)} installer windows")
        return children_by_id(windows[0])

    def read(self, control_id):
        return self.controls()[control_id]["acc"]

    def state(self, control_id):
        state = self.read(control_id)["state"]
        check(state is not None, f"no state for {control_id}")
        return state

    def press(self, control_id, wait_ms=1000):
        """The default action of a control: its result and the controls whose state changed
        within WAIT_MS ms."""
        result = self.session.inspect("--default-action", str(control_id), str(wait_ms))
        check(len(result) == 1, f"the default action reached {len(result)} installer windows")
        check(result[0]["hook"], "no state-change events can be heard")
        return result[0]["hr"], result[0]["events"]

    def oleacc(self):
        """The paths of oleacc.dll loaded in the installer's process (lower case)."""
        modules = self.session.inspect("--modules")
        check(len(modules) == 1 and modules[0]["modules"], f"the installer's modules: {modules}")
        return [m.lower() for m in modules[0]["modules"] if m.lower().endswith("\\oleacc.dll")]


def check_ready(reader, folder):
    """Every actionable control of the Ready screen: name, role, state, default action."""
    controls = reader.controls()
    for control_id, (name, role, action) in READY.items():
        acc = controls[control_id]["acc"]
        what = f"control {control_id}"
        check(acc["name"] == name, f"{what} is named {acc['name']!r}, not {name!r}")
        check(acc["role"] == role, f"{what} has the role {acc['role']}, not {role}")
        check(acc["action"] == action, f"{what}'s default action is {acc['action']!r}, not {action!r}")
        state = acc["state"]
        check(state & FOCUSABLE and not state & (UNAVAILABLE | INVISIBLE),
              f"{what} is not an available, visible, focusable control: state {state:#x}")
        check(bool(state & CHECKED) == (control_id == IDC_AGREE), f"{what}: state {state:#x}")
        check(bool(state & LINKED) == (role == LINK), f"{what}: state {state:#x}")
    field = controls[IDC_FOLDER]["inner"]["acc"]
    check((field["name"], field["role"], field["action"]) == ("安装到", TEXT, None),
          f"the folder field reads as {field}")
    check(field["value"] == folder, f"the folder field's value is {field['value']!r}, not {folder!r}")
    check(not field["state"] & (UNAVAILABLE | INVISIBLE), f"the folder field's state {field['state']:#x}")
    # Controls of the other screens are there, hidden, and say so.
    for control_id in (IDC_RUN, IDC_RETRY):
        check(controls[control_id]["acc"]["state"] & INVISIBLE, f"hidden {control_id} is not invisible")


def case_accessible_ready(session):
    installer = ReadyInstaller(session)
    reader = Reader(session)

    # No accessibility work before a client asks: oleacc.dll is loaded by the first question,
    # and from the system folder.
    check(reader.oleacc() == [], f"oleacc.dll loaded before anyone asked: {reader.oleacc()}")
    folder = "F:\\Inkvane"  # a network drive: the install command shows its notice at once
    installer.type_folder(folder)
    check_ready(reader, folder)
    loaded = reader.oleacc()
    check(loaded == ["c:\\windows\\system32\\oleacc.dll"], f"oleacc.dll loaded as {loaded}")

    # A hidden button is not pressed.
    check(reader.press(IDC_RUN, 0)[0] == NO_ACTION, "the hidden run button's default action acted")

    # The agreement: a click unticks it, and the install button becomes unavailable.
    check(reader.state(IDC_AGREE) & CHECKED, "the agreement does not start ticked")
    installer.click(installer.refresh(), IDC_AGREE)
    time.sleep(0.3)
    check(not reader.state(IDC_AGREE) & CHECKED, "after a click the agreement still reads ticked")
    check(reader.read(IDC_AGREE)["action"] == "选中", "unticked, the box's action is not 选中")
    install = reader.state(IDC_INSTALL)
    check(install & UNAVAILABLE and not install & FOCUSABLE,
          f"unticked, the install button reads as available: state {install:#x}")

    # Unavailable, the install button's default action does nothing.
    hr, events = reader.press(IDC_INSTALL, 1500)
    check(hr == NO_ACTION, f"the unavailable install button's default action answered {hr}")
    check(installer.wait_dialog(NOTICE_CLOSE, timeout=1) is None, "an unavailable install button was pressed")
    check(events == [], f"state changes after pressing an unavailable button: {events}")

    # The box's default action ticks it again, as a click does, and says so.
    hr, events = reader.press(IDC_AGREE)
    check(hr == OK, f"the agreement's default action answered {hr}")
    check(events == [IDC_AGREE, IDC_INSTALL], f"state changes announced: {events}")
    check(reader.state(IDC_AGREE) & CHECKED, "after its default action the agreement reads unticked")
    check(not reader.state(IDC_INSTALL) & UNAVAILABLE, "ticked again, the install button reads unavailable")
    check(installer.agreed(installer.screen("accessible-ticked-again")[1]),
          "after its default action the agreement box does not show its tick")

    # The install button's default action presses it: the install command's notice.
    check(reader.press(IDC_INSTALL, 0)[0] == OK, "the install button's default action failed")
    notice = installer.wait_dialog(NOTICE_CLOSE, timeout=5)
    check(notice is not None, "the install button's default action issued no install command")
    texts = [c["text"] for c in notice["children"] if c["id"] == NOTICE_LABEL]
    check(texts == ["提示", NOT_LOCAL], f"the notice says {texts}")
    installer.click(notice, NOTICE_OK)
    check(installer.wait_dialog(NOTICE_CLOSE, present=False), "the notice did not close")

    # The licence link's default action opens the licence page.
    browser = Browser(session)
    check(reader.press(IDC_LICENSE, 0)[0] == OK, "the licence link's default action failed")
    licence = compiled_origin(session) + "/license-agreement.html"
    opened = browser.opened(timeout=10)
    check(opened == [licence], f"the licence link's default action opened {opened}")

    # The close button's asks the question; 否 keeps the installer.
    check(reader.press(IDC_CLOSE, 0)[0] == OK, "the close button's default action failed")
    box = installer.wait_dialog(BOX_NO)
    check(box is not None, "the close button's default action asked nothing")
    check(QUESTION in [c["text"] for c in box["children"]], "the question is not the close button's")
    installer.click(box, BOX_NO)
    check(installer.wait_dialog(BOX_NO, present=False), "否 did not end the question")
    check_ready(reader, folder)
    session.close_all()


if __name__ == "__main__":
    sys.exit(main({"accessible-ready": case_accessible_ready}))
