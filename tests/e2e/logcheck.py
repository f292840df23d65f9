#!/usr/bin/env python3
"""Checks an installer log file: logcheck.py LOG [CONFIG...]
Every line starts with the 20-character "YYYY-MM-DD HH:MM:SS " stamp and ends with CR LF. The
configuration traced by ParseXml() spans several lines; each CONFIG given (a log that several
installers shared holds several) must appear in the log byte for byte, and its lines are not
taken for log lines. A folder creation failure
carries the system's error text, which ends in its own CR LF: the empty line after it is part
of that line."""
import re
import sys

STAMP = re.compile(rb"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d ")


def main():
    log = open(sys.argv[1], "rb").read()
    for config_path in sys.argv[2:]:
        config = open(config_path, "rb").read()
        traced = b"Enter function ParseXml() with parameter xmlName is " + config + b".\r\n"
        if traced not in log:
            print("the configuration %s is not traced byte for byte" % config_path)
            return 1
        log = log.replace(traced, b"Enter function ParseXml() [configuration].\r\n")
    if not log.endswith(b"\r\n"):
        print("the log does not end with CR LF")
        return 1
    previous = b""
    for number, line in enumerate(log[:-2].split(b"\r\n"), 1):
        after_system_text = line == b"" and b" with reason: " in previous
        previous = line
        if after_system_text:
            continue
        if not STAMP.match(line) or b"\n" in line or b"\r" in line:
            print("line %d is not a log line: %r" % (number, line[:80]))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
