// Characters and creatures painted on small grids, outlined and scaled up.
#include "sprites.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace paint;

namespace {

// A pen whose unit space is `units` wide, drawn onto a grid of `grid` pixels.
PenPtr unitPen(cairo_surface_t* surface, double units, int grid) {
    PenPtr pen = newPen(surface);
    cairo_scale(pen.get(), grid / units, grid / units);
    return pen;
}

SurfacePtr finish(SurfacePtr small, int scale) {
    SurfacePtr line = outlined(small.get(), colors::ink);
    if (scale <= 1) return line;
    return scaledUp(line.get(), scale);
}

void drawHead(cairo_t* pen, const Look& look, int facing) {
    const uint32_t hair = look.hair;
    if (look.hat == 2) fillEllipse(pen, 10, 6.6, 5.9, 5.5, look.accent);
    if (facing == 3) {
        fillEllipse(pen, 10, 6.6, 5.2, 4.9, look.hat == 2 ? look.accent : hair);
    } else if (facing == 0) {
        if (look.hat != 2) fillEllipse(pen, 10, 6.4, 5.2, 4.8, hair);
        fillEllipse(pen, 10, 7.9, 4.2, 3.5, look.skin);
        if (look.hat != 2) fillRect(pen, 5.8, 3.4, 8.4, 2.3, hair);
        fillRect(pen, 7.4, 7.2, 1, 1.7, colors::ink);
        fillRect(pen, 11.6, 7.2, 1, 1.7, colors::ink);
        fillRect(pen, 6.6, 9.2, 1.1, 0.8, colors::pink, 0.9);
        fillRect(pen, 12.3, 9.2, 1.1, 0.8, colors::pink, 0.9);
        if (look.beard) fillEllipse(pen, 10, 10.7, 3.4, 2.2, hair);
    } else {
        if (look.hat != 2) fillEllipse(pen, 9.4, 6.4, 5.0, 4.8, hair);
        fillEllipse(pen, 11.3, 7.9, 3.3, 3.4, look.skin);
        if (look.hat != 2) fillRect(pen, 6.5, 3.4, 8.2, 2.2, hair);
        fillRect(pen, 12.5, 7.2, 1, 1.7, colors::ink);
        fillRect(pen, 13.2, 9.2, 1.0, 0.8, colors::pink, 0.9);
        if (look.beard) fillEllipse(pen, 12, 10.6, 2.4, 2.0, hair);
    }
    switch (look.hat) {
    case 1:
        fillEllipse(pen, 10, 3.8, 5.3, 2.4, look.accent);
        if (facing == 0) fillRect(pen, 5.2, 4.6, 9.6, 1.2, darker(look.accent, 0.3));
        if (facing == 1) fillRect(pen, 9, 4.6, 6.4, 1.2, darker(look.accent, 0.3));
        break;
    case 3:
        fillEllipse(pen, 10, 4.6, 5.7, 3.6, colors::silver);
        fillRect(pen, 4.4, 5.2, 11.2, 1.3, colors::stone);
        fillRect(pen, 9.3, 1.4, 1.4, 2.2, look.accent);
        break;
    case 4:
        fillEllipse(pen, 10, 4.8, 7.6, 1.7, look.accent);
        fillEllipse(pen, 10, 3.0, 3.8, 2.4, look.accent);
        fillRect(pen, 6.4, 3.8, 7.2, 0.9, colors::gold);
        break;
    case 5:
        fillRect(pen, 5, 4.4, 10, 1.3, look.accent);
        if (facing == 3) fillRect(pen, 9, 5.6, 2, 2.4, look.accent);
        break;
    default: break;
    }
}

void drawBody(cairo_t* pen, const Look& look, int facing, int step) {
    const double swing = step == 1 ? 0.8 : 0.0;
    const uint32_t sleeve = look.shirt;
    if (look.cape && facing == 3) fillRect(pen, 5.4, 11, 9.2, 6.4, look.accent);
    if (look.cape && facing == 1) fillPolygon(pen, {6.4, 11, 8.4, 11, 7.4, 17, 4.6, 17.2}, look.accent);
    if (look.cape && facing == 0) {
        fillRect(pen, 5.0, 11.2, 1.4, 5.6, look.accent);
        fillRect(pen, 13.6, 11.2, 1.4, 5.6, look.accent);
    }
    // legs
    if (look.spirit) {
        fillPolygon(pen, {6, 11, 14, 11, 13, 15.5, 10, 18.5 - swing, 7, 15.5}, look.shirt);
    } else if (look.robe) {
        fillRect(pen, 7, 17.2, 2.4, 1.4, look.boots);
        fillRect(pen, 10.6, 17.2, 2.4, 1.4, look.boots);
        fillPolygon(pen, {6, 11, 14, 11, 15, 17.6, 5, 17.6}, look.shirt);
    } else if (facing == 0 || facing == 3) {
        const double lift = step == 1 ? 1.0 : 0.0;
        fillRect(pen, 7, 15, 2.6, 3.0 - lift, look.pants);
        fillRect(pen, 10.4, 15, 2.6, 3.0, look.pants);
        fillRect(pen, 7, 17.4 - lift, 2.6, 1.2, look.boots);
        fillRect(pen, 10.4, 17.4, 2.6, 1.2, look.boots);
    } else {
        const double spread = step == 1 ? 1.6 : 0.0;
        fillRect(pen, 8.6 - spread, 15, 2.6, 3, look.pants);
        fillRect(pen, 8.8 + spread, 15, 2.6, 3, darker(look.pants, 0.15));
        fillRect(pen, 8.6 - spread, 17.4, 2.8, 1.2, look.boots);
        fillRect(pen, 8.8 + spread, 17.4, 3.0, 1.2, look.boots);
    }
    // torso
    if (!look.robe && !look.spirit) {
        if (facing == 0 || facing == 3)
            fillRect(pen, 6, 11, 8, 4.6, look.shirt);
        else
            fillRect(pen, 7, 11, 6.6, 4.6, look.shirt);
        fillRect(pen, facing == 0 || facing == 3 ? 6 : 7, 14, facing == 0 || facing == 3 ? 8 : 6.6, 1,
                 darker(look.shirt, 0.35));
    }
    if (look.apron && facing != 3)
        fillRect(pen, facing == 0 ? 7.4 : 10, 12.2, facing == 0 ? 5.2 : 3.4, 5, colors::white);
    if (look.cape && facing != 3) {
        fillRect(pen, 7.2, 10.6, 5.6, 1.3, look.accent);
    }
    // arms
    if (facing == 0 || facing == 3) {
        fillRect(pen, 4.6, 11.4 + swing, 1.6, 3.4, sleeve);
        fillRect(pen, 13.8, 11.4 + (step == 1 ? 0 : 0.8) - (step == 1 ? 0 : 0.8), 1.6, 3.4, sleeve);
        fillRect(pen, 4.6, 14.6 + swing, 1.6, 1.2, look.skin);
        fillRect(pen, 13.8, 14.6, 1.6, 1.2, look.skin);
    } else {
        const double reach = step == 1 ? 1.6 : 0.4;
        fillRect(pen, 9.2 + reach, 11.4, 1.8, 3.4, darker(sleeve, 0.12));
        fillRect(pen, 9.2 + reach, 14.6, 1.8, 1.2, look.skin);
    }
}

}  // namespace

