#!/usr/bin/env python3
"""Writes the corpus of broken inputs beside this script: settings files,
joke files and WAV files that are damaged in the ways real files get damaged
(cut off, binary, wrong format, lying headers). Files too big to keep in the
repository are made by the test itself. Run it again after changing it."""
import os
import random
import struct

here = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(4711)


def put(folder, name, data):
    os.makedirs(os.path.join(here, folder), exist_ok=True)
    with open(os.path.join(here, folder, name), "wb") as f:
        f.write(data)


# Settings files.
put("settings", "binary.ini", bytes(rng.randrange(256) for _ in range(4096)))
put("settings", "nul-bytes.ini", b"[Parameter]\r\nSound=1\x00\x00\r\n\x00\x00[Lobe]\r\nAnzahl=\x002\r\n")
put("settings", "odd-lines.ini", b"".join([
    b"stray=before any section\r\n", b"[\r\n", b"]\r\n", b"[]\r\n", b"=\r\n", b"==\r\n", b"justakey\r\n",
    b"[Parameter]\r\n", b" = value without key\r\n", b"[a]b]\r\n", b"[Parameter]\r\n", b"k=v=w\r\n",
    b"\tSound\t=\t1\t\r\n", b"Aufgaben=\"12\"\r\n", b"Witze='3\r\n", b";comment=1\r\n", b"#hash=2\r\n",
    b"Belohnungsart=99999999999999999999\r\n", b"Hintergrundbild=   \r\n", b"[Lobe\r\n", b"Anzahl=-3\r\n",
]))
put("settings", "cr-only.ini", b"[Parameter]\rSound=1\rAufgaben=5\r[Lobe]\rAnzahl=1\rLob1=Gut\r")
put("settings", "lf-only-no-end.ini", b"[Parameter]\nSound=1\nAufgaben=5")
put("settings", "utf8-with-bom.ini", "\ufeff[Lobe]\r\nAnzahl=1\r\nLob1=Schön\r\n".encode("utf-8"))
put("settings", "utf8-no-bom.ini", "[Parameter]\r\nSound=1\r\n[Lobe]\r\nAnzahl=1\r\nLob1=Schön\r\n".encode("utf-8"))
put("settings", "utf16.ini", "[Parameter]\r\nSound=1\r\n".encode("utf-16"))
put("settings", "empty.ini", b"")
put("settings", "many-sections.ini", b"".join(b"[S%d]\r\nk=%d\r\n" % (i, i) for i in range(3000)))

# Joke files.
put("jokes", "binary.txt", bytes(rng.randrange(256) for _ in range(2048)))
put("jokes", "nul-bytes.txt", b"Erste\x00Zeile\r\n\x00\r\nDritte\r\n")
put("jokes", "no-line-end.txt", b"x" * 300)
put("jokes", "cr-only.txt", b"Eins\rZwei\rDrei\r" * 30)
put("jokes", "long-line.txt", b"A" * 100000 + b"\r\n")
put("jokes", "many-lines.txt", b"Zeile\r\n" * 20000)
put("jokes", "utf16.txt", "Witz mit ä\r\n".encode("utf-16"))
put("jokes", "utf8.txt", "Was ist grün und klopft an die Tür?\r\nEin Klopfsalat – schön, nicht?\r\n".encode("utf-8"))
put("jokes", "utf8-with-bom.txt", "\ufeffÄpfel, Birnen und Öl: ".encode("utf-8") + "ü".encode("utf-8") * 80 + b"\r\n")
put("jokes", "empty.txt", b"")


def wav(fmt_tag=1, channels=1, rate=22050, bits=16, data=b"\x00\x10" * 2000, riff_size=None, data_size=None,
        fmt_size=16, extra=b""):
    block = channels * ((bits + 7) // 8)
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, rate, rate * block, block, bits) + extra
    fmt_chunk = b"fmt " + struct.pack("<I", fmt_size) + fmt[:max(fmt_size, 0)]
    data_chunk = b"data" + struct.pack("<I", len(data) if data_size is None else data_size) + data
    body = b"WAVE" + fmt_chunk + data_chunk
    return b"RIFF" + struct.pack("<I", len(body) if riff_size is None else riff_size) + body


good = wav()
put("wav", "truncated-header.wav", good[:30])
put("wav", "truncated-before-data.wav", good[:44])
put("wav", "adpcm.wav", wav(fmt_tag=2, bits=4))
put("wav", "mp3-in-wav.wav", wav(fmt_tag=0x55))
put("wav", "zero-channels.wav", wav(channels=0))
put("wav", "zero-rate.wav", wav(rate=0))
put("wav", "bits-12.wav", wav(bits=12))
put("wav", "bits-0.wav", wav(bits=0))
put("wav", "huge-data-size.wav", wav(data_size=0xFFFFFFF0))
put("wav", "huge-riff-size.wav", wav(riff_size=0xFFFFFFFF, data=b""))
put("wav", "fmt-too-short.wav", wav(fmt_size=8))
put("wav", "no-fmt-chunk.wav", b"RIFF" + struct.pack("<I", 12) + b"WAVEdata" + struct.pack("<I", 4) + b"\x00" * 4)
put("wav", "not-riff.wav", b"ID3\x03\x00" + bytes(rng.randrange(256) for _ in range(500)))
put("wav", "empty.wav", b"")
put("wav", "empty-data.wav", wav(data=b""))
