#!/usr/bin/env python3
"""Lays out the demo world's screens and prints game/media/BigMapData.xml.

The printed XML is what the game reads and what we commit; this script only saves typing the
polygons and checks the layout while we write it: every door's reset point lies in an area of
its target screen and outside any door or NPC area there, every NPC can be talked to, and every
door and arena can be walked to from where the hero arrives.

Coordinates are written in round numbers; every polygon is moved 5 px up and left, so that area
edges lie on ...5 while the hero, who starts at (700, 550) and steps 10 px, always stands on a
multiple of 10: he is never exactly on an edge.

Usage: python3 tools/world_layout/make_map.py > game/media/BigMapData.xml
"""
import sys
import unicodedata
from xml.sax.saxutils import escape

SCREENS = []


def R(x0, y0, x1, y1):
    """A rectangle; its last vertex is the top-right corner, where an NPC's picture hangs."""
    return [(x0 - 5, y0 - 5), (x0 - 5, y1 - 5), (x1 - 5, y1 - 5), (x1 - 5, y0 - 5)]


def G(points):
    return [(x - 5, y - 5) for x, y in points]


def O(x0, y0, x1, y1, cut):
    """A rectangle with its corners cut off: the shape of the arenas."""
    return G([(x0, y0 + cut), (x0, y1 - cut), (x0 + cut, y1), (x1 - cut, y1), (x1, y1 - cut), (x1, y0 + cut),
              (x1 - cut, y0), (x0 + cut, y0)])


def P(text, cond=None, set=None):
    return ("p", text, cond, set)


def Y(text, set=None):
    return ("y", text, None, set)


def N(text, set=None):
    return ("n", text, None, set)


class Screen:
    def __init__(self, name, pict, note):
        self.num = len(SCREENS)
        self.name, self.pict, self.note = name, pict, note
        self.areas = []
        SCREENS.append(self)

    def area(self, poly, level=0, enemies=(), npc=None, speech=(), door=None, boss=None, note="",
             expect=None, blocker=False):
        index = len(self.areas)
        if expect is not None:
            assert index == expect, (self.num, index, expect, note)
        self.areas.append(dict(poly=poly, level=level, enemies=list(enemies), npc=npc,
                               speech=list(speech), door=door, boss=boss, note=note, blocker=blocker))
        return index


# NPC pictures (positions in NPCPictList.xml)
ELDER, MAN, WOMAN, CHILD, MERCHANT, SMITH, INNKEEPER, STONE, GUARD, FERRYMAN, MINER, SPIRIT, STATUE, \
    SAGE, TRAVELER, POWDER, CHEST = range(17)


def shop_item(price_words, flag, item):
    return [P(price_words, cond=(flag, 1)), P("ひとつ かっていくかい？", cond=(flag, 1)),
            Y("まいどあり！ たいせつに つかってね。", set=(11, item)), N("そうかい。 また きておくれ。"),
            P("おかねが たりないみたいだね。", cond=(flag, 0))]


def shop_weapon(price_words, flag, weapon):
    return [P(price_words, cond=(flag, 1)), P("かっていくかい？ Bキーの ぶきに なるよ。", cond=(flag, 1)),
            Y("まいどあり！ うでを みがきな。", set=(14, weapon)), N("そうかい。 きが かわったら またな。"),
            P("おかねが たりないようだな。", cond=(flag, 0))]


def shop_powder(grams, flag):
    return [P("かやく %dg を %dG で うるよ。" % (grams, grams), cond=(flag, 1)), P("かっていくかい？", cond=(flag, 1)),
            Y("まいど！ じゅうの たまに つかいな。", set=(16, grams)), N("また どうぞ。"),
            P("おかねが たりないよ。", cond=(flag, 0))]


def buyer():
    """Buys the item selected on the item page of the N menu for half its price (flag 12: 1 when it has a
    price, 2 sells one). Three plain lines with a price, the question, and two lines without one, so that
    the question is asked only for an item that can be sold."""
    return [P("Nキーの メニューの 『どうぐ』の ページで", cond=(12, 1)),
            P("えらんだ どうぐを ねだんの はんぶんで かうよ。", cond=(12, 1)),
            P("キバなら 20G だ。 ひとつ うって いくかい？", cond=(12, 1)),
            Y("まいど！ ねだんの はんぶんを はらったよ。", set=(12, 2)), N("そうかい。 いつでも おいで。"),
            P("いま えらんでいる どうぐは かいとれないね。", cond=(12, 0)),
            P("Nキーの 『どうぐ』の ページで うるものを えらびな。", cond=(12, 0))]


def inn(greeting):
    """An innkeeper: the rest heals at once (flag 3 on a plain line), then one question: save or not."""
    return [P(greeting, set=(3, 1)), P("…ぐっすり ねむって ライフが かいふくした！"),
            P("やどちょうに ぼうけんを きろくして いくかい？"),
            Y("きろくしたよ。 きを つけて いっておいで。", set=(4, 1)), N("そうかい。 きを つけて いっておいで。")]


def save_stone():
    """A stone before a boss: its light heals the hero (flag 3), then it offers to save."""
    return [P("あおい ひかりが きずを いやした…", set=(3, 1)), P("ぼうけんを きろくしますか？"),
            Y("ぼうけんを きろくしました。", set=(4, 1)), N("いしは しずかに ひかっている。")]