SurfacePtr paintPerson(const Look& look, int facing, int step, int grid, int scale) {
    const bool left = facing == 2;
    const int drawn = left ? 1 : facing;
    SurfacePtr small = newSurface(grid, grid);
    {
        PenPtr pen = unitPen(small.get(), 20.0, grid);
        const double bob = look.spirit && step == 1 ? -0.6 : 0.0;
        cairo_translate(pen.get(), 0, bob);
        drawBody(pen.get(), look, drawn, step);
        drawHead(pen.get(), look, drawn);
    }
    SurfacePtr result = finish(std::move(small), scale);
    return left ? mirrored(result.get()) : std::move(result);
}

Look heroLook() {
    Look look;
    look.hair = 0xc07838;
    look.shirt = colors::blue;
    look.pants = colors::navy;
    look.accent = colors::red;
    look.hat = 5;
    look.cape = true;
    return look;
}

Look npcLook(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const uint64_t hash = hashText(name);
    Random random = seededRandom(hash);
    const uint32_t hairs[] = {colors::brown, colors::darkBrown, 0xe0b050, colors::ink, 0xc86040, colors::slate};
    const uint32_t shirts[] = {colors::green, colors::orange, colors::violet, colors::sky,
                               colors::pink,  colors::gold,   colors::red,    colors::forest};
    Look look;
    look.hair = hairs[randomRange(random, 0, 5)];
    look.shirt = shirts[randomRange(random, 0, 7)];
    look.pants = mix(colors::navy, colors::brown, randomUnit(random));
    look.accent = shirts[randomRange(random, 0, 7)];
    auto has = [&](std::initializer_list<const char*> words) {
        for (const char* word : words)
            if (lower.find(word) != std::string::npos) return true;
        return false;
    };
    int kind = static_cast<int>((hash >> 20) % 7);
    if (has({"shop", "merchant", "store", "mise", "kaji", "smith", "item", "weapon", "buki", "dougu", "kayaku",
             "powder"}))
        kind = 1;
    else if (has({"elder", "old", "chou", "sonchou", "sage", "kenja"}))
        kind = 2;
    else if (has({"miner", "kou", "mine", "dig"}))
        kind = 3;
    else if (has({"guard", "soldier", "hei", "knight", "mon"}))
        kind = 4;
    else if (has({"spirit", "ghost", "sei", "fairy", "yousei"}))
        kind = 5;
    else if (has({"inn", "yado", "nurse", "heal", "save", "priest", "kyou"}))
        kind = 6;
    switch (kind) {
    case 1:  // shopkeeper
        look.apron = true;
        look.hat = 1;
        look.accent = colors::gold;
        break;
    case 2:  // elder
        look.hair = colors::white;
        look.beard = true;
        look.robe = true;
        look.shirt = random.state & 1 ? colors::violet : colors::forest;
        break;
    case 3:  // miner
        look.hat = 3;
        look.accent = colors::orange;
        look.shirt = colors::brown;
        look.pants = colors::slate;
        break;
    case 4:  // guard
        look.hat = 3;
        look.shirt = colors::navy;
        look.pants = colors::slate;
        look.accent = colors::red;
        look.cape = true;
        break;
    case 5:  // spirit
        look.spirit = true;
        look.skin = colors::ice;
        look.hair = colors::sky;
        look.shirt = colors::ice;
        break;
    case 6:  // innkeeper or priest
        look.robe = true;
        look.hat = 2;
        look.accent = colors::white;
        look.shirt = colors::sky;
        break;
    default:  // townsfolk
        look.hat = randomRange(random, 0, 1) == 1 ? 4 : 0;
        break;
    }
    return look;
}

