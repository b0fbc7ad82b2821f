#!/usr/bin/env python3
"""The web checker's peak memory under oversized chunked bodies.

    bench/vyrserve_chunked.py VYRSERVE SYNTAX_DAT [CLIENTS] [MEGABYTES]

Starts VYRSERVE with --max-bytes 1000 on a free loopback port, then CLIENTS
clients (default 4) each post one chunk of MEGABYTES (default 200) at once,
sending until the server answers or stops reading. Prints each answer's
status, whether the connection was closed after it, and the server's peak
resident memory (VmHWM) when idle and after the clients.
"""

import socket
import subprocess
import sys
import threading
import time


def peak(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def client(port, megabytes, results, k):
    size = megabytes << 20
    sock = socket.create_connection(("127.0.0.1", port), timeout=60)
    sock.sendall(b"POST /api/check HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" +
                 format(size, "x").encode() + b"\r\n")
    piece = b" " * 65536
    sent = 0
    sock.setblocking(False)
    answer = b""
    while sent < size:
        try:
            answer += sock.recv(65536)
            break
        except BlockingIOError:
            pass
        except OSError:
            break
        try:
            sent += sock.send(piece)
        except BlockingIOError:
            time.sleep(0.001)
        except OSError:
            break
    sock.setblocking(True)
    try:
        while True:
            more = sock.recv(65536)
            if not more:
                break
            answer += more
        closed = True
    except OSError:
        closed = True
    results[k] = (answer[:12].decode(errors="replace"), closed, sent >> 20)
    sock.close()


def main():
    vyrserve, data = sys.argv[1], sys.argv[2]
    clients = int(sys.argv[3]) if len(sys.argv) > 3 else 4
    megabytes = int(sys.argv[4]) if len(sys.argv) > 4 else 200
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    server = subprocess.Popen([vyrserve, "--listen", f"127.0.0.1:{port}", "--data", data, "--quiet",
                               "--max-bytes", "1000"], stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                break
            except OSError:
                time.sleep(0.1)
        idle = peak(server.pid)
        results = [None] * clients
        threads = [threading.Thread(target=client, args=(port, megabytes, results, k)) for k in range(clients)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        after = peak(server.pid)
        for k, (status, closed, sent) in enumerate(results):
            print(f"client {k}: {status!r}, closed {closed}, {sent} MB sent")
        print(f"peak resident memory: idle {idle:.1f} MB, after {after:.1f} MB (+{after - idle:.1f} MB)")
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
