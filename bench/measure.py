#!/usr/bin/env python3
"""Runs the benchmark's commands and writes the results table (bench/run.sh prepares the inputs).

Per preset: one untimed run of every command, whose result is checked (exit code, the installer's
closing log line, every product file byte for byte at its place), then --rounds rounds in which
every command runs once, the order turning by one command each round. Every run gets a fresh
target (the last one moved aside, then `sync`, untimed). The wall time is taken around the whole command; the peak
resident memory is /usr/bin/time's %M for the process that runs the program (under Wine the
program's own process; the Wine server is not counted). Everything, the Wine server included,
runs pinned to one processor with taskset.
"""
import argparse
import datetime
import filecmp
import os
import platform
import re
import statistics
import struct
import subprocess
import sys
import time

VERSION_FOLDER = "QVX/Norvane/Norvane1.6.0003.0000.0035"
# examples/demo/appConfig.xml places unwindle.exe in the company folder ("root"), the rest in
# the version folder.
COMPANY_FOLDER_FILES = {"unwindle.exe": "QVX"}
SUCCESS_LINE = "Installation of Brenmoor has completed successfully."
LABELS = {
    "setup": "Setup.exe -d (unattended)",
    "setup-noflush": "Setup.exe, log flush compiled out",
    "nsis": "NSIS zlib, non-solid (/S)",
    "nsis-solid": "NSIS zlib, solid (/S)",
    "tar": "tar -xzf (native)",
}
DEFAULT_ROUNDS = {"small": 5, "many1k": 5, "many": 3, "shipped": 5}
ORDER = ["setup", "setup-noflush", "nsis", "nsis-solid", "tar"]
MIB = 1024 * 1024
# A log line as written (each one flushed); the configuration text is one line over many rows.
STAMPED = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d ")


class Preset:
    def __init__(self, bench_dir, name):
        self.name = name
        self.dir = os.path.join(bench_dir, "inputs", name)
        with open(os.path.join(self.dir, "summary.txt")) as f:
            _, files, total = f.read().split()
        self.files, self.bytes = int(files), int(total)
        with open(os.path.join(self.dir, "payload.bin"), "rb") as f:
            self.uncompressed, self.compressed = struct.unpack("<II", f.read(8))
        with open(os.path.join(self.dir, "product.list")) as f:
            self.paths = [line.rstrip("\n") for line in f if line.strip()]


class Command:
    """One way of putting a preset's files on disk, with the folder it writes to."""

    def __init__(self, name, argv, target, files_below, log=None):
        self.name, self.argv, self.target = name, argv, target
        self.files_below = files_below  # where the product's files land below the target
        self.log = log  # the installer's log folder (unix path), checked after every run

    def placed(self, path):
        if self.log and path in COMPANY_FOLDER_FILES:
            return os.path.join(self.target, COMPANY_FOLDER_FILES[path], path)
        return os.path.join(self.files_below, *path.split("/"))


def commands_for(preset, prefix, bench_dir):
    drive = os.path.join(prefix, "drive_c")
    p = "C:\\bench\\" + preset.name + "\\"
    out = []
    for name, exe in (("setup", "Setup.exe"), ("setup-noflush", "SetupNoFlush.exe")):
        target = os.path.join(drive, "T", name)
        out.append(Command(name, ["wine", p + exe, "-dC:\\T\\" + name, "-lC:\\T\\" + name + "\\Logs"],
                           target, os.path.join(target, VERSION_FOLDER),
                           log=os.path.join(target, "Logs")))
    for name in ("nsis", "nsis-solid"):
        target = os.path.join(drive, "T", name)
        out.append(Command(name, ["wine", p + name + ".exe", "/S", "/D=C:\\T\\" + name], target, target))
    target = os.path.join(bench_dir, "tar-target")
    out.append(Command("tar", ["tar", "-xzf", os.path.join(preset.dir, "product.tar.gz"), "-C", target],
                       target, target))
    return out


def prepare(command, trash):
    """A fresh, empty target. The old one is moved aside, not deleted: ext4 without a journal
    (this machine's) skips inodes freed in the last minute when it allocates new ones, so
    deleting 10,000 files before a run would make every file that run creates cost more.
    bench/run.sh deletes the moved targets when the measurement is over."""
    if os.path.exists(command.target):
        os.makedirs(trash, exist_ok=True)
        os.rename(command.target, os.path.join(trash, "%s-%d" % (command.name, time.monotonic_ns())))
    if command.name == "tar":
        os.makedirs(command.target)
    subprocess.run(["sync"], check=True)