SurfacePtr paintEnemy(int kind, int frame) {
    SurfacePtr small = newSurface(12, 12);
    {
        PenPtr holder = unitPen(small.get(), 24.0, 12);
        cairo_t* pen = holder.get();
        const double bob = frame == 1 ? -1.0 : (frame == 2 ? 0.8 : 0.0);
        switch (kind) {
        case 0: {  // slime
            const double squash = frame == 1 ? 1.5 : (frame == 2 ? -1.0 : 0.0);
            fillEllipse(pen, 12, 15 - squash / 2, 8.5 + squash, 6.5 - squash, colors::green);
            fillEllipse(pen, 9, 12.5 - squash, 2.2, 1.6, colors::lime);
            fillRect(pen, 8.5, 14, 2, 3, colors::ink);
            fillRect(pen, 13.5, 14, 2, 3, colors::ink);
            break;
        }
        case 1: {  // bat
            const double wing = frame == 0 ? -4 : (frame == 1 ? 0 : 4);
            fillPolygon(pen, {12, 11 + bob, 2.5, 8 + wing, 4.5, 14, 8, 13, 12, 15 + bob}, colors::plum);
            fillPolygon(pen, {12, 11 + bob, 21.5, 8 + wing, 19.5, 14, 16, 13, 12, 15 + bob}, colors::plum);
            fillEllipse(pen, 12, 12 + bob, 4, 4.5, colors::violet);
            fillRect(pen, 9.5, 11 + bob, 2, 2, colors::red);
            fillRect(pen, 12.5, 11 + bob, 2, 2, colors::red);
            break;
        }
        case 2: {  // wolf
            const double leg = frame == 1 ? 1.5 : (frame == 2 ? -1.5 : 0);
            fillRect(pen, 7 + leg, 16, 2.5, 4, colors::stone);
            fillRect(pen, 15 - leg, 16, 2.5, 4, colors::stone);
            fillPolygon(pen, {19, 12, 22.5, 8, 21, 14}, colors::silver);
            fillEllipse(pen, 13, 14, 7, 4.5, colors::silver);
            fillEllipse(pen, 7, 11, 4.5, 3.8, colors::silver);
            fillPolygon(pen, {4, 9, 4.5, 4.5, 7, 8}, colors::silver);
            fillPolygon(pen, {8, 8, 9.5, 4.5, 10.5, 9}, colors::silver);
            fillRect(pen, 5, 10, 1.8, 1.8, colors::red);
            fillRect(pen, 2.5, 12, 2.5, 1.5, colors::ink);
            break;
        }
        case 3: {  // mushroom
            const double step = frame == 1 ? 1.2 : (frame == 2 ? -1.2 : 0);
            fillRect(pen, 8 + step, 18, 3, 2.5, colors::darkBrown);
            fillRect(pen, 13 - step, 18, 3, 2.5, colors::darkBrown);
            fillRect(pen, 8.5, 12 + bob / 2, 7, 7, colors::sand);
            fillEllipse(pen, 12, 10 + bob / 2, 9, 6, colors::red);
            fillEllipse(pen, 8.5, 8.5 + bob / 2, 1.8, 1.5, colors::white);
            fillEllipse(pen, 14.5, 7.5 + bob / 2, 1.6, 1.4, colors::white);
            fillRect(pen, 9.5, 14, 1.5, 2, colors::ink);
            fillRect(pen, 13, 14, 1.5, 2, colors::ink);
            break;
        }
        case 4: {  // skeleton
            const double swing = frame == 1 ? 2 : (frame == 2 ? -2 : 0);
            strokeLine(pen, 10, 16, 8 + swing, 21, 2, colors::white);
            strokeLine(pen, 14, 16, 16 - swing, 21, 2, colors::white);
            fillRect(pen, 9, 11, 6, 6, colors::white);
            fillRect(pen, 9.5, 12.5, 5, 1, colors::silver);
            fillRect(pen, 9.5, 14.5, 5, 1, colors::silver);
            strokeLine(pen, 8, 11.5, 5 - swing, 16, 2, colors::white);
            strokeLine(pen, 16, 11.5, 19 + swing, 16, 2, colors::white);
            fillEllipse(pen, 12, 7, 5, 4.5, colors::white);
            fillRect(pen, 9, 6, 2.4, 2.4, colors::ink);
            fillRect(pen, 12.8, 6, 2.4, 2.4, colors::ink);
            break;
        }
        case 5: {  // ghost
            const double wave = frame == 1 ? 1.5 : (frame == 2 ? -1.5 : 0);
            fillPolygon(pen,
                        {5, 12 + bob, 19, 12 + bob, 20, 20 + bob, 17 + wave, 18 + bob, 14, 21 + bob, 11 - wave,
                         18.5 + bob, 8, 21 + bob, 4.5, 19 + bob},
                        colors::ice);
            fillEllipse(pen, 12, 10 + bob, 7, 6.5, colors::ice);
            fillEllipse(pen, 9.5, 10 + bob, 1.5, 2, colors::navy);
            fillEllipse(pen, 14.5, 10 + bob, 1.5, 2, colors::navy);
            fillEllipse(pen, 12, 14.5 + bob, 1.5, 1.2, colors::navy);
            break;
        }
        case 6: {  // golem
            const double step = frame == 1 ? 1.5 : (frame == 2 ? -1.5 : 0);
            fillRect(pen, 6.5 + step, 17, 4, 4, colors::slate);
            fillRect(pen, 13.5 - step, 17, 4, 4, colors::slate);
            fillRect(pen, 5, 8, 14, 10, colors::stone);
            fillRect(pen, 2.5, 10 - step, 3, 7, colors::slate);
            fillRect(pen, 18.5, 10 + step, 3, 7, colors::slate);
            fillRect(pen, 8, 4, 8, 5, colors::stone);
            fillRect(pen, 10, 5.5, 4, 2, colors::gold);
            fillRect(pen, 7, 12, 3, 2, colors::slate);
            fillRect(pen, 13, 14, 4, 2, colors::slate);
            break;
        }
        default: {  // fire wisp
            const double flick = frame == 1 ? 1.5 : (frame == 2 ? -1.5 : 0);
            fillPolygon(pen, {12 + flick, 2, 19, 12, 18, 18, 12, 21, 6, 18, 5, 12}, colors::orange);
            fillPolygon(pen, {12 - flick, 7, 16, 13, 15, 17.5, 12, 19, 9, 17.5, 8, 13}, colors::gold);
            fillRect(pen, 9.5, 13, 1.8, 2.5, colors::ink);
            fillRect(pen, 12.8, 13, 1.8, 2.5, colors::ink);
            break;
        }
        }
    }
    SurfacePtr sprite = finish(std::move(small), 2);
    SurfacePtr cell = newSurface(25, 25);
    PenPtr pen = newPen(cell.get());
    blit(pen.get(), sprite.get(), 0, 1);
    return cell;
}