# ---------------------------------------------------------------- screen 0: the lake village
s = Screen("みずうみのむら", "pict\\map00.png", "lake village; the ferryman (area 4) stands on the pier until flag 0 = 2")
s.area(R(1000, 500, 1060, 620), door=(5, 420, 580), note="east road to the west path (5)", expect=0)
s.area(G([(360, 480), (400, 420), (440, 400), (880, 400), (960, 420), (1000, 480), (1000, 640), (960, 740), (860, 800), (560, 800), (440, 780), (380, 700)]), note="village green", expect=1)
s.area(R(460, 360, 500, 400), npc=MAN, note="fisher: 30g powder and a grilled fish once (flag 18)", speech=[
    P("きょうは さかなが よく つれるよ。", cond=(18, 1)),
    P("たびの ひとかい？ かやくを わけてやろう。", cond=(18, 0), set=(15, 30)),
    P("やきざかなも もっていきな！", cond=(18, 0), set=(2, 12)),
    P("かやく 30g と やきざかなを もらった！", cond=(18, 0), set=(18, 1))], expect=2)
s.area(R(800, 360, 840, 400), npc=WOMAN, note="villager: tells of the thief", speech=[
    P("ゆうべ ぬすずと いう どろぼうが こぶねで きたの。"),
    P("みなみの しまへ にげて いったわ。"),
    P("ふなのりの ゲンさんなら しまへ わたして くれるかも。")], expect=3)
s.area(R(660, 800, 700, 840), npc=FERRYMAN, blocker=True,
       note="ferryman on the pier: takes the hero across once the rival is beaten; gone when flag 0 = 2",
       speech=[
           P("あやおを たおしたんだってな！ たいしたもんだ。", cond=(49, 1)),
           P("しまへ わたして やろう。 のっていくかい？", cond=(49, 1)),
           Y("よし、 ふねを だすぞ！ さんばしを すすみな。", set=(0, 2)),
           N("そうかい。 こころが きまったら またおいで。"),
           P("ふなのりの ゲンだ。", cond=(49, 0)),
           P("まものが おおくて いまは ふねを だせん。", cond=(49, 0)),
           P("ひがしの あやおを たおすほどの うでが あればな。", cond=(49, 0))], expect=4)
s.area(R(660, 840, 700, 900), door=(11, 640, 960), note="the boat to the island (11)", expect=5)

# ---------------------------------------------------------------- screen 1: the mine entrance
s = Screen("こうざんのいりぐち", "pict\\map01.png", "mine entrance; the guard (area 3) steps aside while flag 17 = 2")
s.area(R(660, 1000, 740, 1060), door=(10, 1100, 240), note="path south to the deep forest (10)", expect=0)
s.area(R(400, 600, 1000, 1000), note="yard before the gate", expect=1)
s.area(R(460, 560, 500, 600), npc=MINER, note="old miner: hints", speech=[
    P("こうざんの おくに ロウガと いう おおかみが すみついた。"),
    P("なかまの こうふたちが とじこめられて いるんだ。"),
    P("たすけて やってくれ。 たのむ！")], expect=2)
s.area(R(680, 560, 720, 600), npc=GUARD, blocker=True,
       note="guard at the gate: asks every time; yes sets flag 17 = 2 until the next door", speech=[
           P("ぬすずを たおした うでまえ、 みとめよう。", cond=(50, 1)),
           P("こうざんへ はいるか？ なかは きけんだぞ。", cond=(50, 1)),
           Y("よし、 とおれ！ きを つけてな。", set=(17, 2)),
           N("それが いい。 じゅんびを してから こい。"),
           P("ここは こうざんの いりぐちだ。", cond=(50, 0)),
           P("いまは まものが すみついて きけんだ。", cond=(50, 0)),
           P("しまの ぬすずを たおすほどの うでが なければ とおせん。", cond=(50, 0))], expect=3)
s.area(R(680, 500, 720, 560), door=(2, 1200, 300), note="the mine gate, into the gallery (2)", expect=4)
s.area(R(900, 560, 940, 600), npc=STONE, speech=save_stone(), note="save stone", expect=5)

# ---------------------------------------------------------------- screen 2: the mine gallery
s = Screen("こうざん ちか1かい", "pict\\map02.png",
           "mine gallery, 22 areas; the three miners (areas 17-19) block the deep shaft (flags 19-21)")
s.area(R(1160, 200, 1240, 260), door=(1, 700, 640), note="way up to the mine entrance (1)", expect=0)
s.area(R(1000, 260, 1400, 500), note="entry hall", expect=1)
s.area(R(1300, 220, 1340, 260), npc=STONE, speech=save_stone(), note="save stone", expect=2)
s.area(R(860, 340, 1000, 420), note="west tunnel", expect=3)
s.area(O(300, 200, 860, 700, 80), boss=(2, 22), note="arena of the underling したっぱ (boss 2, flag 22)", expect=4)
s.area(R(1400, 340, 1600, 420), note="east tunnel", expect=5)
s.area(R(1600, 260, 1900, 600), enemies=[4, 5, 4], note="east room", expect=6)
s.area(R(1700, 600, 1780, 800), level=100, note="ladder down (level 100 joins both floors)", expect=7)
s.area(R(1780, 640, 1880, 720), level=-100, note="niche reached only from the ladder", expect=8)
s.area(R(1880, 660, 1920, 700), level=-100, npc=CHEST, note="chest: the long spear once (flag 23)", speech=[
    P("からっぽの たからばこだ。", cond=(23, 1)),
    P("たからばこを あけた！", cond=(23, 0), set=(13, 8)),
    P("『ながやり』を てにいれた！", cond=(23, 0), set=(23, 1))], expect=9)
