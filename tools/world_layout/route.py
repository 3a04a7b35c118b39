#!/usr/bin/env python3
"""Prints the key plan of the demo world from the title menu to the ending, which plan_route.py plays.

It plans every walk on the layout of make_map.py with the game's own walking rules (10 px steps, levels,
solid NPC areas, doors, arenas that start a fight), counts the V presses each conversation needs from the
speech and the story flags it keeps track of, swinging the B weapon on every walk, and rests at the inns and
the save stones on the way. Only key commands are used: down, up, press, tick (never A). A boss fight needs
eyes on the boss, so the plan only marks it: a section titled "# swing at the boss until it falls", which
plan_route.py replaces by a fight it plays tick by tick, watching the boss.

The story rules it keeps track of (the NPCs the story flags hide and the money flags) are the game's own
tables, read from the validator's `quorvath-check --rules-json`. The validator is found by --check, else the
QUORVATH_CHECK environment variable, else build/quorvath-check beside this repository, else quorvath-check on
the PATH.

Usage: python3 tools/world_layout/route.py [--check build/quorvath-check] > route.txt
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
from collections import deque

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_map as M  # noqa: E402  (lays the screens out on import)

# A fight is played by plan_route.py, which watches the boss: the route only marks it with this comment.
FIGHT = "swing at the boss until it falls"
KEYS = {(10, 0): "Right", (-10, 0): "Left", (0, 10): "Down", (0, -10): "Up"}
TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def find_check(given):
    """The quorvath-check to ask for the story rules: the one given, the environment's, the build's, the PATH's."""
    named = given or os.environ.get("QUORVATH_CHECK")
    if named:
        if not os.access(named, os.X_OK):
            raise SystemExit("route: %s is not an executable quorvath-check" % named)
        return named
    built = os.path.join(TOP, "build", "quorvath-check")
    found = built if os.access(built, os.X_OK) else shutil.which("quorvath-check")
    if not found:
        raise SystemExit("route: quorvath-check not found; build it, or name it with --check or QUORVATH_CHECK")
    return found


def read_story_rules(check):
    """The game's NPC rules by (screen, area) and its money flags, as the validator prints them."""
    rules = json.loads(subprocess.run([check, "--rules-json"], check=True, capture_output=True, text=True).stdout)
    hidden = {(r["screen"], r["area"]): (r["flag"], r["test"] == "above", r["value"]) for r in rules["npcRules"]}
    money = [(m["flag"], m["above"]) for m in rules["moneyFlags"]]
    return hidden, money