def run(command, cpu, env):
    """Runs |command| once; answers (wall seconds, peak RSS in KiB)."""
    rss_file = os.path.join(os.path.dirname(command.target), ".rss-" + command.name)
    os.makedirs(os.path.dirname(rss_file), exist_ok=True)
    argv = ["taskset", "-c", str(cpu), "/usr/bin/time", "-f", "%M", "-o", rss_file] + command.argv
    start = time.perf_counter()
    result = subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    if result.returncode != 0:
        raise SystemExit("%s failed with exit code %d: %s" % (command.name, result.returncode,
                                                             " ".join(command.argv)))
    if command.log:
        check_log(command)
    with open(rss_file) as f:
        rss = int(f.read().split()[-1])
    return wall, rss


def installer_log(command):
    logs = [f for f in os.listdir(command.log) if f.endswith(".log")]
    if len(logs) != 1:
        raise SystemExit("%s: expected one log file in %s, found %s" % (command.name, command.log, logs))
    with open(os.path.join(command.log, logs[0]), "rb") as f:
        return f.read().decode("latin-1").split("\r\n")[:-1]


def check_log(command):
    lines = installer_log(command)
    if not lines or not lines[-1].endswith(SUCCESS_LINE):
        raise SystemExit("%s: the log does not end with %r: %r" % (command.name, SUCCESS_LINE,
                                                                 lines[-1:]))


def check_files(preset, command):
    """Every product file at its place below the command's target, byte for byte."""
    for path in preset.paths:
        placed = command.placed(path)
        original = os.path.join(preset.dir, "product", *path.split("/"))
        if not os.path.isfile(placed) or not filecmp.cmp(original, placed, shallow=False):
            raise SystemExit("%s: %s is missing or differs from the product's file" % (command.name, placed))


def measure_preset(preset, args, env):
    commands = commands_for(preset, args.prefix, args.bench_dir)
    print("  %s: checked run of every command" % preset.name, flush=True)
    log_lines = None
    for c in commands:
        prepare(c, args.trash)
        run(c, args.cpu, env)
        check_files(preset, c)
        if c.name == "setup":
            log_lines = sum(1 for line in installer_log(c) if STAMPED.match(line))
    times = {c.name: [] for c in commands}
    rss = {c.name: [] for c in commands}
    rounds = args.rounds or DEFAULT_ROUNDS[preset.name]
    for r in range(rounds):
        turn = commands[r % len(commands):] + commands[:r % len(commands)]
        for c in turn:
            prepare(c, args.trash)
            wall, peak = run(c, args.cpu, env)
            times[c.name].append(wall)
            rss[c.name].append(peak)
        print("  %s: round %d/%d: %s" % (preset.name, r + 1, rounds,
                                         "  ".join("%s %.2f s" % (c.name, times[c.name][-1]) for c in commands)),
              flush=True)
    for c in commands:
        prepare(c, args.trash)
        if c.name == "tar":
            os.rmdir(c.target)
    return {"times": times, "rss": rss, "log_lines": log_lines}


def med(values):
    return statistics.median(values)


def fmt_s(seconds):
    return "%.3f" % seconds if seconds < 10 else "%.2f" % seconds


def verdict(ok):
    return "met" if ok else "**missed**"


def conditions(args, load_before, load_after):
    def out(argv):
        try:
            return subprocess.run(argv, capture_output=True, text=True).stdout.strip().splitlines()[0]
        except (OSError, IndexError):
            return "?"
    cpu = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    return [
        "- Date: %s; host: %s, %d processors (%s), Linux %s." % (
            datetime.datetime.now().strftime("%Y-%m-%d %H:%M"), platform.node(), os.cpu_count(), cpu,
            platform.release()),
        "- Tools: %s; makensis %s; %s." % (out(["wine", "--version"]), out(["makensis", "-VERSION"]),
                                           out(["tar", "--version"])),
        "- Every command and the Wine server pinned to processor %d (`taskset -c %d`); one Wine "
        "prefix and one server for the whole run, on a virtual display (Xvfb)." % (args.cpu, args.cpu),
        "- Timed rounds per preset, after one checked run: %s; the order of the commands turns by one "
        "each round; a fresh target for every run (the last one moved aside, then `sync`, untimed); "
        "Wine's winemenubuilder is disabled (it is no part of an installation on Windows)." % (
            args.rounds or ", ".join("%d for %s" % (DEFAULT_ROUNDS[p], p) for p in args.presets)),
        "- Load average (1 min) before and after: %.2f and %.2f. The machine is shared with other "
        "builds and tests, so the figures are noisy; the ratios come from one run, side by side." % (
            load_before, load_after),
    ]