s.area(R(1300, 800, 1900, 900), level=2, enemies=[5], note="lower gallery", expect=10)
s.area(R(1000, 800, 1300, 1000), level=2, enemies=[4, 4, 5], note="lower west hall", expect=11)
s.area(R(700, 860, 1000, 1100), level=2, enemies=[5, 4], note="chamber", expect=12)
s.area(R(760, 820, 800, 860), level=2, npc=MINER, note="tired miner: hints", speech=[
    P("この さきの たてこうで なかまが こまってる。"),
    P("したっぱの やつが いすわって いて かえれないんだ。"),
    P("したっぱは にしの ひろまに いるよ。")], expect=13)
s.area(R(800, 1100, 880, 1180), level=2, note="corridor to the shaft", expect=14)
s.area(R(880, 1100, 1000, 1180), level=2, note="side pocket", expect=15)
s.area(R(820, 1180, 860, 1220), level=2, note="head of the shaft", expect=16)
s.area(R(820, 1220, 860, 1260), level=2, npc=MINER, blocker=True,
       note="miner A: goes home once したっぱ is beaten (flag 22), then flag 19 = 1", speech=[
           P("したっぱを やっつけて くれたのか！", cond=(22, 1)),
           P("これで まちへ かえれる。 ありがとう！", cond=(22, 1), set=(19, 1)),
           P("にしの ひろまに したっぱが いすわってるんだ。", cond=(22, 0)),
           P("こわくて ここから うごけないよ…", cond=(22, 0))], expect=17)
s.area(R(820, 1260, 860, 1300), level=2, npc=MINER, blocker=True,
       note="miner B: gives 40g powder and goes home (flag 20)", speech=[
           P("たすかった！ おれも かえるとするよ。"),
           P("おれいに かやくを 40g やろう。", set=(15, 40)),
           P("ロウガは ちかの みずうみに いるぞ。", set=(20, 1))], expect=18)
s.area(R(820, 1300, 860, 1340), level=2, npc=MINER, blocker=True,
       note="miner C: asks whether the hero really goes on; yes sets flag 21 = 1", speech=[
           P("この さきは ロウガの なわばりだ。"),
           P("ほんとうに いくのか？"),
           Y("わかった。 みちを あけよう。 きを つけて！", set=(21, 1)),
           N("それが いい。 まちで じゅんびを ととのえな。")], expect=19)
s.area(R(780, 1340, 900, 1420), level=2, note="foot of the shaft", expect=20)
s.area(R(800, 1420, 880, 1480), door=(12, 440, 300), note="down to the lower mine (12)", expect=21)

# ---------------------------------------------------------------- screen 3: the inn
s = Screen("やどや こもれびてい", "pict\\map03.png", "the town inn: heal and save")
s.area(R(520, 700, 600, 760), door=(6, 980, 470), note="door out to the town (6)", expect=0)
s.area(R(360, 400, 800, 700), note="inn floor", expect=1)
s.area(R(460, 360, 500, 400), npc=INNKEEPER, note="innkeeper: heals (flag 3), then asks to save (flag 4)",
       speech=inn("いらっしゃい。 ゆっくり やすんで いきな。"), expect=2)
s.area(R(620, 360, 660, 400), npc=MAN, note="a guest: the S and L keys", speech=[
    P("Sキーを おせば どこでも ぼうけんを きろく できるんだ。"),
    P("Lキーで さいごの きろくから やりなおせる。"),
    P("まものに やられても きろくした ところに もどれるよ。")], expect=3)
s.area(R(800, 500, 840, 540), npc=TRAVELER, note="traveller: how to sell", speech=[
    P("まものを たおすと ときどき キバを おとすんだ。"),
    P("キバは どうぐやで かいとって もらえるよ。"),
    P("Nキーの メニューで えらんでから はなしかけるんだ。")], expect=4)

# ---------------------------------------------------------------- screen 4: the shop
s = Screen("ルーメの おみせ", "pict\\map04.png", "the town shop: items, selling, weapons, gunpowder")
s.area(R(560, 700, 640, 760), door=(6, 800, 470), note="door out to the town (6)", expect=0)
s.area(R(300, 400, 1000, 700), note="shop floor", expect=1)
s.area(R(360, 360, 400, 400), npc=MERCHANT, speech=shop_item("やくそうは 20G だよ。", 5, 0),
       note="sells herbs (item 0) when money > 99", expect=2)
s.area(R(460, 360, 500, 400), npc=MERCHANT, speech=shop_item("いやしのみずは 60G だよ。", 5, 1),
       note="sells healing water (item 1) when money > 99", expect=3)
s.area(R(560, 360, 600, 400), npc=MAN, speech=buyer(), note="buys the selected item for half its price", expect=4)
s.area(R(700, 360, 740, 400), npc=SMITH, speech=shop_weapon("はがねのけんは 300G だ。", 7, 6),
       note="sells the steel sword (weapon 6) when money > 299", expect=5)
s.area(R(800, 360, 840, 400), npc=SMITH, speech=shop_weapon("ライフルは 200G だ。", 6, 2),
       note="sells the rifle (weapon 2) when money > 199", expect=6)
s.area(R(900, 360, 940, 400), npc=POWDER, speech=shop_powder(50, 5),
       note="sells 50g powder when money > 99", expect=7)

