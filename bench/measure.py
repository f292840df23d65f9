#!/usr/bin/env python3
"""Runs the benchmark's commands and writes the results table (bench/run.sh prepares the inputs).

Per preset: one untimed run of every command, whose result is checked (exit code, the installer's
closing log line, every product file byte for byte at its place; for the commands that do the whole
job also the two Start-menu links, the settings file and the Uninstall entry, whose values the NSIS
peer must write as Setup.exe does), then --rounds rounds in which
every command runs once, the order turning by one command each round. Every run gets a fresh
target (the last one, and the Start-menu folder of the links, moved aside, then `sync`, untimed). The wall time is taken around the whole command; the peak
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
# bench/appConfig.xml places unwindle.exe in the company folder ("root"), the rest in the version
# folder.
COMPANY_FOLDER_FILES = {"unwindle.exe": "QVX"}
SUCCESS_LINE = "Installation of Brenmoor has completed successfully."
# What the whole job leaves besides the files, below the target and in the all-users Start menu.
START_MENU_FOLDER = "ProgramData/Microsoft/Windows/Start Menu/Programs/QVX"
LINKS = ("Brenmoor.lnk", "Uninstall Norvane.lnk")
# The programs that also get a copy in the company folder, under their lower-case names.
SHARED_COPIES = ("Quorvin.exe", "Updrift.exe", "Commonry.dll")
SETTINGS_FILE = "QVX/Norvane/AppData/AppInfo.xml"
SETTING = b"<HostList>HOST1 HOST2 HOST3</HostList>"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane_new"
LABELS = {
    "setup": "Setup.exe -d (unattended)",
    "setup-noflush": "Setup.exe, log flush compiled out",
    "nsis-whole": "NSIS zlib, whole job (/S)",
    "nsis": "NSIS zlib, files only, non-solid (/S)",
    "nsis-solid": "NSIS zlib, files only, solid (/S)",
    "tar": "tar -xzf (native)",
}
DEFAULT_ROUNDS = {"small": 5, "many1k": 5, "many": 3, "shipped": 5}
ORDER = ["setup", "setup-noflush", "nsis-whole", "nsis", "nsis-solid", "tar"]
# The targets: Setup.exe's median over the whole-job peer's, per preset, and the growth of the
# cost per file from 1,000 to 10,000 files.
RATIO_LIMITS = {"shipped": 0.8, "small": 1.0, "many": 1.0}
GROWTH_LIMIT = 1.1
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

    def __init__(self, name, argv, target, log=None, whole_job=False):
        self.name, self.argv, self.target = name, argv, target
        self.log = log  # the installer's log folder (unix path), checked after every run
        # Writes the files where Setup.exe puts them, the links, the settings file and the
        # Uninstall entry; otherwise just the product's files, straight below the target.
        self.whole_job = whole_job

    def placed(self, path):
        if not self.whole_job:
            return os.path.join(self.target, *path.split("/"))
        if path in COMPANY_FOLDER_FILES:
            return os.path.join(self.target, COMPANY_FOLDER_FILES[path], path)
        return os.path.join(self.target, VERSION_FOLDER, *path.split("/"))


def commands_for(preset, prefix, bench_dir):
    drive = os.path.join(prefix, "drive_c")
    p = "C:\\bench\\" + preset.name + "\\"
    out = []
    for name, exe in (("setup", "Setup.exe"), ("setup-noflush", "SetupNoFlush.exe")):
        out.append(Command(name, ["wine", p + exe, "-dC:\\T\\" + name, "-lC:\\T\\" + name + "\\Logs"],
                           os.path.join(drive, "T", name),
                           log=os.path.join(drive, "T", name, "Logs"), whole_job=True))
    for name in ("nsis-whole", "nsis", "nsis-solid"):
        out.append(Command(name, ["wine", p + name + ".exe", "/S", "/D=C:\\T\\" + name],
                           os.path.join(drive, "T", name), whole_job=name == "nsis-whole"))
    target = os.path.join(bench_dir, "tar-target")
    out.append(Command("tar", ["tar", "-xzf", os.path.join(preset.dir, "product.tar.gz"), "-C", target],
                       target))
    return out


def move_aside(path, trash, label):
    if os.path.exists(path):
        os.makedirs(trash, exist_ok=True)
        os.rename(path, os.path.join(trash, "%s-%d" % (label, time.monotonic_ns())))


def prepare(command, trash, prefix):
    """A fresh, empty target, and no Start-menu folder for a command that makes the links. The old
    ones are moved aside, not deleted: ext4 without a journal (this machine's) skips inodes freed
    in the last minute when it allocates new ones, so deleting 10,000 files before a run would make
    every file that run creates cost more. bench/run.sh deletes the moved targets when the
    measurement is over. The Uninstall entry stays: every whole-job run rewrites its values."""
    move_aside(command.target, trash, command.name)
    if command.whole_job:
        move_aside(os.path.join(prefix, "drive_c", START_MENU_FOLDER), trash, "links-" + command.name)
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
    """Every product file at its place below the command's target, byte for byte; for the whole
    job also the company-folder copies of the shared programs."""
    pairs = [(path, command.placed(path)) for path in preset.paths]
    if command.whole_job:
        pairs += [(path, os.path.join(command.target, "QVX", path.lower())) for path in SHARED_COPIES]
    for path, placed in pairs:
        original = os.path.join(preset.dir, "product", *path.split("/"))
        if not os.path.isfile(placed) or not filecmp.cmp(original, placed, shallow=False):
            raise SystemExit("%s: %s is missing or differs from the product's file" % (command.name, placed))


def whole_job_facts(command, prefix, env):
    """What the whole job left besides the files, with the command's own target folder written
    as <target>: each link's target, arguments and icon (lnkinfo), the Uninstall entry's values
    (`wine reg query`, the 32-bit view both installers write to). Checks that the settings file
    holds the setting."""
    windows_target = "C:\\T\\" + command.name

    def neutral(text):
        return text.replace(windows_target, "<target>")

    with open(os.path.join(command.target, *SETTINGS_FILE.split("/")), "rb") as f:
        if SETTING not in f.read():
            raise SystemExit("%s: %s lacks %r" % (command.name, SETTINGS_FILE, SETTING))
    links = {}
    for link in LINKS:
        path = os.path.join(prefix, "drive_c", START_MENU_FOLDER, link)
        if not os.path.isfile(path):
            raise SystemExit("%s: the link %s is missing" % (command.name, path))
        info = subprocess.run(["lnkinfo", path], capture_output=True, text=True, errors="replace").stdout
        links[link] = sorted(neutral(line.strip()) for line in info.splitlines()
                             if re.match(r"\s*(Local path|Command line arguments|Icon location|Icon index)", line))
    query = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY], env=env, capture_output=True,
                           text=True, errors="replace").stdout
    values = {}
    for line in query.splitlines():
        m = re.match(r"^\s+(\S+)\s+(REG_\w+)\s*(.*)$", line)
        if m:
            values[m.group(1)] = (m.group(2), neutral(m.group(3).strip()))
    return {"links": links, "uninstall": values}


def compare_whole_job(name, facts, reference, files):
    """The peer's links and Uninstall values equal Setup.exe's, but for two that cannot: the
    install date (a run may cross midnight) and the estimated size: NSIS rounds each of the
    |files| (and the copies) up to a KiB, Setup.exe the sum, which also counts its small
    configuration files."""
    for link in LINKS:
        if facts["links"][link] != reference["links"][link]:
            raise SystemExit("%s: the link %s differs from Setup.exe's: %r against %r" % (
                name, link, facts["links"][link], reference["links"][link]))
    mine, theirs = dict(facts["uninstall"]), dict(reference["uninstall"])
    for values in (mine, theirs):
        kind, date = values.pop("InstallDate", ("", ""))
        if kind != "REG_SZ" or not re.fullmatch(r"\d{8}", date):
            raise SystemExit("%s: InstallDate is %r %r" % (name, kind, date))
    (kind, size), (_, reference_size) = mine.pop("EstimatedSize"), theirs.pop("EstimatedSize")
    rounding = int(size, 16) - int(reference_size, 16)
    if kind != "REG_DWORD" or not -16 <= rounding <= files + len(SHARED_COPIES) + 16:
        raise SystemExit("%s: EstimatedSize %s, Setup.exe wrote %s" % (name, size, reference_size))
    differing = sorted(n for n in set(mine) | set(theirs) if mine.get(n) != theirs.get(n))
    if differing:
        raise SystemExit("%s: Uninstall values unlike Setup.exe's: %s" % (name, "; ".join(
            "%s %r against %r" % (n, mine.get(n), theirs.get(n)) for n in differing)))


def measure_preset(preset, args, env):
    commands = commands_for(preset, args.prefix, args.bench_dir)
    print("  %s: checked run of every command" % preset.name, flush=True)
    log_lines = None
    reference = None  # what Setup.exe left besides the files
    for c in commands:
        prepare(c, args.trash, args.prefix)
        run(c, args.cpu, env)
        check_files(preset, c)
        if c.whole_job:
            facts = whole_job_facts(c, args.prefix, env)
            if reference is None:
                reference = facts
            else:
                compare_whole_job(c.name, facts, reference, preset.files)
        if c.name == "setup":
            log_lines = sum(1 for line in installer_log(c) if STAMPED.match(line))
    times = {c.name: [] for c in commands}
    rss = {c.name: [] for c in commands}
    rounds = args.rounds or DEFAULT_ROUNDS[preset.name]
    for r in range(rounds):
        turn = commands[r % len(commands):] + commands[:r % len(commands)]
        for c in turn:
            prepare(c, args.trash, args.prefix)
            wall, peak = run(c, args.cpu, env)
            times[c.name].append(wall)
            rss[c.name].append(peak)
        print("  %s: round %d/%d: %s" % (preset.name, r + 1, rounds,
                                         "  ".join("%s %.2f s" % (c.name, times[c.name][-1]) for c in commands)),
              flush=True)
    for c in commands:
        prepare(c, args.trash, args.prefix)
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
        "each round; a fresh target for every run (the last one, and the Start-menu folder of the links, "
        "moved aside, then `sync`, untimed; the Uninstall entry is rewritten by every whole-job run); "
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
    lines += ["| preset | installer / NSIS whole job | target | installer / NSIS files only (non-solid, "
              "solid) | installer / tar | log flush share | peak memory (installer) | memory limit |",
              "|---|---|---|---|---|---|---|---|"]
    for p in presets:
        t = results[p.name]["times"]
        s = med(t["setup"])
        ratio = s / med(t["nsis-whole"])
        limit = RATIO_LIMITS.get(p.name)
        target = "≤ %.1f: %s" % (limit, verdict(ratio <= limit)) if limit else "(for the per-file cost)"
        share = (s - med(t["setup-noflush"])) / s
        peak = max(results[p.name]["rss"]["setup"]) * 1024
        memory_limit = p.compressed + p.uncompressed + 32 * MIB
        lines.append("| %s | %.2f | %s | %.2f, %.2f | %.2f | %.0f %% of %d lines | %.0f MiB | %.0f MiB: %s |" % (
            p.name, ratio, target, s / med(t["nsis"]), s / med(t["nsis-solid"]), s / med(t["tar"]),
            100 * share, results[p.name]["log_lines"], peak / MIB, memory_limit / MIB,
            verdict(peak <= memory_limit)))
    lines += ["", "The whole job is the files where Setup.exe puts them (with the company-folder copies "
              "of the shared programs), the two Start-menu links, the Uninstall entry's values and "
              "the settings file; files only is the product's files below the target folder. The log "
              "flush share is (installer − installer with FlushFileBuffers compiled out) ÷ "
              "installer, medians; the lines are those of one run's log, each written at once and "
              "flushed by the log's own thread. The memory limit is the payload's compressed + uncompressed size + 32 MiB.", ""]

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
            mark = " (target ≤ %.1f: %s)" % (GROWTH_LIMIT, verdict(growth <= GROWTH_LIMIT)) if n == "setup" else ""
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