def report(presets, results, args, load_before, load_after):
    lines = ["# Benchmark: Setup.exe against NSIS and tar", ""]
    lines += ["Made by `bash bench/run.sh` (see README, Benchmarks). Wall times in seconds. Where the "
              "time goes: [NOTES.md](NOTES.md).", ""]
    lines += ["## Conditions", ""] + conditions(args, load_before, load_after) + [""]

    lines += ["## Targets", ""]
    lines += ["| preset | installer / NSIS non-solid | target | installer / NSIS solid | installer / tar "
              "| log flush share | peak memory (installer) | memory limit |",
              "|---|---|---|---|---|---|---|---|"]
    limits = {"shipped": 0.8, "small": 1.0, "many": 1.7}
    for p in presets:
        t = results[p.name]["times"]
        s = med(t["setup"])
        ratio = s / med(t["nsis"])
        limit = limits.get(p.name)
        target = "≤ %.1f: %s" % (limit, verdict(ratio <= limit)) if limit else "(for the per-file cost)"
        share = (s - med(t["setup-noflush"])) / s
        peak = max(results[p.name]["rss"]["setup"]) * 1024
        memory_limit = p.compressed + p.uncompressed + 32 * MIB
        lines.append("| %s | %.2f | %s | %.2f | %.2f | %.0f %% of %d lines | %.0f MiB | %.0f MiB: %s |" % (
            p.name, ratio, target, s / med(t["nsis-solid"]), s / med(t["tar"]), 100 * share,
            results[p.name]["log_lines"], peak / MIB, memory_limit / MIB, verdict(peak <= memory_limit)))
    lines += ["", "The log flush share is (installer − installer with FlushFileBuffers compiled out) ÷ "
              "installer, medians; the lines are those of one run's log, each written with its own flush. The memory limit is the "
              "payload's compressed + uncompressed size + 32 MiB.", ""]

    by_name = {p.name: p for p in presets}
    if all(n in by_name for n in ("small", "many1k", "many")):
        lines += ["## Cost per file", "",
                  "(median(preset) − median(small)) ÷ (files − 20): the start-up and the fixed steps "
                  "measured by `small` are taken out, so the figure grows only if something grows "
                  "faster than the work. Milliseconds per file.", "",
                  "| command | at 1,000 files | at 10,000 files | 10,000 ÷ 1,000 |", "|---|---|---|---|"]
        base = {n: med(results["small"]["times"][n]) for n in ORDER}
        for n in ORDER:
            cost = {}
            for preset in ("many1k", "many"):
                p = by_name[preset]
                cost[preset] = (med(results[preset]["times"][n]) - base[n]) / (p.files - by_name["small"].files)
            growth = cost["many"] / cost["many1k"]
            mark = " (target ≤ 1.2: %s)" % verdict(growth <= 1.2) if n == "setup" else ""
            lines.append("| %s | %.3f | %.3f | %.2f%s |" % (LABELS[n], 1000 * cost["many1k"],
                                                           1000 * cost["many"], growth, mark))
        lines.append("")

    for p in presets:
        r = results[p.name]
        lines += ["## %s: %d files, %.1f MB; payload %.1f MB compressed" % (
            p.name, p.files, p.bytes / 1e6, p.compressed / 1e6), "",
            "| command | median | min | max | peak RSS | ÷ installer |", "|---|---|---|---|---|---|"]
        s = med(r["times"]["setup"])
        for n in ORDER:
            t = r["times"][n]
            lines.append("| %s | %s | %s | %s | %.0f MiB | %.2f |" % (
                LABELS[n], fmt_s(med(t)), fmt_s(min(t)), fmt_s(max(t)), max(r["rss"][n]) / 1024, med(t) / s))
        lines.append("")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench-dir", required=True)
    parser.add_argument("--cpu", type=int, default=1)
    parser.add_argument("--rounds", type=int, default=None,
                        help="timed rounds per preset (default: 5, 3 for many)")
    parser.add_argument("--out", required=True)
    parser.add_argument("--trash", required=True, help="where used targets are moved (same file system)")
    parser.add_argument("presets", nargs="+")
    args = parser.parse_args()
    args.prefix = os.environ["WINEPREFIX"]
    env = dict(os.environ)

    load_before = os.getloadavg()[0]
    presets = [Preset(args.bench_dir, name) for name in args.presets]
    results = {}
    for p in presets:
        results[p.name] = measure_preset(p, args, env)
    table = report(presets, results, args, load_before, os.getloadavg()[0])
    with open(args.out, "w") as f:
        f.write(table)
    print()
    print(table)


if __name__ == "__main__":
    sys.exit(main())
