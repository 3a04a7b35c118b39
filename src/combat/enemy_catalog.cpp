// The enemy catalog: the eight kinds of media\EnemyData.xml, read by the new game.
#include "combat/enemy_catalog.h"

#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_model.h"
#include "data/xml_access.h"

// Fewer than eight entries raise on the first missing one: the kinds before it keep the new values.
int32_t loadEnemyCatalog(GameState& game) {
    return runXmlLoader(enemyDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "enemydatas");
        if (roots.length() == 0) return 0;
        const XmlNodeList enemies = selectNodes(asElement(roots.item(0)), "enemy");
        for (int32_t kind = 0; kind < enemyKindCount; ++kind) {
            const EnemyKindData enemy = readEnemyKindData(asElement(enemies.item(kind)));
            EnemyType& type = game.enemyCatalog[static_cast<size_t>(kind)];
            type.life = enemy.life.number();
            type.size = enemy.size.number();
            type.speed = enemy.speed.number();
        }
        return 1;
    });
}
