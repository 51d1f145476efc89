#!/usr/bin/env python3
"""The campaign's table and contact sheet for docs/levels.md and
docs/levels.png, from the text maps and what the built game makes of them.

Usage: tools/levels_doc.py BUILD_DIR [--rate TITLE=FILE ...] [--sheet OUT.png]

Prints a Markdown table, one row a level: its size and counts and dot tour
as `leveltool check` finds them, the wall types its map uses and its dots'
minimap colour. Each --rate adds a column TITLE from the output of
`levelbot rate` runs, lines "QBnn cleared N of M ...". --sheet takes
each level's opening view (the built-in level's first, then the campaign's)
with the game itself, past the title, and lays them out on one PNG.
"""
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
            m = re.match(r';\s*QB\d+\s+"([^"]+)"', line)
            if m and not name:
                name = m.group(1)
        elif line.startswith("=o "):
            colour = "(%s)" % ", ".join(line.split()[2:5])
        elif line and not line.startswith("="):
            walls.update(c for c in line if c in WALLS)
    return name, colour, ", ".join(WALLS[c] for c in WALLS if c in walls)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    build = sys.argv[1]
    args = sys.argv[2:]
    rates = []  # (title, {level: "N / M"})
    for i, arg in enumerate(args):
        if arg == "--rate":
            title, path = args[i + 1].split("=", 1)
            column = {}
            for line in open(path):
                m = re.match(r"(QB\d+) cleared (\d+) of (\d+)", line)
                if m:
                    column[m.group(1)] = "%s / %s" % (m.group(2), m.group(3))
            rates.append((title, column))
    maps = sorted(f for f in os.listdir(os.path.join(ROOT, "levels")) if re.match(r"QB\d+\.txt$", f))
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
            for n in range(len(maps) + 1):
                shot = os.path.join(scratch, "%02d.bmp" % n)
                subprocess.run([os.path.join(build, "quibbo"), "--headless", "--level", str(n), "--frames",
                                str(OPENING_FRAMES), "--screenshot", shot, "--nosound", "AlwaysTheWalrus"],
                               check=True, stdout=subprocess.DEVNULL)
                shots.append(shot)
            subprocess.run([sys.executable, os.path.join(HERE, "levels_sheet.py"), out] + shots, check=True)


if __name__ == "__main__":
    main()
