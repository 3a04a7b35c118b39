// The sixteen fixed pictures: hero, shots, enemies, cut-in, VS mark, side panel, cursors, menu pages,
// message and question boxes, icons, the dawn panorama, the three orbs and the title logo.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "paint.h"
#include "sprites.h"

using namespace paint;

namespace {

SurfacePtr heroSheet() {
    SurfacePtr sheet = newSurface(320, 40);
    PenPtr pen = newPen(sheet.get());
    for (int column = 0; column < 8; ++column) {
        SurfacePtr frame = paintPerson(heroLook(), column / 2, column % 2, 20, 2);
        blit(pen.get(), frame.get(), column * 40, 0);
    }
    return sheet;
}

// One 15 x 15 shot cell.
void paintShot(cairo_t* pen, int kind) {
    auto orb = [&](uint32_t rgb) {
        fillEllipse(pen, 7.5, 7.5, 5.5, 5.5, rgb);
        fillEllipse(pen, 7.5, 7.5, 3.2, 3.2, lighter(rgb, 0.45));
        fillRect(pen, 5, 4, 2, 2, colors::white);
    };
    switch (kind) {
    case 0: orb(colors::white); break;
    case 1: orb(colors::red); break;
    case 2: orb(colors::blue); break;
    case 3: orb(colors::green); break;
    case 4: orb(colors::gold); break;
    case 5: orb(colors::violet); break;
    case 6:  // fireball
        fillPolygon(pen, {7.5, 1, 12, 6, 12.5, 10, 7.5, 13.5, 2.5, 10, 3, 6}, colors::orange);
        fillEllipse(pen, 7.5, 9, 3, 3, colors::gold);
        break;
    case 7:  // ice shard
        fillPolygon(pen, {7.5, 1, 12, 7.5, 7.5, 14, 3, 7.5}, colors::sky);
        fillPolygon(pen, {7.5, 3, 9.5, 7.5, 7.5, 11, 6, 7.5}, colors::ice);
        break;
    case 8: {  // star
        std::vector<double> points;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 == 0 ? 6.3 : 2.8;
            const double a = -M_PI / 2 + i * M_PI / 5;
            points.push_back(7.5 + r * std::cos(a));
            points.push_back(7.8 + r * std::sin(a));
        }
        fillPolygon(pen, points, colors::gold);
        break;
    }
    case 9:  // dark orb
        fillEllipse(pen, 7.5, 7.5, 5.5, 5.5, colors::plum);
        fillEllipse(pen, 7.5, 7.5, 2.5, 2.5, colors::red);
        break;
    case 10:  // bullet
        fillEllipse(pen, 7.5, 7.5, 3, 3, colors::silver);
        fillRect(pen, 6, 6, 1.5, 1.5, colors::white);
        break;
    case 11:  // ring
        fillEllipse(pen, 7.5, 7.5, 5.5, 5.5, colors::sky);
        cairo_set_operator(pen, CAIRO_OPERATOR_CLEAR);
        fillEllipse(pen, 7.5, 7.5, 2.5, 2.5, 0);
        cairo_set_operator(pen, CAIRO_OPERATOR_OVER);
        break;
    case 12:  // spark
        fillRect(pen, 6.5, 1.5, 2, 12, colors::gold);
        fillRect(pen, 1.5, 6.5, 12, 2, colors::gold);
        fillRect(pen, 5.5, 5.5, 4, 4, colors::white);
        break;
    case 13:  // bomb
        fillEllipse(pen, 7, 8.5, 5, 5, colors::slate);
        fillRect(pen, 8, 1.5, 2, 3, colors::tan);
        fillRect(pen, 10, 1.5, 2, 2, colors::orange);
        fillRect(pen, 4.5, 6, 1.5, 1.5, colors::silver);
        break;
    case 14:  // leaf
        fillPolygon(pen, {2, 12, 4, 5, 12, 2, 11, 9}, colors::green);
        strokeLine(pen, 3, 12, 10, 4, 1, colors::forest);
        break;
    case 15:  // rock
        fillPolygon(pen, {3, 5, 8, 2, 12.5, 5, 12, 11, 7, 13, 2.5, 10}, colors::stone);
        fillRect(pen, 5, 5, 3, 2, colors::silver);
        break;
    case 16:  // heart
        fillEllipse(pen, 5, 6, 3.2, 3, colors::pink);
        fillEllipse(pen, 10, 6, 3.2, 3, colors::pink);
        fillPolygon(pen, {2, 7, 13, 7, 7.5, 13}, colors::pink);
        break;
    case 17:  // skull
        fillEllipse(pen, 7.5, 6.5, 5, 4.5, colors::white);
        fillRect(pen, 5, 9, 5, 3.5, colors::white);
        fillRect(pen, 4.5, 5.5, 2, 2, colors::ink);
        fillRect(pen, 8.5, 5.5, 2, 2, colors::ink);
        break;
    case 18:  // bubble
        fillEllipse(pen, 7.5, 7.5, 5.5, 5.5, colors::ice);
        fillEllipse(pen, 7.5, 7.5, 4, 4, colors::sky);
        fillRect(pen, 5, 4.5, 2, 2, colors::white);
        break;
    case 19:  // lightning
        fillPolygon(pen, {9, 1, 3.5, 8, 7, 8, 5, 14, 11.5, 6, 8, 6, 10.5, 1}, colors::gold);
        break;
    case 20:  // big flame
        fillPolygon(pen, {7.5, 0.5, 13, 7, 13, 11, 7.5, 14, 2, 11, 2, 7}, colors::red);
        fillPolygon(pen, {7.5, 4, 11, 9, 7.5, 12.5, 4, 9}, colors::orange);
        fillRect(pen, 6.5, 8.5, 2, 2, colors::gold);
        break;
    case 21:  // feather
        fillPolygon(pen, {3, 13, 5, 6, 11, 1.5, 10, 8}, colors::white);
        strokeLine(pen, 3, 13, 10, 3, 1, colors::silver);
        break;
    case 22:  // rune
        fillRect(pen, 2.5, 2.5, 10, 10, colors::violet);
        fillRect(pen, 5, 5, 5, 5, colors::gold);
        fillRect(pen, 6.5, 6.5, 2, 2, colors::violet);
        break;
    default:  // poison drop
        fillPolygon(pen, {7.5, 1.5, 11.5, 8, 7.5, 13.5, 3.5, 8}, colors::lime);
        fillEllipse(pen, 7.5, 9.5, 3.8, 3.8, colors::lime);
        fillRect(pen, 6, 8, 1.5, 1.5, colors::white);
        break;
    }
}

