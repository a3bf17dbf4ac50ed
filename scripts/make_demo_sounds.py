#!/usr/bin/env python3
"""Writes the demo game's sounds: theme music, rain, a chime, a CD track (run once; the files are kept)."""
import math, os, random, struct, sys

demo = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo")


def riff(rate, channels, samples):
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * channels * 2, channels * 2, 16)
    chunks = b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def chime(rate=22050, seconds=1.2):
    out = []
    for i in range(int(rate * seconds)):
        t = i / rate
        env = math.exp(-4 * t)
        out.append(0.4 * env * (math.sin(2 * math.pi * 1046.5 * t) + 0.5 * math.sin(2 * math.pi * 1568 * t)))
    return riff(rate, 1, out)


def rain(rate=11025, seconds=2.0):
    rnd = random.Random(1)
    out, low = [], 0.0
    for i in range(int(rate * seconds)):
        low = 0.85 * low + 0.15 * rnd.uniform(-1, 1)
        out.append(0.25 * low)
    return riff(rate, 1, out)


def cd_track(rate=22050, seconds=3.0):
    out = []
    for i in range(int(rate * seconds)):
        t = i / rate
        env = min(1.0, t * 4, (seconds - t) * 4)
        out.append(0.2 * env * sum(math.sin(2 * math.pi * f * t) for f in (261.6, 329.6, 392.0)))
    return riff(rate, 1, out)


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def theme():
    melody = [72, 74, 76, 79, 76, 74, 72, 67, 69, 72, 74, 76, 74, 72, 71, 72]
    bass = [48, 48, 53, 53, 55, 55, 48, 48]
    tempo = b"\x00\xff\x51\x03\x07\xa1\x20\x00\xff\x2f\x00"
    lead = b"\x00\xc0\x49"  # flute
    for n in melody:
        lead += b"\x00\x90" + bytes([n, 90]) + vlq(240) + b"\x80" + bytes([n, 0])
    lead += b"\x00\xff\x2f\x00"
    low = b"\x00\xc1\x00"  # piano
    for n in bass:
        low += b"\x00\x91" + bytes([n, 70]) + vlq(480) + b"\x81" + bytes([n, 0])
    low += b"\x00\xff\x2f\x00"
    tracks = b"".join(b"MTrk" + struct.pack(">I", len(t)) + t for t in (tempo, lead, low))
    return b"MThd" + struct.pack(">IHHH", 6, 1, 3, 480) + tracks


for rel, data in (("sound/chime.wav", chime()), ("sound/rain.wav", rain()), ("music/theme.mid", theme()),
                  ("cd/track02.wav", cd_track())):
    path = os.path.join(demo, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
