#!/usr/bin/env python3
"""Writes the key scripts that tests/play replays against the demo world in game/, and measures the fights.

    python3 tools/world_layout/plan_route.py [--sim build/quorvath-sim] [--out tests/play]
    python3 tools/world_layout/plan_route.py --measure     (only prints the fight lengths of the scripts)

It drives the headless runner quorvath-sim interactively in a private copy of game/ (media and pict
linked, so the save file stays out of the repository), reads its dumps after each step and records
only key commands (down, up, press, tick) plus one seed at the top, with `dump` lines and
`# expect PATH VALUE` lines that the tests check against the dump that follows them.

Every fight is played by a player who only swings: he faces the boss, swings the strongest sword he holds
whenever it is in reach and the cooldown allows, and closes in along the longer axis when it is not; he
never steps away from a shot, never uses an item and never presses A.

playthrough.sim: the route of route.py (title menu, new game, shop, every boss, the ending, the title
again), with a save (S) after the first purchase, a walk out of the shop, and a reload (L) that brings
the hero back into the shop; the expectations are the screens and story flags the run passes through,
and the ticks in which each fight begins (bossPhase 3) and the boss falls (bossPhase 4).

boss_N.sim: one fight per boss. The set-up uses `set` and `call` to put the hero, as the route brings
him, a few steps before the arena with his weapons and life; from there only keys: the walk into the
arena, the speeches, the fight and the closing speech. The expectations follow bossPhase through 0 to 4
and the boss's flags.

After writing, the scripts are replayed and the length of every fight is printed: ticks of 80 ms from
the first tick of the fight to the one in which the boss fell, the hero's level and life.

route.py takes the game's story rules from the quorvath-check built beside the --sim runner.

The game is deterministic for a seed, so replaying a script gives the same run; when the world changes,
run this again and commit the scripts it writes.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
SEED = 1
sys.path.insert(0, HERE)
from route import FIGHT  # noqa: E402  (the title of the route's fight sections, played here)

# Flags whose changes the playthrough checks: the story ones. Money flags (5-10, 47, 48) and command
# flags (2-4, 11-16) are rewritten by every run of the story events and say nothing about progress.
STORY_FLAGS = [0, 1] + list(range(17, 47)) + list(range(49, 57))


class Sim:
    """quorvath-sim on a pipe; keeps the script of the key commands sent."""

    def __init__(self, sim, folder):
        self.proc = subprocess.Popen([sim], cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True, encoding="utf-8", bufsize=1)
        self.script = []
        self.boxes = []

    def send(self, line, record=True):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        if record:
            self.script.append(line)

    def dump(self):
        self.send("dump", record=False)
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("quorvath-sim ended")
            obj = json.loads(line)
            if "state" in obj:
                return obj["state"]
            if "box" in obj:
                self.boxes.append(obj["box"])
            if "error" in obj:
                raise RuntimeError("quorvath-sim: %s" % obj["error"])

    def note(self, text):
        self.script.append("# " + text)

    def expect(self, pairs):
        """A checked dump: the expectations, then the dump they are checked against."""
        for path, value in pairs:
            self.script.append("# expect %s %s" % (path, json.dumps(value, ensure_ascii=False)))
        self.script.append("dump")

    def close(self):
        self.send("quit", record=False)
        self.proc.wait(timeout=30)


def private_world():
    folder = tempfile.mkdtemp(prefix="quorvath-plan-")
    for sub in ("media", "pict"):
        os.symlink(os.path.join(TOP, "game", sub), os.path.join(folder, sub))
    return folder


def compress(lines):
    """Joins runs of `tick` into `tick N`."""
    out = []
    for line in lines:
        parts = line.split()
        if parts and parts[0] == "tick" and out and out[-1].split()[0] == "tick":
            prev = out[-1].split()
            n = (int(prev[1]) if len(prev) > 1 else 1) + (int(parts[1]) if len(parts) > 1 else 1)
            out[-1] = "tick %d" % n
        else:
            out.append(line)
    return out


def ticks_of(lines):
    n = 0
    for line in lines:
        p = line.split()
        if not p:
            continue
        if p[0] == "tick":
            n += int(p[1]) if len(p) > 1 else 1
        elif p[0] == "press":
            n += 1
    return n


def write(path, header, lines):
    with open(path, "w", encoding="utf-8") as f:
        f.write("".join("# %s\n" % h for h in header))
        f.write("seed %d\n" % SEED)
        f.write("\n".join(compress(lines)) + "\n")


# ------------------------------------------------------------------------------------------- playthrough
def route_sections(sim_path):
    # route.py takes the story rules from the validator built beside the runner.
    check = os.path.join(os.path.dirname(os.path.abspath(sim_path)), "quorvath-check")
    text = subprocess.run([sys.executable, os.path.join(HERE, "route.py"), "--check", check], check=True,
                          capture_output=True, text=True, encoding="utf-8").stdout
    sections, title, body = [], "start", []
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith("seed"):
            continue
        if line.startswith("#"):
            if body:
                sections.append((title, body))
            title, body = line.lstrip("# ").strip(), []
        else:
            body.append(line)
    if body:
        sections.append((title, body))
    return sections


def flag_changes(before, after):
    return [("storyFlags[%d]" % i, after["storyFlags"][i]) for i in STORY_FLAGS
            if before["storyFlags"][i] != after["storyFlags"][i]]


def play_step(sim, state, line):
    """Sends one line and records a checked dump when it changed the screen, a story flag or the weapons
    owned, started a boss battle, or began or ended a fight; returns the state after it."""
    sim.send(line)
    if line.split()[0] in ("down", "up") and line.split()[1] not in ("S", "L"):
        return state
    now = sim.dump()
    checks = []
    if now["currentMap"] != state["currentMap"]:
        checks.append(("currentMap", now["currentMap"]))
    if now["boss"]["name"] != state["boss"]["name"]:
        checks += [("boss.name", now["boss"]["name"])]
    if state["scene"] == 2 and now["bossPhase"] != state["bossPhase"] and now["bossPhase"] in (3, 4):
        checks.append(("bossPhase", now["bossPhase"]))
    for i, (a, b) in enumerate(zip(state["weaponOwned"], now["weaponOwned"])):
        if a != b:
            checks.append(("weaponOwned[%d]" % i, b))
    checks += flag_changes(state, now)
    if checks:
        sim.expect(checks)
    if now["scene"] == 4:
        raise RuntimeError("game over during the route: %s" % line)
    return now


def play_section(sim, state, lines):
    for line in lines:
        state = play_step(sim, state, line)
    return state


def play_fight(sim, state):
    """Fights the boss of the battle under way as a player who only swings (fight_keys), from the cut-in to
    the tick in which the boss falls."""
    for _ in range(5000):
        if state["scene"] == 2 and state["bossPhase"] >= 4:
            return state
        for line in fight_keys(state) if state["scene"] == 2 and state["bossPhase"] == 3 else ["tick"]:
            state = play_step(sim, state, line)
    raise RuntimeError("the fight with %s did not end" % state["boss"]["name"])


def plan_playthrough(sim_path, out):
    folder = private_world()
    try:
        sim = Sim(sim_path, folder)
        sim.send("seed %d" % SEED, record=False)
        state = sim.dump()
        sections = route_sections(sim_path)
        saved = False
        arrivals = {}
        i = 0
        while i < len(sections):
            title, lines = sections[i]
            sim.note(title)
            boss = re.search(r"\(boss (\d+),", title)
            if title.startswith("fight") and boss:
                arrivals[int(boss.group(1))] = state
            owned = list(state["weaponOwned"])
            state = play_fight(sim, state) if title == FIGHT else play_section(sim, state, lines)
            i += 1
            if not saved and state["weaponOwned"] != owned and state["scene"] == 0:
                # The first purchase: save with S, walk out of the shop, reload with L, which brings the
                # hero back into the shop as he was; the route then walks out again.
                saved = True
                at = {k: state[k] for k in ("currentMap", "currentArea", "heroX", "heroY", "heroMoney")}
                sim.note("save with S in the shop after the purchase")
                sim.send("down S")
                sim.send("up S")
                next_title, next_lines = sections[i]
                sim.note(next_title + " (then back by the reload)")
                state = play_section(sim, state, next_lines)
                # Keep the frame count a multiple of 20 ticks behind, so that the later fights, which
                # time their attacks by it, run as the route planned them.
                pad = (-ticks_of(next_lines)) % 20
                if pad:
                    sim.send("tick %d" % pad)
                sim.note("reload with L: back in the shop where the save was made")
                sim.send("down L")
                sim.send("up L")
                state = sim.dump()
                sim.expect(sorted(at.items()))
        final = sim.dump()
        sim.close()
        if final["scene"] != 6 or final["storyFlags"][56] != 3:
            raise RuntimeError("the route did not come back to the title: scene %d, flag 56 = %d"
                               % (final["scene"], final["storyFlags"][56]))
        sim.expect([("scene", 6), ("storyFlags[56]", 3)])
        if sim.boxes:
            raise RuntimeError("message boxes: %r" % sim.boxes)
        write(os.path.join(out, "playthrough.sim"),
              ["The demo world from the title menu to the ending and back to the title, keys only.",
               "Made by tools/world_layout/plan_route.py from the route of tools/world_layout/route.py;",
               "every `# expect PATH VALUE` is checked against the dump after it."], sim.script)
        return ticks_of(sim.script), arrivals
    finally:
        shutil.rmtree(folder, ignore_errors=True)


# ------------------------------------------------------------------------------------------- boss fights
ARROWS = {"Right": (10, 0), "Left": (-10, 0), "Down": (0, 10), "Up": (0, -10)}
FACING = {0: "Down", 2: "Right", 4: "Left", 6: "Up"}


def inside(poly, x, y):
    """The even-odd test on a polygon whose edges never pass through the hero's grid points."""
    hit = False
    n = len(poly)
    for k in range(n):
        (x1, y1), (x2, y2) = poly[k], poly[(k + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def field_step(areas, area, x, y, dx, dy):
    """The hero's step as the game takes it: ('move'|'stay'|'door'|'boss', area, x, y)."""
    nx, ny = x + dx, y + dy
    if inside(areas[area]["polygon"], nx, ny):
        return "move", area, nx, ny
    for i, a in enumerate(areas):
        if inside(a["polygon"], nx, ny):
            break
    else:
        return "stay", area, x, y
    a = areas[i]
    if not a["npc"]["absent"]:
        return "stay", area, x, y
    if a["hasDoor"]:
        return "door", i, nx, ny
    old, new = areas[area]["level"], a["level"]
    if not (old == 100 or new == 100 or new == old):
        return "stay", area, x, y
    return ("boss" if a["bossNum"] >= 0 else "move"), i, nx, ny


def path_to_boss(state):
    """The shortest list of arrow keys from the hero's spot into an area with a boss waiting."""
    areas = state["areas"]
    start = (state["currentArea"], state["heroX"], state["heroY"])
    seen = {start: None}
    queue = [start]
    for node in queue:
        for key, (dx, dy) in ARROWS.items():
            kind, area, x, y = field_step(areas, node[0], node[1], node[2], dx, dy)
            nxt = (area, x, y)
            if kind in ("stay", "door") or nxt in seen:
                continue
            seen[nxt] = (node, key)
            if kind == "boss":
                keys = []
                while seen[nxt]:
                    nxt, k = seen[nxt]
                    keys.append(k)
                return keys[::-1]
            queue.append(nxt)
    raise RuntimeError("no way to the arena from %r" % (start,))


def sword_reaches(state, facing, margin):
    """Whether a swing facing that way would reach the boss now, with a margin for its next step."""
    b = state["boss"]
    vx, vy = b["x"] + b["gx"] - state["heroX"], b["y"] + b["gy"] - state["heroY"]
    side = {0: vy >= 320, 2: vx >= 320, 4: vx <= 280, 6: vy <= 280}[facing]
    cx, cy = {0: (300, 320), 2: (320, 300), 4: (280, 300), 6: (300, 280)}[facing]
    # the boss record's touch radius `hit` is what the sword test takes as the target's size
    reach = b["hit"] + attack_weapon(state)[1]["speed"] - margin
    return side and (vx - cx) ** 2 + (vy - cy) ** 2 < reach * reach


def attack_weapon(state):
    """The key of the strongest sword the hero holds, and its record."""
    slots = [("Space", state["weaponSpace"]), ("B", state["weaponB"])]
    swords = [s for s in slots if s[1]["fly"] == 0] or slots
    return max(swords, key=lambda s: s[1]["power"])


def toward_boss(state):
    b = state["boss"]
    dx = b["x"] + b["gx"] - state["heroX"] - 300
    dy = b["y"] + b["gy"] - state["heroY"] - 300
    if abs(dx) >= abs(dy):
        return "Right" if dx > 0 else "Left"
    return "Down" if dy > 0 else "Up"


def fight_keys(state):
    """The keys of one tick of the fight: swing when the boss is in reach, turning to it first when it is
    beside or behind the hero; close in along the longer axis when it is out of reach. The hero never steps
    away from a shot and never uses an item: a player who only swings."""
    if state["boss"]["life"] < 1:
        # the last blow has struck; the next tick sees it and puts the hero on the arena point, where route.py
        # plans on from, unless an arrow held in that tick takes him a step off it
        return ["tick"]
    key, _ = attack_weapon(state)
    facing = state["heroDir"] // 2 * 2
    can_swing = state["attackCooldown"] <= 1
    if sword_reaches(state, facing, 8):
        return ["press " + key if can_swing else "tick"]
    sides = [f for f in (0, 2, 4, 6) if sword_reaches(state, f, 14)]
    want = FACING[sides[0]] if sides else toward_boss(state)
    if can_swing and sides:
        return ["down " + want, "down " + key, "tick", "up " + key, "up " + want]
    return ["down " + want, "tick", "up " + want]


SETUP_FIELDS = ["heroLife", "heroMaxLife", "heroExp", "heroLevel", "heroPowder", "heroMoney", "heroDir",
                "expMultiplier"]


def plan_boss(sim_path, arrival, number, seed=SEED):
    """A fight script from the hero's arrival state before the arena of boss `number`."""
    folder = private_world()
    try:
        sim = Sim(sim_path, folder)
        sim.send("seed %d" % seed, record=False)
        sim.note("title menu, row 1: a new game loads the catalogs and the weapons")
        for line in ("press Down", "press V"):
            sim.send(line)
        sim.note("as a player arrives before the arena: screen, spot, life, weapons and story so far")
        for f in SETUP_FIELDS:
            sim.send("set %s %d" % (f, arrival[f]))
        for i, v in enumerate(arrival["storyFlags"]):
            sim.send("set storyFlags[%d] %d" % (i, v))
        for i, v in enumerate(arrival["weaponOwned"]):
            sim.send("set weaponOwned[%d] %d" % (i, 1 if v else 0))
        for f in ("currentMap", "currentArea", "heroX", "heroY"):
            sim.send("set %s %d" % (f, arrival[f]))
        sim.send("call loadMapScreen")
        sim.send("call locateHeroArea")
        sim.send("call runStoryEvents")
        for slot, wid in enumerate(arrival["weaponSlotIds"]):
            sim.send("call loadWeapon %d %d" % (slot, wid))
        state = sim.dump()
        arena = [i for i, a in enumerate(state["areas"]) if a["bossNum"] == number]
        if len(arena) != 1:
            raise RuntimeError("boss %d has no single arena on screen %d" % (number, state["currentMap"]))
        arena = arena[0]
        flag = state["areas"][arena]["bossFlag"]
        sim.expect([("currentMap", arrival["currentMap"]), ("scene", 0),
                    ("areas[%d].bossNum" % arena, number), ("storyFlags[%d]" % flag, 0)])
        sim.note("keys only from here: the walk into the arena")
        for key in path_to_boss(state):
            sim.send("press " + key)
        sim.send("tick")  # the battle begins in the field tick after the step into the arena
        seen = None
        own = None
        for _ in range(5000):
            state = sim.dump()
            if seen is None and state["scene"] != 2:
                raise RuntimeError("the walk did not start the battle of boss %d" % number)
            now = (state["scene"], state["bossPhase"])
            if now != seen:
                checks = [("scene", now[0]), ("bossPhase", now[1])]
                if seen is None:
                    checks.append(("boss.name", state["boss"]["name"]))
                    own = state["boss"]["flagId"], state["boss"]["flagValue"]
                sim.note({(2, 0): "the hero walks to the arena point",
                          (2, 1): "at the arena point", (1, 1): "the opening speech",
                          (2, 2): "the cut-in (VS)", (2, 3): "the fight",
                          (2, 4): "beaten: the closing speech comes", (1, 4): "the closing speech",
                          (2, 5): "the wrap-up"}.get(now, "scene %d, phase %d" % now))
                sim.expect(checks)
                seen = now
            if state["scene"] == 0:
                break
            if state["scene"] == 4:
                raise RuntimeError("the hero fell to boss %d (boss life %d)" % (number, state["boss"]["life"]))
            if state["scene"] == 1:
                sim.send("press V")
            elif state["bossPhase"] == 3:
                for line in fight_keys(state):
                    sim.send(line)
            else:
                sim.send("tick")
        else:
            raise RuntimeError("the fight with boss %d did not end" % number)
        checks = [("scene", 0), ("storyFlags[%d]" % flag, 1), ("areas[%d].bossNum" % arena, -1)]
        if own and own[0] >= 0 and own[0] not in (2, 3, 4, 11, 12, 13, 14, 15, 16):
            checks.append(("storyFlags[%d]" % own[0], own[1]))
        sim.note("the boss is gone and its flags are set")
        sim.expect(checks)
        sim.close()
        if sim.boxes:
            raise RuntimeError("message boxes: %r" % sim.boxes)
        return sim.script, state
    finally:
        shutil.rmtree(folder, ignore_errors=True)


# ------------------------------------------------------------------------------------------- fight lengths
TICK_SECONDS = 0.08


def replay(sim_path, script):
    """Every dump the runner prints while it plays the script in a private copy of the world."""
    folder = private_world()
    try:
        out = subprocess.run([sim_path, os.path.abspath(script)], cwd=folder, check=True, capture_output=True,
                             text=True, encoding="utf-8").stdout
        return [json.loads(line)["state"] for line in out.splitlines() if line.startswith('{"state"')]
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def fights_of(states):
    """The fights the dumps show, in order: from the first dump in phase 3 (the fight begins in the next tick)
    to the first in phase 4 (made in the tick that saw the boss fall), so the length is the number of fight
    ticks, given dumps in those very ticks, as plan_route.py records them."""
    fights = []
    for state in states:
        if state["scene"] != 2:
            continue
        if state["bossPhase"] == 3 and (not fights or "end" in fights[-1]):
            fights.append(dict(boss=state["boss"]["bossId"], name=state["boss"]["name"], level=state["heroLevel"],
                               life=state["heroLife"], maxLife=state["heroMaxLife"], start=state["frameCounter"],
                               weapon=state["weaponB"]["name"]))
        elif state["bossPhase"] == 4 and fights and "end" not in fights[-1]:
            fights[-1].update(end=state["frameCounter"], lifeLeft=state["heroLife"])
    return fights


def padded(text, width):
    """The text and blanks to fill width columns of a terminal, where a Japanese letter takes two."""
    used = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)
    return text + " " * max(0, width - used)


def print_fights(title, fights):
    print(title)
    print("  boss %s level %s life     ticks seconds life left" % (padded("name", 10), padded("B weapon", 14)))
    for f in fights:
        ticks = f.get("end", f["start"]) - f["start"]
        print("  %4d %s %5d %s %3d/%-4d %5d %7.1f %4d/%d" % (
            f["boss"], padded(f["name"], 10), f["level"], padded(f["weapon"], 14), f["life"], f["maxLife"], ticks,
            ticks * TICK_SECONDS, f.get("lifeLeft", 0), f["maxLife"]))


def measure(sim_path, folder):
    """Prints the fight lengths of the playthrough and of each boss script in folder, by replaying them."""
    print_fights("fights on the route (playthrough.sim):", fights_of(replay(sim_path, os.path.join(folder,
                                                                                               "playthrough.sim"))))
    alone = []
    for number in range(100):
        script = os.path.join(folder, "boss_%d.sim" % number)
        if not os.path.exists(script):
            break
        alone += fights_of(replay(sim_path, script))
    print_fights("each boss alone, swinging only (boss_N.sim):", alone)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sim", default=os.path.join(TOP, "build", "quorvath-sim"))
    parser.add_argument("--out", default=os.path.join(TOP, "tests", "play"))
    parser.add_argument("--measure", action="store_true",
                        help="only replay the scripts in --out and print how long each fight lasts")
    args = parser.parse_args()
    if args.measure:
        measure(args.sim, args.out)
        return
    ticks, arrivals = plan_playthrough(args.sim, args.out)
    print("playthrough.sim: %d ticks" % ticks)
    for number in sorted(arrivals):
        script, state = plan_boss(args.sim, arrivals[number], number)
        write(os.path.join(args.out, "boss_%d.sim" % number),
              ["A fight against boss %d (%s) of the demo world, from the walk into its arena to its closing"
               % (number, state["boss"]["name"]),
               "speech. Made by tools/world_layout/plan_route.py; every `# expect PATH VALUE` is checked",
               "against the dump after it."], script)
        print("boss_%d.sim: %d ticks, life left %d of %d" % (number, ticks_of(script), state["heroLife"],
                                                              state["heroMaxLife"]))
    measure(args.sim, args.out)


if __name__ == "__main__":
    main()
