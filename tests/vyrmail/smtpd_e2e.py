#!/usr/bin/env python3
"""vyrmail behind a real mail server: OpenSMTPD on a loopback port delivers
each mail for the orders address to vyrmail through an mda action, with the
configuration of doc/vyrmail.md as printed (its macros set on smtpd's command
line); the replies go back through the same server (sendmail) into a Maildir.
Mails are sent with swaks.

usage: smtpd_e2e.py VYRMAIL VYRSYN SYNTAX_DAT DOC [--bench N]

smtpd runs in a mount namespace of its own, with its queue (/var/spool/smtpd)
and control socket (/run) in a temporary folder, so that nothing of the
machine's mail system is touched; it needs root for that and for smtpd, and
is skipped (status 77) without root, smtpd, swaks or unshare. Deliveries run
as the unprivileged user nobody, so a store without write permission is
really unwritable for them. With --bench N it sends N mails one after the
other and prints the times from swaks to the reply in the Maildir.
"""
import email
import email.policy
import os
import pwd
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

SKIP = 77
vyrmail, vyrsyn, data, doc = (os.path.abspath(path) for path in sys.argv[1:5])  # smtpd runs in its own folder
bench = int(sys.argv[6]) if len(sys.argv) > 6 and sys.argv[5] == "--bench" else 0
if os.geteuid() != 0 or not all(shutil.which(t) for t in ("smtpd", "swaks", "unshare", "nsenter")):
    print("skipped: needs root, smtpd, swaks, unshare and nsenter")
    sys.exit(SKIP)