constexpr int shotCells = 24;

SurfacePtr shotSheet() {
    SurfacePtr sheet = newSurface(15 * shotCells, 15);
    PenPtr pen = newPen(sheet.get());
    for (int kind = 0; kind < shotCells; ++kind) {
        SurfacePtr cell = newSurface(15, 15);
        {
            PenPtr cellPen = newPen(cell.get());
            paintShot(cellPen.get(), kind);
        }
        SurfacePtr line = outlined(cell.get(), colors::ink);
        blit(pen.get(), line.get(), kind * 15, 0);
    }
    return sheet;
}

SurfacePtr enemySheet() {
    SurfacePtr sheet = newSurface(25 * 24, 25);
    PenPtr pen = newPen(sheet.get());
    for (int kind = 0; kind < 8; ++kind) {
        for (int frame = 0; frame < 3; ++frame) {
            SurfacePtr cell = paintEnemy(kind, frame);
            blit(pen.get(), cell.get(), (kind * 3 + frame) * 25, 0);
        }
    }
    return sheet;
}

// Crisp text, outlined and scaled up: the chunky lettering of the logo and the VS mark.
SurfacePtr chunkyText(const std::string& text, int pixelSize, uint32_t fill, uint32_t shine, int scale) {
    int w = 0, h = 0;
    labelSize(text, pixelSize, w, h);
    SurfacePtr small = newSurface(w + 4, h + 4);
    {
        PenPtr pen = newPen(small.get());
        drawLabel(pen.get(), text, 2, 2, pixelSize, fill, true);
    }
    // the upper part of every letter catches the light
    int top = h, bottom = 0;
    for (int y = 0; y < h + 4; ++y)
        for (int x = 0; x < w + 4; ++x)
            if (getPixel(small.get(), x, y) >> 24) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const int middle = (top + bottom) / 2;
    for (int y = top; y < middle; ++y)
        for (int x = 0; x < w + 4; ++x)
            if (getPixel(small.get(), x, y) >> 24) setPixel(small.get(), x, y, 0xff000000u | shine);
    cairo_surface_mark_dirty(small.get());
    SurfacePtr line = outlined(small.get(), colors::ink);
    return scaledUp(line.get(), scale);
}

// The VS sign lies over the rival's cut-in, 25 pixels into it and 50 down; the rival's face is in the middle of
// the cut-in, so the burst keeps to the sign's lower left corner, on the rival's shoulder.
SurfacePtr versusMark() {
    SurfacePtr picture = newSurface(150, 100);
    PenPtr pen = newPen(picture.get());
    constexpr double centreX = 30, centreY = 72;
    std::vector<double> burst;
    for (int i = 0; i < 24; ++i) {
        const double r = i % 2 == 0 ? 27 : 17;
        const double a = i * M_PI / 12;
        burst.push_back(centreX + r * 1.1 * std::cos(a));
        burst.push_back(centreY + r * std::sin(a));
    }
    fillPolygon(pen.get(), burst, colors::ink);
    cairo_save(pen.get());
    cairo_translate(pen.get(), centreX, centreY);
    cairo_scale(pen.get(), 0.88, 0.86);
    cairo_translate(pen.get(), -centreX, -centreY);
    fillPolygon(pen.get(), burst, colors::gold);
    cairo_restore(pen.get());
    SurfacePtr letters = chunkyText("VS", 20, colors::red, colors::orange, 2);
    blit(pen.get(), letters.get(), static_cast<int>(centreX) - surfaceWidth(letters.get()) / 2,
         static_cast<int>(centreY) - surfaceHeight(letters.get()) / 2);
    return picture;
}