namespace {

enum class BossKind { person, beast, bird, serpent };

struct BossLook {
    BossKind kind = BossKind::beast;
    uint32_t body = colors::violet;
    uint32_t belly = colors::sand;
    uint32_t eye = colors::gold;
    bool horns = false;
    Look person;
};

BossLook bossLook(const std::string& name) {
    BossLook look;
    const uint64_t hash = hashText(name);
    if (name == "あやお") {
        look.kind = BossKind::person;
        look.person.hair = colors::red;
        look.person.shirt = colors::ink;
        look.person.pants = colors::slate;
        look.person.accent = colors::gold;
        look.person.cape = true;
    } else if (name == "したっぱ") {
        look.kind = BossKind::person;
        look.person.hair = colors::ink;
        look.person.shirt = colors::brown;
        look.person.hat = 5;
        look.person.accent = colors::violet;
    } else if (name == "ぬすず") {
        look.kind = BossKind::person;
        look.person.hat = 2;
        look.person.accent = colors::forest;
        look.person.shirt = colors::green;
        look.person.pants = colors::ink;
    } else if (name == "ロウガ") {
        look.body = colors::silver;
        look.belly = colors::white;
        look.eye = colors::red;
    } else if (name == "ベヒモス") {
        look.body = colors::plum;
        look.belly = colors::tan;
        look.horns = true;
    } else if (name == "グース") {
        look.kind = BossKind::bird;
        look.body = colors::sand;
        look.belly = colors::white;
        look.eye = colors::ink;
    } else if (name == "ジズ") {
        look.kind = BossKind::bird;
        look.body = colors::navy;
        look.belly = colors::sky;
        look.eye = colors::gold;
        look.horns = true;
    } else if (name == "レヴィアタン") {
        look.kind = BossKind::serpent;
        look.body = colors::blue;
        look.belly = colors::ice;
        look.eye = colors::red;
        look.horns = true;
    } else {
        const BossKind kinds[] = {BossKind::beast, BossKind::bird, BossKind::serpent, BossKind::person};
        const uint32_t bodies[] = {colors::red, colors::forest, colors::orange, colors::violet, colors::stone};
        look.kind = kinds[hash % 4];
        look.body = bodies[(hash >> 8) % 5];
        look.horns = ((hash >> 16) & 1) != 0;
        look.person = npcLook(name);
    }
    return look;
}

// Creatures are drawn in a 32-unit space; facing 0 down, 1 right, 3 up (left is mirrored).
void drawCreature(cairo_t* pen, const BossLook& look, int facing, int step) {
    const double leg = step == 1 ? 1.5 : 0.0;
    switch (look.kind) {
    case BossKind::beast:
        if (facing == 1) {
            fillPolygon(pen, {5, 17, 2, 11, 4, 10, 8, 16}, look.body);
            fillRect(pen, 7 + leg, 22, 3.5, 6, darker(look.body, 0.25));
            fillRect(pen, 19 - leg, 22, 3.5, 6, darker(look.body, 0.25));
            fillEllipse(pen, 14, 19, 10, 6.5, look.body);
            fillRect(pen, 10 - leg, 22, 3.5, 6, look.body);
            fillRect(pen, 21 + leg, 22, 3.5, 6, look.body);
            fillEllipse(pen, 24, 13, 5.5, 5, look.body);
            fillEllipse(pen, 27.5, 15, 2.6, 2.2, look.belly);
            fillRect(pen, 25, 11, 2, 2, look.eye);
            if (look.horns)
                fillPolygon(pen, {21, 9, 25, 3, 25, 9}, colors::white);
            else
                fillPolygon(pen, {20, 9, 21, 3.5, 24, 8.5}, look.body);
        } else {
            fillRect(pen, 7, 22 - leg, 4, 6, darker(look.body, 0.2));
            fillRect(pen, 21, 22 + leg - 1.5, 4, 6, darker(look.body, 0.2));
            fillEllipse(pen, 16, 19, 10, 7.5, look.body);
            if (facing == 0) fillEllipse(pen, 16, 21, 6, 5, look.belly);
            fillRect(pen, 10, 23 + leg - 1.5, 4, 5, look.body);
            fillRect(pen, 18, 23 - leg, 4, 5, look.body);
            fillEllipse(pen, 16, facing == 3 ? 10 : 12, 7, 6, look.body);
            if (look.horns) {
                fillPolygon(pen, {10, 9, 5, 2, 12, 6}, colors::white);
                fillPolygon(pen, {22, 9, 27, 2, 20, 6}, colors::white);
            } else {
                fillPolygon(pen, {10, 8, 10, 2, 14, 6}, look.body);
                fillPolygon(pen, {22, 8, 22, 2, 18, 6}, look.body);
            }
            if (facing == 0) {
                fillRect(pen, 12, 11, 2.4, 2.4, look.eye);
                fillRect(pen, 17.6, 11, 2.4, 2.4, look.eye);
                fillEllipse(pen, 16, 15.5, 3.2, 2.2, look.belly);
                fillRect(pen, 13.5, 17, 1.2, 1.6, colors::white);
                fillRect(pen, 17.3, 17, 1.2, 1.6, colors::white);
            }
        }
        break;
    case BossKind::bird: {
        const double flap = step == 1 ? -4 : 2;
        if (facing == 1) {
            fillRect(pen, 14, 23, 1.6, 5, colors::orange);
            fillRect(pen, 17, 23, 1.6, 5, colors::orange);
            fillEllipse(pen, 15, 18, 8, 7, look.body);
            fillPolygon(pen, {5, 16, 2, 20, 8, 21}, darker(look.body, 0.2));
            fillEllipse(pen, 21, 10, 5, 5, look.body);
            fillPolygon(pen, {25, 9, 30, 11, 25, 12.5}, colors::orange);
            fillRect(pen, 22, 8.5, 2, 2, look.eye);
            fillPolygon(pen, {10, 15, 20, 14 + flap, 22, 18, 12, 21}, darker(look.body, 0.15));
            if (look.horns) fillPolygon(pen, {18, 6, 16, 1, 21, 5}, colors::gold);
        } else {
            fillPolygon(pen, {10, 15, 1, 9 + flap, 3, 20, 10, 22}, darker(look.body, 0.15));
            fillPolygon(pen, {22, 15, 31, 9 + flap, 29, 20, 22, 22}, darker(look.body, 0.15));
            fillRect(pen, 12.5, 24, 1.6, 4.5, colors::orange);
            fillRect(pen, 18, 24, 1.6, 4.5, colors::orange);
            fillEllipse(pen, 16, 17, 7.5, 8.5, look.body);
            if (facing == 0) fillEllipse(pen, 16, 19, 4.5, 5.5, look.belly);
            fillEllipse(pen, 16, 8.5, 5.5, 5, look.body);
            if (look.horns) fillPolygon(pen, {14, 5, 16, 0.5, 18, 5}, colors::gold);
            if (facing == 0) {
                fillPolygon(pen, {14, 10, 18, 10, 16, 14}, colors::orange);
                fillRect(pen, 12.5, 7, 2, 2, look.eye);
                fillRect(pen, 17.5, 7, 2, 2, look.eye);
            }
        }
        break;
    }
    case BossKind::serpent: {
        const double sway = step == 1 ? 1.5 : -0.5;
        fillEllipse(pen, 16, 25, 12, 4.5, darker(look.body, 0.2));
        fillEllipse(pen, 16 - sway, 21, 9.5, 4.5, look.body);
        fillEllipse(pen, 16 + sway, 17, 6.5, 4, darker(look.body, 0.1));
        if (facing == 1) {
            fillRect(pen, 15 + sway, 9, 5, 8, look.body);
            fillEllipse(pen, 22, 9, 6, 4.5, look.body);
            fillEllipse(pen, 24, 11, 3.5, 1.8, look.belly);
            fillRect(pen, 23, 7, 2, 2, look.eye);
            if (look.horns) fillPolygon(pen, {17, 6, 13, 2, 20, 5}, colors::gold);
        } else {
            fillRect(pen, 13.5 + sway, 10, 5, 7, look.body);
            if (facing == 0) fillRect(pen, 14.5 + sway, 11, 3, 6, look.belly);
            fillEllipse(pen, 16, 8.5, 6.5, 5, look.body);
            if (look.horns) {
                fillPolygon(pen, {11, 6, 7, 1, 13, 4}, colors::gold);
                fillPolygon(pen, {21, 6, 25, 1, 19, 4}, colors::gold);
            }
            if (facing == 0) {
                fillRect(pen, 12.5, 7, 2.2, 2.2, look.eye);
                fillRect(pen, 17.3, 7, 2.2, 2.2, look.eye);
                fillRect(pen, 14, 11.5, 1.2, 2, colors::white);
                fillRect(pen, 16.8, 11.5, 1.2, 2, colors::white);
            }
        }
        break;
    }
    case BossKind::person: break;
    }
}

}  // namespace

