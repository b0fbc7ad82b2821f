#!/usr/bin/env python3
"""The language server's answer time while the player types.

    bench/vyrls_latency.py [--vyrls build/vyrls] [--data build/syntax.dat] [--lines 3000] [--changes 300]

Opens a generated orders file of LINES lines (bench/generate_orders.py, the
same file for the same arguments) in vyrls, then sends CHANGES didChange
notifications of one character each (typing and deleting a letter in the
middle of the file, waiting for each answer) and measures the time from
sending a change to reading its textDocument/publishDiagnostics. Prints the
minimum, median, 95th percentile and maximum in milliseconds, and the
server's processor time (user and system) per change, which a loaded machine
disturbs less than the wall-clock times.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


class Server:
    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def send(self, message):
        self.process.stdin.write(frame(message))
        self.process.stdin.flush()

    def read(self):
        return json.loads(self.read_body())

    def read_body(self):
        """The next message's bytes, not parsed."""
        length = None
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise SystemExit("vyrls ended")
            line = line.strip()
            if not line:
                break
            name, _, value = line.partition(b":")
            if name.lower() == b"content-length":
                length = int(value)
        return self.process.stdout.read(length)

    def wait_diagnostics(self, version):
        while True:
            message = self.read()
            if message.get("method") == "textDocument/publishDiagnostics" and \
                    message["params"].get("version") == version:
                return message


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vyrls", default="build/vyrls")
    parser.add_argument("--data", default="build/syntax.dat")
    parser.add_argument("--lines", type=int, default=3000)
    parser.add_argument("--changes", type=int, default=300)
    options = parser.parse_args()

    text = subprocess.run([sys.executable, os.path.join(HERE, "generate_orders.py"), str(options.lines)],
                          check=True, capture_output=True).stdout.decode("utf-8", "replace")
    lines = text.split("\n")
    row = len(lines) // 2
    column = len(lines[row])
    uri = "file:///bench/orders.txt"
    server = Server([options.vyrls, "--data", options.data])
    server.send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}})
    server.read()
    server.send({"jsonrpc": "2.0", "method": "initialized", "params": {}})
    server.send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
                 "params": {"textDocument": {"uri": uri, "languageId": "vyr", "version": 1, "text": text}}})
    findings = len(server.wait_diagnostics(1)["params"]["diagnostics"])

    def cpu_seconds():
        with open("/proc/%d/stat" % server.process.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    times = []
    cpu_before = cpu_seconds()
    for version in range(2, options.changes + 2):
        typing = version % 2 == 0
        start = {"line": row, "character": column}
        end = start if typing else {"line": row, "character": column + 1}
        change = {"range": {"start": start, "end": end}, "text": "x" if typing else ""}
        sent = time.perf_counter()
        server.send({"jsonrpc": "2.0", "method": "textDocument/didChange",
                     "params": {"textDocument": {"uri": uri, "version": version}, "contentChanges": [change]}})
        server.wait_diagnostics(version)
        times.append((time.perf_counter() - sent) * 1000)

    cpu = (cpu_seconds() - cpu_before) * 1000 / len(times)
    server.send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
    server.send({"jsonrpc": "2.0", "method": "exit"})
    server.process.wait(timeout=10)
    times.sort()
    print("%d lines, %d findings, %d changes: min %.2f ms, median %.2f ms, p95 %.2f ms, max %.2f ms; "
          "server CPU %.2f ms per change" % (
              len(lines) - 1, findings, len(times), times[0], statistics.median(times),
              times[int(len(times) * 0.95) - 1], times[-1], cpu))


if __name__ == "__main__":
    main()