# ---------------------------------------------------------------- screen 5: the west path
s = Screen("にしの こみち", "pict\\map05.png", "field between the town and the lake")
s.area(R(1200, 500, 1260, 620), door=(6, 380, 560), note="east to the town (6)", expect=0)
s.area(R(800, 480, 1200, 640), note="path", expect=1)
s.area(G([(400, 500), (460, 400), (600, 360), (740, 380), (800, 460), (800, 660), (760, 780), (620, 840), (480, 820), (400, 700)]), enemies=[0, 1, 1], note="grassland", expect=2)
s.area(R(340, 520, 400, 640), door=(0, 970, 560), note="west to the lake village (0)", expect=3)
s.area(R(900, 440, 940, 480), npc=TRAVELER, note="traveller: hint", speech=[
    P("この さきは みずうみの むらだよ。"),
    P("しまへ わたるには ふなのりに たのむんだね。")], expect=4)

# ---------------------------------------------------------------- screen 6: the home town (start)
s = Screen("ルーメのまち", "pict\\map06.png", "home town; a new game starts at (700, 550) in area 1")
s.area(R(300, 500, 360, 620), door=(5, 1170, 560), note="west gate to the west path (5)", expect=0)
s.area(R(360, 440, 1100, 680), note="main street, holds the start point", expect=1)
s.area(R(560, 400, 600, 440), npc=ELDER, note="elder: the goal, by stage flag 53", speech=[
    P("おお、 たびの かた。 ルーメの まちへ ようこそ。", cond=(53, 0)),
    P("まちを まもる みっつの ひかりのたまが ぬすまれた。", cond=(53, 0)),
    P("ひとつは ひがしの かぜのおかの あやおが もっておる。", cond=(53, 0)),
    P("おみせで そうびを ととのえて、 とりかえして くだされ。", cond=(53, 0)),
    P("たたかいかたは ひがしもんの へいしに きくと よい。", cond=(53, 0)),
    P("ひとつめの たまを とりもどしたか！", cond=(53, 1)),
    P("ふたつめは ぬすずが にしの みずうみの しまへ…", cond=(53, 1)),
    P("むらの ふなのりに たのむと よいじゃろう。", cond=(53, 1)),
    P("のこる ひとつは きたの こうざんの おくじゃ。", cond=(53, 2)),
    P("ひがしの もりを ぬけた さきに いりぐちが ある。", cond=(53, 2))], expect=2)
s.area(R(760, 380, 840, 440), door=(4, 600, 660), note="door into the shop (4)", expect=3)
s.area(R(940, 380, 1020, 440), door=(3, 560, 660), note="door into the inn (3)", expect=4)
s.area(R(480, 680, 520, 720), npc=WOMAN, note="townswoman: an herb once (flag 37)", speech=[
    P("きを つけて いってらっしゃい。", cond=(37, 1)),
    P("あら、 たびに でるの？ これを もって いきなさい。", cond=(37, 0), set=(2, 0)),
    P("やくそうを もらった！", cond=(37, 0), set=(37, 1))], expect=5)
s.area(R(1100, 500, 1160, 620), door=(7, 400, 560), note="east gate to the meadow (7)", expect=6)
s.area(R(1040, 680, 1080, 720), npc=GUARD, note="gate guard: how to fight, by the east gate", speech=[
    P("ひがしの はらっぱには まものが でるぞ。"),
    P("スペースキーと Bキーで ぶきを ふるって たたかうんだ。"),
    P("ふたつの キーに それぞれ べつの ぶきを もてる。"),
    P("Nキーの メニューで キーごとの ぶきを えらべるぞ。"),
    P("まものに ふれると ライフが へる。 きを つけてな！")], expect=7)
s.area(R(680, 680, 720, 720), npc=CHILD, note="child: a short sword once (flag 38)", speech=[
    P("ぼくも おおきく なったら たびに でるんだ！", cond=(38, 1)),
    P("これ、 ぼくの たからもの。 あげる！", cond=(38, 0), set=(13, 1)),
    P("『ショートソード』を もらった！", cond=(38, 0), set=(38, 1))], expect=8)

# ---------------------------------------------------------------- screen 7: the east meadow
s = Screen("ひがしの はらっぱ", "pict\\map07.png", "first field")
s.area(R(300, 500, 360, 620), door=(6, 1070, 560), note="west gate to the town (6)", expect=0)
s.area(G([(560, 470), (620, 370), (820, 380), (1000, 360), (1060, 460), (1060, 660), (1000, 800), (820, 860), (620, 840), (560, 660)]), enemies=[0, 0, 1], note="meadow", expect=1)
s.area(R(1060, 500, 1300, 620), note="path east", expect=2)
s.area(R(1300, 500, 1360, 620), door=(8, 400, 860), note="east to the windy hill (8)", expect=3)
s.area(R(1160, 460, 1200, 500), npc=TRAVELER, note="traveller: warns of the rival", speech=[
    P("この さきの おかに あやおが いるぞ。"),
    P("てごわい やつだ。 まちの やどやで きろくを しておけ。")], expect=4)
s.area(R(360, 480, 560, 640), enemies=[0], note="the field's gate, where the hero comes in from the town: one slow slime",
       expect=5)

# ---------------------------------------------------------------- screen 8: the windy hill (rival)
s = Screen("かぜのおか", "pict\\map08.png",
           "lower meadow (level 0), stairs (100), upper terrace (1) and the rival's arena; a lookout (-100)")