// A framed panel: ink edge, a light bevel, a body colour.
void panel(cairo_t* pen, int x, int y, int w, int h, uint32_t body, double alpha = 1.0) {
    fillRect(pen, x, y, w, h, colors::ink, alpha);
    fillRect(pen, x + 2, y + 2, w - 4, h - 4, lighter(body, 0.35), alpha);
    fillRect(pen, x + 4, y + 4, w - 8, h - 8, body, alpha);
}

// The language the pictures with words are painted in: empty for the demo world's own Japanese, "en" for the
// English pictures the game uses in place of those when it plays the world in English.
std::string paintedLanguage;

const std::map<std::string, std::string> englishWords = {
    {"ばしょ", "Place"},
    {"ライフ", "Life"},
    {"レベル", "Level"},
    {"けいけんち", "Exp."},
    {"かやく", "Powder"},
    {"おかね", "Gold"},
    {"スペース", "Space"},
    {"メニュー　( N )", "Menu  ( N )"},
    {"スペースキーのぶき", "Space key weapon"},
    {"Bキーのぶき", "B key weapon"},
    {"どうぐ", "Items"},
    {"V　はなす・けってい", "V  talk, choose"},
    {"スペース・B　こうげき", "Space, B  attack"},
    {"N　メニュー", "N  menu"},
    {"S　セーブ　　L　ロード", "S  save    L  load"},
    {"← →　えらぶ　　V　つかう", "← →  choose    V  use"},
    {"→　ぶきを　かえる", "→  next weapon"},
    {"はい", "Yes"},
    {"いいえ", "No"},
    {"― おしまい ―", "― The End ―"},
    {"あそんでくれて ありがとう！", "Thank you for playing!"},
    {"Vキーで タイトルへ もどります", "Press V to return to the title"},
    {"〜 あかつきの　みっつの　たま 〜", "~ The Three Orbs of Dawn ~"},
    {"つづきから", "Continue"},
    {"はじめから", "New game"},
    {"↑↓キーで えらんで", "↑↓  choose"},
    {"Vキーで きめる", "V  start"},
};

// The words of a picture in the language being painted.
std::string words(const std::string& japanese) {
    if (paintedLanguage != "en") return japanese;
    const auto english = englishWords.find(japanese);
    return english == englishWords.end() ? japanese : english->second;
}

SurfacePtr sidePanel() {
    SurfacePtr picture = newSurface(300, 600);
    PenPtr holder = newPen(picture.get());
    cairo_t* pen = holder.get();
    fillRect(pen, 0, 0, 300, 600, colors::night);
    for (int y = 0; y < 600; y += 4)
        for (int x = 0; x < 300; x += 4)
            if (hashPoint(x, y, 17) % 9 == 0) fillRect(pen, x, y, 4, 4, lighter(colors::night, 0.06));
    fillRect(pen, 0, 0, 4, 600, colors::ink);
    fillRect(pen, 4, 0, 2, 600, colors::gold);
    fillRect(pen, 294, 0, 6, 600, colors::ink);
    const int lh = lineHeight(16);
    // place name
    panel(pen, 12, 10, 276, 38, colors::navy);
    drawLabel(pen, words("ばしょ"), 22, 20, 16, colors::gold);
    // status block: one label per line of the numbers drawn from (150, 75)
    panel(pen, 12, 60, 276, 5 * lh + 24, colors::navy);
    const char* labels[] = {"ライフ", "レベル", "けいけんち", "かやく", "おかね"};
    for (int i = 0; i < 5; ++i) {
        int w = 0, h = 0;
        labelSize(words(labels[i]), 16, w, h);
        drawLabel(pen, words(labels[i]), 138 - w, 75 + i * lh, 16, colors::sky);
    }
    fillRect(pen, 143, 68, 2, 5 * lh + 8, lighter(colors::navy, 0.2));
    // weapons in the two slots, names drawn from (160, 178) and (160, 199)
    panel(pen, 12, 166, 276, 58, colors::navy);
    const char* slots[] = {"スペース", "B"};
    for (int i = 0; i < 2; ++i) {
        int w = 0, h = 0;
        labelSize(words(slots[i]), 16, w, h);
        drawLabel(pen, words(slots[i]), 148 - w, 178 + i * 21, 16, colors::gold);
    }
    fillRect(pen, 153, 172, 2, 46, lighter(colors::navy, 0.2));
    // the side menu rows beside the cursor at (40, 308 + 48 * page)
    drawLabel(pen, words("メニュー　( N )"), 22, 266, 16, colors::silver);
    const char* rows[] = {"スペースキーのぶき", "Bキーのぶき", "どうぐ"};
    for (int i = 0; i < 3; ++i) {
        panel(pen, 30, 298 + 48 * i, 250, 38, colors::slate);
        drawLabel(pen, words(rows[i]), 64, 308 + 48 * i, 16, colors::white);
    }
    // keys
    panel(pen, 12, 458, 276, 130, colors::navy);
    const char* help[] = {"V　はなす・けってい", "スペース・B　こうげき", "N　メニュー", "S　セーブ　　L　ロード"};
    for (int i = 0; i < 4; ++i) drawLabel(pen, words(help[i]), 26, 472 + i * 27, 14, colors::silver);
    return picture;
}

