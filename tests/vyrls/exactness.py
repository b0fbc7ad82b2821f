#!/usr/bin/env python3
"""The editor equals the checker on any text.

Every end-to-end case, the example orders, the fuzzer's seeds of orders texts
and generated texts (long lines, mixed line ends, NUL bytes, bytes that are not
UTF-8, 100,000 lines) are opened in the built vyrls, and every diagnostic it
publishes (line, UTF-16 range, severity, code, message, suggestion) must be
what `vyrcheck --format json` reports for the same text saved as a file.

A text holding bytes that are not UTF-8 reaches the server as an editor holds
it, each such byte replaced by U+FFFD, and that text is what is saved for
vyrcheck.

    exactness.py VYRLS VYRCHECK VYRPACK ARCHIVE SOURCE_DIR
"""
import bisect
import json
import os
import random
import re
import select
import subprocess
import sys
import tempfile
import time

TIMEOUT = 120  # seconds for any one answer, against hangs only


class Server:
    """vyrls on pipes, started for one archive."""

    def __init__(self, program, archive):
        self.process = subprocess.Popen([program, "--stdio", "--data", archive], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE)
        self.buffer = b""
        self.waiting = []
        self.send({"jsonrpc": "2.0", "id": 1, "method": "initialize",
                   "params": {"processId": None, "capabilities": {}}})
        answer = self.wait(lambda m: m.get("id") == 1)
        if "result" not in answer:
            raise SystemExit("initialize failed: %s" % answer)
        self.send({"jsonrpc": "2.0", "method": "initialized", "params": {}})

    def send(self, message):
        body = json.dumps(message).encode()
        self.process.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.process.stdin.flush()

    def read(self, deadline):
        while True:
            end = self.buffer.find(b"\r\n\r\n")
            if end >= 0:
                length = int(re.search(rb"Content-Length: *(\d+)", self.buffer[:end]).group(1))
                if len(self.buffer) >= end + 4 + length:
                    body = self.buffer[end + 4:end + 4 + length]
                    self.buffer = self.buffer[end + 4 + length:]
                    return json.loads(body)
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                raise SystemExit("vyrls gave no answer in time")
            block = os.read(self.process.stdout.fileno(), 1 << 20)
            if not block:
                raise SystemExit("vyrls ended")
            self.buffer += block

    def wait(self, wanted):
        for message in self.waiting:
            if wanted(message):
                self.waiting.remove(message)
                return message
        deadline = time.monotonic() + TIMEOUT
        while True:
            message = self.read(deadline)
            if wanted(message):
                return message
            self.waiting.append(message)

    def diagnostics(self, uri, text):
        self.send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
                   "params": {"textDocument": {"uri": uri, "languageId": "vyr", "version": 1, "text": text}}})
        published = self.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics"
                              and m["params"]["uri"] == uri)
        self.send({"jsonrpc": "2.0", "method": "textDocument/didClose", "params": {"textDocument": {"uri": uri}}})
        self.wait(lambda m: m.get("method") == "textDocument/publishDiagnostics" and m["params"]["uri"] == uri)
        return published["params"]["diagnostics"]

    def stop(self):
        self.send({"jsonrpc": "2.0", "id": 2, "method": "shutdown", "params": None})
        self.wait(lambda m: m.get("id") == 2)
        self.send({"jsonrpc": "2.0", "method": "exit"})
        self.process.stdin.close()
        return self.process.wait(TIMEOUT)


class ProtocolLines:
    """The lines of a UTF-8 text as the protocol counts them: they end at
    \\n, \\r\\n or a lone \\r."""

    def __init__(self, data):
        self.data = data
        self.starts, self.ends = [0], []
        for brk in re.finditer(rb"\r\n|\r|\n", data):
            self.ends.append(brk.start())
            self.starts.append(brk.end())
        self.ends.append(len(data))

    def position(self, offset):
        """(line, UTF-16 character) of a byte offset; an offset in a line
        break stands at the end of its line."""
        line = bisect.bisect_right(self.starts, offset) - 1
        piece = self.data[self.starts[line]:min(offset, self.ends[line])].decode("utf-8", "ignore")
        return line, sum(2 if ord(c) > 0xFFFF else 1 for c in piece)