class Play:
    def __init__(self, hidden, money):
        self.hidden, self.money_flags = hidden, money
        self.out = []
        self.flags = {i: 0 for i in range(57)}
        for i in (2, 11, 12, 13, 14, 15, 16):
            self.flags[i] = -1
        self.money = 800
        self.selected = 0  # the item the side menu shows; the hero starts holding item 0
        self.flags[12] = 1 if ITEM_PRICES[0] else 0
        self.screen, self.x, self.y = 6, 700, 550
        self.area = 1

    # ------------------------------------------------------------ world rules
    def s(self):
        return M.SCREENS[self.screen]

    def first_area(self, x, y):
        for i, a in enumerate(self.s().areas):
            if M.inside(a["poly"], x, y):
                return i
        return None

    def npc_present(self, i):
        a = self.s().areas[i]
        if a["npc"] is None:
            return False
        rule = self.hidden.get((self.screen, i))
        if rule is None:
            return True
        flag, above, value = rule
        return not (self.flags[flag] > value if above else self.flags[flag] == value)

    def boss_waiting(self, i):
        b = self.s().areas[i]["boss"]
        return b is not None and self.flags[b[1]] == 0

    def story_events(self):
        if self.flags[49] and self.flags[50] and self.flags[51]:
            self.flags[46] = 3
        if self.flags[40] and self.flags[42]:
            self.flags[46] = 5
        if self.screen == 16 and self.flags[17] == 0:
            self.flags[17] = 1
        for f, bound in self.money_flags:
            self.flags[f] = 1 if self.money > bound else 0
        if self.flags[2] >= 0:
            self.selected = self.flags[2]
        if self.flags[11] >= 0:
            self.money -= ITEM_PRICES[self.flags[11]]
            self.selected = self.flags[11]
            self.flags[11] = -1
        if self.flags[12] == 2:
            self.money += ITEM_PRICES[self.selected] // 2
        if self.flags[16] >= 0:
            self.money -= self.flags[16]
            self.flags[16] = -1
        if self.flags[14] >= 0:
            self.money -= WEAPON_PRICES[self.flags[14]]
            self.flags[14] = -1
        for f in (2, 13, 15):
            self.flags[f] = -1
        for f in (3, 4):
            self.flags[f] = 0
        # the frame tick rewrites flag 12 from the selected item's price at the end of every tick
        self.flags[12] = 1 if ITEM_PRICES[self.selected] else 0

    def step(self, x, y, area, dx, dy, goal_area=None):
        """One step as the game takes it: (x, y, area, door) or None when refused."""
        nx, ny = x + dx, y + dy
        areas = self.s().areas
        if M.inside(areas[area]["poly"], nx, ny):
            return nx, ny, area, None
        i = self.first_area(nx, ny)
        if i is None or self.npc_present(i):
            return None
        if areas[i]["door"]:
            return (nx, ny, i, areas[i]["door"]) if i == goal_area else None
        lo, ln = areas[area]["level"], areas[i]["level"]
        if not (lo == 100 or ln == 100 or (ln != -100 and ln == lo)):
            return None
        if self.boss_waiting(i) and i != goal_area:
            return None
        return nx, ny, i, None

    # ------------------------------------------------------------ output
    def emit(self, line):
        self.out.append(line)

    def hold(self, key, n, swing=False):
        """Holds a key for n ticks; with swing, the B weapon is swung every few steps on the way."""
        self.emit("down %s" % key)
        while n > 0:
            t = min(4, n)
            self.emit("tick %d" % t)
            n -= t
            if swing and n > 0:
                self.press("B")  # its tick is a step as well
                n -= 1
        self.emit("up %s" % key)

    def press(self, key, times=1):
        for _ in range(times):
            self.emit("press %s" % key)

    def walk_moves(self, moves):
        run = None
        for d in moves:
            if run and run[0] == d:
                run[1] += 1
            else:
                if run:
                    self.hold(KEYS[run[0]], run[1], swing=True)
                run = [d, 1]
        if run:
            self.hold(KEYS[run[0]], run[1], swing=True)

    def search(self, done, goal_area=None):
        start = (self.x, self.y, self.area)
        prev = {start: None}
        todo = deque([start])
        while todo:
            cur = todo.popleft()
            if done(*cur):
                moves, node = [], cur
                while prev[node]:
                    node, d = prev[node]
                    moves.append(d)
                return cur, moves[::-1]
            x, y, a = cur
            for d in KEYS:
                r = self.step(x, y, a, d[0], d[1], goal_area)
                if r is None:
                    continue
                nxt = r[:3]
                if r[3] is not None:
                    nxt = ("door",) + r[:3]
                if nxt not in prev:
                    prev[nxt] = (cur, d)
                    if r[3] is not None:
                        return nxt, self.path(prev, nxt)
                    todo.append(nxt)
        raise SystemExit("route: no way on screen %d from (%d,%d) (%s)" % (self.screen, self.x, self.y, self.note))

    @staticmethod
    def path(prev, node):
        moves = []
        while prev[node]:
            node, d = prev[node]
            moves.append(d)
        return moves[::-1]

    # ------------------------------------------------------------ actions
    def door(self, target):
        """Walks through the door of this screen that leads to screen target."""
        self.note = "door to %d" % target
        areas = self.s().areas
        door_area = [i for i, a in enumerate(areas) if a["door"] and a["door"][0] == target][0]
        self.emit("# %s: through the door to screen %d" % (self.s().name, target))
        node, moves = self.search(lambda x, y, a: False, goal_area=door_area)
        self.walk_moves(moves)
        nxt, rx, ry = areas[door_area]["door"]
        if self.flags[17] != 0:
            self.flags[17] = 1
        self.screen, self.x, self.y = nxt, rx, ry
        self.area = self.first_area(rx, ry)
        self.story_events()

    def face(self, i):
        """Walks to a place beside NPC area i and turns to it."""
        self.note = "NPC area %d" % i
        a = self.s().areas

        def beside(x, y, cur):
            for (dx, dy) in KEYS:
                if self.first_area(x + dx * 3 // 2, y + dy * 3 // 2) == i and self.first_area(x + dx, y + dy) == i \
                        and a[i]["level"] in (100, a[cur]["level"]):
                    return True
            return False

        (x, y, cur), moves = self.search(beside)
        self.walk_moves(moves)
        self.x, self.y, self.area = x, y, cur
        for (dx, dy), key in KEYS.items():
            if self.first_area(x + dx * 3 // 2, y + dy * 3 // 2) == i and self.first_area(x + dx, y + dy) == i:
                self.press(key)  # refused by the solid NPC area: the hero only turns
                return

    def talk(self, i, answer="yes"):
        self.face(i)
        npc = self.s().areas[i]
        self.emit("# talk to: %s" % npc["note"])
        self.press("V")
        self.emit("tick")  # the first page; a question of one plain line opens here
        plain = [sp for sp in npc["speech"] if sp[0] == "p"]
        yes = [sp for sp in npc["speech"] if sp[0] == "y"]
        no = [sp for sp in npc["speech"] if sp[0] == "n"]
        qi = next((k for k, sp in enumerate(npc["speech"]) if sp[0] == "y"), -1)
        shown = 0
        for _, _, cond, setf in plain:
            if cond is None or self.flags[cond[0]] == cond[1]:
                shown += 1
                if setf:
                    self.flags[setf[0]] = setf[1]
        if qi >= 0 and shown == qi:
            self.press("V", shown - 1)
            branch = yes if answer == "yes" else no
            flag = None
            for _, _, _, setf in branch:
                if setf and self.flags[setf[0]] != setf[1]:
                    flag = setf
            if answer == "no":
                self.press("Down")
            self.press("V")
            if flag:
                self.flags[flag[0]] = flag[1]
            self.story_events()
            self.press("V", len(branch))
        else:
            self.press("V", shown)
        self.story_events()

    def fight(self, i):
        """Walks into arena i, listens to the boss and marks the fight, which plan_route.py plays by watching
        the boss; then the closing speech."""
        self.note = "arena %d" % i
        a = self.s().areas[i]
        boss = BOSSES[a["boss"][0]]
        self.emit("# fight: %s" % a["note"])
        (x, y, cur), moves = self.search(lambda x, y, c: c == i, goal_area=i)
        self.walk_moves(moves)
        # the hero walks to the arena point, x first, and stops within a step of it: that spot becomes the
        # arena point, and the hero is put back there when the boss falls
        while abs(boss["gx"] - x) > 10:
            x += 10 if boss["gx"] > x else -10
        while abs(boss["gy"] - y) > 10:
            y += 10 if boss["gy"] > y else -10
        self.emit("tick 80")  # the hero walks to the arena point; the opening speech waits
        self.press("V", boss["opening"])
        self.emit("# " + FIGHT)
        self.emit("tick")
        self.emit("# the closing speech")
        self.emit("tick 3")
        self.press("V", boss["closing"])
        self.emit("tick 3")
        self.flags[a["boss"][1]] = 1
        if boss["flag"]:
            self.flags[boss["flag"][0]] = boss["flag"][1]
        self.story_events()
        self.x, self.y, self.area = x, y, i


def read_catalogs():
    import xml.etree.ElementTree as ET
    media = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "game", "media")
    items = [int(e.get("use")) for e in ET.parse(os.path.join(media, "ItemData.xml")).getroot().iter("item")]
    weapons = [int(e.get("wait")) for e in ET.parse(os.path.join(media, "WeaponData.xml")).getroot().iter("enemy")]
    bosses = []
    for b in ET.parse(os.path.join(media, "BossData.xml")).getroot().iter("boss"):
        flag = b.find("flag")
        bosses.append(dict(opening=len(b.findall("bspeech")), closing=len(b.findall("aspeech")),
                           gx=int(b.get("gx")), gy=int(b.get("gy")),
                           flag=(int(flag.get("id")), int(flag.get("state"))) if flag is not None else None))
    return items, weapons, bosses


ITEM_PRICES, WEAPON_PRICES, BOSSES = read_catalogs()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", help="the quorvath-check that prints the story rules")
    args = parser.parse_args()
    p = Play(*read_story_rules(find_check(args.check)))
    p.emit("# The demo world from the title to the ending (made by tools/world_layout/route.py).")
    p.emit("seed 1")
    p.emit("# title menu: row 1 starts a new game")
    p.press("Down")
    p.press("V")
    p.emit("tick 2")
    p.talk(2)                      # elder: the goal
    p.door(4)                      # shop
    p.talk(2)                      # buy an herb (question: yes)
    p.talk(4, answer="no")         # sell the selected herb back for half its price (yes keeps it)
    p.talk(5)                      # buy the steel sword, into the B slot
    p.door(6)
    p.door(3)                      # inn
    p.talk(2)                      # rest, then save (question: yes)
    p.door(6)
    p.talk(7)                      # the gate guard: how to fight
    p.door(7)
    p.door(8)
    p.fight(5)                     # あやお
    p.door(7)
    p.door(6)
    p.door(3)
    p.talk(2)                      # rest at the inn after the fight
    p.door(6)
    p.door(5)
    p.door(0)
    p.talk(2)                      # fisher: powder and a fish
    p.talk(4)                      # ferryman: yes
    p.door(11)
    p.talk(2)                      # save stone
    p.fight(4)                     # ぬすず
    p.talk(5)                      # the thief's chest
    p.talk(2)                      # the save stone heals again
    p.door(0)
    p.door(5)
    p.door(6)
    p.door(7)
    p.door(8)
    p.door(9)
    p.door(10)
    p.door(1)
    p.talk(3)                      # the mine guard: yes (flag 17 = 2)
    p.door(2)
    p.talk(2)                      # save stone
    p.fight(4)                     # したっぱ
    p.talk(2)                      # save stone
    p.talk(17)                     # miner A goes home
    p.talk(18)                     # miner B: powder
    p.talk(19)                     # miner C: yes
    p.door(12)
    p.door(13)
    p.talk(2)                      # spirit A: a drop
    p.talk(4, answer="no")         # spirit C: wisdom (the book of experience)
    p.door(14)
    p.talk(2)                      # save stone
    p.fight(4)                     # ロウガ: the third orb, the dragon sword
    p.door(15)
    p.talk(2)                      # statue A answers the three orbs
    p.talk(3)                      # statue B: yes
    p.door(16)
    p.talk(2)                      # the city inn: rest, then save (question: yes)
    p.talk(8)                      # the sage: yes
    p.door(17)
    p.talk(2)                      # save stone
    p.fight(4)                     # ベヒモス
    p.talk(8)                      # save stone on the landing
    p.fight(10)                    # ジズ: the ending
    p.emit("# the ending: orbs, the white fade, the walk, then V brings the title back")
    p.emit("tick 200")
    p.press("V")
    p.emit("tick 2")
    print("\n".join(p.out))


if __name__ == "__main__":
    main()
