#!/usr/bin/python3
"""The verdict through AT-SPI on a virtual X server and session bus of its own: a match with the focus in the digest
box, a mismatch with it in the file-name box, each told within a second by the focused box's description and the
window's name; the window a frame, the mark named by it.  atspi_test.py <pellwick>"""
import ctypes, hashlib, os, pathlib, shutil, subprocess, sys, tempfile, time

if "PELLWICK_WORK" not in os.environ:  # Xvfb names its display once it takes connections
    work, (read, write) = tempfile.mkdtemp(), os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp", "-noreset"], pass_fds=(write,))
    os.close(write)
    env = {k: v for k, v in os.environ.items() if k not in ("AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS")}
    env.update(PELLWICK_WORK=work, DISPLAY=":" + os.fdopen(read).readline().strip(), HOME=work,
               XDG_CONFIG_HOME=work, XDG_RUNTIME_DIR=work, GSETTINGS_BACKEND="memory", QT_QPA_PLATFORM="xcb")
    code = subprocess.call(["dbus-run-session", sys.executable, __file__, sys.argv[1]], env=env)
    xvfb.terminate()
    shutil.rmtree(work)
    sys.exit(code)

import pyatspi  # on the test's own bus, where its first use starts AT-SPI
from gi.repository import GLib

events, failures = [], []
def until(condition, seconds=5.0):
    end = time.monotonic() + seconds
    while not condition() and time.monotonic() < end:
        GLib.MainContext.default().iteration(False) or time.sleep(0.005)
    return condition()
def check(what, ok):
    print(("PASS: " if ok else "FAIL: ") + what, flush=True)
    ok or failures.append(what)
heard = lambda e: events.append((e.source.getRoleName(), e.source.getState().contains(pyatspi.STATE_FOCUSED),
                                 e.source.name, e.source.description))

# Qt sends only the events that a listener had asked for when it connected.
pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-description",
                                       "object:property-change:accessible-name")
program = subprocess.Popen([sys.argv[1]], env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
try:
    apps = lambda: [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Pellwick" and a.childCount]
    until(apps, 20)
    frame = apps()[0][0]
    check("the window is a frame", frame.getRoleName() == "frame")
    boxes = {o.name: o for o in pyatspi.findAllDescendants(frame, lambda o: o.getRoleName() == "text")}
    x11 = ctypes.CDLL("libX11.so.6")  # the X input focus, as a window manager would give it
    x11.XOpenDisplay.restype = ctypes.c_void_p
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    x11.XSetInputFocus(display, ctypes.c_ulong(int(tree.split('"Pellwick"')[0].split()[-1], 16)), 2, 0)
    x11.XCloseDisplay(display)
    for match, focus in ((True, boxes["MD5:"]), (False, boxes["File:"])):
        focus.queryComponent().grabFocus()
        check("the box has the focus", until(lambda: focus.getState().contains(pyatspi.STATE_FOCUSED)))
        folder = pathlib.Path(os.environ["HOME"], str(match))
        folder.mkdir()
        (folder / "foo.tar.gz").write_text("hello")
        (folder / "SHA256SUMS").write_text(hashlib.sha256(b"hello" if match else b"").hexdigest() + "  foo.tar.gz\n")
        said = ("matches" if match else "DOES NOT MATCH") + " SHA256SUMS (SHA-256)"
        events.clear()
        asked = time.monotonic()
        boxes["File:"].queryEditableText().setTextContents(str(folder / "foo.tar.gz"))
        spoken = lambda: ("text", True, focus.name, f"The package {said}.") in events
        renamed = lambda: ("frame", False, f"Pellwick \u2013 {said}", "") in events
        check(said + " told within a second", until(lambda: spoken() and renamed(), asked + 1 - time.monotonic()))
        marks = pyatspi.findAllDescendants(boxes["MD5:"], lambda o: o.getRoleName() == "push button")
        check("the mark is named by it", [m.name for m in marks] == [f"The package {said}."])
finally:
    program.terminate()
    program.wait()
sys.exit(1 if failures else 0)