def expected_diagnostics(data, findings):
    """vyrcheck's findings (1-based lines and byte columns of the file) as the
    server must publish them."""
    starts = [0] + [m.end() for m in re.finditer(b"\n", data)]
    lines = ProtocolLines(data)
    expected = []
    for finding in findings:
        line = max(finding["line"], 1)
        start = starts[line - 1] if line <= len(starts) else len(data)
        end = starts[line] - 1 if line < len(starts) else len(data)

        def offset(column):
            return min(start + max(column, 1) - 1, max(end, start))

        first = offset(finding["column"])
        last = max(first, offset(max(finding["end_column"], finding["column"])))
        (line_a, char_a), (line_b, char_b) = lines.position(first), lines.position(last)
        diagnostic = {"range": {"start": {"line": line_a, "character": char_a},
                                "end": {"line": line_b, "character": char_b}},
                      "severity": {"error": 1, "warning": 2}.get(finding["severity"], 3),
                      "code": finding["code"], "message": finding["message"]}
        if finding.get("suggestion") is not None:
            diagnostic["suggestion"] = finding["suggestion"]
        expected.append(diagnostic)
    return expected


def published_as_compared(diagnostics):
    got = []
    for diagnostic in diagnostics:
        if diagnostic.get("source") != "vyr":
            continue  # the editor's own hints, which the checker does not give
        entry = {"range": diagnostic["range"], "severity": diagnostic["severity"], "code": diagnostic.get("code"),
                 "message": diagnostic["message"]}
        if "data" in diagnostic:
            entry["suggestion"] = diagnostic["data"]["suggestion"]
        got.append(entry)
    return got


def vyrcheck_findings(vyrcheck, archive, game, path):
    run = subprocess.run([vyrcheck, "--data", archive, "--game", str(game), "--format", "json", path],
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=TIMEOUT)
    records = [json.loads(line) for line in run.stdout.splitlines()]
    if run.returncode == 3 or not any(r["type"] == "file" and r["checked"] for r in records):
        return None
    return [r for r in records if r["type"] == "finding"]


def game_of(argument):
    """The game number as VyrSyn reads it, or None."""
    if argument is None:
        return 1
    if argument == "-":
        return 0
    return int(argument) if re.fullmatch(r"-?\d+", argument) and abs(int(argument)) < 2**31 else None


