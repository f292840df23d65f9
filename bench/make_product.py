#!/usr/bin/env python3
"""Writes a synthetic product for the benchmark: the same bytes for the same preset and seed.

usage: make_product.py PRESET OUTDIR [--seed N] [--size-mb N --kind KIND]

OUTDIR/product/ receives the files, OUTDIR/product.list their archive order (the packing tool's
--list), OUTDIR/summary.txt one line: preset, file count, total bytes. Presets:

  shipped   88 files, about 240 MB: five files of 20-60 MB, the rest small, laid out like the
            shipped package (unwindle.exe first, 84 files below BrenmoorEHR, Quorvin.exe last)
  many      10,000 files, about 200 MB, in folders 1 to 4 deep, some names with blanks
  many1k    the first 1,000 files of the same kind, about 20 MB (the per-file cost at 1,000)
  small     20 files, about 2 MB
  scale     --size-mb N MiB (for the largest product that installs, bench/scale.sh): the five
            named programs (100 KiB each) and data files of up to 256 MiB, all of --kind random
            (incompressible), text (compresses about 3:1) or mixed (the mix below)

Every preset holds the programs that examples/demo/appConfig.xml (the benchmark's configuration)
names (unwindle.exe, Commonry.dll, Updrift.exe, BrenmoorEHR/Webvane.exe, Quorvin.exe), so its
shortcuts and exeInfo entries resolve.

Content is mixed as in real products, by bytes: about half text-like data (compresses about
3:1), a quarter incompressible, a quarter binary with repeated structure (records with counters,
compresses about 5:1). Large files are made of 64 KiB blocks of the three kinds; a file under
one block is of one kind. The data is cut from pools made once per run, so 240 MB take seconds.
"""
import argparse
import os
import random
import struct
import sys

BLOCK = 64 * 1024
KINDS = ("text", "random", "struct")
KIND_WEIGHTS = (2, 1, 1)

# Names the benchmark's appConfig refers to; placed first and last as in the shipped package.
FIRST = ("unwindle.exe", "Commonry.dll", "Updrift.exe", "BrenmoorEHR/Webvane.exe")
LAST = "Quorvin.exe"

WORDS = (
    "the installer writes every file of the product below the company folder and logs each "
    "step function enter leave module resource version config host port update client server "
    "window dialog button message string value table index record patient order result note "
    "report schedule visit clinic provider label error warning information select destination "
    "locale font size width height color style script import export public private static void "
    "return include namespace class struct const unsigned integer boolean true false null"
).split()


