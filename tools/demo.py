#!/usr/bin/env python3
"""The demo that tools/run.sh shows: the whole install, on this machine alone.

    demo.py BUILD_DIR watch         the installer on $DISPLAY, for a person to click through;
                                    ends when its window is closed
    demo.py BUILD_DIR screens DIR   drives the install itself on $DISPLAY and saves its four
                                    screens in DIR as PNG files, printing their paths:
                                    Ready, Failed (the server ends the download early),
                                    Installing mid-download (the retry), Finished

The installer is InkvaneSetupDemo.exe, whose compiled origin is the demo's own vendor server
(https://localhost:PORT, this tree's port base + 2), in a Wine prefix of its own
(BUILD_DIR/wine/demo-dpiN, which trusts the tree's test CA from the moment it is made; the
host's trust store is never touched). The server serves the stand-in package, time-paced: the
package arrives in a slow drip over about DOWNLOAD_SECONDS, and the package then takes about a
second per step. Whatever the demo started it stops again, by process id, also when it is
interrupted: the installer's process group, the server, and what Wine still runs in the
demo's own prefix.
"""
import os
import signal
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "tools" / "vendor"))
import e2e_session  # noqa: E402
import package_contract as contract  # noqa: E402
import standin_control as standin  # noqa: E402
from flow_e2e import (FAILED, FINISHED, IDC_INSTALL, IDC_RETRY, INSTALLING,  # noqa: E402
                      FlowInstaller, wait_until)
from installer_e2e import READY_IDS  # noqa: E402
from vendor_client import VendorServer  # noqa: E402

EXE = "InkvaneSetupDemo.exe"
PREFIX = "demo"
DOWNLOAD_SECONDS = 12
DRIP_INTERVAL = 0.05
STEP_MS = 1000


class Stop(Exception):
    """A signal asked the demo to end."""


def on_signal(number, _frame):
    raise Stop(signal.Signals(number).name)


class Demo:
    def __init__(self, build):
        os.environ["INKVANE_PREFIX"] = PREFIX
        self.session = e2e_session.Session(build, int(os.environ.get("INKVANE_DPI", "96")))
        self.build = self.session.build
        self.vendor = VendorServer.for_demo(self.build)
        self.package = self.build / "demo" / contract.kPackageFileName
        self.package.parent.mkdir(parents=True, exist_ok=True)
        standin.make_variant(self.build / "inkvane_standin.exe", self.package, "normal",
                             pace_ms=STEP_MS)
        self.size = self.package.stat().st_size
        # The forced fault: the package's first two fifths, sent under the whole package's
        # length, then the connection is closed. (A TCP reset mid-body would be the obvious
        # fault, but under Wine 8 the URL moniker then often never returns, with or without
        # our progress sink, and the window would stay on Installing.)
        self.cut = self.package.with_name("cut-" + self.package.name)
        self.cut.write_bytes(self.package.read_bytes()[:self.size * 2 // 5])

    def start(self):
        # A demo that ran before left the product installed: each run starts from scratch.
        self.session.reg("delete", "HKLM\\" + contract.kProductKey, "/f")
        download = self.session.host_path("C:\\" + contract.kDownloadFolderName)
        subprocess.run(["rm", "-rf", str(download)], check=True)
        self.vendor.start()
        self.serve()

    def serve(self, cut=False):
        """The package in a slow drip; with CUT, only its first two fifths (see __init__)."""
        chunks = DOWNLOAD_SECONDS / DRIP_INTERVAL
        fault = {}
        if cut:
            fault = {"length": "larger", "length_extra": self.size - self.cut.stat().st_size}
        self.vendor.set(package={"file": str(self.cut if cut else self.package)},
                        drip_interval=DRIP_INTERVAL,
                        drip_bytes=max(1024, int(self.size / chunks)), **fault)

    def stop(self):
        self.session.stop()
        self.vendor.stop()
        # The package and Wine's own services run on in the demo's prefix, which nothing
        # else uses: end them there.
        env = dict(self.session.env, WINEPREFIX=str(self.session.prefix))
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, check=False)

    def watch(self):
        installer = FlowInstaller(self.session, exe=EXE)
        print(f"demo: the installer's window is open on {self.session.env['DISPLAY']}; "
              f"its package comes from {self.vendor.origin} in about {DOWNLOAD_SECONDS} s, "
              "then installs in about 5 s. Close the window to end the demo.", flush=True)
        installer.process.wait()

    def screens(self, folder):
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        dpi = self.session.dpi
        installer = FlowInstaller(self.session, exe=EXE)
        saved = []

        def save(name, look):
            """Saves the window as it looked in LOOK (ids, bar, screen)."""
            x, y, w, h = installer.window["rect"]
            path = folder / f"{name}-dpi{dpi}.png"
            subprocess.run(["convert", "ppm:-", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                            str(path)], input=look[2].ppm, check=True)
            saved.append(path)

        ready = installer.look()
        e2e_session.check(ready[0] == READY_IDS, f"the Ready screen shows {sorted(ready[0])}")
        save("1-ready", ready)

        self.serve(cut=True)
        installer.press(IDC_INSTALL)
        save("3-failed", self.wait(installer, lambda ids, bar: ids == FAILED and bar > 10,
                                   "the Failed screen"))

        self.serve()
        installer.press(IDC_RETRY)
        save("2-installing", self.wait(installer,
                                       lambda ids, bar: ids == INSTALLING and 40 <= bar <= 60,
                                       "the bar halfway through the download"))
        save("4-finished", self.wait(installer, lambda ids, bar: ids == FINISHED,
                                     "the Finished screen", timeout=DOWNLOAD_SECONDS + 60))
        self.session.close_all()
        return sorted(saved)

    @staticmethod
    def wait(installer, accept, what, timeout=60):
        """(ids, bar, screen) once accept(ids, bar) holds."""
        look = []

        def seen():
            look[:] = installer.look()
            return accept(*look[:2])
        try:
            wait_until(seen, what, timeout, interval=0.05)
        except e2e_session.Failure as failure:
            raise e2e_session.Failure(f"{failure}; last seen: controls {sorted(look[0])}, "
                                      f"bar {look[1]:.1f} %") from None
        return look


def main(argv):
    if len(argv) not in (2, 3) or [argv[1], len(argv)] not in (["watch", 2], ["screens", 3]):
        print("usage: demo.py BUILD_DIR watch | demo.py BUILD_DIR screens DIR", file=sys.stderr)
        return 2
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, on_signal)
    demo = Demo(argv[0])
    try:
        demo.start()
        if argv[1] == "watch":
            demo.watch()
        else:
            for path in demo.screens(argv[2]):
                print(path)
    except e2e_session.Failure as failure:
        print(f"demo: FAILED: {failure}", file=sys.stderr)
        return 1
    except Stop as stop:
        print(f"demo: stopped by {stop}", file=sys.stderr)
        return 130
    finally:
        for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(number, signal.SIG_IGN)  # a second signal must not cut the cleanup short
        demo.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
