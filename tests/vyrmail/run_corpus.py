#!/usr/bin/env python3
"""Runs the built vyrmail on one mail of the corpus and checks the outcome.

usage: run_corpus.py VYRMAIL VYRSYN VYRCHECK SYNTAX_DAT CASE.eml

CASE.expect beside the mail says what must come of it, one check a line
('#' starts a comment):
  args: ARG...        more arguments (@CORPUS@ is the corpus folder)
  sender: ADDRESS     given as --sender
  repeat: N           the mail is delivered N times into the same store
  status: N           vyrmail's exit status (every run)
  replies: N          the number of replies handed to sendmail (0: none)
  header: NAME: VALUE a header field of the last reply, exactly
  no-header: NAME     a header field the last reply must not have
  text: WORDS         words the last reply's text part holds
  no-text: WORDS      words it must not hold
  attachments: NAMES  the last reply's attachment names, in order
  orders: FILE        the orders as decoded: every orders-*.txt / orders.txt
                      attachment is what VyrSyn writes for its block of FILE,
                      and findings.json what vyrcheck --format json writes for
                      the blocks as files of those names
  filed: PLAYER FILE  the store holds FILE as PLAYER's orders (and the raw mail)
  history: PLAYER N   PLAYER has N filings
  not-filed           the store holds no orders
  log: WORDS          the log holds these words
"""
import email
import email.policy
import os
import re
import shlex
import subprocess
import sys
import tempfile

vyrmail, vyrsyn, vyrcheck, data, case = sys.argv[1:6]
corpus = os.path.dirname(os.path.abspath(case))
stem = case[:-len(".eml")]
checks = []
with open(stem + ".expect", encoding="utf-8") as f:
    for line in f:
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        key, _, value = line.partition(":")
        checks.append((key.strip(), value.strip()))
faults = []


def fail(message):
    faults.append(message)


def values(key):
    return [v for k, v in checks if k == key]


def blocks_of(text):
    """The blocks VyrSyn is given: from a header line to the line before the next."""
    lines = text.splitlines(keepends=True)
    heads = [i for i, line in enumerate(lines) if "#vyr" in line.lower()]
    if len(heads) <= 1:
        return [text]
    starts = [0] + heads[1:]
    ends = heads[1:] + [len(lines)]
    return ["".join(lines[s:e]) for s, e in zip(starts, ends)]