SurfacePtr paintBossCell(const std::string& name, int column, int size) {
    const BossLook look = bossLook(name);
    const int facing = std::clamp(column, 0, 7) / 2;
    const int step = column % 2;
    const int scale = size >= 48 ? 2 : 1;
    const int grid = std::max(4, size / scale);
    SurfacePtr sprite;
    if (look.kind == BossKind::person) {
        sprite = paintPerson(look.person, facing, step, grid, scale);
    } else {
        const bool left = facing == 2;
        SurfacePtr small = newSurface(grid, grid);
        {
            PenPtr pen = unitPen(small.get(), 32.0, grid);
            drawCreature(pen.get(), look, left ? 1 : facing, step);
        }
        sprite = finish(std::move(small), scale);
        if (left) sprite = mirrored(sprite.get());
    }
    SurfacePtr cell = newSurface(size, size);
    PenPtr pen = newPen(cell.get());
    blit(pen.get(), sprite.get(), (size - surfaceWidth(sprite.get())) / 2, size - surfaceHeight(sprite.get()));
    return cell;
}

SurfacePtr paintCutIn(const std::string& name, int width, int height) {
    const bool hero = name.empty();
    const BossLook look = hero ? BossLook{} : bossLook(name);
    const uint32_t base = hero ? colors::blue : (look.kind == BossKind::person ? colors::red : colors::plum);
    SurfacePtr picture = newSurface(width, height);
    PenPtr holder = newPen(picture.get());
    cairo_t* pen = holder.get();
    fillRect(pen, 0, 0, width, height, colors::ink);
    fillRect(pen, 4, 4, width - 8, height - 8, base);
    // speed lines, a few pixels wide, slanting
    Random random = seededRandom(hashText(name) + 7);
    for (int i = 0; i < 14; ++i) {
        const int y = randomRange(random, 8, height - 12);
        const int w = randomRange(random, width / 4, width * 3 / 4);
        const int x = hero ? randomRange(random, 4, width / 2) : randomRange(random, width / 4, width - w - 4);
        fillRect(pen, x, y, w, 3, lighter(base, 0.35), 0.9);
    }
    fillRect(pen, 4, height - 40, width - 8, 36, darker(base, 0.35));
    const int grid = std::max(8, std::min(width, height) / 4 - 4);
    SurfacePtr figure;
    if (hero) {
        figure = paintPerson(heroLook(), 0, 0, grid + 4, 4);
    } else if (look.kind == BossKind::person) {
        figure = paintPerson(look.person, 0, 0, grid + 4, 4);
    } else {
        SurfacePtr small = newSurface(grid, grid);
        {
            PenPtr creaturePen = unitPen(small.get(), 32.0, grid);
            drawCreature(creaturePen.get(), look, 0, 0);
        }
        figure = finish(std::move(small), 4);
    }
    cairo_save(pen);
    cairo_rectangle(pen, 4, 4, width - 8, height - 8);
    cairo_clip(pen);
    blit(pen, figure.get(), (width - surfaceWidth(figure.get())) / 2, height - surfaceHeight(figure.get()) + 12);
    cairo_restore(pen);
    fillRect(pen, 4, 4, width - 8, 2, lighter(base, 0.5));
    return picture;
}

