#!/usr/bin/env python3
"""Writes the payload of a product as the packing tool lays it out, but without its size limit.

usage: scale_payload.py PRODUCT LIST CONFIG NAME VERSION OUT

The 8-byte header (archive length, stream length, u32 little-endian) and one zlib stream of the
archive: NAME, VERSION and CONFIG's text each with a NUL, the file count, then per file of LIST
its path (backslashes) with a NUL, its size and its bytes. The archive is compressed as it is
read, a file at a time, so a product of gigabytes needs no more memory than its largest file;
bench/scale.sh tries products above the packing tool's limit with it to see what fails in the
installer. Paths are not checked: LIST comes from bench/make_product.py.
"""
import os
import struct
import sys
import zlib


def main():
    if len(sys.argv) != 7:
        raise SystemExit(__doc__.split("\n\n")[1])
    product, listing, config, name, version, out = sys.argv[1:]
    with open(listing) as f:
        paths = [line.rstrip("\n") for line in f if line.strip()]
    with open(config, "rb") as f:
        leading = name.encode() + b"\0" + version.encode() + b"\0" + f.read() + b"\0"
    leading += struct.pack("<I", len(paths))

    compressor = zlib.compressobj(zlib.Z_DEFAULT_COMPRESSION)
    archive_bytes = 0
    with open(out, "wb") as f:
        f.write(b"\0" * 8)  # the header, once both lengths are known

        def put(data):
            nonlocal archive_bytes
            archive_bytes += len(data)
            f.write(compressor.compress(data))

        put(leading)
        for path in paths:
            with open(os.path.join(product, *path.split("/")), "rb") as content:
                data = content.read()
            put(path.replace("/", "\\").encode() + b"\0" + struct.pack("<I", len(data)))
            put(data)
        f.write(compressor.flush())
        stream_bytes = f.tell() - 8
        if archive_bytes > 0xFFFFFFFF or stream_bytes > 0xFFFFFFFF:
            raise SystemExit("the archive or its stream is past the header's 32 bits")
        f.seek(0)
        f.write(struct.pack("<II", archive_bytes, stream_bytes))
    print("payload: archive %d bytes, stream %d bytes" % (archive_bytes, stream_bytes))


if __name__ == "__main__":
    sys.exit(main())