SurfacePtr cursor(uint32_t fill, uint32_t edge) {
    SurfacePtr small = newSurface(16, 16);
    {
        PenPtr pen = newPen(small.get());
        fillPolygon(pen.get(), {2, 1, 14, 8, 2, 15}, edge);
        fillPolygon(pen.get(), {4, 4.5, 10.5, 8, 4, 11.5}, fill);
    }
    return small;
}

SurfacePtr menuPage(bool items) {
    SurfacePtr picture = newSurface(400, 300);
    PenPtr holder = newPen(picture.get());
    cairo_t* pen = holder.get();
    const uint32_t body = items ? colors::forest : colors::navy;
    const uint32_t trim = items ? colors::lime : colors::gold;
    panel(pen, 0, 0, 400, 300, body, 0.96);
    fillRect(pen, 8, 8, 384, 34, darker(body, 0.3));
    fillRect(pen, 8, 42, 384, 2, trim);
    // frame for the 50 x 50 icon at (55, 80) (53 on the item page)
    const int iconX = items ? 53 : 55;
    fillRect(pen, iconX - 5, 75, 60, 60, colors::ink);
    fillRect(pen, iconX - 3, 77, 56, 56, lighter(body, 0.55));
    fillRect(pen, iconX - 1, 79, 52, 52, darker(body, 0.2));
    fillRect(pen, 112, 116, 270, 2, lighter(body, 0.3));
    fillRect(pen, 20, 146, 360, 2, trim);
    fillRect(pen, 20, 178, 360, 1, lighter(body, 0.25));
    // corner studs
    for (int corner = 0; corner < 4; ++corner) {
        const int x = corner % 2 == 0 ? 10 : 382, y = corner / 2 == 0 ? 12 : 282;
        fillRect(pen, x, y, 8, 8, colors::ink);
        fillRect(pen, x + 2, y + 2, 4, 4, trim);
    }
    drawLabel(pen, words(items ? "← →　えらぶ　　V　つかう" : "→　ぶきを　かえる"), 190, 262, 14, lighter(body, 0.6));
    return picture;
}

SurfacePtr messageBox() {
    SurfacePtr picture = newSurface(600, 80);
    PenPtr pen = newPen(picture.get());
    fillRect(pen.get(), 0, 0, 600, 80, colors::ink);
    fillRect(pen.get(), 3, 3, 594, 74, colors::white);
    fillRect(pen.get(), 6, 6, 588, 68, colors::ink);
    fillRect(pen.get(), 7, 7, 586, 66, colors::white);
    fillPolygon(pen.get(), {576, 62, 588, 62, 582, 69}, colors::red);
    return picture;
}

SurfacePtr questionBox() {
    SurfacePtr picture = newSurface(140, 100);
    PenPtr pen = newPen(picture.get());
    fillRect(pen.get(), 0, 0, 140, 100, colors::ink);
    fillRect(pen.get(), 3, 3, 134, 94, colors::white);
    fillRect(pen.get(), 6, 6, 128, 88, colors::ink);
    fillRect(pen.get(), 7, 7, 126, 86, colors::white);
    fillRect(pen.get(), 14, 48, 112, 1, colors::silver);
    drawLabel(pen.get(), words("はい"), 34, 8, 20, colors::ink);
    drawLabel(pen.get(), words("いいえ"), 34, 58, 20, colors::ink);
    return picture;
}

