#!/usr/bin/env python3
"""Writes a realistic orders file of an exact number of lines for the sample data.

    bench/generate_orders.py LINES [--seed N] [--game N] [--faults RATE] [--old-checks RATE]
                             [--data DIR] > orders.txt

The file has a "#VYR" header, global and city orders with comments, then SHIRE
blocks of shire orders until the "#END" line, which is the last of LINES lines.
Every kind of order of the command table appears, with names taken from the data
tables that the game's world can see. A share of the order lines (--faults,
default 0.05) carries one typical mistake, and a share of the lines (--old-checks,
default 0.03) is followed by a check line of an earlier run, which the checker
deletes. Tabs, glued comments, '@' prefixes and quoted names appear now and then.
With --faults 1 every order line is faulty: the checker's output then consists
of about one half check lines. The same arguments always give the same file.
"""

import argparse
import os
import random
import sys

TABLES = {
    "unit": "vyrunits.dat",
    "res": "vyrres.dat",
    "build": "vyrbuild.dat",
    "ship": "vyrships.dat",
    "race": "vyrrace.dat",
    "land": "vyrland.dat",
    "art": "vyrart.dat",
    "spell": "vyrspell.dat",
}
MAGIC = ["Spellcraft", "Fire", "Water", "Earth", "Air", '"Druidic Fire"', '"Druidic Water"', "Dark"]
TAX = ["none", "low", "med", "high", "M", "H"]
EXPLORE = ["normal", "cautious", "bold"]
WORDS = ["the", "ford", "river", "north", "snow", "before", "dawn", "grain", "tower", "alliance", "gold", "march"]


def quoted(name):
    return '"%s"' % name if " " in name else name


def load_names(data_dir, world):
    """Names and second names of each table visible in the world, and the spells' slots."""
    names = {}
    spells = {}
    for kind, file_name in TABLES.items():
        names[kind] = []
        with open(os.path.join(data_dir, file_name), encoding="latin-1") as table:
            for line in table:
                columns = line.rstrip("\n").split("\t")
                if len(columns) < 3 or int(columns[0] or 0) not in (0, world):
                    continue
                names[kind] += [quoted(columns[1]), columns[2]]
                if kind == "spell":
                    spells[columns[1]] = columns[3] if len(columns) > 3 else ""
    return names, spells


def world_of_game(data_dir, game):
    with open(os.path.join(data_dir, "vyrworld.dat"), encoding="latin-1") as worlds:
        for line in worlds:
            columns = line.split()
            if len(columns) > 2 and str(game) in columns[2:]:
                return int(columns[0])
    return 0


