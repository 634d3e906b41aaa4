#!/usr/bin/env python3
"""A remote controller over loopback UDP for scripts/measure-remote, and the
arithmetic of its figures. Times are CLOCK_MONOTONIC_RAW in microseconds, the
clock of the simulated driver's frame times and of bench/xdrag.py.

    remoteprobe.py faders PORT COUNT SPACING_MS
        sends COUNT fader messages for mix 1, channel 3, each value new, one
        every SPACING_MS; prints "TIME_US FRACTION" per message, the time
        taken just before it was sent
    remoteprobe.py listen PORT SECONDS [meters]
        registers with /velmora/refresh (and with "meters" asks for the
        meters), then prints "TIME_US ADDRESS VALUE" for every datagram that
        arrives within SECONDS
    remoteprobe.py flood PORT SECONDS RATE
        four controllers send RATE messages a second in all, faders (in dB,
        -60 to +6) and pans of every mix and channel but mix 1's channel 3
        (the one dragged);
        prints "end TIME_US SENT" and the last value sent to each address
    remoteprobe.py refresh PORT
        prints "ADDRESS VALUE" for every value the mixer reports
    remoteprobe.py latency EVENTS ANSWERS
        the time from each event (first column of EVENTS) to the first answer
        ("TIME_US VALUE" lines of ANSWERS) with a new value after it and
        before the next event: a count, p50 and p99 in ms
    remoteprobe.py held FLOOD REFRESH FRAMES
        whether the unit holds each address's last value 100 ms after the
        flood: the values reported against the last ones sent, and each
        mix's last frame by then against the gains those values make
"""
import random
import select
import socket
import struct
import sys
import time

# The dragged fader's mix (0-based) and channel; the flood leaves both alone.
DRAGGED_MIX, DRAGGED_CHANNEL = 0, 2


def now_us():
    return int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1e6)


def padded(text):
    data = text.encode() + b"\0"
    return data + b"\0" * (-len(data) % 4)


def message(address, *args):
    tags, data = ",", b""
    for arg in args:
        if isinstance(arg, float):
            tags, data = tags + "f", data + struct.pack(">f", arg)
        else:
            tags, data = tags + "i", data + struct.pack(">i", arg)
    return padded(address) + padded(tags) + data


def string_at(data, at):
    end = data.index(b"\0", at)
    return data[at:end].decode(), (end + 4) & ~3


def decode_all(data):
    """Every (address, first argument or None) of a message or a bundle."""
    if not data.startswith(b"#bundle\0"):
        return [decode(data)]
    found, at = [], 16
    while at + 4 <= len(data):
        size = struct.unpack_from(">i", data, at)[0]
        found += decode_all(data[at + 4:at + 4 + size])
        at += 4 + size
    return found


def decode(data):
    """(address, first argument or None) of an OSC message."""
    address, at = string_at(data, 0)
    tags, at = string_at(data, at)
    for tag in tags[1:2]:
        if tag in "if":
            return address, struct.unpack_from(">" + tag, data, at)[0]
        if tag in "TF":
            return address, int(tag == "T")
    return address, None


def controller(port):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    sock.connect(("127.0.0.1", port))
    return sock


def as_float32(value):
    return struct.unpack(">f", struct.pack(">f", value))[0]


def faders(port, count, spacing_ms):
    sock = controller(port)
    values = [as_float32(0.3 + 0.6 * i / count) for i in range(count)]
    random.shuffle(values)
    for value in values:
        time.sleep(spacing_ms / 1000.0 * random.uniform(1.0, 1.3))
        sent = now_us()
        sock.send(message("/velmora/mix/1/ch/3/fader", value))
        print(sent, value, flush=True)


def receive(sock, seconds, out):
    end = time.monotonic() + seconds
    while True:
        left = end - time.monotonic()
        if left <= 0 or not select.select([sock], [], [], left)[0]:
            return
        data = sock.recv(65536)
        received = now_us()
        for address, value in decode_all(data):
            out(received, address, value)


def listen(port, seconds, meters):
    sock = controller(port)
    sock.send(message("/velmora/refresh"))
    if meters:
        sock.send(message("/velmora/meters", 1))
    receive(sock, seconds, lambda t, a, v: print(t, a, v, flush=True))
    if meters:
        sock.send(message("/velmora/meters", 0))


def flood_addresses():
    return ["/velmora/mix/%d/ch/%d/%s" % (m + 1, c + 1, kind)
            for m in range(4) for c in range(8) for kind in ("db", "pan")
            if (m, c) != (DRAGGED_MIX, DRAGGED_CHANNEL)]


def flood(port, seconds, rate):
    socks = [controller(port) for _ in range(4)]
    for sock in socks:  # the feedback is not read: a small buffer drops it
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    addresses = flood_addresses()
    last, sent = {}, 0
    start = time.monotonic()
    while True:
        elapsed = time.monotonic() - start
        if elapsed >= seconds:
            break
        for _ in range(int(elapsed * rate) - sent):
            address = random.choice(addresses)
            if address.endswith("pan"):
                value = as_float32(random.uniform(-1.0, 1.0))
            else:
                value = as_float32(random.uniform(-60.0, 6.0))
            socks[sent % 4].send(message(address, value))
            last[address] = value
            sent += 1
        time.sleep(0.002)
    print("end", now_us(), sent)
    for address in sorted(last):
        print(address, repr(last[address]))


