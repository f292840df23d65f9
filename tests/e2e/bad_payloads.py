#!/usr/bin/env python3
"""Writes payloads that the installer must refuse before it writes anything, one file per kind,
derived from a sound payload (header, then one zlib stream): bad_payloads.py SOUND_PAYLOAD OUTDIR"""
import os
import struct
import sys
import zlib


def payload(archive, uncompressed=None):
    stream = zlib.compress(archive)
    size = len(archive) if uncompressed is None else uncompressed
    return struct.pack("<II", size, len(stream)) + stream


def entry(path, content=b"x"):
    return path + b"\0" + struct.pack("<I", len(content)) + content


def leading(name=b"Norvane", version=b"1.0", config=b""):
    return name + b"\0" + version + b"\0" + config + b"\0"


def kinds(sound):
    uncompressed, compressed = struct.unpack_from("<II", sound)
    archive = zlib.decompress(sound[8:8 + compressed])
    flipped = bytearray(sound)
    flipped[8 + compressed // 2] ^= 0x10
    yield "bitflip", bytes(flipped)
    yield "truncated-stream", sound[:8 + compressed // 2]
    yield "header-only", sound[:8]
    yield "size-too-small", payload(archive, uncompressed - 1)
    yield "size-too-large", payload(archive, uncompressed + 1)
    yield "trailing-bytes", payload(archive + b"\0")
    yield "count-too-high", payload(leading() + struct.pack("<I", 2) + entry(b"a.txt"))
    yield "entry-size-past-end", payload(leading() + struct.pack("<I", 1) + b"a.txt\0" + struct.pack("<I", 50) + b"x")
    unsafe = [b"..\\..\\escaped.txt", b"a\\..\\..\\b.txt", b"\\rooted.txt", b"C:\\drive.txt",
              b"\\\\server\\share\\unc.txt", b"\\\\?\\C:\\long.txt", b"stream.txt:ads",
              b"slash/../up.txt", b"dir\\CON", b"aux.log", b"ctl\x07.txt", b"dots.", b"blank "]
    for number, name in enumerate(unsafe):
        # A sound first entry, so a reader that wrote entries one by one would write something.
        archive = leading() + struct.pack("<I", 2) + entry(b"first.txt") + entry(name)
        yield "unsafe-%02d" % number, payload(archive)


def main():
    sound = open(sys.argv[1], "rb").read()
    os.makedirs(sys.argv[2], exist_ok=True)
    for name, data in kinds(sound):
        with open(os.path.join(sys.argv[2], name + ".bin"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
