#!/usr/bin/python3
"""real_tar_test.py - pvrsim's busybox tar and df beside the real busybox
(under qemu-mipsel), with the manager's backup and restore command lines on
one temporary disk folder.  pvrsim's shell runs them through box_shell_run;
for the real busybox, /mnt/hd becomes the folder and the busybox path a
script that runs busybox under qemu-mipsel.  Checked: each tar lists and
extracts, byte for byte, the archive the other one made; df's header is the
same and pvrsim's line is busybox's layout."""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys

BUSYBOX = "/mnt/hd/ProgramFiles/busybox"
FILES = {
    "ProgramFiles/A.tap": bytes(range(256)) * 300,
    "ProgramFiles/Settings/A/a.ini": b"[a]\nx=1\n",
    "ProgramFiles/Settings/A/empty.dat": b"",
    "ProgramFiles/Settings/A/Deep/" + "n" * 90 + ".bin": b"deep" * 1000,
}
NAMES = ["ProgramFiles/A.tap", "ProgramFiles/Settings/A/", "ProgramFiles/Settings/A/Deep/",
         "ProgramFiles/Settings/A/Deep/" + "n" * 90 + ".bin", "ProgramFiles/Settings/A/a.ini",
         "ProgramFiles/Settings/A/empty.dat"]


def create(backup):
    return (BUSYBOX + " tar -czf '/mnt/hd/Backup/%s' -C '/mnt/hd' 'ProgramFiles/A.tap' "
            "'ProgramFiles/Settings/A'" % backup)


def listing(backup, out):
    return BUSYBOX + " tar -tzf '/mnt/hd/Backup/%s' > '/mnt/hd/Backup/%s'" % (backup, out)


def extract(backup, folder):
    return BUSYBOX + " tar -xzf '/mnt/hd/Backup/%s' -C '/mnt/hd/Backup/%s'" % (backup, folder)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--command", required=True)
    parser.add_argument("--busybox", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    disk, run = os.path.join(args.work, "disk"), os.path.join(args.work, "run")
    for name, data in FILES.items():
        os.makedirs(os.path.dirname(os.path.join(disk, name)), exist_ok=True)
        open(os.path.join(disk, name), "wb").write(data)
    for folder in ("Backup/SimStaging", "Backup/RealStaging"):
        os.makedirs(os.path.join(disk, folder))
    tramp = os.path.join(disk, "ProgramFiles", "busybox")
    open(tramp, "w").write("#!/bin/sh\nexec qemu-mipsel %s \"$@\"\n" % shlex.quote(os.path.abspath(args.busybox)))
    os.chmod(tramp, 0o755)
    failures = []

    def check(what, condition):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            failures.append(what)

    def sim(line):
        return subprocess.run(shlex.split(args.command) + [disk, run, line], timeout=120).returncode

    def real(line):
        line = line.replace(BUSYBOX, shlex.quote(tramp)).replace("/mnt/hd", disk)
        return subprocess.run(["qemu-mipsel", args.busybox, "sh", "-c", line], timeout=120).returncode

    def read(name):
        return open(os.path.join(disk, "Backup", name), "rb").read()

    def same_files(folder):
        return all(read(os.path.join(folder, name)) == data for name, data in FILES.items())

    check("pvrsim creates the backup", sim(create("sim.tgz")) == 0)
    check("the real tar lists it", real(listing("sim.tgz", "real-list.txt")) == 0)
    check("in pvrsim's order, folders with '/'", read("real-list.txt").decode().split("\n")[:-1] == NAMES)
    check("the real tar extracts it", real(extract("sim.tgz", "RealStaging")) == 0)
    check("byte for byte", same_files("RealStaging"))

    check("the real tar creates a backup", real(create("real.tgz")) == 0)
    check("pvrsim lists it", sim(listing("real.tgz", "sim-list.txt")) == 0)
    check("the same names", sorted(read("sim-list.txt").decode().split("\n")[:-1]) == sorted(NAMES))
    check("pvrsim extracts it", sim(extract("real.tgz", "SimStaging")) == 0)
    check("byte for byte", same_files("SimStaging"))

    df = BUSYBOX + " df -k '/mnt/hd' > '/mnt/hd/Backup/%s'"
    check("df runs in both", real(df % "real-df.txt") == 0 and sim(df % "sim-df.txt") == 0)
    real_lines, sim_lines = read("real-df.txt").decode().splitlines(), read("sim-df.txt").decode().splitlines()
    check("df's header is busybox's", sim_lines[0] == real_lines[0])
    ends = lambda line: [m.end() for m in re.finditer(r"\S+", line)]
    fields = sim_lines[1].split() if len(sim_lines) == 2 else []
    check("one line of six fields for /mnt/hd", len(fields) == 6 and fields[5] == "/mnt/hd")
    check("the numbers end under their headings",
          len(fields) == 6 and ends(sim_lines[1])[1:5] == [ends(real_lines[0])[i] for i in (1, 2, 3, 4)])
    if failures:
        sys.exit("real_tar_test: %d check(s) failed" % len(failures))


if __name__ == "__main__":
    main()