// A 50 x 50 icon painted in a 25-unit space (doubled).
void paintIcon(cairo_t* pen, int icon) {
    switch (icon) {
    case 0:  // sword
        fillPolygon(pen, {17, 3, 20, 3, 20, 6, 10, 16, 7, 13}, colors::silver);
        strokeLine(pen, 18, 5, 10, 13, 1, colors::white);
        fillRect(pen, 4, 13, 9, 2.5, colors::gold);
        fillPolygon(pen, {5, 17, 8, 14, 9.5, 15.5, 6.5, 18.5}, colors::brown);
        fillRect(pen, 3, 18, 3, 3, colors::gold);
        break;
    case 1:  // gun
    case 2:
    case 3:
        fillRect(pen, 5, 9, 15, 4.5, colors::slate);
        fillRect(pen, 6, 10, 13, 1.2, colors::silver);
        fillPolygon(pen, {7, 13, 11, 13, 10, 20, 6, 20}, colors::brown);
        fillRect(pen, 11, 13, 3, 2.5, colors::stone);
        if (icon == 2) {
            fillPolygon(pen, {20, 2, 23, 5, 17, 5}, colors::gold);
            fillPolygon(pen, {20, 23, 23, 20, 17, 20}, colors::gold);
            fillPolygon(pen, {16, 17, 16, 23, 13, 20}, colors::gold);
            fillPolygon(pen, {24, 17, 24, 23, 21, 20}, colors::gold);
        }
        if (icon == 3) {
            for (int i = 0; i < 8; ++i) {
                const double a = i * M_PI / 4;
                strokeLine(pen, 20 + 1.5 * std::cos(a), 19 + 1.5 * std::sin(a), 20 + 4 * std::cos(a),
                           19 + 4 * std::sin(a), 1.2, colors::orange);
            }
        }
        if (icon == 1) fillEllipse(pen, 22, 11, 1.8, 1.8, colors::gold);
        break;
    case 4:  // red potion
    case 5:  // blue potion
        fillRect(pen, 10.5, 3, 4, 4, colors::tan);
        fillEllipse(pen, 12.5, 15, 7, 7, colors::ice);
        fillEllipse(pen, 12.5, 16, 5.5, 5.5, icon == 4 ? colors::red : colors::blue);
        fillRect(pen, 9, 12, 2, 2, colors::white);
        break;
    case 6:  // herb
        fillPolygon(pen, {12, 22, 5, 12, 8, 6, 12, 14}, colors::green);
        fillPolygon(pen, {13, 22, 20, 12, 17, 6, 13, 14}, colors::lime);
        strokeLine(pen, 12.5, 22, 12.5, 8, 1, colors::forest);
        break;
    case 7:  // bread
        fillEllipse(pen, 12.5, 14, 9, 6, colors::tan);
        fillEllipse(pen, 12.5, 12, 8, 4, colors::sand);
        strokeLine(pen, 9, 10, 8, 14, 1, colors::brown);
        strokeLine(pen, 13, 10, 12, 14, 1, colors::brown);
        strokeLine(pen, 17, 10, 16, 14, 1, colors::brown);
        break;
    case 8:  // book of experience
        fillRect(pen, 5, 5, 15, 16, colors::violet);
        fillRect(pen, 6, 18, 14, 2, colors::white);
        fillRect(pen, 10, 9, 6, 6, colors::gold);
        break;
    case 9:  // hero's book: a red cover with a golden star
        fillRect(pen, 5, 5, 15, 16, colors::red);
        fillRect(pen, 6, 18, 14, 2, colors::white);
        fillPolygon(pen, {12.5, 7, 14, 11, 18, 11, 15, 13.5, 16, 17, 12.5, 15, 9, 17, 10, 13.5, 7, 11, 11, 11},
                    colors::gold);
        break;
    case 10:  // a monster's fang
        fillPolygon(pen, {6, 5, 19, 5, 17, 10, 14, 16, 11, 21, 10, 15, 8, 10}, colors::white);
        strokeLine(pen, 7, 6.5, 18, 6.5, 1, colors::silver);
        strokeLine(pen, 12, 9, 11, 17, 1, colors::silver);
        break;
    case 11:  // wing
        fillPolygon(pen, {5, 18, 8, 8, 20, 4, 17, 9, 20, 10, 15, 14, 17, 16}, colors::white);
        strokeLine(pen, 6, 17, 16, 7, 1, colors::silver);
        break;
    case 12:  // return feather: a blue feather
        fillPolygon(pen, {5, 21, 8, 12, 16, 5, 21, 4, 18, 11, 10, 18}, colors::sky);
        strokeLine(pen, 5, 21, 19, 5, 1, colors::white);
        break;
    case 13:  // ore
        fillPolygon(pen, {4, 15, 8, 7, 15, 5, 21, 10, 20, 18, 11, 21}, colors::stone);
        fillRect(pen, 9, 10, 3, 3, colors::gold);
        fillRect(pen, 15, 13, 3, 2, colors::gold);
        break;
    case 14:  // spirit's drop
        fillPolygon(pen, {12.5, 3, 18, 13, 7, 13}, colors::sky);
        fillEllipse(pen, 12.5, 15, 5.5, 5.5, colors::sky);
        fillEllipse(pen, 10.5, 14.5, 1.5, 2, colors::white);
        break;
    case 15:  // star fragment
        fillPolygon(pen, {12.5, 3, 15, 10, 22, 10, 16.5, 14.5, 18.5, 21, 12.5, 17, 6.5, 21, 8.5, 14.5, 3, 10, 10, 10},
                    colors::gold);
        fillPolygon(pen, {12.5, 7, 14, 11, 12.5, 14, 11, 11}, colors::white);
        break;
    case 16:  // grilled fish
        fillEllipse(pen, 11, 13, 7.5, 4.5, colors::tan);
        fillPolygon(pen, {17, 13, 22, 8, 22, 18}, colors::brown);
        strokeLine(pen, 9, 10, 8, 16, 1, colors::brown);
        strokeLine(pen, 13, 9.5, 12, 16.5, 1, colors::brown);
        fillEllipse(pen, 6.5, 12, 1.2, 1.2, colors::ink);
        break;
    case 17:  // meat
        fillEllipse(pen, 11, 12, 7, 6, colors::brown);
        fillEllipse(pen, 11, 11, 5, 4, colors::red);
        fillRect(pen, 16, 15, 6, 2.5, colors::white);
        fillEllipse(pen, 21.5, 16.5, 1.8, 2, colors::white);
        break;
    case 18:  // power nut
        fillEllipse(pen, 12.5, 15, 6.5, 6.5, colors::brown);
        fillEllipse(pen, 12.5, 10, 7.5, 3.5, colors::tan);
        fillRect(pen, 12, 4, 1.5, 3.5, colors::darkBrown);
        fillRect(pen, 10, 13, 2, 2, colors::sand);
        break;
    case 19:  // crystal
        fillPolygon(pen, {12.5, 2, 17, 9, 15, 21, 10, 21, 8, 9}, colors::violet);
        fillPolygon(pen, {12.5, 4, 14, 9, 12.5, 18, 11, 9}, colors::pink);
        break;
    case 20:  // coin bag
        fillEllipse(pen, 12.5, 15, 8, 6.5, colors::tan);
        fillPolygon(pen, {9, 9, 16, 9, 18, 5, 7, 5}, colors::tan);
        fillRect(pen, 9, 8.5, 7, 1.5, colors::brown);
        fillEllipse(pen, 12.5, 15.5, 2.5, 2.5, colors::gold);
        break;
    case 21:  // shell
        fillPolygon(pen, {4, 18, 12.5, 4, 21, 18}, colors::pink);
        strokeLine(pen, 12.5, 5, 8, 18, 1, colors::white);
        strokeLine(pen, 12.5, 5, 12.5, 18, 1, colors::white);
        strokeLine(pen, 12.5, 5, 17, 18, 1, colors::white);
        fillRect(pen, 9, 18, 7, 3, colors::pink);
        break;
    case 22:  // flower
        for (int i = 0; i < 5; ++i) {
            const double a = -M_PI / 2 + i * 2 * M_PI / 5;
            fillEllipse(pen, 12.5 + 5 * std::cos(a), 11 + 5 * std::sin(a), 3, 3, colors::pink);
        }
        fillEllipse(pen, 12.5, 11, 2.5, 2.5, colors::gold);
        strokeLine(pen, 12.5, 15, 12.5, 22, 1.5, colors::green);
        break;
    default:  // bomb
        fillEllipse(pen, 11, 15, 7, 7, colors::slate);
        fillRect(pen, 14, 5, 2, 4, colors::tan);
        fillRect(pen, 16, 3, 3, 3, colors::orange);
        fillRect(pen, 7, 11, 2, 2, colors::silver);
        break;
    }
}

