// The boss catalog: one boss of media\BossData.xml read into the boss record when a battle begins.
#include "combat/boss_catalog.h"

#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_model.h"
#include "data/xml_access.h"
#include "platform/picture_cache.h"

// Values are stored as they are read: a boss with fewer than three attacks keeps the rest of the previous boss.
int32_t loadBoss(GameState& game, int32_t n) {
    BossRecord& boss = game.boss;
    boss.bossId = n;
    return runXmlLoader(bossDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "bossdatas");
        if (roots.length() == 0) return 0;
        const BossData data = readBossData(asElement(selectNodes(asElement(roots.item(0)), "boss").item(n)));
        boss.name = data.name.text;
        boss.maxlife = data.maxlife.number();
        boss.size = data.size.number();
        boss.image = loadPicture(data.pict.text, PathNamer::worldData);
        boss.cutinImage = loadPicture(data.cutin.text, PathNamer::worldData);
        boss.gx = data.gx.number();
        boss.gy = data.gy.number();
        boss.x = data.x.number();
        boss.y = data.y.number();
        boss.life = boss.maxlife;
        boss.hit = data.hit.number();
        boss.nearBand = data.kin.number();
        boss.middleBand = data.tyu.number();
        boss.attackIndex = -1;
        boss.attackState = 0;

        auto texts = [](const std::vector<BossSpeechLine>& lines) {
            std::vector<std::string> texts;
            texts.reserve(lines.size());
            for (const BossSpeechLine& line : lines) texts.push_back(line.text);
            return texts;
        };
        boss.openingSpeech = texts(data.openingSpeech);
        boss.closingSpeech = texts(data.closingSpeech);

        boss.flagId = data.flags.empty() ? -1 : data.flags[0].id.number();
        boss.flagValue = data.flags.empty() ? -1 : data.flags[0].state.number();

        // A boss with fewer than three attacks raises at the first missing one, after those before it.
        for (size_t i = 0; i < boss.attacks.size(); ++i) {
            const BossAttackData& attackData = entryOrRaise(data.attacks, static_cast<int32_t>(i));
            BossAttack& attack = boss.attacks[i];
            attack.type = attackData.type.number();
            attack.wait1 = attackData.wait1.number();
            attack.wait2 = attackData.wait2.number();
            attack.speed1 = attackData.speed1.number();
            attack.speed2 = attackData.speed2.number();
            attack.pict = attackData.pict.number();
            attack.power = attackData.power.number();
        }
        return 1;
    });
}
