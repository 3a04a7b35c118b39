// The boss catalog: one boss of media\BossData.xml read into the boss record when a battle begins.
#include "combat/boss_catalog.h"

#include "core/data_files.h"
#include "core/game_state.h"
#include "data/xml_access.h"
#include "platform/picture_cache.h"

namespace {

std::vector<std::string> speechLines(const XmlNode& boss, const std::string& name) {
    const XmlNodeList nodes = selectNodes(boss, name);
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(nodes.length()));
    for (int32_t i = 0; i < nodes.length(); ++i) lines.push_back(elementText(nodes.item(i)));
    return lines;
}

}  // namespace

// Values are stored as they are read: a boss with fewer than three attacks keeps the rest of the previous boss.
int32_t loadBoss(GameState& game, int32_t n) {
    BossRecord& boss = game.boss;
    boss.bossId = n;
    return runXmlLoader(bossDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "bossdatas");
        if (roots.length() == 0) return 0;
        const XmlNode element = asElement(selectNodes(asElement(roots.item(0)), "boss").item(n));
        boss.name = attributeText(element, "name");
        boss.maxlife = attributeInt(element, "maxlife");
        boss.size = attributeInt(element, "size");
        boss.image = loadPicture(attributeText(element, "pict"), PathNamer::worldData);
        boss.cutinImage = loadPicture(attributeText(element, "cutin"), PathNamer::worldData);
        boss.gx = attributeInt(element, "gx");
        boss.gy = attributeInt(element, "gy");
        boss.x = attributeInt(element, "x");
        boss.y = attributeInt(element, "y");
        boss.life = boss.maxlife;
        boss.hit = attributeInt(element, "hit");
        boss.nearBand = attributeInt(element, "kin");
        boss.middleBand = attributeInt(element, "tyu");
        boss.attackIndex = -1;
        boss.attackState = 0;

        boss.openingSpeech = speechLines(element, "bspeech");
        boss.closingSpeech = speechLines(element, "aspeech");

        boss.flagId = -1;
        boss.flagValue = -1;
        const XmlNodeList flags = selectNodes(element, "flag");
        if (flags.length() != 0) {
            const XmlNode flag = asElement(flags.item(0));
            boss.flagId = attributeInt(flag, "id");
            boss.flagValue = attributeInt(flag, "state");
        }

        const XmlNodeList attacks = selectNodes(element, "weapon");
        for (int32_t i = 0; i < static_cast<int32_t>(boss.attacks.size()); ++i) {
            const XmlNode attackElement = asElement(attacks.item(i));
            BossAttack& attack = boss.attacks[static_cast<size_t>(i)];
            attack.type = attributeInt(attackElement, "type");
            attack.wait1 = attributeInt(attackElement, "wait1");
            attack.wait2 = attributeInt(attackElement, "wait2");
            attack.speed1 = attributeInt(attackElement, "speed1");
            attack.speed2 = attributeInt(attackElement, "speed2");
            attack.pict = attributeInt(attackElement, "pict");
            attack.power = attributeInt(attackElement, "power");
        }
        return 1;
    });
}