with tempfile.TemporaryDirectory() as work:
    out = os.path.join(work, "out")
    os.mkdir(out)
    store = os.path.join(work, "store")
    log = os.path.join(work, "log")
    sendmail = 'n=$(ls %s | wc -l); cat > %s/reply-$n.eml' % (out, out)
    args = [vyrmail, "--data", data, "--from", "gm@vyr.example", "--store", store, "--log", log,
            "--sendmail", sendmail]
    for extra in values("args"):
        args += shlex.split(extra.replace("@CORPUS@", corpus).replace("@WORK@", work))
    for sender in values("sender"):
        args += ["--sender", sender]
    repeat = int((values("repeat") or ["1"])[0])
    raw = open(case, "rb").read()
    for _ in range(repeat):
        run = subprocess.run(args, input=raw, capture_output=True, timeout=120)
        for status in values("status"):
            if run.returncode != int(status):
                fail("status %d, not %s; stderr: %s" % (run.returncode, status, run.stderr.decode(errors="replace")))
    replies = sorted(os.listdir(out), key=lambda n: int(re.sub(r"\D", "", n)))
    for count in values("replies"):
        if len(replies) != int(count):
            fail("%d replies, not %s" % (len(replies), count))
    reply = None
    if replies:
        with open(os.path.join(out, replies[-1]), "rb") as f:
            reply = email.message_from_binary_file(f, policy=email.policy.compat32)
    text = ""
    attachments = []
    if reply is not None:
        for part in reply.walk():
            if part.is_multipart():
                continue
            name = part.get_filename()
            body = part.get_payload(decode=True)
            if name:
                attachments.append((name, body))
            elif part.get_content_type() == "text/plain":
                text += body.decode("utf-8")
        raw_reply = open(os.path.join(out, replies[-1]), "rb").read()
        head = raw_reply.split(b"\n\n", 1)[0].decode("ascii")
        header_lines = re.sub(r"\n[ \t]+", " ", head).split("\n")
    for expected in values("header"):
        if reply is None or expected not in header_lines:
            fail("no header line %r in the reply" % expected)
    for name in values("no-header"):
        if reply is not None and reply[name] is not None:
            fail("the reply has a header %s: %r" % (name, reply[name]))
    for words in values("text"):
        if words not in text:
            fail("the reply's text lacks %r:\n%s" % (words, text))
    for words in values("no-text"):
        if words in text:
            fail("the reply's text holds %r" % words)
    for names in values("attachments"):
        got = " ".join(n for n, _ in attachments)
        if got != names:
            fail("attachments %r, not %r" % (got, names))
    for orders in values("orders"):
        decoded = open(os.path.join(corpus, orders), encoding="utf-8", newline="").read()
        annotated = [body for name, body in attachments if re.fullmatch(r"orders(-\d+)?\.txt", name)]
        blocks = blocks_of(decoded)
        if len(annotated) != len(blocks):
            fail("%d annotated attachments for %d blocks" % (len(annotated), len(blocks)))
        for k, (block, got) in enumerate(zip(blocks, annotated)):
            want = subprocess.run([vyrsyn, "1"], input=block.encode(), capture_output=True, timeout=60).stdout
            if got != want:
                fail("block %d: the annotated attachment is not VyrSyn's output:\n%r\n%r" % (k + 1, got, want))
        names = [name for name, _ in attachments if re.fullmatch(r"orders(-\d+)?\.txt", name)]
        blocks_dir = os.path.join(work, "blocks")
        os.mkdir(blocks_dir)
        for name, block in zip(names, blocks):
            with open(os.path.join(blocks_dir, name), "w", encoding="utf-8", newline="") as f:
                f.write(block)
        want = subprocess.run([vyrcheck, "--format", "json"] + names, cwd=blocks_dir, capture_output=True,
                              timeout=60).stdout
        got = dict(attachments).get("findings.json")
        if got != want:
            fail("findings.json is not vyrcheck's JSON:\n%s\n%s" % (got, want.decode()))
    game = os.path.join(store, "game-1")
    for filed in values("filed"):
        player, orders = filed.split()
        path = os.path.join(game, player, "orders.txt")
        want = open(os.path.join(corpus, orders), "rb").read()
        if not os.path.exists(path) or open(path, "rb").read() != want:
            fail("%s's filed orders are not %s" % (player, orders))
        mail = os.path.join(game, player, "mail.eml")
        if not os.path.exists(mail) or open(mail, "rb").read() != raw:
            fail("%s's raw mail is not kept" % player)
    for history in values("history"):
        player, count = history.split()
        folder = os.path.join(game, player, "history")
        got = len([n for n in os.listdir(folder) if n.endswith(".txt")]) if os.path.isdir(folder) else 0
        if got != int(count):
            fail("%s has %d filings, not %s" % (player, got, count))
    if values("not-filed") or ("not-filed", "") in checks:
        found = [os.path.join(d, n) for d, _, names in os.walk(game) for n in names if n == "orders.txt"]
        if found:
            fail("filed: %s" % found)
        leftovers = [n for d, _, names in os.walk(store) for n in names if ".tmp-" in n]
        if leftovers:
            fail("temporary files left: %s" % leftovers)
    logged = open(log, encoding="utf-8").read() if os.path.exists(log) else ""
    for words in values("log"):
        if words not in logged:
            fail("the log lacks %r:\n%s" % (words, logged))

if faults:
    print("%s:" % os.path.basename(case))
    for fault in faults:
        print("  " + fault)
    sys.exit(1)
