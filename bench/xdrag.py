#!/usr/bin/env python3
"""Drags with the X pointer as xdotool does (the XTEST extension), timestamping
each move, for scripts/measure-mixer.

    xdrag.py X Y STEPS ROUNDS [INTERVAL_MS [SETTLE_MS]]

Presses button 1 at (X, Y), then moves the pointer one pixel at a time STEPS
pixels up and STEPS back down, ROUNDS times, a move every INTERVAL_MS (default
60, jittered by up to a third so the moves do not keep step with the mixer's
50 ms meter passes), and releases. Prints one line per move: "TIME_US Y", the
time CLOCK_MONOTONIC_RAW in microseconds (Wine's performance counter, so the
driver's frame times compare directly) just before the move was sent, taken
once the X server had handled everything before it. Between the press and the
first move the pointer rests SETTLE_MS (default 500): a long rest makes the
first move the first the mixer gets after a quiet time.
"""
import ctypes
import random
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]


def now_us():
    return int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1e6)


def main():
    x, y, steps, rounds = (int(a) for a in sys.argv[1:5])
    interval = (int(sys.argv[5]) if len(sys.argv) > 5 else 60) / 1000.0
    settle = (int(sys.argv[6]) if len(sys.argv) > 6 else 500) / 1000.0
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("xdrag: cannot open the display")
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    x11.XSync(display, 0)
    time.sleep(settle)  # the press sets up the drag; it is not measured
    path = [y - s for s in range(1, steps + 1)] + [y - s for s in range(steps - 1, -1, -1)]
    for _ in range(rounds):
        for row in path:
            time.sleep(interval * random.uniform(0.67, 1.33))
            x11.XSync(display, 0)
            sent = now_us()
            xtst.XTestFakeMotionEvent(display, -1, x, row, 0)
            x11.XSync(display, 0)
            print(sent, row, flush=True)
    xtst.XTestFakeButtonEvent(display, 1, 0, 0)
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


main()
