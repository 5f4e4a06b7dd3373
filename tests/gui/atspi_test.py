#!/usr/bin/python3
"""The verdict as a screen reader hears it: the real program on a virtual X server of its own, with
a session bus of its own and AT-SPI on it, listened to through pyatspi. A match and then a
mismatch arrive, each while a box has the focus (the digest box, then the file-name box): within a
second an event comes from the focused object, or from the window, whose object then says the
verdict; the window is a frame, and the mark in the digest box is named by the verdict.

    atspi_test.py <pellwick>

Debian's /usr/bin/python3, which has pyatspi. The script starts Xvfb, then runs itself again
inside dbus-run-session, so that the bus and the AT-SPI services it starts end with it.
"""
import ctypes
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

PROGRAM = os.path.abspath(sys.argv[1])


def outside():
    """Xvfb (-displayfd: the server names its display once it takes connections), a home of the
    test's own, then the test itself on a bus of its own."""
    work = tempfile.mkdtemp(prefix="pellwick-atspi-")
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "640x480x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as r:
        display = ":" + r.readline().strip()
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    # The bus hands its environment to the services it starts: the AT-SPI registry needs DISPLAY.
    # GSETTINGS_BACKEND=memory keeps the launcher from storing accessibility as switched on.
    env = dict(os.environ, PELLWICK_ATSPI_WORK=work, DISPLAY=display, GSETTINGS_BACKEND="memory",
               XDG_RUNTIME_DIR=runtime, HOME=os.path.join(work, "home"), XDG_CONFIG_HOME=os.path.join(work, "config"))
    for name in ("AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    try:
        return subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), PROGRAM],
                               env=env)
    finally:
        xvfb.terminate()
        xvfb.wait(5)
        shutil.rmtree(work, ignore_errors=True)


if "PELLWICK_ATSPI_WORK" not in os.environ:
    sys.exit(outside())

import pyatspi  # noqa: E402  only on the test's own bus: its first use starts AT-SPI there
from gi.repository import GLib  # noqa: E402

WORK = os.environ["PELLWICK_ATSPI_WORK"]
context = GLib.MainContext.default()
events = []
results = []


def pump_until(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        if not context.iteration(False):
            time.sleep(0.005)
    return condition()


def check(what, ok, info=""):
    results.append(ok)
    print(f"{'PASS' if ok else 'FAIL'}: {what} {info}", flush=True)


def on_event(event):
    try:  # an object may be gone by the time its event is read
        source = event.source
        events.append(dict(type=event.type, role=source.getRoleName(), name=source.name, description=source.description,
                           focused=source.getState().contains(pyatspi.STATE_FOCUSED), at=time.monotonic()))
    except Exception:
        pass


def package(folder, match):
    """foo.tar.gz in a folder of its own, with a SHA256SUMS that lists it rightly or one digit off."""
    os.makedirs(folder)
    with open(os.path.join(folder, "foo.tar.gz"), "wb") as f:
        f.write(b"hello")
    digest = hashlib.sha256(b"hello").hexdigest()
    if not match:
        digest = digest[:63] + ("1" if digest[63] == "0" else "0")
    with open(os.path.join(folder, "SHA256SUMS"), "w") as f:
        f.write(f"{digest}  foo.tar.gz\n")
    return os.path.join(folder, "foo.tar.gz")


def give_x_focus(title):
    """The X input focus to the window, as a window manager would give it (there is none here)."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    window = next((int(line.split()[0], 16) for line in tree.splitlines() if f'"{title}"' in line), None)
    if window is None:
        return False
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    display = x11.XOpenDisplay(None)
    x11.XSetInputFocus(ctypes.c_void_p(display), ctypes.c_ulong(window), 2, 0)  # RevertToParent, CurrentTime
    x11.XCloseDisplay(ctypes.c_void_p(display))
    return True


# Before the program starts: Qt sends only the events that a listener has asked for when it connects.
pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-description",
                                       "object:property-change:accessible-name")
os.makedirs(os.path.join(os.environ["HOME"], "Documents"))
# Forced on, as a screen reader's start switches it on for the programs that start after it.
program = subprocess.Popen([PROGRAM], env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                               QT_QPA_PLATFORM="xcb"))
try:
    app = None

    def started():
        global app
        app = next((a for a in pyatspi.Registry.getDesktop(0)
                    if a is not None and a.name.lower() == "pellwick" and a.childCount > 0), None)
        return app is not None

    check("the program appears to AT-SPI", pump_until(started, 20))
    frame = app[0]
    check("the window is a frame named by its caption", frame.getRoleName() == "frame" and frame.name == "Pellwick",
          f"({frame.getRoleName()} {frame.name!r})")
    boxes = {box.name: box for box in pyatspi.findAllDescendants(frame, lambda o: o.getRoleName() == "text")}
    digest, file_name = boxes["MD5:"], boxes["File:"]
    check("the digest box has the focus once the window has",
          give_x_focus("Pellwick") and pump_until(lambda: digest.getState().contains(pyatspi.STATE_FOCUSED), 5))

    for match, focus in ((True, digest), (False, file_name)):
        said = ("matches" if match else "DOES NOT MATCH") + " SHA256SUMS (SHA-256)"
        sentence, caption = f"The package {said}.", f"Pellwick \u2013 {said}"
        if focus is not digest:
            focus.queryComponent().grabFocus()
            check("the file-name box takes the focus",
                  pump_until(lambda: focus.getState().contains(pyatspi.STATE_FOCUSED), 5))
        events.clear()
        asked = time.monotonic()
        file_name.queryEditableText().setTextContents(package(os.path.join(WORK, "match" if match else "mismatch"),
                                                              match))

        def told(what, found):
            return lambda: next((e for e in events if found(e) and what in e["name"] + e["description"]), None)

        spoken = told(sentence, lambda e: e["focused"] or e["role"] == "frame")
        renamed = told(caption, lambda e: e["role"] == "frame")
        pump_until(lambda: spoken() and renamed(), 1.0)
        for what, hit in (("the focused box's description", spoken), ("the window's new name", renamed)):
            event = hit()
            check(f"{sentence!r}: {what} within a second", event is not None and event["at"] - asked <= 1.0,
                  f"({event['type']} from {event['role']} after {(event['at'] - asked) * 1000:.0f} ms)" if event
                  else f"(heard {[(e['type'], e['role'], e['name'], e['description']) for e in events]})")
        marks = [o for o in pyatspi.findAllDescendants(digest, lambda o: o.getRoleName() == "push button")]
        check(f"{sentence!r}: the mark is named by it", [m.name for m in marks] == [sentence],
              f"({[m.name for m in marks]})")
finally:
    program.terminate()
    program.wait(10)
print(f"{results.count(True)} passed, {results.count(False)} failed")
sys.exit(0 if results and all(results) else 1)
