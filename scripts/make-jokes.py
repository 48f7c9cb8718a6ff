#!/usr/bin/env python3
"""Builds the joke files data/witz1.txt ... from the UTF-8 source data-src/jokes.txt.

The joke dialog reads each file as Windows-1252 bytes in chunks of at most
58 bytes, CR LF included, and shows every chunk as one line from x = 75 in
25-pixel Arial. So every line here must fit 56 characters (40 to stay inside
the backdrop), a joke has at most 8 lines, and every line ends in CR LF.

Only the Latin-1 part of Windows-1252 is allowed: typographic quotes and
dashes (bytes 0x80-0x9F) would turn into control characters for any reader
that takes the bytes as Latin-1.

Usage: python3 scripts/make-jokes.py [--check]
  --check  only verify that data/ matches the source; exit 1 if not.
"""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCE = ROOT / "data-src" / "jokes.txt"
TARGET = ROOT / "data"

MAX_LINES = 8
MAX_CHARS = 40  # what fits the 620-pixel backdrop; the reader itself takes 56


def parse(text):
    jokes, current = [], None
    for number, raw in enumerate(text.splitlines(), start=1):
        line = raw.rstrip()
        if line.startswith("#"):
            continue
        if line == "---":
            if current is not None:
                jokes.append(current)
            current = []
            continue
        if current is None:
            if line:
                sys.exit(f"{SOURCE}:{number}: text before the first '---'")
            continue
        current.append((number, line))
    if current is not None:
        jokes.append(current)
    # Blank lines at the edges of a joke are layout of the source, not content.
    cleaned = []
    for joke in jokes:
        while joke and not joke[0][1]:
            joke.pop(0)
        while joke and not joke[-1][1]:
            joke.pop()
        cleaned.append(joke)
    return cleaned


def encode(joke, index):
    errors = []
    if not joke:
        errors.append(f"joke {index}: empty")
    if len(joke) > MAX_LINES:
        errors.append(f"{SOURCE}:{joke[0][0]}: joke {index} has {len(joke)} lines, at most {MAX_LINES}")
    out = bytearray()
    for number, line in joke:
        if len(line) > MAX_CHARS:
            errors.append(f"{SOURCE}:{number}: {len(line)} characters, at most {MAX_CHARS}: {line}")
        try:
            data = line.encode("latin-1")
        except UnicodeEncodeError as e:
            errors.append(f"{SOURCE}:{number}: character {line[e.start]!r} not allowed")
            continue
        if any(b < 0x20 or 0x7F <= b <= 0x9F for b in data):
            errors.append(f"{SOURCE}:{number}: control character in line")
        out += data + b"\r\n"
    return bytes(out), errors


def main():
    check_only = "--check" in sys.argv[1:]
    jokes = parse(SOURCE.read_text(encoding="utf-8"))
    files, errors = {}, []
    for index, joke in enumerate(jokes, start=1):
        data, problems = encode(joke, index)
        errors += problems
        files[TARGET / f"witz{index}.txt"] = data
    if errors:
        sys.exit("\n".join(errors))

    stale = [p for p in TARGET.glob("witz*.txt") if p not in files]
    if check_only:
        wrong = [p for p, d in files.items() if not p.exists() or p.read_bytes() != d]
        for p in wrong + stale:
            print(f"out of date: {p.relative_to(ROOT)}")
        sys.exit(1 if wrong or stale else 0)

    TARGET.mkdir(exist_ok=True)
    for path, data in files.items():
        path.write_bytes(data)
    for path in stale:
        path.unlink()
    print(f"{len(files)} jokes written to {TARGET.relative_to(ROOT)}/ (Witze={len(files)})")


if __name__ == "__main__":
    main()
