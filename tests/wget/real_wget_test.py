#!/usr/bin/python3
"""real_wget_test.py - the box's busybox wget, under qemu-mipsel, started by
busybox's own shell with the manager's command line (wget_command prints it)
against a local HTTP server that counts its requests.

The command names /mnt/hd/ProgramFiles/wget, which exists only on the box;
here that one word becomes a small host script that runs the same busybox
as its wget applet under qemu-mipsel (the PC has no /mnt/hd), everything
else of the line stays as built.  Checked: a complete download (status 0,
the file byte for byte), an HTTP error (status 1, no file), and a download
from a server that stalls, ended with kill <pid> (status 143, the part
received stays)."""
import argparse
import http.server
import os
import shlex
import shutil
import subprocess
import sys
import threading
import time

BODY = bytes(range(256)) * 200  # 51200 bytes
STALL_AFTER = 1000
counts = {}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        counts[self.path] = counts.get(self.path, 0) + 1
        if self.path == "/MasterList.vml":
            self.answer(BODY)
        elif self.path == "/stall.vml":
            self.answer(BODY, stall=True)
        else:
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()

    def answer(self, body, stall=False):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:STALL_AFTER] if stall else body)
        self.wfile.flush()
        if stall:
            time.sleep(30)

    def log_message(self, *args):
        pass


def wait_for(path, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        if os.path.exists(path) and open(path).read().endswith("\n"):
            return open(path).read()
        time.sleep(0.05)
    return None


def run_case(args, url, name, tramp, busybox):
    folder = os.path.join(args.work, name)
    os.makedirs(folder)
    out, status, pid = (os.path.join(folder, n) for n in ("out.tmp", "status", "pid"))
    command = subprocess.run(shlex.split(args.command) + [url, out, status, pid], check=True,
                             capture_output=True, text=True).stdout.strip()
    prefix = "( /mnt/hd/ProgramFiles/wget "
    assert command.startswith(prefix), command
    command = "( " + shlex.quote(tramp) + " " + command[len(prefix):]
    started = time.time()
    subprocess.run(["qemu-mipsel", busybox, "sh", "-c", command], check=True, timeout=30)
    return folder, out, status, pid, time.time() - started


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--command", required=True)
    parser.add_argument("--busybox", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    tramp = os.path.join(args.work, "wget")
    with open(tramp, "w") as f:
        f.write("#!/bin/sh\nexec qemu-mipsel %s wget \"$@\"\n" % shlex.quote(os.path.abspath(args.busybox)))
    os.chmod(tramp, 0o755)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d" % server.server_address[1]
    failures = []

    def check(what, condition):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            failures.append(what)

    _, out, status, _, seconds = run_case(args, base + "/MasterList.vml", "complete", tramp, args.busybox)
    check("the shell returns at once (%.1f s)" % seconds, seconds < 10)
    check("a complete download ends with status 0", wait_for(status) == "0\n")
    check("the file arrives byte for byte", open(out, "rb").read() == BODY)

    _, out, status, _, _ = run_case(args, base + "/none.vml", "missing", tramp, args.busybox)
    check("an HTTP error ends with status 1", wait_for(status) == "1\n")
    check("an HTTP error leaves no file", not os.path.exists(out))

    _, out, status, pid, _ = run_case(args, base + "/stall.vml", "stall", tramp, args.busybox)
    number = wait_for(pid)
    check("the pid file names wget", number is not None and number.strip().isdigit())
    time.sleep(2)
    check("a stalled download has no status yet", not os.path.exists(status))
    if number is not None:
        subprocess.run(["kill", number.strip()])
    check("kill ends it with status 143", wait_for(status) == "143\n")
    check("the part received stays", os.path.exists(out) and open(out, "rb").read() == BODY[:STALL_AFTER])

    check("the server saw each URL once", counts == {"/MasterList.vml": 1, "/none.vml": 1, "/stall.vml": 1})
    server.shutdown()
    if failures:
        sys.exit("real_wget_test: %d check(s) failed" % len(failures))


if __name__ == "__main__":
    main()
