#!/usr/bin/env python3
"""Turns the readable UTF-8 source of a language file into the file that the
box reads: ISO 8859-1 with CR LF line ends.  Checks on the way that every
language block has each text number exactly once, that every text fits the
reader's 199-byte limit and has a Latin-1 spelling, and that no text holds
something the reader would take for a key."""

import argparse
import os
import re
import sys

VALUE_LINE = re.compile(r"^([A-Za-z]{2})_(\d{3,})=(.*)$")
# The reader finds "<code>_<nnn>=" anywhere in the file, not only at the
# start of a line, so such a sequence inside a text would shadow a key.
KEY_INSIDE = re.compile(r"[A-Za-z]{2}_\d{3,}=")
MAX_VALUE_BYTES = 199


def fail(path, line_number, message):
    where = f"{path}:{line_number}" if line_number else path
    sys.exit(f"make_language_file: {where}: {message}")


def check(path, lines, count, codes):
    seen = {code: set() for code in codes}
    for number, line in enumerate(lines, 1):
        if not line or line.startswith("#"):
            continue
        match = VALUE_LINE.match(line)
        if not match:
            fail(path, number, "neither a comment nor key=value")
        code, index, value = match.group(1), int(match.group(2)), match.group(3)
        if code not in seen:
            fail(path, number, f"language code '{code}' is not one of {', '.join(codes)}")
        if index >= count or match.group(2) != f"{index:03d}":
            fail(path, number, f"text number {match.group(2)} is not 000 to {count - 1:03d}")
        if index in seen[code]:
            fail(path, number, f"{code}_{index:03d} appears twice")
        seen[code].add(index)
        if not value.strip():
            fail(path, number, f"{code}_{index:03d} is empty")
        try:
            encoded = value.encode("iso-8859-1")
        except UnicodeEncodeError as error:
            fail(path, number, f"'{value[error.start]}' has no ISO 8859-1 form")
        if len(encoded) > MAX_VALUE_BYTES:
            fail(path, number, f"text of {len(encoded)} bytes, at most {MAX_VALUE_BYTES} are read")
        if KEY_INSIDE.search(value):
            fail(path, number, "the text contains a key pattern the reader would find")
    for code, numbers in seen.items():
        missing = sorted(set(range(count)) - numbers)
        if missing:
            fail(path, 0, f"language {code} lacks {', '.join(f'{i:03d}' for i in missing[:10])}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("source", help="UTF-8 source (LF or CR LF line ends)")
    parser.add_argument("output", help="language file to write (ISO 8859-1, CR LF)")
    parser.add_argument("--count", type=int, required=True, help="number of texts per language")
    parser.add_argument("--languages", required=True,
                        help="comma-separated two-letter codes that must all be present")
    args = parser.parse_args()

    try:
        with open(args.source, "rb") as handle:
            text = handle.read().decode("utf-8")
    except OSError as error:
        fail(args.source, 0, error.strerror)
    except UnicodeDecodeError as error:
        fail(args.source, 0, f"not UTF-8 at byte {error.start}")
    lines = text.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or not lines[0].startswith("#"):
        fail(args.source, 1, "the file must open with a comment listing the languages")
    check(args.source, lines, args.count, args.languages.split(","))

    data = "".join(line + "\r\n" for line in lines).encode("iso-8859-1")
    temporary = args.output + ".part"
    with open(temporary, "wb") as handle:
        handle.write(data)
    os.replace(temporary, args.output)


if __name__ == "__main__":
    main()
