#!/usr/bin/env python3
"""Writes the sound files of the sound test games (run once; the files are kept)."""
import math, os, random, struct, sys

here = os.path.dirname(os.path.abspath(__file__))


def riff(fmt, data, fact=None):
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt
    if fact is not None:
        chunks += b"fact" + struct.pack("<II", 4, fact)
    chunks += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def pcm(rate, bits, channels, seconds, freq, amp=0.5):
    n = int(rate * seconds)
    out = bytearray()
    for i in range(n):
        v = amp * math.sin(2 * math.pi * freq * i / rate)
        for _ in range(channels):
            out += struct.pack("<h", int(v * 32767)) if bits == 16 else bytes([int(128 + v * 127)])
    block = channels * bits // 8
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * block, block, bits)
    return riff(fmt, bytes(out))


def ima_adpcm(rate, blocks):
    rnd = random.Random(7)
    align, per_block = 256, 505
    data = bytearray()
    for _ in range(blocks):
        data += struct.pack("<hBB", 0, 40, 0) + bytes(rnd.randrange(256) for _ in range(align - 4))
    fmt = struct.pack("<HHIIHHHH", 0x11, 1, rate, rate * align // per_block, align, 4, 2, per_block)
    return riff(fmt, bytes(data), fact=blocks * per_block)


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def midi(notes, ticks_per_note=240):
    tempo = b"\x00\xff\x51\x03\x07\xa1\x20"  # 500000 us a quarter note
    t0 = tempo + b"\x00\xff\x2f\x00"
    body = b"\x00\xc0\x00"  # piano
    for note in notes:
        body += b"\x00\x90" + bytes([note, 100]) + vlq(ticks_per_note) + b"\x80" + bytes([note, 0])
    body += b"\x00\xff\x2f\x00"
    tracks = b"".join(b"MTrk" + struct.pack(">I", len(t)) + t for t in (t0, body))
    return b"MThd" + struct.pack(">IHHH", 6, 1, 2, 480) + tracks


def write(rel, data):
    path = os.path.join(here, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


write("game/se/ping.wav", pcm(22050, 16, 1, 0.3, 880))
write("game/se/loop.wav", pcm(11025, 8, 1, 0.25, 440))
write("game/se/adpcm.wav", ima_adpcm(22050, 20))           # 10100 samples
write("game/se/stereo.wav", pcm(44100, 16, 2, 0.1, 660))
write("game/music/tune.mid", midi([60, 64, 67, 72]))       # 1 s at 120 bpm
write("game/cd/track02.wav", pcm(44100, 16, 2, 0.5, 330))
write("game/cd/track03.wav", pcm(44100, 16, 2, 0.4, 220))
# Faults: a bad wave, a zero rate, a huge chunk, garbage MIDI, a cut MIDI.
write("../sound_faults/game/garbage.wav", bytes(random.Random(3).randrange(256) for _ in range(300)))
z = bytearray(pcm(22050, 16, 1, 0.1, 440)); z[24:28] = b"\0\0\0\0"
write("../sound_faults/game/zerorate.wav", bytes(z))
h = bytearray(pcm(22050, 16, 1, 0.1, 440)); h[40:44] = b"\xff\xff\xff\x7f"
write("../sound_faults/game/hugechunk.wav", bytes(h))
write("../sound_faults/game/garbage.mid", b"MThd" + bytes(random.Random(5).randrange(256) for _ in range(200)))
write("../sound_faults/game/cut.mid", midi([60, 62, 64])[:40])
# A cue sheet with its BIN: tracks 2 and 3 audio, track 1 data, track 4 past the image's end.
sector = 2352
bin_data = bytearray(sector * 10)
for i in range(10 * sector // 4):
    v = int(8000 * math.sin(2 * math.pi * 440 * i / 44100))
    bin_data[4 * i:4 * i + 4] = struct.pack("<hh", v, v)
write("../cd_image/game/disc.bin", bytes(bin_data))
write("../cd_image/game/disc.cue", b'FILE "disc.bin" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n'
      b'  TRACK 02 AUDIO\r\n    INDEX 01 00:00:02\r\n  TRACK 03 AUDIO\r\n    INDEX 01 00:00:06\r\n'
      b'  TRACK 04 AUDIO\r\n    INDEX 01 00:01:00\r\n')