def refresh(port):
    sock = controller(port)
    sock.send(message("/velmora/refresh"))
    values = {}
    receive(sock, 1.0, lambda t, a, v: values.__setitem__(a, v))
    for address in sorted(values):
        print(address, repr(values[address]))


def percentile(values, p):
    return values[min(len(values) - 1, int(p / 100.0 * len(values)))]


def latency(events_file, answers_file):
    events = [int(line.split()[0]) for line in open(events_file) if line.strip()]
    answers = [(int(f[0]), f[1]) for f in (line.split() for line in open(answers_file)) if f]
    answers.sort()
    found, unanswered = [], 0
    for i, t in enumerate(events):
        before = [v for (at, v) in answers if at <= t]
        after = next((at for (at, v) in answers if at > t and (not before or v != before[-1])), None)
        following = events[i + 1] if i + 1 < len(events) else None
        if after is None or (following is not None and after > following):
            unanswered += 1
            continue
        found.append((after - t) / 1000.0)
    found.sort()
    if not found:
        print("  none answered (%d events, %d answers)" % (len(events), len(answers)))
        return
    print("  %d of %d answered before the next (%d without a new value of their own by then)" %
          (len(found), len(events), unanswered))
    print("  p50 %.2f   p99 %.2f   min %.2f   max %.2f" %
          (percentile(found, 50), percentile(found, 99), found[0], found[-1]))


def read_pairs(path):
    pairs = {}
    for line in open(path):
        f = line.split()
        if len(f) == 2 and f[0].startswith("/"):
            pairs[f[0]] = float(f[1])
    return pairs


def same_value(address, sent, reported):
    """The mixer keeps a fader's gain and a pan to 16 bits: a few steps of
    1/32767 off is the same value (for a fader, in gain, not in dB)."""
    if address.endswith("/db"):
        sent, reported = 10 ** (sent / 20.0), 10 ** (reported / 20.0)
    return abs(sent - reported) <= 1e-4


def unit_value(gain):
    return int(gain * 32767) & 0xFFFF


def expected_frame(mix, reported):
    """The 34 gains of `mix` (0-based) as the reported values make them."""
    def value(path):
        return reported["/velmora/mix/%d/%s" % (mix + 1, path)]
    soloing = any(value("ch/%d/solo" % (c + 1)) for c in range(8))
    masters = [10 ** (value("master/%s/db" % side) / 20.0) for side in ("left", "right")]
    gains = [0] * 34
    for c in range(8):
        muted = value("ch/%d/mute" % (c + 1)) or (soloing and not value("ch/%d/solo" % (c + 1)))
        fader = 0.0 if muted else 10 ** (value("ch/%d/db" % (c + 1)) / 20.0)
        right = (value("ch/%d/pan" % (c + 1)) + 1.0) / 2.0
        gains[c] = unit_value(fader * (1.0 - right) * masters[0])
        gains[16 + c] = unit_value(fader * right * masters[1])
    gains[32], gains[33] = unit_value(masters[0]), unit_value(masters[1])
    return gains


def held(flood_file, refresh_file, frames_file):
    lines = open(flood_file).read().split("\n")
    end = int(lines[0].split()[1])
    sent, reported = read_pairs(flood_file), read_pairs(refresh_file)
    wrong = [a for a, v in sent.items() if a not in reported or not same_value(a, v, reported[a])]
    print("  %d addresses sent to; the mixer reports another value than the last sent for %d%s" %
          (len(sent), len(wrong), (": " + " ".join(wrong[:4])) if wrong else ""))
    frames, latest = {}, None
    for f in (line.split() for line in open(frames_file)):
        if not f:
            continue
        if int(f[1]) != DRAGGED_MIX:
            latest = max(latest or 0, int(f[0]))
        if int(f[0]) <= end + 100000:
            frames[int(f[1])] = (int(f[0]), [int(g) for g in f[2:36]])
    if latest:
        print("  the flood's last frame (a mix not dragged) came %.1f ms after its last message" %
              ((latest - end) / 1000.0))
    # The drag may go on after the flood: its channel is left out.
    dragged = (DRAGGED_CHANNEL, 16 + DRAGGED_CHANNEL)
    for mix in range(4):
        if mix not in frames:
            print("  mix %d: no frame by 100 ms after the flood" % (mix + 1))
            continue
        at, gains = frames[mix]
        want = expected_frame(mix, reported)
        off = [i for i in range(34)
               if abs(gains[i] - want[i]) > 1 and (mix != DRAGGED_MIX or i not in dragged)]
        print("  mix %d: last frame %.1f ms after the flood's last message; %s" %
              (mix + 1, (at - end) / 1000.0,
               "every gain as the values reported make it" if not off else
               "%d gains differ (slot %d: %d, not %d)" % (len(off), off[0], gains[off[0]], want[off[0]])))


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "faders":
        faders(int(args[0]), int(args[1]), float(args[2]))
    elif command == "listen":
        listen(int(args[0]), float(args[1]), len(args) > 2 and args[2] == "meters")
    elif command == "flood":
        flood(int(args[0]), float(args[1]), int(args[2]))
    elif command == "refresh":
        refresh(int(args[0]))
    elif command == "latency":
        latency(args[0], args[1])
    elif command == "held":
        held(args[0], args[1], args[2])
    else:
        sys.exit(__doc__)


main()
