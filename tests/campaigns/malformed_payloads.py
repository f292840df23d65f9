#!/usr/bin/env python3
"""Derives damaged and hostile payloads from a sound one, deterministically:
    malformed_payloads.py SOUND_PAYLOAD OUTDIR [--smoke]
Kinds: bit flips in the compressed stream; truncation at every field boundary of the header and
of the archive; header sizes, file counts and entry sizes that lie in both directions; the table
of unsafe entry names put in place of the first, a middle and the last entry. --smoke keeps
every tenth payload (about 35) for the test command. Prints the number written."""
import os
import random
import struct
import sys
import zlib

UNSAFE_NAMES = [
    b"..", b"...", b"a\\..\\..\\b", b"..\\escaped.txt", b"\\rooted.txt", b"\\Windows\\x.dll",
    b"C:\\drive.txt", b"C:drive.txt", b"Z:\\x", b"\\\\server\\share\\unc.txt",
    b"\\\\?\\C:\\long.txt", b"\\\\.\\C:\\device.txt", b"stream.txt:ads", b"dir\\file:$DATA",
    b"slash/../up.txt", b"a/b", b"CON", b"dir\\PRN.txt", b"aux.log", b"NUL", b"nul.txt",
    b"COM1", b"com9.dat", b"LPT1.txt", b"dir\\lpt9", b"CONIN$", b"ctl\x07.txt", b"tab\t.txt",
    b"nl\n.txt", b"dots.", b"dir.\\x.txt", b"blank ", b"dir \\x.txt", b"", b"a\\\\b",
    b"trailing\\", b"wild*.txt", b"what?.txt", b"pipe|.txt", b"quote\".txt", b"lt<.txt",
]


def parse(archive):
    """The archive's fields: (offset, kind) boundaries and the entries (path, size, content)."""
    pos = 0
    boundaries = []
    leading = []
    for _ in range(3):
        end = archive.index(b"\0", pos)
        leading.append(archive[pos:end])
        pos = end + 1
        boundaries.append(pos)
    count = struct.unpack_from("<I", archive, pos)[0]
    pos += 4
    boundaries.append(pos)
    entries = []
    for _ in range(count):
        end = archive.index(b"\0", pos)
        path = archive[pos:end]
        pos = end + 1
        boundaries.append(pos)
        size = struct.unpack_from("<I", archive, pos)[0]
        pos += 4
        boundaries.append(pos)
        entries.append([path, archive[pos:pos + size]])
        pos += size
        boundaries.append(pos)
    return leading, entries, boundaries


def build(leading, entries, count=None, sizes=None):
    out = b"".join(text + b"\0" for text in leading)
    out += struct.pack("<I", len(entries) if count is None else count & 0xFFFFFFFF)
    for index, (path, content) in enumerate(entries):
        size = len(content) if sizes is None or index not in sizes else sizes[index]
        out += path + b"\0" + struct.pack("<I", size & 0xFFFFFFFF) + content
    return out


def payload(archive, uncompressed=None, compressed_delta=0):
    stream = zlib.compress(archive)
    size = len(archive) if uncompressed is None else uncompressed & 0xFFFFFFFF
    return struct.pack("<II", size, (len(stream) + compressed_delta) & 0xFFFFFFFF) + stream


def kinds(sound):
    usize, csize = struct.unpack_from("<II", sound)
    stream = sound[8:8 + csize]
    archive = zlib.decompress(stream)
    leading, entries, boundaries = parse(archive)
    rng = random.Random(20261210)

    for number in range(100):
        flipped = bytearray(sound)
        position = 8 + rng.randrange(len(stream))
        flipped[position] ^= 1 << rng.randrange(8)
        yield "bitflip-%03d" % number, bytes(flipped)
    for cut in range(1, 8):  # an empty resource cannot exist in an executable
        yield "header-cut-%d" % cut, sound[:cut]
    for cut in (1, 2, csize // 2, csize - 4, csize - 1):
        yield "stream-cut-%d" % cut, sound[:8 + cut]
    for number, boundary in enumerate(sorted(set(boundaries[:-1]) | {1})):
        yield "archive-cut-%02d" % number, payload(archive[:boundary])
    yield "archive-trailing-byte", payload(archive + b"\0")
    yield "archive-trailing-entry", payload(archive + b"x.txt\0" + struct.pack("<I", 0))
    for delta in (-1000, -1, 1, 1000, -usize, 0xFFFFFFFF - usize):
        yield "header-uncompressed%+d" % delta, payload(archive, usize + delta)
    for delta in (-1, 1, 1000, -csize):
        yield "header-compressed%+d" % delta, payload(archive, compressed_delta=delta)
    for delta in (-len(entries), -1, 1, 2, 0xFFFFFFFF - len(entries)):
        yield "count%+d" % delta, payload(build(leading, entries, count=len(entries) + delta))
    for index in range(len(entries)):
        size = len(entries[index][1])
        for delta in (-1, 1, 0xFFFFFFFF - size):
            yield "size-%d%+d" % (index, delta), payload(build(leading, entries, sizes={index: size + delta}))
    yield "leading-no-nul", payload(leading[0] + b"\0" + leading[1])
    for number, name in enumerate(UNSAFE_NAMES):
        for slot in (0, len(entries) // 2, len(entries) - 1):
            changed = [list(entry) for entry in entries]
            changed[slot][0] = name
            yield "unsafe-%02d-entry%d" % (number, slot), payload(build(leading, changed))


def main():
    sound = open(sys.argv[1], "rb").read()
    outdir = sys.argv[2]
    smoke = "--smoke" in sys.argv[3:]
    os.makedirs(outdir, exist_ok=True)
    written = 0
    for number, (name, data) in enumerate(kinds(sound)):
        if smoke and number % 10:
            continue
        with open(os.path.join(outdir, name + ".bin"), "wb") as out:
            out.write(data)
        written += 1
    print(written)


if __name__ == "__main__":
    main()