s.area(R(300, 800, 360, 920), door=(7, 1270, 560), note="west to the meadow (7)", expect=0)
s.area(G([(360, 760), (360, 930), (440, 960), (800, 960), (1000, 940), (1100, 960), (1100, 760)]), enemies=[1, 1], note="lower meadow, level 0", expect=1)
s.area(R(1100, 560, 1200, 960), level=100, note="stairs up the hill", expect=2)
s.area(R(1200, 560, 1300, 700), level=-100, note="lookout, only from the stairs", expect=3)
s.area(R(700, 560, 1100, 760), level=1, note="upper terrace; its lower edge is a cliff", expect=4)
s.area(O(500, 160, 1100, 560, 80), level=1, boss=(0, 49), note="arena of the rival あやお (boss 0, flag 49)", expect=5)
s.area(R(760, 100, 840, 160), door=(9, 800, 960), note="north to the forest (9)", expect=6)
s.area(R(1300, 600, 1340, 640), level=-100, npc=MAN, note="old man at the lookout: a boost feather once (flag 27)",
       speech=[
           P("ここからの ながめは さいこうじゃ。", cond=(27, 1)),
           P("よく ここまで のぼって きたのう。", cond=(27, 0)),
           P("ほうびに 『ゆうきのはね』を やろう。", cond=(27, 0), set=(2, 3)),
           P("『ゆうきのはね』を もらった！", cond=(27, 0), set=(27, 1))], expect=7)

# ---------------------------------------------------------------- screen 9: the forest edge
s = Screen("もりの いりぐち", "pict\\map09.png", "forest field")
s.area(R(760, 1000, 840, 1060), door=(8, 800, 200), note="south to the windy hill (8)", expect=0)
s.area(R(700, 600, 900, 1000), enemies=[2, 3], note="forest path", expect=1)
s.area(G([(400, 380), (480, 300), (1120, 300), (1200, 360), (1200, 520), (1120, 600), (480, 600), (400, 520)]), enemies=[2, 3, 3], note="clearing", expect=2)
s.area(R(1200, 380, 1260, 500), door=(10, 400, 440), note="east to the deep forest (10)", expect=3)
s.area(R(500, 260, 540, 300), npc=POWDER, speech=shop_powder(50, 5), note="woodcutter: sells powder", expect=4)

# ---------------------------------------------------------------- screen 10: the deep forest
s = Screen("ふかい もり", "pict\\map10.png", "forest field; the mine lies north")
s.area(R(300, 380, 360, 500), door=(9, 1170, 440), note="west to the forest edge (9)", expect=0)
s.area(R(360, 360, 900, 520), enemies=[3, 2], note="path", expect=1)
s.area(G([(900, 300), (980, 200), (1220, 200), (1300, 280), (1300, 620), (1220, 700), (980, 700), (900, 620)]), enemies=[2, 3, 3, 2], note="grove", expect=2)
s.area(R(1060, 140, 1140, 200), door=(1, 700, 960), note="north to the mine entrance (1)", expect=3)
s.area(R(1300, 400, 1340, 440), npc=TRAVELER, note="hunter: hint", speech=[
    P("きたの こうざんは へいしが まもっている。"),
    P("うでの たつ ものしか とおして くれないぞ。")], expect=4)
s.area(R(1100, 700, 1140, 740), npc=CHEST, note="chest: a star shard once (flag 41)", speech=[
    P("からっぽの たからばこだ。", cond=(41, 1)),
    P("たからばこを あけた！", cond=(41, 0), set=(2, 11)),
    P("『ほしのかけら』を てにいれた！", cond=(41, 0), set=(41, 1))], expect=5)

# ---------------------------------------------------------------- screen 11: the island (thief)
s = Screen("ことりのしま", "pict\\map11.png", "island; the thief's hideout")
s.area(R(600, 1000, 680, 1060), door=(0, 680, 760), note="the boat back to the village (0)", expect=0)
s.area(G([(400, 860), (460, 800), (940, 800), (1000, 860), (1000, 940), (900, 1000), (480, 1000), (400, 940)]), enemies=[1, 2], note="beach", expect=1)
s.area(R(860, 760, 900, 800), npc=STONE, speech=save_stone(), note="save stone", expect=2)
s.area(R(640, 700, 760, 800), note="path to the hideout", expect=3)
s.area(O(400, 200, 1000, 700, 80), boss=(1, 50), note="hideout, arena of the thief ぬすず (boss 1, flag 50)", expect=4)
s.area(R(680, 160, 720, 200), npc=CHEST, note="the thief's chest: a treasure stone once (flag 28)", speech=[
    P("からっぽの たからばこだ。", cond=(28, 1)),
    P("ぬすずの たからばこを あけた！", cond=(28, 0), set=(2, 9)),
    P("『たからのいし』を てにいれた！", cond=(28, 0), set=(28, 1))], expect=5)

# ---------------------------------------------------------------- screen 12: the lower mine
s = Screen("こうざん ちか2かい", "pict\\map12.png", "lower mine")
s.area(R(400, 200, 480, 260), door=(2, 840, 1380), note="up the shaft to the gallery (2)", expect=0)
s.area(R(360, 260, 520, 700), enemies=[5, 6], note="passage", expect=1)
s.area(G([(520, 500), (520, 760), (580, 800), (1140, 800), (1200, 740), (1200, 560), (1140, 500)]), enemies=[5, 6, 6], note="cavern", expect=2)
s.area(R(700, 460, 740, 500), npc=STONE, speech=save_stone(), note="save stone", expect=3)
s.area(R(1200, 600, 1260, 720), door=(13, 400, 560), note="east to the spirit spring (13)", expect=4)
s.area(R(900, 800, 940, 840), npc=CHEST, note="chest: a strange coin once (flag 39)", speech=[
    P("からっぽの たからばこだ。", cond=(39, 1)),
    P("たからばこを あけた！", cond=(39, 0), set=(2, 7)),
    P("『ふしぎなコイン』を てにいれた！", cond=(39, 0), set=(39, 1))], expect=5)

