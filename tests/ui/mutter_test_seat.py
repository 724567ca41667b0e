#!/usr/bin/python3
"""Input for the window's tests under a headless mutter.

mutter's headless backend has no input devices; its remote desktop service
(the one screen-sharing tools use) adds a virtual keyboard and pointer whose
input goes through the compositor as a device's would, with real serials. A
remote desktop session lasts as long as the bus client that made it, so this
program stays, and reads commands from the FIFO FIFO, one a line:

  key CODE...      presses the evdev key codes in order, then releases them
                   in reverse
  press CODE...    presses them and holds them
  release CODE...  releases them
  button CODE      presses and releases the evdev button (272 left)
  move DX DY       moves the pointer by DX, DY pixels (mutter takes no
                   absolute position without a screen cast of its own)

Usage: mutter_test_seat.py FIFO (on the session bus of that mutter)
"""
import os
import sys

from gi.repository import Gio, GLib

SERVICE = "org.gnome.Mutter.RemoteDesktop"


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def call(path, method, signature=None, *args):
        interface = SERVICE + (".Session" if path != "/org/gnome/Mutter/RemoteDesktop" else "")
        parameters = GLib.Variant(signature, args) if signature else None
        return bus.call_sync(SERVICE, path, interface, method, parameters, None,
                             Gio.DBusCallFlags.NONE, -1, None)

    session = call("/org/gnome/Mutter/RemoteDesktop", "CreateSession").unpack()[0]
    call(session, "Start")
    # The virtual devices come with their first event, and a client learns
    # of them a moment later: a Shift tap and a move by nothing make them,
    # before the test's own input.
    call(session, "NotifyKeyboardKeycode", "(ub)", 42, True)
    call(session, "NotifyKeyboardKeycode", "(ub)", 42, False)
    call(session, "NotifyPointerMotionRelative", "(dd)", 0.0, 0.0)

    def keys(codes, press, release):
        if press:
            for code in codes:
                call(session, "NotifyKeyboardKeycode", "(ub)", code, True)
        if release:
            for code in reversed(codes):
                call(session, "NotifyKeyboardKeycode", "(ub)", code, False)

    # Read and write, so that the FIFO never reads as closed between writers.
    fifo = os.fdopen(os.open(sys.argv[1], os.O_RDWR), "r", encoding="utf-8")
    print("mutter test seat: reading", flush=True)
    for line in fifo:
        verb, *args = line.split()
        if verb in ("key", "press", "release"):
            keys([int(a) for a in args], verb != "release", verb != "press")
        elif verb == "button":
            for state in (True, False):
                call(session, "NotifyPointerButton", "(ib)", int(args[0]), state)
        elif verb == "move":
            call(session, "NotifyPointerMotionRelative", "(dd)", float(args[0]), float(args[1]))
        else:
            print("mutter test seat: unknown command", verb, file=sys.stderr, flush=True)


if __name__ == "__main__":
    main()
