// The item catalog: the selection and the one record of media\ItemData.xml it names.
#include "world/item_catalog.h"
#include "core/data_files.h"

#include "core/game_state.h"
#include "core/world_model.h"
#include "data/xml_access.h"

namespace {

// The next item the hero carries, from the current selection in the direction of step, the current one examined last.
// With no item carried at all the search stops after one full turn and the selection stays.
int32_t nextCarriedItem(const GameState& game, int32_t step) {
    int64_t k = game.selectedItemId;
    for (int32_t turn = 0; turn < itemKindCount; ++turn) {
        k += step;
        if (k > itemKindCount - 1) {
            k = 0;
        } else if (k < 0) {
            k = itemKindCount - 1;
        }
        if (game.itemCounts[static_cast<size_t>(k)] > 0) return static_cast<int32_t>(k);
    }
    return game.selectedItemId;
}

}  // namespace

int32_t loadItemRecord(GameState& game, int32_t id, int32_t step) {
    game.selectedItemId = id >= 0 ? id : nextCarriedItem(game, step);
    return runXmlLoader(itemDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "itemdatas");
        if (roots.length() == 0) return 0;
        const XmlNodeList items = selectNodes(asElement(roots.item(0)), "item");
        const ItemData item = readItemData(asElement(items.item(game.selectedItemId)));
        ItemRecord& record = game.selectedItem;
        record.name = item.name.text;
        record.use = item.use.number();
        record.type = item.type.number();
        record.power = item.power.number();
        record.time = item.time.number();
        record.pict = item.pict.number();
        record.howto = item.howto.text;
        record.id = game.selectedItemId;
        return 1;
    });
}
