#!/usr/bin/env python3
"""Writes the version resource of a Setup.exe linked with a payload (-DSETUP_PAYLOAD) as a .rc file.

The packing tool writes the version resource of every installer it finishes; an installer whose
payload is linked at build time gets the same strings from here, read from the payload itself:
its product name, its version and its appConfig (companyName, projectName), the file name
Setup.exe and a copyright. The resource is RT_VERSION 1 in US English, the one the packing tool
replaces when it finishes such an installer later.

    python3 make_version_rc.py PAYLOAD.bin OUTPUT.rc [--file-name Setup.exe] [--copyright TEXT]
"""
import argparse
import re
import struct
import sys
import zlib

DEFAULT_COMPANY = "QVX"


def read_archive(payload):
    """The product name, version and appConfig bytes at the start of the payload's archive."""
    if len(payload) < 8:
        raise ValueError("the payload has no header")
    archive_length, stream_length = struct.unpack("<II", payload[:8])
    archive = zlib.decompress(payload[8:8 + stream_length])
    if len(archive) != archive_length:
        raise ValueError("the payload's archive does not have the length its header gives")
    name, version, config = archive.split(b"\0", 3)[:3]
    return name, version, config


def first_value(text, element):
    """The text of the first /appConfig/appInfo/<element>, read as the installer reads it: the
    element's text with comments left out, CDATA kept, the predefined entities and character
    references resolved, white space at both ends removed; "" when there is none. Names match
    as written (a default namespace declaration changes nothing)."""
    root = re.search(r"<appConfig[\s>/]", text)
    if root is None:
        return ""
    for info in re.finditer(r"<appInfo(?:\s[^>]*)?>(.*?)</appInfo\s*>", text[root.start():], re.S):
        found = re.search(r"<%s(?:\s[^>]*)?>(.*?)</%s\s*>" % (element, element), info.group(1), re.S)
        if found:
            return resolve(found.group(1)).strip(" \t\r\n")
    return ""


def resolve(inner):
    inner = re.sub(r"<!--.*?-->", "", inner, flags=re.S)
    parts = re.split(r"(<!\[CDATA\[.*?\]\]>)", inner, flags=re.S)
    text = ""
    for part in parts:
        if part.startswith("<![CDATA["):
            text += part[9:-3]
            continue
        part = re.sub(r"<[^>]*>", "", part)
        text += re.sub(r"&(#x[0-9a-fA-F]+|#[0-9]+|lt|gt|amp|quot|apos);", entity, part)
    return text


def entity(match):
    name = match.group(1)
    if name.startswith("#x"):
        return chr(int(name[2:], 16))
    if name.startswith("#"):
        return chr(int(name[1:]))
    return {"lt": "<", "gt": ">", "amp": "&", "quot": '"', "apos": "'"}[name]


def version_numbers(version):
    """The leading numbers of the version as far as they fit four of 0-65535 (the packing tool's
    rule: 1.6.0003.0000.0035 gives 1.6.3.0, 2.1-beta gives 2.1.0.0, a number past 65535 ends
    the reading)."""
    numbers = [0, 0, 0, 0]
    at = 0
    for index in range(4):
        digits = re.match(r"[0-9]+", version[at:])
        if digits is None or int(digits.group(0)) > 65535:
            break
        numbers[index] = int(digits.group(0))
        at += len(digits.group(0))
        if version[at:at + 1] != ".":
            break
        at += 1
    return numbers


def rc_string(text):
    return 'L"' + text.replace('\\', '\\\\').replace('"', '""') + '"'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("payload")
    parser.add_argument("output")
    parser.add_argument("--file-name", default="Setup.exe")
    parser.add_argument("--copyright", default="")
    args = parser.parse_args()
    with open(args.payload, "rb") as f:
        name, version, config = read_archive(f.read())
    # The installer reads every text in the ANSI code page, here taken to be 1252.
    name, version, config = (b.decode("cp1252", "replace") for b in (name, version, config))
    company = first_value(config, "companyName") or DEFAULT_COMPANY
    project = first_value(config, "projectName") or name
    internal = args.file_name.rsplit(".", 1)[0] if args.file_name.rfind(".") > 0 else args.file_name
    strings = [
        ("Comments", ""),
        ("CompanyName", company),
        ("FileDescription", project + " Setup"),
        ("FileVersion", version),
        ("InternalName", internal),
        ("LegalCopyright", args.copyright or "Copyright (C) " + company),
        ("OriginalFilename", args.file_name),
        ("ProductName", project),
        ("ProductVersion", version),
    ]
    numbers = ",".join(str(n) for n in version_numbers(version))
    lines = [
        "// Made by make_version_rc.py from the linked payload; do not edit.",
        "#pragma code_page(65001)",
        "#include <windows.h>",
        "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US",
        "1 VERSIONINFO",
        "FILEVERSION " + numbers,
        "PRODUCTVERSION " + numbers,
        "FILEFLAGSMASK 0x3F",
        "FILEFLAGS 0",
        "FILEOS VOS_NT_WINDOWS32",
        "FILETYPE VFT_APP",
        "FILESUBTYPE 0",
        "BEGIN",
        '  BLOCK "StringFileInfo"',
        "  BEGIN",
        '    BLOCK "040904B0"',
        "    BEGIN",
    ]
    lines += ['      VALUE "%s", %s' % (key, rc_string(value)) for key, value in strings]
    lines += [
        "    END",
        "  END",
        '  BLOCK "VarFileInfo"',
        "  BEGIN",
        '    VALUE "Translation", 0x409, 1200',
        "  END",
        "END",
    ]
    with open(args.output, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    try:
        main()
    except (OSError, ValueError, zlib.error) as error:
        sys.exit("make_version_rc.py: %s" % error)
