#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into fuzz/corpus/<target>/.

The seeds are small hand-made inputs that reach each target's main paths; the
fuzzer starts from them. Run it again after changing a target's input format:
    python3 fuzz/makeseeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


# --- settingsfile: the file's bytes -----------------------------------------

def mix_block(mutes=(0,) * 8, solos=(0,) * 8, faders=(0,) * 8, pans=(0x7FFF,) * 8,
              masters=(0xFFFF, 0xFFFF)):
    return bytes(mutes) + bytes(solos) + struct.pack(">8H8H2H", *faders, *pans, *masters)


def settings_seeds():
    header = bytes([1, 1, 8, 8])
    fresh = header + mix_block() * 4
    write("settingsfile", "fresh.kmx", fresh)
    soloed = mix_block(mutes=(1, 0, 0, 0, 0, 0, 0, 1), solos=(0, 1, 0, 1, 0, 0, 0, 0),
                       faders=(0x7FFF, 0xFFFF, 0, 1, 0x4000, 0x8000, 0xFFFE, 12345),
                       pans=(0, 0xFFFF, 1, 0x7FFF, 0x8000, 2, 0xFFFE, 40000),
                       masters=(0x8000, 0))
    write("settingsfile", "solo.kmx", header + soloed + mix_block() + soloed + mix_block())
    # A header this program does not write and flag bytes other than 0 and 1,
    # with bytes past the image.
    odd = bytes([2, 3, 4, 5]) + mix_block(mutes=(2, 0xFF, 1, 0, 0, 0, 0, 0),
                                          solos=(0xFF, 1, 1, 7, 0, 0, 0, 0)) * 4
    write("settingsfile", "oddheader.kmx", odd + b"tail past the image")
    write("settingsfile", "short.kmx", fresh[:100])
    write("settingsfile", "allff.kmx", b"\xff" * 212)


# --- parsevalue: box selector, mix selector value, button press, text ---------
# selector % 6: 0 pan text, 1 fader text, 2 pan, 3 fader, 4 meter status, 5 mute;
# selector // 6 picks the channel. Press: bits 0-2 channel, bit 3 solo, bit 4 on,
# bit 5 pressed while the mixer is off.

def parse_seeds():
    seeds = {
        "pan_left.txt": (0, 0, 0x19, "-32"),
        "pan_beyond.txt": (6, 1, 0x0A, "100"),
        "pan_text.txt": (12, 2, 0x18, "  12.7>"),
        "fader_minus6.txt": (1, 0, 0x12, "-6"),
        "master_huge.txt": (1 + 6 * 8, 3, 0x38, "1e400"),
        "fader_inf.txt": (7, 0, 0x08, "-inf"),
        "fader_exponent.txt": (13, 1, 0x00, " +3.5e1xyz"),
        "knob.txt": (2, 0, 0x1B, "0.25"),
        "meter.txt": (4, 7, 0x13, "0.5"),
    }
    for name, (selector, mix, press, text) in seeds.items():
        write("parsevalue", name, bytes([selector]) + struct.pack("<i", mix) + bytes([press])
              + text.encode())


# --- driver scripts (see fuzz/scripteddevices.h) ------------------------------

def reply(record, status_kind=0, whole=True, count=None):
    """One request's answer: the script byte, its extra fields, the bytes."""
    if not record:
        whole, count = False, 0
    script = status_kind | (0xC0 if whole else 0)
    out = bytes([script])
    if status_kind == 4:
        out += struct.pack("<I", 0x0022)       # a driver status 0xE0000022
    if status_kind == 6:
        out += bytes([1])                     # a system error
    if not whole:
        out += struct.pack("<I", count)
    return out + bytes(record)


def padded(data, size):
    return bytes(data) + bytes(size - len(data))


def name(text):
    return padded(text.encode(), 40)


VERSION_OK = padded([2, 10, 1, 2], 12)


def panel_seeds():
    open_ok = bytes([0]) + reply(VERSION_OK)  # the open, then the version request
    device_list = padded(struct.pack("<3I", 2, 7, 9), 260)
    device_a = struct.pack("<2I", 7, 0) + name("Studio") + padded(b"XT-0001", 384)
    device_b = struct.pack("<2I", 9, 1) + b"A" * 40 + padded(b"XT-0002", 384)
    write("panelreplies", "loaddevices", open_ok + bytes([0, 0]) + reply(device_list)
          + reply(device_a) + reply(device_b) + bytes([2, 5]) + b"Drums" + reply(b"") + reply(b""))
    write("panelreplies", "overcount", open_ok + bytes([0, 0])
          + reply(padded(struct.pack("<I", 1000), 260)))
    sync = struct.pack("<I", 7) + struct.pack("<2I", 2, 1) + name("SYT 1") + struct.pack("<I", 17)
    write("panelreplies", "syncinfo", open_ok + bytes([0, 1]) + reply(padded(struct.pack("<2I", 1, 7), 260))
          + reply(padded(sync, 824)))
    channels = padded(struct.pack("<2I", 1, 100), 1028) + padded(struct.pack("<2I", 1, 200), 1028)
    channel = struct.pack("<3I", 200, 7, 1) + name("Line Out 1") + b"B" * 40
    write("panelreplies", "channels", open_ok + bytes([0, 2, 1]) + reply(channels) + reply(channel))
    rates = struct.pack("<11I", 0, 48000, 9, 44100, 48000, 88200, 96000, 1, 2, 3, 4)
    plug = struct.pack("<13I", 3, 0, 5, 48000, 2, 44100, 48000, 0, 0, 0, 0, 0, 0)
    failed_plug = struct.pack("<13I", 4, 0xE0000072, 0, 0, 30, *([0] * 8))
    streams = struct.pack("<I", 0) + plug + failed_plug + plug + padded(b"", 52)
    write("panelreplies", "gets", open_ok
          + bytes([1, 0, 2]) + reply(rates)
          + bytes([1, 7, 3]) + reply(streams)
          + bytes([1, 0, 8]) + reply(struct.pack("<2I", 0, 1), whole=False, count=6)
          + bytes([1, 0, 7]) + reply(struct.pack("<4I", 2900, 0, 32, 0), status_kind=5)
          + bytes([1, 0, 0]) + reply(b"", status_kind=4)
          + bytes([3]) + open_ok)
    write("panelreplies", "refused", bytes([0]) + reply(padded([3, 0], 12)) + bytes([1, 0, 9]))