constexpr int iconCount = 24;

SurfacePtr iconStrip() {
    SurfacePtr strip = newSurface(50 * iconCount, 50);
    PenPtr pen = newPen(strip.get());
    for (int icon = 0; icon < iconCount; ++icon) {
        SurfacePtr small = newSurface(25, 25);
        {
            PenPtr cellPen = newPen(small.get());
            paintIcon(cellPen.get(), icon);
        }
        SurfacePtr line = outlined(small.get(), colors::ink);
        SurfacePtr big = scaledUp(line.get(), 2);
        blit(pen.get(), big.get(), icon * 50, 0);
    }
    return strip;
}

// The box of the title menu, in TITLE.png (drawn at 100, 100). At the end of the ending walk the panorama
// shows its last 900 columns, the ones under the title; there the same box holds the closing words, so the
// title's opaque box covers them when the title comes back.
constexpr int titleX = 100, titleY = 100, titleBoxX = 106, titleBoxY = 316, titleBoxW = 488, titleBoxH = 100;
constexpr int panoramaRestX = 2100;

void menuBox(cairo_t* pen, int x, int y) {
    fillRect(pen, x, y, titleBoxW, titleBoxH, colors::ink);
    fillRect(pen, x + 3, y + 3, titleBoxW - 6, titleBoxH - 6, colors::white);
}

// A label centred across the title box.
void centredLabel(cairo_t* pen, const std::string& text, int boxX, int y, int pixelSize, uint32_t rgb) {
    int w = 0, h = 0;
    labelSize(text, pixelSize, w, h);
    drawLabel(pen, text, boxX + (titleBoxW - w) / 2, y, pixelSize, rgb);
}

// Height of a ridge line at column x: a few slow waves and a little stable noise.
double ridge(int x, double base, double amplitude, uint32_t salt) {
    double h = base;
    h += amplitude * std::sin(x * 0.0061 + salt) * 0.6;
    h += amplitude * std::sin(x * 0.0173 + salt * 2.1) * 0.3;
    h += amplitude * std::sin(x * 0.047 + salt * 0.7) * 0.1;
    return h;
}