# A chroot whose root is no mount point (as a bare debootstrap root) cannot
# make a private mount namespace: the spool would not be the test's own.
if subprocess.run(["unshare", "--mount", "--propagation", "private", "true"],
                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
    print("skipped: no private mount namespace can be made here (a root that is no mount point?)")
    sys.exit(SKIP)

ORDERS = ("#VYR Game 1  Ember Company\nPASSWORD Kestrel7\nCAST 1 Firebal 12,3\nBANISH 3\n"
          "MESSAGE 17 Grüße an alle\n#END\n")
TIMEOUT = 60  # seconds against a hang; every wait ends as soon as its event is there


def fenced(text, info):
    """The fenced block of the document with that info string."""
    match = re.search(r"^```%s\n(.*?)^```$" % re.escape(info), text, re.S | re.M)
    if not match:
        sys.exit("%s: no ```%s block" % (doc, info))
    return match.group(1)


def wait_for(what, test):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        result = test()
        if result:
            return result
        time.sleep(0.02)
    raise SystemExit("timed out waiting for %s" % what)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


work = tempfile.mkdtemp(prefix="vyrmail-smtpd-")
os.chmod(work, 0o711)
nobody = pwd.getpwnam("nobody")
for folder in ("spool/smtpd", "run", "desk", "desk/Maildir"):
    os.makedirs(os.path.join(work, folder))
os.chmod(os.path.join(work, "spool/smtpd"), 0o711)
desk = os.path.join(work, "desk")
for folder in (desk, desk + "/Maildir"):
    os.chown(folder, nobody.pw_uid, nobody.pw_gid)
store = desk + "/store"
maildir = desk + "/Maildir"
log = desk + "/vyrmail.log"
port = free_port()
text = open(doc, encoding="utf-8").read()
with open(work + "/smtpd.conf", "w") as f:
    f.write(fenced(text, "smtpd.conf"))
    # The test's own player: replies to it are delivered here, not relayed.
    f.write('action "player" maildir "%s" virtual <vyr-virtual> userbase <vyr-users>\n' % maildir)
    f.write('match from local for rcpt-to "alice@player.test" action "player"\n')
with open(work + "/vyr-users", "w") as f:
    f.write(fenced(text, "vyr-users").replace("/var/lib/vyrmail", desk)
            .replace("998:998", "%d:%d" % (nobody.pw_uid, nobody.pw_gid)))
with open(work + "/vyr-virtual", "w") as f:
    f.write(fenced(text, "vyr-virtual"))
    f.write("alice@player.test vyrmail\n")
command = '"%s --data %s --game 1 --from orders@vyr.example --store %s --log %s --max-replies 0"' % (
    vyrmail, data, store, log)
smtpd_args = ["smtpd", "-d", "-f", work + "/smtpd.conf", "-D", "vyrmail=" + command,
              "-D", "vyr_users=file:" + work + "/vyr-users", "-D", "vyr_virtual=file:" + work + "/vyr-virtual",
              "-D", "desk_address=127.0.0.1", "-D", "desk_port=%d" % port]
# In a mount namespace of its own, unshare execs smtpd in its own process:
# this pid is smtpd's.
server = subprocess.Popen(
    ["unshare", "--mount", "--propagation", "private", "sh", "-c",
     'mount --bind "$1/spool" /var/spool && mount --bind "$1/run" /run && shift && exec "$@"', "sh", work]
    + smtpd_args, stdout=open(work + "/smtpd.out", "w"), stderr=subprocess.STDOUT)
faults = []


def smtpctl(*args):
    return subprocess.run(["nsenter", "-t", str(server.pid), "-m", "smtpctl"] + list(args),
                          capture_output=True, text=True, timeout=TIMEOUT).stdout


def send(subject, body, *extra):
    run = subprocess.run(["swaks", "--server", "127.0.0.1:%d" % port, "--from", "alice@player.test",
                          "--to", "orders@vyr.example", "--header", "Subject: " + subject,
                          "--add-header", "Content-Type: text/plain; charset=utf-8",
                          "--body", body] + list(extra), capture_output=True, timeout=TIMEOUT)
    if run.returncode != 0:
        raise SystemExit("swaks failed:\n" + run.stdout.decode(errors="replace"))


def replies():
    return sorted(os.listdir(maildir + "/new")) if os.path.isdir(maildir + "/new") else []


def logged():
    return open(log, encoding="utf-8").read().splitlines() if os.path.exists(log) else []


def reply_parts(name):
    with open(os.path.join(maildir, "new", name), "rb") as f:
        message = email.message_from_binary_file(f, policy=email.policy.compat32)
    parts = {}
    for part in message.walk():
        if not part.is_multipart():
            parts[part.get_filename() or "text"] = part.get_payload(decode=True)
    return message, parts


try:
    def listening():
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            return server.poll() is not None and sys.exit("smtpd ended:\n" + open(work + "/smtpd.out").read())
    wait_for("smtpd to listen", listening)

    if bench:
        times = []
        seen = set()
        for k in range(bench):
            before = len(replies())
            start = time.monotonic()
            send("Orders %d" % k, ORDERS.replace("Kestrel7", "Kestrel%d" % k))
            wait_for("reply %d" % k, lambda: len(replies()) > before)
            times.append(time.monotonic() - start)
            newest = [name for name in replies() if name not in seen]
            seen.update(newest)
            if reply_parts(newest[0])[0]["Auto-Submitted"] != "auto-replied":
                sys.exit("mail %d was not answered by vyrmail (a bounce?)" % k)
        print("swaks to reply in the Maildir, %d mails: median %.3f s, min %.3f s, max %.3f s"
              % (bench, statistics.median(times), min(times), max(times)))
        sys.exit(0)

    # 1. Orders in, reply out: the annotated attachment is VyrSyn's, the store holds the orders.
    send("Orders turn 5", ORDERS)
    first = wait_for("the first reply", lambda: replies()[:1])[0]
    message, parts = reply_parts(first)
    want = subprocess.run([vyrsyn, "1"], input=ORDERS.encode(), capture_output=True, timeout=TIMEOUT).stdout
    if parts.get("orders.txt") != want:
        faults.append("the annotated attachment is not VyrSyn's output:\n%r\n%r" % (parts.get("orders.txt"), want))
    reply_text = parts.get("text", b"").decode()
    for words in ("orders for game 1 received: 2 errors, 1 warning", "filed for alice@player.test as filing 0001"):
        if words not in reply_text:
            faults.append("the reply lacks %r:\n%s" % (words, reply_text))
    for field, value in (("To", "alice@player.test"), ("Auto-Submitted", "auto-replied"),
                         ("Subject", "Re: Orders turn 5")):
        if message[field] != value:
            faults.append("the reply's %s is %r" % (field, message[field]))
    player = store + "/game-1/alice@player.test"
    filed = open(player + "/orders.txt", encoding="utf-8").read()
    if filed.rstrip("\n") + "\n" != ORDERS:  # swaks ends the body with line breaks of its own
        faults.append("the store does not hold the orders as sent: %r" % filed)

    # 2. An automatic reply is logged, not answered.
    send("Out of office", "I am away.\n", "--add-header", "Auto-Submitted: auto-replied")
    wait_for("the log of the automatic mail", lambda: any("Auto-Submitted" in line for line in logged()))
    # 3. A store vyrmail cannot write: the mail stays queued (status 75), no reply.
    os.chmod(player + "/history", 0o555)
    send("Orders again", ORDERS.replace("BANISH 3", "STUDY Fire"))
    wait_for("the deferral", lambda: any("deferred" in line for line in logged()))
    queued = smtpctl("show", "queue")
    if "orders@vyr.example" not in queued:
        faults.append("the deferred mail is not in the queue: %r" % queued)
    # 4. Writable again and retried: filed and answered once.
    os.chmod(player + "/history", 0o755)
    smtpctl("schedule", "all")
    wait_for("the retried delivery's reply", lambda: len(replies()) >= 2)
    wait_for("the queue to empty", lambda: "orders@vyr.example" not in smtpctl("show", "queue"))
    if len(replies()) != 2:
        faults.append("%d replies, not 2 (the automatic mail answered?)" % len(replies()))
    history = sorted(n for n in os.listdir(player + "/history") if n.endswith(".txt"))
    if history != ["0001.txt", "0002.txt"]:
        faults.append("filings after the retry: %s" % history)
    _, parts = reply_parts([name for name in replies() if name != first][0])
    if "replacing the one before: changed 1 line" not in parts.get("text", b"").decode():
        faults.append("the retried reply: %s" % parts.get("text", b"").decode())
finally:
    server.terminate()
    try:
        server.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()
    if faults:
        print("\n".join(faults))
        print("--- vyrmail log:\n" + "\n".join(logged()))
        print("--- smtpd:\n" + open(work + "/smtpd.out").read())
    shutil.rmtree(work, ignore_errors=True)
sys.exit(1 if faults else 0)