class Pools:
    """Text and structured data to cut blocks from, made once from the preset's generator."""

    def __init__(self, rng):
        self.rng = rng
        self.text = self._make_text(2 * 1024 * 1024)
        self.struct = self._make_struct(2 * 1024 * 1024)

    def _make_text(self, size):
        rng = self.rng
        vocabulary = WORDS + ["%s%d" % (w, rng.randrange(1000)) for w in WORDS]
        parts, length = [], 0
        while length < size:
            line = " ".join(rng.choice(vocabulary) for _ in range(rng.randrange(4, 16)))
            line = line.capitalize() + (".\r\n" if rng.random() < 0.7 else ";\r\n")
            parts.append(line)
            length += len(line)
        return "".join(parts).encode("ascii")[:size]

    def _make_struct(self, size):
        rng = self.rng
        records = []
        tag = 0x51565800
        for i in range(size // 32):
            if i % 97 == 0:
                tag = rng.getrandbits(32)
            records.append(struct.pack("<IIIHHQI4x", i, tag, i * 16 + 0x1000, i % 7, 0xFFFF,
                                       0, rng.getrandbits(8)))
        return b"".join(records)

    def block(self, kind, size):
        if kind == "random":
            return self.rng.randbytes(size)
        pool = self.text if kind == "text" else self.struct
        start = self.rng.randrange(0, len(pool) - size)
        return pool[start:start + size]


def content(pools, size, kind="mixed"):
    rng = pools.rng

    def pick():
        return rng.choices(KINDS, KIND_WEIGHTS)[0] if kind == "mixed" else kind

    if size <= BLOCK:
        return pools.block(pick(), size)
    out = bytearray()
    while len(out) < size:
        n = min(BLOCK, size - len(out))
        out += pools.block(pick(), n)
    return bytes(out)


def log_uniform_sizes(rng, count, low, high, total):
    """|count| sizes spread evenly on a log scale between |low| and |high|, scaled to |total|."""
    raw = [low * (high / low) ** rng.random() for _ in range(count)]
    scale = total / sum(raw)
    return [max(1, int(s * scale)) for s in raw]


def shipped_layout(rng):
    """88 files: the four programs of the top level and Webvane.exe, five large data files and
    78 small ones below BrenmoorEHR, Quorvin.exe last."""
    sizes = {"unwindle.exe": 3_518_464, "Commonry.dll": 1_210_368, "Updrift.exe": 2_466_816,
             "BrenmoorEHR/Webvane.exe": 9_843_200, LAST: 3_939_840}
    large = [("BrenmoorEHR/resources/app.dat", 58_000_000),
             ("BrenmoorEHR/resources/app.asar", 44_000_000),
             ("BrenmoorEHR/libcore.dll", 33_000_000),
             ("BrenmoorEHR/icudtl.dat", 26_000_000),
             ("BrenmoorEHR/resources/Release notes 1.6.0003.txt", 21_000_000)]
    folders = ["BrenmoorEHR", "BrenmoorEHR/locales", "BrenmoorEHR/resources",
               "BrenmoorEHR/swiftshader", "BrenmoorEHR/resources/app images"]
    small_sizes = log_uniform_sizes(rng, 78, 2_000, 4_000_000, 34_000_000)
    small = []
    for i, size in enumerate(small_sizes):
        folder = folders[i % len(folders)]
        ext = ".pak" if folder.endswith("locales") else rng.choice([".dll", ".bin", ".json", ".txt"])
        small.append(("%s/part%02d%s" % (folder, i, ext), size))
    entries = [(name, sizes[name]) for name in FIRST] + large + small + [(LAST, sizes[LAST])]
    assert len(entries) == 88
    return entries


def folder_tree(rng, count):
    """|count| folders 1 to 4 deep below the product folder; about one name in five has a blank."""
    def name():
        base = rng.choice(WORDS) + ("%d" % rng.randrange(100))
        return base + " " + rng.choice(WORDS) if rng.random() < 0.2 else base

    folders = []
    while len(folders) < count:
        depth_one = [f for f in folders if f.count("/") == 0]
        parents = [f for f in folders if f.count("/") < 3]
        if len(depth_one) < 8 or rng.random() < 0.1:
            candidate = name()
        else:
            candidate = rng.choice(parents) + "/" + name()
        if candidate.lower() not in {f.lower() for f in folders}:
            folders.append(candidate)
    return folders


def many_layout(rng, count, total):
    """|count| files of the `many` kind: 10,000 of them make about 200 MB; fewer keep the same
    sizes and folders for their share (the first |count| of the 10,000)."""
    full = 10_000
    folders = folder_tree(rng, 400)
    sizes = log_uniform_sizes(rng, full, 300, 150_000, 200_000_000)
    fixed = {"unwindle.exe": 350_000, "Commonry.dll": 120_000, "Updrift.exe": 250_000,
             "BrenmoorEHR/Webvane.exe": 400_000, LAST: 390_000}
    entries = [(n, fixed[n]) for n in FIRST]
    used = set()
    i = 0
    while len(entries) < full - 1:
        folder = rng.choice(folders)
        stem = rng.choice(WORDS)
        if rng.random() < 0.15:
            stem += " " + rng.choice(WORDS)
        path = "%s/%s%d%s" % (folder, stem, i, rng.choice([".dll", ".dat", ".txt", ".xml", ".png"]))
        i += 1
        if path.lower() in used:
            continue
        used.add(path.lower())
        entries.append((path, sizes[len(entries)]))
    entries.append((LAST, fixed[LAST]))
    if count < full:
        entries = entries[:count - 1] + [entries[-1]]
    return entries


def small_layout(rng):
    names = ["BrenmoorEHR/locales/am.pak", "BrenmoorEHR/locales/en-US.pak",
             "BrenmoorEHR/resources/app.dat", "BrenmoorEHR/resources/Release notes.txt"]
    names += ["BrenmoorEHR/lib/module%02d.dll" % i for i in range(11)]
    sizes = log_uniform_sizes(rng, 20, 2_000, 600_000, 2_000_000)
    entries = list(zip(FIRST + tuple(names) + (LAST,), sizes))
    assert len(entries) == 20
    return entries


SCALE_PIECE = 256 * 1024 * 1024


def scale_layout(size_mb):
    """The five named programs, then data files of up to 256 MiB that make |size_mb| MiB in all."""
    program = 100 * 1024
    entries = [(name, program) for name in FIRST + (LAST,)]
    rest = size_mb * 1024 * 1024 - len(entries) * program
    index = 0
    while rest > 0:
        entries.insert(-1, ("data/part%03d.bin" % index, min(SCALE_PIECE, rest)))
        rest -= SCALE_PIECE
        index += 1
    return entries


def layout(preset, rng):
    if preset == "shipped":
        return shipped_layout(rng)
    if preset == "many":
        return many_layout(rng, 10_000, 200_000_000)
    if preset == "many1k":
        return many_layout(rng, 1_000, 200_000_000)
    if preset == "small":
        return small_layout(rng)
    raise SystemExit("unknown preset %r (shipped, many, many1k, small, scale)" % preset)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("preset")
    parser.add_argument("outdir")
    parser.add_argument("--seed", type=int, default=20240501)
    parser.add_argument("--size-mb", type=int, help="scale: the product's size in MiB")
    parser.add_argument("--kind", choices=("random", "text", "mixed"), default="mixed",
                        help="scale: the content of every file")
    args = parser.parse_args()

    # many1k shares many's generator, so its files are the first of many's.
    family = "many" if args.preset == "many1k" else args.preset
    rng = random.Random("%s:%d" % (family, args.seed))
    if args.preset == "scale":
        if not args.size_mb or args.size_mb < 1:
            raise SystemExit("scale needs --size-mb N (N >= 1)")
        entries = scale_layout(args.size_mb)
    else:
        entries = layout(args.preset, rng)
    pools = Pools(random.Random("pools:%d" % args.seed))

    product = os.path.join(args.outdir, "product")
    os.makedirs(product, exist_ok=True)
    total = 0
    with open(os.path.join(args.outdir, "product.list"), "w") as listing:
        for path, size in entries:
            target = os.path.join(product, *path.split("/"))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            # Each file's bytes depend on its path only, so many1k's files equal many's.
            pools.rng = random.Random("%s:%d:%d" % (path, size, args.seed))
            with open(target, "wb") as f:
                f.write(content(pools, size, args.kind if args.preset == "scale" else "mixed"))
            listing.write(path + "\n")
            total += size
    with open(os.path.join(args.outdir, "summary.txt"), "w") as summary:
        summary.write("%s %d %d\n" % (args.preset, len(entries), total))
    print("%s: %d files, %.1f MB in %s" % (args.preset, len(entries), total / 1e6, product))


if __name__ == "__main__":
    sys.exit(main())