# ---------------------------------------------------------------- screen 13: the spirit spring
s = Screen("せいれいのいずみ", "pict\\map13.png", "three spirits (areas 2-4) to free: flags 24-26")
s.area(R(300, 500, 360, 620), door=(12, 1160, 660), note="west to the lower mine (12)", expect=0)
s.area(G([(360, 480), (420, 400), (1000, 400), (1100, 480), (1100, 700), (1020, 800), (460, 800), (360, 700)]), enemies=[6, 6, 7], note="grotto", expect=1)
s.area(R(520, 360, 560, 400), npc=SPIRIT, note="spirit A: a spirit drop, then leaves (flag 24)", speech=[
    P("ありがとう… まものの のろいが とけました。"),
    P("おれいに 『せいれいのしずく』を どうぞ。", set=(2, 10)),
    P("さようなら…", set=(24, 1))], expect=2)
s.area(R(700, 360, 740, 400), npc=SPIRIT, note="spirit B: the spirit staff, then leaves (flag 25)", speech=[
    P("わたしの つえを あなたに たくします。", set=(13, 9)),
    P("『せいれいのつえ』を てにいれた！"),
    P("ロウガに まけないで…", set=(25, 1))], expect=3)
s.area(R(880, 360, 920, 400), npc=SPIRIT, note="spirit C: power or wisdom (answer), leaves (flag 26)", speech=[
    P("わたしは ちからか ちえを さずけましょう。", set=(26, 1)),
    P("ちからを のぞみますか？"),
    Y("では ちからを。 『ちからのみ』を てにいれた！", set=(2, 14)),
    N("では ちえを。 『けいけんのしょ』を てにいれた！", set=(2, 4))], expect=4)
s.area(R(1100, 560, 1160, 680), door=(14, 400, 860), note="east to the underground lake (14)", expect=5)

# ---------------------------------------------------------------- screen 14: the underground lake
s = Screen("ちかの みずうみ", "pict\\map14.png", "the wolf's lair")
s.area(R(300, 800, 360, 920), door=(13, 1060, 620), note="west to the spirit spring (13)", expect=0)
s.area(G([(360, 760), (360, 940), (420, 960), (860, 960), (900, 920), (900, 760)]), enemies=[7, 6], note="shore", expect=1)
s.area(R(560, 720, 600, 760), npc=STONE, speech=save_stone(), note="save stone", expect=2)
s.area(R(900, 820, 1100, 900), note="bridge over the water", expect=3)
s.area(O(1100, 400, 1700, 960, 60), boss=(3, 51), note="arena of the wolf ロウガ (boss 3, flag 51)", expect=4)
s.area(R(1360, 340, 1440, 400), door=(15, 700, 960), note="north to the sealed gate (15)", expect=5)

# ---------------------------------------------------------------- screen 15: the sealed gate
s = Screen("ふういんのもん", "pict\\map15.png", "two statues (areas 2, 3) seal the way: flags 31, 32")
s.area(R(660, 1000, 740, 1060), door=(14, 1400, 440), note="south to the underground lake (14)", expect=0)
s.area(R(400, 600, 1000, 1000), note="hall", expect=1)
s.area(R(680, 560, 720, 600), npc=STATUE, blocker=True, note="statue A: answers the three orbs (flag 46 = 3)",
       speech=[
           P("せきぞうが みっつの ひかりに こたえた！", cond=(46, 3)),
           P("せきぞうは しずかに わきへ しりぞいた。", cond=(46, 3), set=(31, 1)),
           P("『みっつの ひかりを そろえし もの とおるべし』", cond=(46, 0))], expect=2)
s.area(R(680, 520, 720, 560), npc=STATUE, blocker=True, note="statue B: asks; yes opens (flag 32)", speech=[
    P("『この さきは みやこ セレスタ』"),
    P("『ひかりを もつ ものよ、 すすむか？』"),
    Y("せきぞうは ゆっくりと みちを あけた。", set=(32, 1)),
    N("『ならば たちされ』")], expect=3)
s.area(R(680, 400, 720, 520), note="gate passage", expect=4)
s.area(R(660, 340, 740, 400), door=(16, 700, 1060), note="north to the city (16)", expect=5)
s.area(R(860, 560, 900, 600), npc=STONE, speech=save_stone(), note="save stone", expect=6)

# ---------------------------------------------------------------- screen 16: the city
s = Screen("みやこ セレスタ", "pict\\map16.png",
           "city; entering sets flag 17 to 1; the sage (area 8) stands in the tower road until flag 45 = 1")
s.area(R(660, 1100, 740, 1160), door=(15, 700, 440), note="south to the sealed gate (15)", expect=0)
s.area(R(400, 600, 1200, 1100), note="plaza", expect=1)
s.area(R(460, 560, 500, 600), npc=INNKEEPER, speech=inn("ようこそ やどやへ。 ゆっくり やすんで いきなさい。"),
       note="innkeeper: heals, then asks to save", expect=2)