namespace {

enum class Thing { person, saveStone, statue, chest, sign };

Thing thingOf(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower.find("savestone") != std::string::npos || lower.find("crystal") != std::string::npos)
        return Thing::saveStone;
    if (lower.find("statue") != std::string::npos || lower.find("zou") != std::string::npos) return Thing::statue;
    if (lower.find("chest") != std::string::npos || lower.find("takara") != std::string::npos) return Thing::chest;
    if (lower.find("sign") != std::string::npos || lower.find("kanban") != std::string::npos) return Thing::sign;
    return Thing::person;
}

// Things look the same from every side; the frame only moves a glint.
SurfacePtr paintThing(Thing thing, int frame, int grid, int scale) {
    SurfacePtr small = newSurface(grid, grid);
    {
        PenPtr holder = unitPen(small.get(), 20.0, grid);
        cairo_t* pen = holder.get();
        switch (thing) {
        case Thing::saveStone:
            fillRect(pen, 4, 15, 12, 3.5, colors::stone);
            fillPolygon(pen, {10, 1.5, 15, 8, 10, 15.5, 5, 8}, colors::sky);
            fillPolygon(pen, {10, 3.5, 12, 8, 10, 13, 8.5, 8}, colors::ice);
            fillRect(pen, 6 + frame * 2, 5 + frame, 1.5, 1.5, colors::white);
            break;
        case Thing::statue:
            fillRect(pen, 4, 15, 12, 3.5, colors::stone);
            fillRect(pen, 7, 8, 6, 7, colors::silver);
            fillEllipse(pen, 10, 5.5, 3.5, 3.5, colors::silver);
            fillRect(pen, 5, 9, 2, 5, colors::silver);
            fillRect(pen, 13, 9, 2, 5, colors::silver);
            fillRect(pen, 8.5, 4.5, 1, 1.5, colors::stone);
            fillRect(pen, 10.5, 4.5, 1, 1.5, colors::stone);
            break;
        case Thing::chest:
            fillRect(pen, 3, 8, 14, 9.5, colors::brown);
            fillRect(pen, 3, 6, 14, 4, mix(colors::brown, colors::red, 0.3));
            fillRect(pen, 3, 10, 14, 1.2, colors::gold);
            fillRect(pen, 9, 9.5, 2, 3, colors::gold);
            fillRect(pen, 4, 7, 1.2, 10, colors::gold);
            fillRect(pen, 14.8, 7, 1.2, 10, colors::gold);
            break;
        case Thing::sign:
            fillRect(pen, 9, 10, 2, 8, colors::darkBrown);
            fillRect(pen, 3, 4, 14, 7, colors::tan);
            fillRect(pen, 5, 6, 10, 1, colors::brown);
            fillRect(pen, 5, 8, 7, 1, colors::brown);
            break;
        case Thing::person: break;
        }
    }
    return finish(std::move(small), scale);
}

}  // namespace