def case_texts(source, vyrpack, archive, scratch):
    """(name, bytes, game, archive) of every e2e case VyrSyn checks, laid out
    as the case runner lays it out."""
    cases = os.path.join(source, "tests/e2e/cases")
    for name in sorted(os.listdir(cases)):
        case = os.path.join(cases, name)
        args = []
        if os.path.exists(os.path.join(case, "args")):
            args = open(os.path.join(case, "args"), encoding="utf-8", errors="replace").read().split("\n")
            if args and args[-1] == "":
                args.pop()
        game = game_of(args[0] if args else None)
        if game is None or len(args) > 3 or any(re.fullmatch(r"/\?|-h|--help|help", a, re.I) for a in args):
            continue
        root = tempfile.mkdtemp(prefix=name + "-", dir=scratch)
        bin_dir, work, stdin = (os.path.join(root, part) for part in ("bin", "work", "stdin"))
        os.mkdir(bin_dir)
        os.mkdir(work)
        laid = subprocess.run(["bash", "-c", 'source "$1"; place_archive "$2" "$3" "$4" "$5" "$6" && '
                               'lay_out_inputs "$2" "$7" "$8"', "layout",
                               os.path.join(source, "tests/e2e/case_layout.sh"), case, bin_dir,
                               os.path.join(source, "tests/e2e/data"), archive, vyrpack, work, stdin],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if laid.returncode != 0:
            continue
        path = stdin if len(args) < 2 or args[1] == "-" else os.path.join(work, args[1])
        try:
            with open(path, "rb") as file:
                data = file.read()
        except OSError:
            continue  # VyrSyn refuses it before any check
        yield "e2e." + name, data, game, os.path.join(bin_dir, "syntax.dat")


def generated_texts(source):
    """Texts no file in the tree holds."""
    rng = random.Random(27)
    lines = ["SHIRE 12,3", "  RECRUIT 40 Pikemen", "  RECRUIT 40 Pikemenn", "PASSWORD ab", "STUDY Ice",
             "  MARCH 40 Pikemen 12,9", "NOTE plain words", "RENAME \"New Greyhold\"", "ALLY 17",
             "  TRADE SELL 200 Gold extra", "@RECRUT 5 Scouts", "; a comment", "BANISH 3"]
    yield "NOTE and 29,995 x", b"#VYR Game 1\nNOTE " + b"x" * 29995 + b"\n#END\n"
    yield "RECRUIT 40 and 40,000 P", b"SHIRE 12,3\nRECRUIT 40 " + b"P" * 40000 + b"\n"
    yield "lines about the piece size", b"".join(b"NOTE " + b"y" * n + b" ALLY\n" for n in
                                                 (29990, 29993, 29994, 29995, 29999, 30000, 60000))
    yield "a line of 1 MB", b"SHIRE 12,3\n  RECRUIT 40 Pikemen " + b"Q" * (1 << 20) + b"\nSTUDY Ice\n"
    yield "a line of 1 MB without a newline", b"PASSWORD " + b"k" * (1 << 20)
    mixed = b""
    for k in range(400):
        mixed += lines[rng.randrange(len(lines))].encode() + rng.choice([b"\n", b"\r\n", b"\r", b"\r\r\n"])
    yield "mixed line ends", mixed
    nuls = b""
    for k in range(200):
        line = bytearray(lines[rng.randrange(len(lines))].encode())
        if rng.random() < 0.5:
            line.insert(rng.randrange(len(line) + 1), 0)
        nuls += bytes(line) + b"\n"
    yield "NUL bytes", nuls
    broken = b""
    for k in range(200):
        line = bytearray(lines[rng.randrange(len(lines))].encode())
        for _ in range(rng.randrange(3)):
            line.insert(rng.randrange(len(line) + 1), rng.choice([0x80, 0xC3, 0xE2, 0xF0, 0xFF, 0xFE, 0xED]))
        broken += bytes(line) + b"\n"
    yield "bytes that are not UTF-8", broken
    yield "characters outside the BMP and tabs", ("SHIRE 12,3\n\tRECRUIT 40 P😀kemen\n  NOTE 😀😀\tx\n"
                                                  "\u00e4\tSTUDY Ice\nRENAME \"Gr\u00fcn 😀\" extra\n").encode()
    yield "a byte-order mark", b"\xef\xbb\xbfSHIRE 12,9\n  RECRUIT 4x Pikemen\n"
    generator = os.path.join(source, "bench/generate_orders.py")
    for label, args in (("3,000 lines", ["3000", "--seed", "7"]),
                        ("every line faulty", ["400", "--faults", "1", "--seed", "3"]),
                        ("many old check lines", ["400", "--old-checks", "0.3", "--seed", "5"]),
                        ("100,000 lines", ["100000", "--faults", "0.05", "--seed", "11"])):
        yield "generated: " + label, subprocess.run([sys.executable, generator, *args], check=True,
                                                    stdout=subprocess.PIPE).stdout


def main():
    vyrls, vyrcheck, vyrpack, archive, source = sys.argv[1:6]
    scratch = tempfile.mkdtemp(prefix="vyrls-exactness-")
    try:
        texts = list(case_texts(source, vyrpack, archive, scratch))
        for name in sorted(os.listdir(os.path.join(source, "examples"))):
            with open(os.path.join(source, "examples", name), "rb") as file:
                texts.append(("examples/" + name, file.read(), 1, archive))
        seeds = os.path.join(source, "fuzz/corpus/fuzz_checkpass")
        for name in sorted(os.listdir(seeds)) if os.path.isdir(seeds) else []:
            with open(os.path.join(seeds, name), "rb") as file:
                texts.append(("fuzz seed " + name, file.read(), 1, archive))
        texts += [(name, data, 1, archive) for name, data in generated_texts(source)]

        servers = {}
        passed = failed = diagnostics = 0
        for number, (name, data, game, data_set) in enumerate(texts):
            text = data.decode("utf-8", "replace")
            saved = text.encode("utf-8")
            path = os.path.join(scratch, "orders.txt")
            with open(path, "wb") as file:
                file.write(saved)
            findings = vyrcheck_findings(vyrcheck, data_set, game, path)
            if findings is None:
                continue  # the data set is refused: the server checks nothing either
            key = (data_set, game)
            if key not in servers:
                servers[key] = Server(vyrls, data_set)
                if game != 1:
                    servers[key].send({"jsonrpc": "2.0", "method": "workspace/didChangeConfiguration",
                                       "params": {"settings": {"vyr": {"game": game}}}})
            got = published_as_compared(servers[key].diagnostics("file:///orders/%d.txt" % number, text))
            want = expected_diagnostics(saved, findings)
            if got == want:
                passed += 1
                diagnostics += len(got)
                continue
            failed += 1
            print("FAIL   %s: %d diagnostics, vyrcheck %d" % (name, len(got), len(want)))
            for k, (a, b) in enumerate(zip(got, want)):
                if a != b:
                    print("  first difference, #%d:\n    vyrls    %s\n    vyrcheck %s" % (k, a, b))
                    break
        for server in servers.values():
            if server.stop() != 0:
                print("FAIL   vyrls did not end with status 0")
                failed += 1
        print("%d texts agree (%d diagnostics), %d differ" % (passed, diagnostics, failed))
        return 0 if failed == 0 and passed > 0 else 1
    finally:
        subprocess.run(["rm", "-rf", scratch])  # a case may leave paths too deep for shutil


if __name__ == "__main__":
    sys.exit(main())