s.area(R(560, 560, 600, 600), npc=MAN, note="a guest at the inn: the tower", speech=[
    P("ほしふりのとうの なかにも きろくの いしが あるそうだ。"),
    P("あおく ひかる いしに はなしかけると きずも いえるよ。")], expect=3)
s.area(R(900, 560, 940, 600), npc=SMITH, speech=shop_weapon("ほのおのけんは 800G だ。", 9, 7),
       note="sells the flame sword (weapon 7) when money > 799", expect=4)
s.area(R(1000, 560, 1040, 600), npc=MERCHANT, speech=shop_item("げんきのもとは 150G だよ。", 6, 2),
       note="sells vigour tonic (item 2) when money > 199", expect=5)
s.area(R(1100, 560, 1140, 600), npc=POWDER, speech=shop_powder(100, 5), note="sells 100g powder", expect=6)
s.area(R(780, 440, 820, 600), note="tower road, narrow", expect=7)
s.area(R(780, 400, 820, 440), npc=SAGE, blocker=True, note="the sage: lets the hero by (flag 45)", speech=[
    P("わしは けんじゃ ルクス。 よくぞ たまを そろえた。"),
    P("とうの うえの ジズこそ わざわいの もとじゃ。"),
    P("とうへ いく かくごは できたか？"),
    Y("よかろう。 みちを あけよう。 ひかりの かごを！", set=(45, 1)),
    N("じゅんびが できたら また くるがよい。")], expect=8)
s.area(R(740, 200, 860, 400), note="tower road", expect=9)
s.area(R(760, 140, 840, 200), door=(17, 800, 2260), note="into the tower (17)", expect=10)
s.area(R(1200, 800, 1240, 840), npc=SMITH, speech=shop_weapon("はちほうたいほうは 900G だ。", 10, 4),
       note="sells the eight-way cannon (weapon 4) when money > 999", expect=11)
s.area(R(1200, 900, 1240, 940), npc=MERCHANT, speech=shop_item("ゆうきのはねは 200G だよ。", 6, 3),
       note="sells the courage feather (item 3) when money > 199", expect=12)
s.area(R(360, 800, 400, 840), npc=MAN, speech=buyer(), note="buys the selected item", expect=13)
s.area(R(360, 960, 400, 1000), npc=WOMAN, note="townswoman: hint", speech=[
    P("とうには ベヒモスと いう まものが いるそうよ。"),
    P("じゅんびは しっかりね。")], expect=14)
s.area(R(1200, 1000, 1240, 1040), npc=MERCHANT, speech=shop_item("はちみつパンは 100G だよ。", 5, 13),
       note="baker: honey bread (item 13) when money > 99", expect=15)

# ---------------------------------------------------------------- screen 17: the tower
s = Screen("ほしふりのとう", "pict\\map17.png", "tower: ベヒモス (flag 40), then the last boss ジズ (flag 42)")
s.area(R(760, 2300, 840, 2360), door=(16, 800, 260), note="out to the city (16)", expect=0)
s.area(R(500, 1900, 1100, 2300), enemies=[6, 7], note="entrance hall", expect=1)
s.area(R(560, 1860, 600, 1900), npc=STONE, speech=save_stone(), note="save stone", expect=2)
s.area(R(760, 1800, 840, 1900), note="stairs", expect=3)
s.area(O(400, 1200, 1200, 1800, 100), boss=(4, 40), note="arena of ベヒモス (boss 4, flag 40)", expect=4)
s.area(R(760, 1100, 840, 1200), note="stairs", expect=5)
s.area(R(600, 1000, 1000, 1100), note="landing", expect=6)
s.area(R(640, 960, 680, 1000), npc=SPIRIT, note="spirit of light: the light gun once (flag 36), heals", speech=[
    P("ジズに たちむかう あなたに ひかりの じゅうを。", cond=(36, 0), set=(13, 11)),
    P("『ひかりのじゅう』を てにいれた！", cond=(36, 0), set=(36, 1)),
    P("あなたの きずを いやしましょう。", set=(3, 1))], expect=7)
s.area(R(920, 960, 960, 1000), npc=STONE, speech=save_stone(), note="save stone", expect=8)
s.area(R(760, 900, 840, 1000), note="stairs to the top", expect=9)
s.area(O(400, 300, 1200, 900, 100), boss=(5, 42), note="arena of the last boss ジズ (boss 5, flag 42)", expect=10)
s.area(R(1000, 1860, 1040, 1900), npc=CHEST, note="chest: the hero's book once (flag 43)", speech=[
    P("からっぽの たからばこだ。", cond=(43, 1)),
    P("たからばこを あけた！", cond=(43, 0), set=(2, 5)),
    P("『えいゆうのしょ』を てにいれた！", cond=(43, 0), set=(43, 1))], expect=11)


# ---------------------------------------------------------------- checks
def inside(poly, x, y):
    """Even-odd test, as the game does it."""
    c = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            xi = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < xi:
                c = not c
    return c


def first_area(screen, x, y, solid):
    for i, a in enumerate(screen.areas):
        if inside(a["poly"], x, y):
            return i
    return None


