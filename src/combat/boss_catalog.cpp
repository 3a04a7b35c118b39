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
        readIntAttributes(element, {{"gx", boss.gx}, {"gy", boss.gy}, {"x", boss.x}, {"y", boss.y}});
        boss.life = boss.maxlife;
        readIntAttributes(element, {{"hit", boss.hit}, {"kin", boss.nearBand}, {"tyu", boss.middleBand}});
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
            readIntAttributes(attackElement, {{"type", attack.type},
                                              {"wait1", attack.wait1},
                                              {"wait2", attack.wait2},
                                              {"speed1", attack.speed1},
                                              {"speed2", attack.speed2},
                                              {"pict", attack.pict},
                                              {"power", attack.power}});
        }
        return 1;
    });
}
