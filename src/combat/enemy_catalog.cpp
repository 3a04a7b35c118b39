// The enemy catalog: the eight kinds of media\EnemyData.xml, read by the new game.
#include "combat/enemy_catalog.h"

#include "core/data_files.h"
#include "core/game_state.h"
#include "data/xml_access.h"

// Fewer than eight entries raise on the first missing one: the kinds before it keep the new values.
int32_t loadEnemyCatalog(GameState& game) {
    return runXmlLoader(enemyDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "enemydatas");
        if (roots.length() == 0) return 0;
        const XmlNodeList enemies = selectNodes(asElement(roots.item(0)), "enemy");
        for (int32_t kind = 0; kind < enemyKindCount; ++kind) {
            const XmlNode enemy = asElement(enemies.item(kind));
            EnemyType& type = game.enemyCatalog[static_cast<size_t>(kind)];
            readIntAttributes(enemy, {{"life", type.life}, {"size", type.size}, {"speed", type.speed}});
        }
        return 1;
    });
}