def check():
    errors = []
    start = SCREENS[6]
    if first_area(start, 700, 550, None) != 1:
        errors.append("start point not in screen 6 area 1")
    arrivals = {s.num: [] for s in SCREENS}
    for s in SCREENS:
        for i, a in enumerate(s.areas):
            if a["door"]:
                nxt, rx, ry = a["door"]
                t = SCREENS[nxt]
                j = first_area(t, rx, ry, None)
                if j is None:
                    errors.append("screen %d area %d: reset (%d,%d) in no area of %d" % (s.num, i, rx, ry, nxt))
                    continue
                b = t.areas[j]
                if b["door"] or b["npc"] is not None:
                    errors.append("screen %d area %d: reset lands in door/npc area %d of %d" % (s.num, i, j, nxt))
                for dx, dy in ((10, 0), (-10, 0), (0, 10), (0, -10)):
                    k = first_area(t, rx + dx, ry + dy, None)
                    if k is not None and t.areas[k]["door"]:
                        errors.append("screen %d area %d: reset one step from a door of %d" % (s.num, i, nxt))
                arrivals[nxt].append((rx, ry))
            for kind, text, cond, setf in a["speech"]:
                # the message window holds about 27 full-width characters in its 20 px font
                width = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)
                if width > 56:
                    errors.append("screen %d area %d: line too wide: %s" % (s.num, i, text))
            if len(a["poly"]) > 20:
                errors.append("screen %d area %d: too many points" % (s.num, i))
            if len(a["enemies"]) > 5:
                errors.append("screen %d area %d: too many enemies" % (s.num, i))
    arrivals[6].append((700, 550))
    # walk every screen from each arrival point; blockers count as gone, other NPCs are solid
    for s in SCREENS:
        for sx, sy in arrivals[s.num]:
            seen_areas = set()
            talkable = set()
            cur0 = first_area(s, sx, sy, None)
            todo = [(sx, sy, cur0)]
            seen = {(sx, sy)}
            while todo:
                x, y, cur = todo.pop()
                seen_areas.add(cur)
                for dx, dy in ((10, 0), (-10, 0), (0, 10), (0, -10)):
                    px, py = x + dx, y + dy
                    probe = first_area(s, x + dx * 3 // 2, y + dy * 3 // 2, None)
                    if probe is not None and s.areas[probe]["npc"] is not None:
                        la, lb = s.areas[probe]["level"], s.areas[cur]["level"]
                        if la == 100 or la == lb:
                            talkable.add(probe)
                    if inside(s.areas[cur]["poly"], px, py):
                        nxt = cur
                    else:
                        nxt = first_area(s, px, py, None)
                        if nxt is None:
                            continue
                        a = s.areas[nxt]
                        if a["npc"] is not None and not a["blocker"]:
                            continue
                        if a["door"]:
                            seen_areas.add(nxt)
                            continue
                        lo, ln = s.areas[cur]["level"], a["level"]
                        if not (lo == 100 or ln == 100 or (ln != -100 and ln == lo)):
                            continue
                    if (px, py) not in seen:
                        seen.add((px, py))
                        todo.append((px, py, nxt))
            for i, a in enumerate(s.areas):
                if a["npc"] is not None and i not in talkable:
                    errors.append("screen %d area %d (%s): NPC cannot be talked to from (%d,%d)"
                                  % (s.num, i, a["note"], sx, sy))
                if a["npc"] is None and i not in seen_areas:
                    errors.append("screen %d area %d (%s): never reached from (%d,%d)" % (s.num, i, a["note"], sx, sy))
    return errors


# ---------------------------------------------------------------- output
def attr_flag(cond):
    return ' flagid="%d" state="%d"' % cond if cond else ""


def write():
    out = []
    w = out.append
    w('<?xml version="1.0" encoding="UTF-8"?>')
    w('<!-- The demo world: screens in order (the position of a screen is its number), each with its areas.')
    w('     Laid out with tools/world_layout/make_map.py; docs/demo-world.md tells the story and the flags.')
    w('     Area edges lie on ...5 so the hero, who stands on multiples of 10, is never on an edge. -->')
    w('<map>')
    for s in SCREENS:
        w('  <!-- screen %d: %s -->' % (s.num, s.note))
        w('  <screen name="%s" areanum="%d" pict="%s">' % (escape(s.name), len(s.areas), escape(s.pict)))
        for i, a in enumerate(s.areas):
            en = ' enemynum="%d"' % len(a["enemies"]) if a["enemies"] else ""
            w('    <!-- area %d: %s -->' % (i, a["note"]))
            w('    <area level="%d"%s pointnum="%d">' % (a["level"], en, len(a["poly"])))
            w('      ' + "".join('<point x="%d" y="%d"/>' % p for p in a["poly"]))
            for t in a["enemies"]:
                w('      <enemy type="%d"/>' % t)
            if a["door"]:
                w('      <door next="%d" resetx="%d" resety="%d"/>' % a["door"])
            if a["boss"]:
                w('      <boss num="%d" flag="%d"/>' % a["boss"])
            if a["npc"] is not None:
                w('      <npc imageid="%d">' % a["npc"])
                for kind, text, cond, setf in a["speech"]:
                    yn = ' y="1"' if kind == "y" else (' n="1"' if kind == "n" else "")
                    if setf:
                        w('        <speech%s%s>%s<setflag flagid="%d" state="%d"/></speech>'
                          % (yn, attr_flag(cond), escape(text), setf[0], setf[1]))
                    else:
                        w('        <speech%s%s>%s</speech>' % (yn, attr_flag(cond), escape(text)))
                w('      </npc>')
            w('    </area>')
        w('  </screen>')
    w('</map>')
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    problems = check()
    for p in problems:
        print("layout: " + p, file=sys.stderr)
    sys.stdout.write(write())
    sys.exit(1 if problems else 0)
