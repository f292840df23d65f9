#!/usr/bin/env python3
"""Writes payloads whose names reach outside the target, derived from the sound demo payload (its
files stay, so a reader that wrote entries one by one would write something):
hostile_names.py SOUND_PAYLOAD OUTDIR"""
import os
import struct
import sys
import zlib

from bad_payloads import entry, payload


def split(sound):
    """The demo archive as (product name, version, configuration, file count, entry bytes)."""
    _, compressed = struct.unpack_from("<II", sound)
    archive = zlib.decompress(sound[8:8 + compressed])
    name, version, config, rest = archive.split(b"\0", 3)
    count, = struct.unpack_from("<I", rest)
    return name, version, config, count, rest[4:]


def archive(parts, config=None, extra=()):
    name, version, sound_config, count, entries = parts
    return (name + b"\0" + version + b"\0" + (sound_config if config is None else config) + b"\0" +
            struct.pack("<I", count + len(extra)) + entries + b"".join(extra))


def replaced(config, old, new):
    assert old in config, old
    return config.replace(old, new, 1)


def kinds(sound):
    parts = split(sound)
    config = parts[2]
    yield "appname", archive(parts, replaced(config, b"<appName>Norvane<", b"<appName>..\\..\\Esc<"))
    yield "companyname", archive(parts, replaced(config, b"<companyName>QVX<",
                                                 b"<companyName>..\\..\\EscCo<"))
    yield "alias", archive(parts, replaced(config, b"<alias>Brenmoor<",
                                           b"<alias>" + b"..\\" * 7 + b"escaped<"))
    yield "file-and-folder", archive(parts, extra=[entry(b"Tools\\Helpdesk.exe"), entry(b"Tools")])
    yield "case-twins", archive(parts, extra=[entry(b"R\xc9SUM\xc9.txt"), entry(b"r\xe9sum\xe9.txt")])


def main():
    sound = open(sys.argv[1], "rb").read()
    os.makedirs(sys.argv[2], exist_ok=True)
    for name, data in kinds(sound):
        with open(os.path.join(sys.argv[2], name + ".bin"), "wb") as out:
            out.write(payload(data))


if __name__ == "__main__":
    main()
