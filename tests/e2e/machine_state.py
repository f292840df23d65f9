"""The state of a Wine prefix's machine, one line per item, for before/after comparisons.

    machine_state.py PREFIX [EXCLUDED ...]

Prints every folder below drive_c, every file with the MD5 of its bytes (below windows\\ with its
size only: Wine's own files, large and never touched by the installer), every link with its
target, then every key and value of the machine's and the current user's registry (both views,
as the prefix's system.reg and user.reg hold them). EXCLUDED are paths relative to drive_c
("Logs") left out with everything below them.

The registry files are written when the Wine server stops: stop it first. Left out as noise:
the time stamps of keys, and the display driver's keys below
System\\CurrentControlSet\\Control\\Class, Control\\Video and Enum, which Wine rewrites when a
graphical program starts (the installer writes below Software only).
"""
import hashlib
import os
import re
import sys

NOISY_KEYS = re.compile(
    r'^\[System\\\\CurrentControlSet\\\\(Control\\\\Class|Control\\\\Video|Enum)\\\\',
    re.IGNORECASE)
KEY_LINE = re.compile(r'^(\[.*\])(?: \d+)?$')


def md5_of(path):
    digest = hashlib.md5()
    with open(path, 'rb') as data:
        for block in iter(lambda: data.read(1 << 20), b''):
            digest.update(block)
    return digest.hexdigest()


def drive_lines(drive, excluded):
    lines = []
    for folder, subfolders, files in os.walk(drive):
        relative = os.path.relpath(folder, drive)
        subfolders[:] = sorted(name for name in subfolders
                               if os.path.normpath(os.path.join(relative, name)) not in excluded)
        for name in subfolders + sorted(files):
            path = os.path.join(folder, name)
            shown = os.path.normpath(os.path.join(relative, name))
            if os.path.islink(path):
                lines.append('link %s -> %s' % (shown, os.readlink(path)))
            elif os.path.isdir(path):
                lines.append('folder %s' % shown)
            elif shown.lower().startswith('windows' + os.sep):
                lines.append('file %s size %d' % (shown, os.path.getsize(path)))
            else:
                lines.append('file %s md5 %s' % (shown, md5_of(path)))
        # Links to folders are listed above and not entered.
        subfolders[:] = [name for name in subfolders
                         if not os.path.islink(os.path.join(folder, name))]
    return lines


def registry_lines(path, hive):
    lines = []
    key = None
    with open(path, encoding='utf-8', errors='surrogateescape') as text:
        for line in text.read().split('\n'):
            found = KEY_LINE.match(line)
            if found:
                key = None if NOISY_KEYS.match(found.group(1)) else found.group(1)
                if key:
                    lines.append('%s key %s' % (hive, key))
            elif key and line and not line.startswith(('#', ';')):
                lines.append('%s value %s %s' % (hive, key, line))
    return lines


def main(prefix, excluded):
    excluded = {os.path.normpath(path.replace('\\', '/')) for path in excluded}
    for line in drive_lines(os.path.join(prefix, 'drive_c'), excluded):
        print(line)
    for name, hive in (('system.reg', 'HKLM'), ('user.reg', 'HKCU')):
        for line in registry_lines(os.path.join(prefix, name), hive):
            print(line)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2:])
