#!/usr/bin/env python3
"""Opens an orders file in a language server started as given and waits for
its diagnostics: there must be some, and each code link must lead into the
expected guide, a file that exists; with GUIDE_URL "" there must be no link.
    lsp_check.py SERVER ORDERS GUIDE_URL"""
import json
import os
import select
import subprocess
import sys
import time
import urllib.parse


def send(process, message):
    body = json.dumps(message).encode()
    process.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
    process.stdin.flush()


def receive(process, deadline):
    """The next message, or None when the server sends none in time."""
    buffer = b""
    while b"\r\n\r\n" not in buffer or len(buffer) < body_end(buffer):
        if not select.select([process.stdout], [], [], max(0.0, deadline - time.monotonic()))[0]:
            return None
        chunk = os.read(process.stdout.fileno(), 1)
        if not chunk:
            return None
        buffer += chunk
    header, body = buffer.split(b"\r\n\r\n", 1)
    return json.loads(body)


def body_end(buffer):
    header, _, _ = buffer.partition(b"\r\n\r\n")
    for line in header.split(b"\r\n"):
        if line.lower().startswith(b"content-length:"):
            return len(header) + 4 + int(line.split(b":")[1])
    return len(buffer) + 1


def main():
    server, orders, guide = sys.argv[1:4]
    text = open(orders, encoding="utf-8").read()
    process = subprocess.Popen([server], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    deadline = time.monotonic() + 60
    send(process, {"jsonrpc": "2.0", "id": 1, "method": "initialize",
                   "params": {"processId": None, "rootUri": None, "capabilities": {}}})
    send(process, {"jsonrpc": "2.0", "method": "initialized", "params": {}})
    uri = "file://" + os.path.abspath(orders)
    send(process, {"jsonrpc": "2.0", "method": "textDocument/didOpen",
                   "params": {"textDocument": {"uri": uri, "languageId": "vyr", "version": 1, "text": text}}})
    diagnostics = None
    while diagnostics is None:
        message = receive(process, deadline)
        if message is None:
            sys.exit("lsp_check: no diagnostics from %s" % server)
        if message.get("method") == "textDocument/publishDiagnostics":
            diagnostics = message["params"]["diagnostics"]
    send(process, {"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
    send(process, {"jsonrpc": "2.0", "method": "exit"})
    process.stdin.close()
    process.wait(timeout=30)
    if not diagnostics:
        sys.exit("lsp_check: no findings on %s" % orders)
    if not guide:
        linked = [d for d in diagnostics if "codeDescription" in d]
        if linked:
            sys.exit("lsp_check: a link where no guide is: %r" % linked[0]["codeDescription"])
        print("lsp_check: %d findings, none linked" % len(diagnostics))
        return
    for diagnostic in diagnostics:
        href = diagnostic.get("codeDescription", {}).get("href", "")
        page, _, code = href.partition("#")
        if page != guide or code != diagnostic.get("code"):
            sys.exit("lsp_check: link %r, not %s#%s" % (href, guide, diagnostic.get("code")))
        if not os.path.isfile(urllib.parse.urlparse(page).path):
            sys.exit("lsp_check: the guide %s is not there" % page)
    print("lsp_check: %d findings, each linked into %s" % (len(diagnostics), guide))


main()