class Orders:
    """Makes order lines: correct ones, faulty ones, comments and old check lines."""

    def __init__(self, rng, names, spells):
        self.rng = rng
        self.names = names
        self.spells = spells

    def pick(self, kind):
        return self.rng.choice(self.names[kind])

    def loc(self, outer=False):
        return "%d,%d" % (self.rng.randint(1, 16000), self.rng.randint(1, 4 if outer else 5))

    def amount(self, high):
        return str(self.rng.randint(1, high))

    def spell_args(self, slots):
        args = []
        for slot in slots.split():
            if slot in ("loc", "loc5", "gloc"):
                args.append(self.loc(outer=True))
            elif slot in ("unitamt", "resamt", "enemy"):
                args.append(self.amount(900))
            elif slot in ("unit", "res", "race", "land"):
                args.append(self.pick(slot))
            elif slot == "region":
                args.append(self.amount(32000))
            elif slot == "hero":
                args.append(self.amount(99))
            elif slot == "#":
                args.append(" ".join(self.rng.sample(WORDS, 3)))
        return args

    def global_order(self):
        r = self.rng
        choice = r.randrange(11)
        if choice == 0:
            return "PASSWORD Pw%d" % r.randint(1000, 999999)
        if choice == 1:
            return "EMAIL player%d@vyr.example" % r.randint(1, 9999)
        if choice == 2:
            return "ZIPMAIL %d" % r.randint(0, 4000)
        if choice == 3:
            return "ALLY %d %s" % (r.randint(1, 150), r.choice(["yes", "no", "y", "n", "YES"]))
        if choice == 4:
            return "MESSAGE %d %s" % (r.randint(1, 150), " ".join(r.sample(WORDS, 6)))
        if choice == 5:
            return "NOTE " + " ".join(r.sample(WORDS, 5))
        if choice == 6:
            return "STUDY " + r.choice(MAGIC)
        if choice == 7:
            spell = r.choice(sorted(self.spells))
            return " ".join(["CAST", str(r.randint(1, 3)), quoted(spell)] + self.spell_args(self.spells[spell]))
        if choice == 8:
            return "SURVEY %d" % r.randint(1, 32000)
        if choice == 9:
            return "FORGE %d %s" % (r.randint(1, 50), self.pick("art"))
        return r.choice(["RENAME New%s" % r.choice(WORDS).capitalize(), "TAX " + r.choice(TAX),
                         "FEED %d" % r.randint(0, 5), "IMMIGRATE " + self.pick("race")])

    def shire_order(self):
        r = self.rng
        choice = r.randrange(16)
        if choice == 0:
            return "RECRUIT %s %s" % (self.amount(500), self.pick("unit"))
        if choice == 1:
            return "MARCH %s %s %s" % (self.amount(900), self.pick("unit"), self.loc())
        if choice == 2:
            return "ROUTE " + " ".join(self.loc() for _ in range(r.randint(1, 6)))
        if choice == 3:
            return "SCOUT " + self.loc(outer=True)
        if choice == 4:
            return "EXPLORE " + r.choice(EXPLORE)
        if choice == 5:
            return "TRAIN HERO %d" % r.randint(0, 500)
        if choice == 6:
            return "TRAIN TROOPS %s %s" % (self.amount(300), self.pick("unit"))
        if choice == 7:
            return "BOARD %d %s %s" % (r.randint(0, 900), self.amount(200), self.pick("unit"))
        if choice == 8:
            return "LAND %d %s" % (r.randint(0, 900), r.choice(["ground", self.loc()]))
        if choice == 9:
            return "LAUNCH %s%s" % (self.pick("ship"), r.choice(["", ' "Grey Gull"', " Swift"]))
        if choice == 10:
            return "CONSTRUCT %s %s" % (self.pick("build"), self.amount(2000))
        if choice == 11:
            return "PRODUCE %s %d" % (self.pick("res"), r.randint(0, 4500))
        if choice == 12:
            return "TRADE %s %s %s" % (r.choice(["BUY", "SELL"]), self.amount(5000), self.pick("res"))
        if choice == 13:
            return "AMBUSH %s %s" % (self.amount(2000), self.pick("race"))
        if choice == 14:
            return "CLEAR " + self.pick("land")
        return "RECRUIT %s %s" % (self.amount(80), self.pick("unit"))

    def faulty(self, order):
        """The order with one typical mistake."""
        r = self.rng
        words = order.split(" ")
        choice = r.randrange(6)
        if choice == 0:
            return "BANISH " + " ".join(words[1:])  # unknown command
        if choice == 1 and len(words) > 2:
            return " ".join(words[:-1])  # a parameter missing
        if choice == 2:
            return order + " at dawn"  # extra parameters
        if choice == 3 and len(words) > 1:
            return " ".join(words[:-1] + ["Zzyzx"])  # a name or number that is no such thing
        if choice == 4:
            return "MARCH 40 Pikemen %d,9" % r.randint(1, 99)  # invalid location
        return "RECRUIT 40 ;Pikemen"  # a comment where a parameter belongs

    def decorate(self, order, indent):
        """Indentation, '@' prefixes, tabs and trailing comments as players write them."""
        r = self.rng
        roll = r.random()
        if roll < 0.02:
            order = "@" + order
        elif roll < 0.03:
            order = "@ " + order
        roll = r.random()
        if roll < 0.05:
            order += "   ; " + " ".join(r.sample(WORDS, 3))
        elif roll < 0.07:
            order += ";" + r.choice(WORDS)
        if r.random() < 0.02:
            order = order.replace(" ", "\t", 1)
        return indent + order

    def old_check(self):
        message = self.rng.choice(["ERROR: Location Is Invalid.", "ERROR: Unrecognized Command.",
                                   "WARNING: Extra Parameter Supplied.", "ERROR: Expected Unit Name."])
        return "#" + "-" * self.rng.randint(0, 20) + "> " + message

    def comment(self):
        return "; " + " ".join(self.rng.sample(WORDS, self.rng.randint(2, 7)))


def generate(lines, seed, game, faults, old_checks, data_dir, out):
    rng = random.Random(seed)
    names, spells = load_names(data_dir, world_of_game(data_dir, game))
    orders = Orders(rng, names, spells)
    body = []
    budget = max(lines - 2, 0)

    def put(text):
        body.append(text)
        if len(body) < budget and rng.random() < old_checks:
            body.append(orders.old_check())

    def order(text, indent):
        if rng.random() < faults:
            text = orders.faulty(text)
        put(orders.decorate(text, indent))

    put("; Orders for game %d, written by a bench generator." % game)
    for _ in range(min(40, budget // 10)):
        if rng.random() < 0.1:
            put(orders.comment())
        order(orders.global_order(), "")
    while len(body) < budget:
        put("")
        put("SHIRE " + orders.loc())
        for _ in range(rng.randint(5, 25)):
            roll = rng.random()
            if roll < 0.08:
                put("  " + orders.comment())
            elif roll < 0.10:
                order(orders.global_order(), "  ")  # draws a warning under a SHIRE
            else:
                order(orders.shire_order(), "  ")
    del body[budget:]
    text = ["#VYR Game %d  Bench Company" % game] + body + ["#END"]
    out.write("\n".join(text[:lines]) + ("\n" if lines > 0 else ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("lines", type=int)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--game", type=int, default=1)
    parser.add_argument("--faults", type=float, default=0.05)
    parser.add_argument("--old-checks", type=float, default=0.03)
    parser.add_argument("--data", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data"))
    args = parser.parse_args()
    generate(args.lines, args.seed, args.game, args.faults, args.old_checks, args.data, sys.stdout)


if __name__ == "__main__":
    main()