def interface(path):
    """Answers to one interface's enumeration, detail size and detail."""
    shape = 0x40 | len(path)
    return bytes([0, shape, shape]) + path.encode()


def engine_seeds():
    opened = bytes([0, 0])                    # the open, then the transfer event
    device_0 = interface("\\\\?\\xtamber#0") + opened + reply(VERSION_OK) + reply(VERSION_OK)
    old_driver = interface("\\\\?\\xtamber#1") + opened + reply(padded([2, 9], 12))
    write("enginereplies", "discover2", bytes([2, 0]) + device_0 + old_driver)
    write("enginereplies", "nodevice", bytes([0, 0]))
    write("enginereplies", "nolist", bytes([1, 0xFF]))
    write("enginereplies", "shortdetail", bytes([1, 0, 0, 0x83]))
    meters = bytes(range(0, 255, 7))[:8] + bytes([255, 128, 1, 0, 200, 100, 50, 25]) + bytes(16) \
        + bytes([0x81, 0x03, 0, 0])
    response = struct.pack("<I", 43) + padded(bytes([0x09, 0xFF, 0, 0, 0x4E, 0x71, 4]) + meters, 512)
    gains = struct.pack("<34d", float("nan"), float("inf"), -1.0, 2.5, 1.0, 0.99999, 2.0, 1e-300,
                        *([0.5] * 26))
    write("enginereplies", "commands", bytes([0x80, 0]) + device_0[:-len(reply(VERSION_OK))]
          + bytes([0, 3]) + reply(response)
          + bytes([1, 2]) + gains + reply(b"", status_kind=4)
          + bytes([2, 1]) + reply(b"", status_kind=6)
          + bytes([0, 1]) + bytes([0xC8]) + response)
    write("enginereplies", "clearovers", bytes([0x80, 0]) + device_0[:-len(reply(VERSION_OK))]
          + bytes([3]) + reply(b"") * 32)


# --- oscpacket: one datagram as a controller sends it -------------------------

def osc_string(text):
    data = text.encode() + b"\0"
    return data + bytes(-len(data) % 4)


def osc_message(address, *arguments):
    """arguments: (tag, value) pairs; T, F and N take None."""
    tags, data = ",", b""
    for tag, value in arguments:
        tags += tag
        if tag == "i":
            data += struct.pack(">i", value)
        elif tag == "h":
            data += struct.pack(">q", value)
        elif tag == "f":
            data += struct.pack(">f", value)
        elif tag == "d":
            data += struct.pack(">d", value)
        elif tag == "s":
            data += osc_string(value)
    return osc_string(address) + osc_string(tags) + data


def osc_bundle(*elements):
    body = b"#bundle\0" + struct.pack(">Q", 1)
    for element in elements:
        body += struct.pack(">i", len(element)) + element
    return body


def osc_seeds():
    fader = osc_message("/velmora/mix/1/ch/1/fader", ("f", 0.75))
    write("oscpacket", "fader", fader)
    write("oscpacket", "db", osc_message("/velmora/mix/4/master/right/db", ("f", -12.5)))
    write("oscpacket", "pan", osc_message("/velmora/mix/2/ch/8/pan", ("d", -0.5)))
    write("oscpacket", "solo", osc_message("/velmora/mix/3/ch/4/solo", ("T", None)))
    write("oscpacket", "mute", osc_message("/velmora/mix/1/ch/2/mute", ("i", 1)))
    write("oscpacket", "output", osc_message("/velmora/output", ("i", 3)))
    write("oscpacket", "active", osc_message("/velmora/active", ("h", 0)))
    write("oscpacket", "meters", osc_message("/velmora/meters", ("i", 1)))
    write("oscpacket", "refresh", osc_message("/velmora/refresh"))
    write("oscpacket", "clearovers", osc_message("/velmora/clearovers"))
    write("oscpacket", "everykind", osc_message("/x", ("i", -7), ("f", 1.5), ("d", 2.25), ("h", 1 << 40),
                                                ("s", "Kick"), ("T", None), ("F", None), ("N", None)))
    nested = osc_bundle(osc_bundle(fader, osc_message("/velmora/active", ("i", 1))), fader)
    write("oscpacket", "bundle", osc_bundle(nested, osc_message("/velmora/mix/9/ch/1/fader", ("f", 1.0))))
    write("oscpacket", "badtag", osc_bundle(fader, osc_message("/velmora/output", ("i", 1))[:-8]
                                            + osc_string(",b") + struct.pack(">i", 0)))
    write("oscpacket", "nan", osc_message("/velmora/mix/1/ch/1/db", ("f", float("nan"))))


if __name__ == "__main__":
    settings_seeds()
    parse_seeds()
    panel_seeds()
    engine_seeds()
    osc_seeds()