SurfacePtr paintNpcStrip(const std::string& name, int frameWidth, int frameHeight) {
    frameWidth = std::clamp(frameWidth, 4, 512);
    frameHeight = std::clamp(frameHeight, 4, 512);
    SurfacePtr strip = newSurface(frameWidth * 4, frameHeight);
    PenPtr pen = newPen(strip.get());
    const int side = std::min(frameWidth, frameHeight);
    const int scale = std::max(1, side / 20);
    const int grid = std::max(4, side / scale);
    const Thing thing = thingOf(name);
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    Look look = npcLook(name);
    if (lower.find("woman") != std::string::npos || lower.find("girl") != std::string::npos) {
        look.robe = true;
        look.hat = 0;
        look.beard = false;
    }
    const bool child = lower.find("child") != std::string::npos || lower.find("kid") != std::string::npos;
    // Talking shows the frame of the hero's facing (0 down, 1 right, 2 left, 3 up); the NPC then faces back at
    // him, so frame k shows the NPC facing the other way: up, left, right, and down (the standing frame).
    for (int frame = 0; frame < 4; ++frame) {
        const int facing = 3 - frame;
        SurfacePtr sprite = thing == Thing::person ? paintPerson(look, facing, 0, child ? grid * 4 / 5 : grid, scale)
                                                   : paintThing(thing, facing, grid, scale);
        // stand on the bottom edge of the frame, centred
        const int x = frame * frameWidth + (frameWidth - surfaceWidth(sprite.get())) / 2;
        const int y = frameHeight - surfaceHeight(sprite.get());
        cairo_save(pen.get());
        cairo_rectangle(pen.get(), frame * frameWidth, 0, frameWidth, frameHeight);
        cairo_clip(pen.get());
        blit(pen.get(), sprite.get(), x, y);
        cairo_restore(pen.get());
    }
    return strip;
}