// The panorama of the title and the ending: a road at dawn, darker at its west end, the sun rising in the east.
SurfacePtr dawnPanorama() {
    const int w = 1500, h = 300;
    SurfacePtr small = newSurface(w, h);
    const int horizon = 158;
    const uint32_t skyStops[] = {colors::night, colors::navy,   colors::violet,
                                 colors::pink,  colors::orange, colors::gold};
    const double sunX = 1440, sunY = 86;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // sky: bands that grow warmer towards the horizon and towards the east
            const double east = static_cast<double>(x) / w;
            double t = static_cast<double>(y) / horizon * (0.55 + 0.45 * east) + 0.25 * east;
            t = std::clamp(t, 0.0, 0.999);
            const double dither = (hashPoint(x / 2, y / 2, 3) % 100) / 100.0 * 0.6;
            const double band = std::floor(t * 5 * 3 + dither) / 3.0;
            const int stop = std::min(4, static_cast<int>(band));
            uint32_t rgb = mix(skyStops[stop], skyStops[stop + 1], band - stop);
            const double sunDistance = std::hypot(x - sunX, (y - sunY) * 1.2);
            if (sunDistance < 60) rgb = mix(rgb, colors::gold, 0.25);
            if (sunDistance < 40) rgb = mix(rgb, colors::gold, 0.4);
            if (sunDistance < 24)
                rgb = colors::white;
            else if (sunDistance < 27)
                rgb = colors::gold;
            if (east < 0.4 && y < 90 && hashPoint(x, y, 9) % 700 == 0) rgb = colors::white;
            setPixel(small.get(), x, y, 0xff000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(small.get());
    PenPtr holder = newPen(small.get());
    cairo_t* pen = holder.get();
    // far mountains, then hills, coloured by the light of the east
    for (int x = 0; x < w; ++x) {
        const double east = static_cast<double>(x) / w;
        const double far = ridge(x, 118, 40, 2);
        fillRect(pen, x, std::round(far), 1, h, mix(colors::plum, colors::violet, east * 0.6));
        fillRect(pen, x, std::round(far), 1, 2, mix(colors::violet, colors::pink, east));
    }
    for (int x = 0; x < w; ++x) {
        const double east = static_cast<double>(x) / w;
        const double hill = ridge(x, 150, 14, 5);
        fillRect(pen, x, std::round(hill), 1, h, mix(colors::forest, colors::green, east * 0.5));
        fillRect(pen, x, std::round(hill), 1, 2, mix(colors::green, colors::lime, east));
    }
    // trees along the hills, off the road
    Random random = seededRandom(44);
    for (int i = 0; i < 70; ++i) {
        const int x = randomRange(random, 0, w);
        const double base = ridge(x, 150, 14, 5) + randomRange(random, 2, 8);
        const double east = static_cast<double>(x) / w;
        const uint32_t leaf = mix(colors::forest, colors::green, east * 0.5 + 0.2);
        fillRect(pen, x - 1, base - 5, 2, 6, colors::darkBrown);
        fillEllipse(pen, x, base - 9, 5, 6, leaf);
        fillEllipse(pen, x - 1, base - 11, 2, 2, lighter(leaf, 0.25));
    }
    // the road the hero walks: his feet stand at y 172 (345 on the full picture)
    const uint32_t grass = colors::green;
    fillRect(pen, 0, 164, w, h - 164, grass);
    fillRect(pen, 0, 165, w, 12, colors::sand);
    fillRect(pen, 0, 165, w, 1, colors::tan);
    fillRect(pen, 0, 176, w, 1, colors::tan);
    for (int y = 178; y < h; y += 2)
        for (int x = 0; x < w; x += 2) {
            const uint32_t hash = hashPoint(x, y, 21);
            if (hash % 11 == 0)
                fillRect(pen, x, y, 1, 2, colors::forest);
            else if (hash % 37 == 0)
                fillRect(pen, x, y, 1, 1, colors::lime);
            else if (hash % 301 == 0)
                fillRect(pen, x, y, 2, 2, hash % 2 ? colors::pink : colors::gold);
        }
    for (int x = 0; x < w; x += 3)
        if (hashPoint(x, 0, 31) % 5 == 0) fillRect(pen, x, 169 + hashPoint(x, 1, 31) % 5, 2, 1, colors::tan);
    fillRect(pen, 0, 230, w, h - 230, mix(grass, colors::forest, 0.25));
    for (int y = 232; y < h; y += 2)
        for (int x = 0; x < w; x += 2) {
            const uint32_t hash = hashPoint(x, y, 57);
            if (hash % 9 == 0)
                fillRect(pen, x, y, 1, 2, colors::forest);
            else if (hash % 41 == 0)
                fillRect(pen, x, y, 1, 1, colors::green);
        }
    // bushes and flowers along the near edge of the road
    for (int i = 0; i < 60; ++i) {
        const int x = randomRange(random, 0, w);
        const int y = randomRange(random, 186, 290);
        if (i % 3 == 0) {
            fillEllipse(pen, x, y, 7, 4, colors::ink);
            fillEllipse(pen, x, y - 0.5, 6, 3.2, colors::forest);
            fillRect(pen, x - 3, y - 2, 2, 1, colors::green);
        } else {
            fillRect(pen, x, y, 1, 3, colors::forest);
            fillRect(pen, x - 1, y - 1, 3, 2, i % 2 ? colors::pink : colors::white);
            fillRect(pen, x, y - 1, 1, 1, colors::gold);
        }
    }
    SurfacePtr big = scaledUp(small.get(), 2);
    // the closing words where the walk comes to rest, in the box the title menu will take
    PenPtr wordsPen = newPen(big.get());
    const int boxX = panoramaRestX + titleX + titleBoxX, boxY = titleY + titleBoxY;
    menuBox(wordsPen.get(), boxX, boxY);
    centredLabel(wordsPen.get(), words("― おしまい ―"), boxX, boxY + 10, 20, colors::ink);
    centredLabel(wordsPen.get(), words("あそんでくれて ありがとう！"), boxX, boxY + 38, 20, colors::ink);
    centredLabel(wordsPen.get(), words("Vキーで タイトルへ もどります"), boxX, boxY + 70, 16, colors::slate);
    return big;
}

SurfacePtr orbs() {
    SurfacePtr strip = newSurface(150, 50);
    PenPtr pen = newPen(strip.get());
    const uint32_t hues[] = {colors::red, colors::blue, colors::green};
    for (int i = 0; i < 3; ++i) {
        SurfacePtr small = newSurface(25, 25);
        {
            PenPtr orbPen = newPen(small.get());
            fillEllipse(orbPen.get(), 12.5, 12.5, 10.5, 10.5, darker(hues[i], 0.3));
            fillEllipse(orbPen.get(), 12, 12, 8.5, 8.5, hues[i]);
            fillEllipse(orbPen.get(), 11, 10.5, 5, 5, lighter(hues[i], 0.4));
            fillRect(orbPen.get(), 7, 6, 3, 3, colors::white);
        }
        SurfacePtr line = outlined(small.get(), colors::ink);
        SurfacePtr big = scaledUp(line.get(), 2);
        blit(pen.get(), big.get(), i * 50, 0);
    }
    return strip;
}

// The logo, its subtitle, and the two rows of the title menu beside the cursor at (120, 330 + 40 * row).
SurfacePtr titleLogo() {
    SurfacePtr picture = newSurface(700, 420);
    PenPtr holder = newPen(picture.get());
    cairo_t* pen = holder.get();
    SurfacePtr logo = chunkyText("Quorvath", 44, colors::gold, lighter(colors::gold, 0.6), 2);
    SurfacePtr shadow = chunkyText("Quorvath", 44, colors::ink, colors::ink, 2);
    const int logoX = (700 - surfaceWidth(logo.get())) / 2;
    blit(pen, shadow.get(), logoX + 6, 14);
    blit(pen, logo.get(), logoX, 8);
    const std::string subtitle = words("〜 あかつきの　みっつの　たま 〜");
    int w = 0, h = 0;
    labelSize(subtitle, 22, w, h);
    SurfacePtr sub = newSurface(w + 4, h + 4);
    {
        PenPtr subPen = newPen(sub.get());
        drawLabel(subPen.get(), subtitle, 2, 2, 22, colors::white, true);
    }
    SurfacePtr subLine = outlined(sub.get(), colors::ink);
    SurfacePtr subBold = outlined(subLine.get(), colors::ink);
    blit(pen, subBold.get(), (700 - w) / 2, 150);
    // menu box: row 0 continues the saved game, row 1 starts a new one; the keys on the right
    menuBox(pen, titleBoxX, titleBoxY);
    drawLabel(pen, words("つづきから"), 146, 328, 20, colors::ink);
    drawLabel(pen, words("はじめから"), 146, 368, 20, colors::ink);
    fillRect(pen, 316, 330, 2, 72, colors::silver);
    drawLabel(pen, words("↑↓キーで えらんで"), 340, 332, 16, colors::slate);
    drawLabel(pen, words("Vキーで きめる"), 340, 368, 16, colors::slate);
    return picture;
}

void save(OutputPlan& plan, const std::string& gamePath, const std::function<SurfacePtr()>& make) {
    if (!needsWriting(plan, gamePath)) return;
    SurfacePtr picture = make();
    noteWritten(plan, gamePath, writePng(picture.get(), gamePath));
}

}  // namespace

