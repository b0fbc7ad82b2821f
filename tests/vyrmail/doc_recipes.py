#!/usr/bin/env python3
"""The recipes of doc/vyrmail.md for a game master without a mail server, run
as printed: the password hash command, the roster, the configuration file
and the crontab command over a Maildir (replies go to a stand-in msmtp on
PATH that keeps them).

usage: doc_recipes.py VYRMAIL SYNTAX_DAT DOC
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

vyrmail, data, doc = sys.argv[1:4]
text = open(doc, encoding="utf-8").read()


def fenced(info):
    match = re.search(r"^```%s\n(.*?)^```$" % re.escape(info), text, re.S | re.M)
    if not match:
        sys.exit("%s: no ```%s block" % (doc, info))
    return match.group(1)


faults = []
home = tempfile.mkdtemp(prefix="vyrmail-doc-")
try:
    env = dict(os.environ, HOME=home,
               PATH=os.pathsep.join([home + "/bin", os.path.dirname(os.path.abspath(vyrmail)), "/usr/bin", "/bin"]))
    for folder in ("bin", "vyr", "Maildir/new", "Maildir/cur", "Maildir/tmp"):
        os.makedirs(os.path.join(home, folder))
    with open(home + "/bin/msmtp", "w") as f:
        f.write('#!/bin/sh\ncat > "$HOME/sent-$(ls "$HOME" | grep -c "^sent-").eml"\n')
    os.chmod(home + "/bin/msmtp", 0o755)
    shutil.copy(data, home + "/vyr/syntax.dat")

    # The hash command, as printed: a hash another player is given.
    run = subprocess.run(["bash", "-c", fenced("sh")], capture_output=True, text=True, env=env, cwd=home, timeout=60)
    new_hash = run.stdout.strip()
    if run.returncode != 0 or not new_hash.startswith("$argon2id$"):
        faults.append("the hash command gave %d: %r %r" % (run.returncode, run.stdout, run.stderr))
    with open(home + "/vyr/roster.txt", "w") as f:
        f.write(fenced("roster") + "ashen %s bob@example.org\n" % new_hash)
    with open(home + "/vyrmail.conf", "w") as f:
        f.write(fenced("vyrmail.conf"))
    mails = {"1.alice": ("alice@example.org", "Ember Company s3cret-ember"),
             "2.bob": ("bob@example.org", "Ashen Company s3cret-ember"),
             "3.mallory": ("mallory@example.org", "Ember Company s3cret-ember")}
    for name, (sender, header) in mails.items():
        with open(os.path.join(home, "Maildir/new", name), "w") as f:
            f.write("Return-Path: <%s>\nFrom: %s\nSubject: Orders\nMessage-ID: <%s@example.org>\n\n"
                    "#VYR Game 7  %s\nSTUDY Fire\n#END\n" % (sender, sender, name, header))

    # The crontab command, as printed, in the home folder as cron runs it.
    command = fenced("crontab").split(None, 5)[5].strip()
    run = subprocess.run(["bash", "-c", command], capture_output=True, text=True, env=env, cwd=home, timeout=120)
    if run.returncode != 0:
        faults.append("%r: status %d: %s" % (command, run.returncode, run.stderr))
    if os.listdir(home + "/Maildir/new"):
        faults.append("left in new/: %s" % os.listdir(home + "/Maildir/new"))
    sent = sorted(n for n in os.listdir(home) if n.startswith("sent-"))
    if len(sent) != 3:
        faults.append("%d replies, not 3" % len(sent))
    game = home + "/vyr/store/game-7"
    filed = sorted(os.listdir(game)) if os.path.isdir(game) else []
    if filed != ["ashen", "ember"]:
        faults.append("filed for %s, not ashen and ember (mallory's orders must not be filed)" % filed)
    log = open(home + "/vyr/vyrmail.log").read() if os.path.exists(home + "/vyr/vyrmail.log") else ""
    if "mallory@example.org: 0 errors, 0 warnings, not filed; answered" not in log:
        faults.append("the log:\n" + log)
finally:
    shutil.rmtree(home, ignore_errors=True)
if faults:
    print("\n".join(faults))
    sys.exit(1)
