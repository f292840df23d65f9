#!/usr/bin/env python3
"""Reads an installed XML file with an XML reader of its own: xmltext.py FILE NAME...
Prints, one line each, the text of the first element of each local NAME (namespaces ignored),
as UTF-8; "<missing>" for a name no element has. Exits 1 with the reader's complaint when the
file is no well-formed document."""
import sys
import xml.etree.ElementTree as ET


def main():
    try:
        root = ET.parse(sys.argv[1]).getroot()
    except (ET.ParseError, OSError) as error:
        print(f"not a well-formed document: {error}")
        return 1
    for name in sys.argv[2:]:
        found = next((e for e in root.iter() if e.tag.rsplit("}", 1)[-1] == name), None)
        print("<missing>" if found is None else (found.text or ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
