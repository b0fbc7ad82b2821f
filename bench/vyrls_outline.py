#!/usr/bin/env python3
"""The outline's cost against the check's, in the language server.

    bench/vyrls_outline.py [--vyrls build/vyrls] [--data build/syntax.dat] [--lines 3000,30000] [--repeat 5]

For each size, opens a generated orders file of that many lines
(bench/generate_orders.py) and, REPEAT times, sends the whole text again
(didChange) and times it up to the bytes of its
textDocument/publishDiagnostics (the check), then asks for
textDocument/documentSymbol and times it up to the bytes of its answer (the
outline). Prints the medians in milliseconds, their ratio, the size of the
outline's answer and, apart, the time this client takes to parse it (JSON
in Python, which is no part of the server's cost).
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vyrls_latency import HERE, Server  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vyrls", default="build/vyrls")
    parser.add_argument("--data", default="build/syntax.dat")
    parser.add_argument("--lines", default="3000,30000")
    parser.add_argument("--repeat", type=int, default=5)
    options = parser.parse_args()
    uri = "file:///tmp/bench-outline.txt"
    print("%8s %10s %12s %7s %12s %10s" % ("lines", "check ms", "outline ms", "ratio", "answer bytes",
                                          "parse ms"))
    for lines in [int(n) for n in options.lines.split(",")]:
        text = subprocess.run([sys.executable, os.path.join(HERE, "generate_orders.py"), str(lines)],
                              check=True, capture_output=True, text=True).stdout
        server = Server([options.vyrls, "--data", options.data])
        server.send({"jsonrpc": "2.0", "id": 1, "method": "initialize",
                     "params": {"capabilities": {}, "initializationOptions": {}}})
        while server.read().get("id") != 1:
            pass
        server.send({"jsonrpc": "2.0", "method": "initialized", "params": {}})
        server.send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
                     "params": {"textDocument": {"uri": uri, "languageId": "vyr", "version": 1, "text": text}}})
        server.wait_diagnostics(1)
        checks, outlines, parses, size = [], [], [], 0
        for k in range(options.repeat):
            version = k + 2
            start = time.perf_counter()
            server.send({"jsonrpc": "2.0", "method": "textDocument/didChange",
                         "params": {"textDocument": {"uri": uri, "version": version},
                                    "contentChanges": [{"text": text}]}})
            marker = b'"version":%d}' % version
            while True:
                body = server.read_body()
                if b"publishDiagnostics" in body and marker in body:
                    break
            checks.append(time.perf_counter() - start)
            start = time.perf_counter()
            server.send({"jsonrpc": "2.0", "id": 100 + k, "method": "textDocument/documentSymbol",
                         "params": {"textDocument": {"uri": uri}}})
            while True:
                body = server.read_body()
                if body.startswith(b'{"jsonrpc":"2.0","id":%d,' % (100 + k)):
                    break
            outlines.append(time.perf_counter() - start)
            start = time.perf_counter()
            json.loads(body)
            parses.append(time.perf_counter() - start)
            size = len(body)
        server.send({"jsonrpc": "2.0", "id": 2, "method": "shutdown", "params": None})
        while server.read().get("id") != 2:
            pass
        server.send({"jsonrpc": "2.0", "method": "exit", "params": None})
        server.process.stdin.close()
        server.process.wait(timeout=60)
        check, outline = statistics.median(checks) * 1000, statistics.median(outlines) * 1000
        print("%8d %10.1f %12.1f %7.2f %12d %10.1f" % (lines, check, outline, outline / check, size,
                                                     statistics.median(parses) * 1000))


if __name__ == "__main__":
    main()
