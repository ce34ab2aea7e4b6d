#!/usr/bin/env python3
"""DLLs planted beside the installer, named like the system DLLs it loads at run time, with
Wine told to prefer them to its own: a program that loads those names bare loads every one of
them, the installer none while it answers a screen reader (which makes it load oleacc.dll) and
installs through to Finished.

    dll_planting_e2e.py BUILD_DIR planted-dlls

Each planted DLL appends the path of the program that loaded it to NAME.loaded beside itself.
"""
import shutil
import sys

from e2e_session import Failure, check, main
from flow_e2e import FINISHED, IDC_INSTALL, LOOPBACK, Flow, FlowInstaller

# The DLLs that the installer loads itself (oleacc.dll when a screen reader asks), then some
# that Windows' own DLLs load on its behalf once it runs (themes, picture decoding, TLS, name
# lookup): none of them is a Known DLL.
PLANTED = ["gdiplus.dll", "urlmon.dll", "wininet.dll", "oleacc.dll", "uxtheme.dll",
           "windowscodecs.dll", "propsys.dll", "secur32.dll", "schannel.dll", "crypt32.dll",
           "bcrypt.dll", "dnsapi.dll", "iphlpapi.dll"]


def case_planted_dlls(session):
    folder = session.build / "dll-planting"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir()
    for name in PLANTED:
        shutil.copy(session.build / "tests" / "inkvane_planted_dll.dll", folder / name)
    for program in (session.build / LOOPBACK, session.build / "tests" / "inkvane_bare_loader.exe"):
        shutil.copy(program, folder)
    session.env["WINEDLLOVERRIDES"] = ",".join(n.removesuffix(".dll") for n in PLANTED) + "=n,b"

    def loaded():
        return {name: (folder / f"{name}.loaded").read_text("utf-16-le").split()
                for name in PLANTED if (folder / f"{name}.loaded").exists()}

    # Without the fix: the names loaded bare find the planted DLLs.
    session.start_installer(*PLANTED, exe=f"{folder.name}/inkvane_bare_loader.exe").wait(timeout=60)
    found = loaded()
    check(sorted(found) == sorted(PLANTED),
          f"the bare loader loaded only {sorted(found)} of the planted DLLs")
    for name in PLANTED:
        (folder / f"{name}.loaded").unlink()

    # With it: a whole install, through to Finished.
    flow = Flow(session)
    flow.serve("instant-100")
    try:
        installer = FlowInstaller(session, exe=f"{folder.name}/{LOOPBACK}")
        # A screen reader's question: the installer loads oleacc.dll to answer it.
        session.inspect("--accessible")
        modules = [m.lower() for m in session.inspect("--modules")[0]["modules"]]
        check("c:\\windows\\system32\\oleacc.dll" in modules,
              "the installer did not load oleacc.dll from the system folder to answer a screen reader")
        installer.press(IDC_INSTALL)
        installer.wait_look(lambda ids, bar: ids == FINISHED, "the Finished screen",
                            name="dll-planting-finished")
        check(len(flow.report("start")) == 1, "the package did not run once")
        session.close_all()
    except Exception as error:  # a planted DLL may break the window in any way: say which
        raise Failure(f"{type(error).__name__}: {error}; planted DLLs loaded: "
                      f"{loaded() or 'none'}") from None
    check(not loaded(), f"the installer loaded planted DLLs: {loaded()}")
    shutil.rmtree(folder)


if __name__ == "__main__":
    sys.exit(main({"planted-dlls": case_planted_dlls}))