void makeFixedPictures(OutputPlan& plan) {
    save(plan, "pict\\man.png", heroSheet);
    save(plan, "pict\\dungan.png", shotSheet);
    save(plan, "pict\\tekismall.png", enemySheet);
    save(plan, "pict\\mycutin.png", [] { return paintCutIn("", 200, 200); });
    save(plan, "pict\\VS.png", versusMark);
    save(plan, "pict\\サイドメニュー.png", sidePanel);
    save(plan, "pict\\sannkaku.png", [] { return outlined(cursor(colors::gold, colors::white).get(), colors::ink); });
    save(plan, "pict\\sannkakublack.png", [] { return cursor(colors::ink, colors::ink); });
    save(plan, "pict\\めにゅ.png", [] { return menuPage(false); });
    save(plan, "pict\\めにゅd.png", [] { return menuPage(true); });
    save(plan, "pict\\whitebox.png", messageBox);
    save(plan, "pict\\yesnobox.png", questionBox);
    save(plan, "pict\\Wicon.png", iconStrip);
    save(plan, "pict\\END.png", dawnPanorama);
    save(plan, "pict\\BALL.png", orbs);
    save(plan, "pict\\TITLE.png", titleLogo);
    // The same pictures with English words, which the game draws instead when it plays the world in English.
    paintedLanguage = "en";
    save(plan, "lang\\en\\pict\\サイドメニュー.png", sidePanel);
    save(plan, "lang\\en\\pict\\めにゅ.png", [] { return menuPage(false); });
    save(plan, "lang\\en\\pict\\めにゅd.png", [] { return menuPage(true); });
    save(plan, "lang\\en\\pict\\yesnobox.png", questionBox);
    save(plan, "lang\\en\\pict\\END.png", dawnPanorama);
    save(plan, "lang\\en\\pict\\TITLE.png", titleLogo);
    paintedLanguage.clear();
}
