#!/usr/bin/env python3
"""The campaign's table and contact sheet for docs/levels.md and
docs/levels.png, from the text maps and what the built game makes of them.

Usage: tools/levels_doc.py BUILD_DIR [--rate] [--sheet OUT.png]

Prints a Markdown table, one row a level: its name, size and counts and dot
tour as `leveltool check` finds them, the wall types its map uses and its
dots' minimap colour. --rate adds the column "careful": how many of seeds 1
to 20 the careful bot clears the level on without the access word
(`levelbot rate BUILD_DIR/QBnn.BMP --seeds 20 --avoid`). A bot run takes
minutes, so each result is kept in docs/levels-rates.txt under a digest of
the map's cells: only a level whose cells changed is played again (one at a
time), and a level that only moved keeps its figure. Delete a line (or the
file) to play a level again. --sheet takes each level's opening view (the
campaign's first level first, the built-in level when there is no QB00)
with the game itself, past the title, and lays them out on one PNG.
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the tree free of caches

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
WALLS = {"#": "tiles", "X": "wood", "Y": "stone", "Z": "brick", "H": "hedge"}
OPENING_FRAMES = 330  # 16 ms each: past the title's five seconds
RATES = os.path.join(ROOT, "docs", "levels-rates.txt")
SEEDS = 20


def check(tool, path):
    out = subprocess.run([tool, "check", path], capture_output=True, text=True).stdout
    def grab(pattern):
        m = re.search(pattern, out)
        return m.groups() if m else None
    return {
        "size": "%s × %s" % grab(r"size: (\d+) x (\d+)"),
        "counts": grab(r"dots: (\d+), guns: (\d+), decorations: (\d+), enemies: (\d+)"),
        "tour": grab(r"dot tour: (\d+) cells")[0],
        "verdict": grab(r"verdict: (.*)")[0],
    }


def map_facts(path):
    name, colour, walls = "", "", set()
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\r\n")
        if line.startswith(";"):
            continue
        if re.match(r"=name\s", line):
            name = line[5:].strip()
        elif line.startswith("=o "):
            colour = "(%s)" % ", ".join(line.split()[2:5])
        elif line and not line.startswith("="):
            walls.update(c for c in line if c in WALLS)
    return name, colour, ", ".join(WALLS[c] for c in WALLS if c in walls)


def cells_digest(path):
    """What the bot plays: the map's rows and definitions, not its comments,
    name or colours' place in the file."""
    kept = [line.rstrip("\r\n") for line in open(path, encoding="utf-8")]
    kept = [line for line in kept if line and not line.startswith(";") and not re.match(r"=name\s", line)]
    return hashlib.sha256("\n".join(kept).encode()).hexdigest()[:16]


def careful_rates(build, maps):
    """{level: "N / 20"}, from docs/levels-rates.txt or, for a level whose
    cells it does not know, from the bot (and then kept there)."""
    known = {}
    if os.path.exists(RATES):
        for line in open(RATES):
            m = re.match(r"([0-9a-f]{16}) (\d+) of (\d+)", line)
            if m and int(m.group(3)) == SEEDS:
                known[m.group(1)] = int(m.group(2))
    column = {}
    for f in maps:
        level, digest = f[:-4], cells_digest(os.path.join(ROOT, "levels", f))
        if digest not in known:
            bmp = os.path.join(build, level + ".BMP")
            print("rating %s with the careful bot (%d seeds)..." % (level, SEEDS), file=sys.stderr)
            out = subprocess.run([os.path.join(build, "levelbot"), "rate", bmp, "--seeds", str(SEEDS), "--avoid"],
                                 capture_output=True, text=True).stdout
            m = re.search(r"cleared (\d+) of (\d+) seeds", out)
            if not m:
                sys.exit("levelbot rate %s said nothing of its clears:\n%s" % (bmp, out))
            known[digest] = int(m.group(1))
            with open(RATES, "a") as record:
                record.write("%s %d of %d  %s\n" % (digest, known[digest], SEEDS, level))
        column[level] = "%d / %d" % (known[digest], SEEDS)
    return column


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    build = sys.argv[1]
    args = sys.argv[2:]
    maps = sorted(f for f in os.listdir(os.path.join(ROOT, "levels")) if re.match(r"QB\d+\.txt$", f))
    rates = [("careful", careful_rates(build, maps))] if "--rate" in args else []
    head = "| level | name | size | dots | guns | decorations | enemies | walls | dot colour | dot tour (cells) |"
    rule = "|---|---|---|---|---|---|---|---|---|---|"
    for title, _ in rates:
        head += " %s |" % title
        rule += "---|"
    print(head)
    print(rule)
    tool = os.path.join(build, "leveltool")
    for f in maps:
        level = f[:-4]
        path = os.path.join(ROOT, "levels", f)
        facts = check(tool, path)
        name, colour, walls = map_facts(path)
        dots, guns, decorations, enemies = facts["counts"]
        row = "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            level, name, facts["size"], dots, guns, decorations, enemies, walls, colour, facts["tour"])
        for _, column in rates:
            row += " %s |" % column.get(level, "")
        print(row)
    if "--sheet" in args:
        out = args[args.index("--sheet") + 1]
        shots = []
        with tempfile.TemporaryDirectory() as scratch:
            # Level 0 is QB00 when there is one, else the built-in level.
            levels = len(maps) if "QB00.txt" in maps else len(maps) + 1
            for n in range(levels):
                shot = os.path.join(scratch, "%02d.bmp" % n)
                subprocess.run([os.path.join(build, "quibbo"), "--headless", "--level", str(n), "--frames",
                                str(OPENING_FRAMES), "--screenshot", shot, "--nosound", "AlwaysTheWalrus"],
                               check=True, stdout=subprocess.DEVNULL)
                shots.append(shot)
            subprocess.run([sys.executable, os.path.join(HERE, "levels_sheet.py"), out] + shots, check=True)


if __name__ == "__main__":
    main()
