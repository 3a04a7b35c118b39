// NPC pictures from media\NPCPictList.xml, the talk action of the field and the message buffer it fills.
// Called by the frame tick, the field drawing, the new game and the story events.
#include "world/npc_dialogue.h"
#include "core/data_files.h"
#include "platform/picture_cache.h"

#include <cstddef>
#include <limits>
#include <string>

#include "core/areas.h"
#include "core/clamped_numbers.h"
#include "core/directions.h"
#include "core/fixed_pictures.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/story_flags.h"
#include "core/world_model.h"
#include "data/xml_access.h"
#include "world/map_file.h"

namespace {

constexpr int32_t probeDistance = 15;
constexpr int32_t noQuestion = 100;
const std::string answerSeparator = "    ";
const std::string closingLine = "  ";

void setLineFlag(GameState& game, const SpeechLine& line) {
    if (line.setFlagId != -1 && storyFlag(game, line.setFlagId) != line.setFlagValue) {
        setStoryFlag(game, line.setFlagId, line.setFlagValue);
    }
}

// The answer flag of a yes or no line: the last line whose flag does not already hold its value wins.
// A flag id the table does not have is never taken, so the answer cannot write outside the table.
void takeAnswerFlag(const GameState& game, const SpeechLine& line, int32_t& flagId, int32_t& flagValue) {
    if (line.setFlagId < 0 || line.setFlagId >= storyFlagCount) return;
    if (storyFlag(game, line.setFlagId) != line.setFlagValue) {
        flagId = line.setFlagId;
        flagValue = line.setFlagValue;
    }
}

}  // namespace

int32_t loadNpcPicture(GameState& game, int32_t imageId, int32_t anchorX, int32_t anchorY, int32_t areaIndex) {
    return runXmlLoader(npcPictureFile.gamePath, [&](XmlDocument& document) -> int32_t {
        const XmlNodeList roots = selectNodes(document, "npcpictdatas");
        if (roots.length() == 0) return 0;
        const NpcPictureData entry = readNpcPictureData(asElement(selectNodes(roots.item(0), "npc").item(imageId)));
        NpcPicture picture;
        picture.frameWidth = entry.x.number();
        picture.frameHeight = entry.y.number();
        picture.frame = entry.direction.number();
        picture.picture = loadPicture(entry.pict.text, PathNamer::worldData);
        // The picture's top-right corner sits on the anchor.
        picture.x = static_cast<int32_t>(static_cast<int64_t>(anchorX) - picture.frameWidth);
        picture.y = anchorY;
        picture.areaIndex = areaIndex;
        game.npcPictures.push_back(picture);
        return 1;
    });
}

void rebuildNpcPictures(GameState& game) {
    game.npcPictures.clear();
    for (int32_t i = 0; i < game.areaCount && static_cast<std::size_t>(i) < game.areas.size(); ++i) {
        const AreaNpc& npc = game.areas[static_cast<std::size_t>(i)].npc;
        // An NPC that the story rules show in an area the map gave no npc element has no picture to ask for.
        if (npc.absent || npc.imageId < 0) continue;
        const PolygonPoint anchor = polygonLastPoint(game.areas[static_cast<std::size_t>(i)].polygon);
        // A vertex at the top of the range is 2^31 as a float, one past the range: it is clamped to the range.
        loadNpcPicture(game, npc.imageId, clamp32(static_cast<int64_t>(anchor.x)),
                       clamp32(static_cast<int64_t>(anchor.y)), i);
    }
}

void talkProbePoint(const GameState& game, int32_t& x, int32_t& y) {
    x = game.heroX;
    y = game.heroY;
    switch (game.heroDir - game.heroDir % 2) {
    case dirDown: y = clampedSum(y, probeDistance); break;
    case dirRight: x = clampedSum(x, probeDistance); break;
    case dirLeft: x = clampedSum(x, -probeDistance); break;
    case dirUp: y = clampedSum(y, -probeDistance); break;
    default: break;
    }
}

int32_t talkTarget(const GameState& game) {
    int32_t probeX = 0, probeY = 0;
    talkProbePoint(game, probeX, probeY);
    const int32_t target = firstAreaContaining(game, probeX, probeY);
    if (target < 0) return -1;
    const AreaRecord& area = game.areas[static_cast<std::size_t>(target)];
    // Without a current area only NPCs on level 100 can be reached.
    const AreaRecord* current = areaAt(game, game.currentArea);
    if (area.level != levelJoinsAll && (current == nullptr || area.level != current->level)) return -1;
    if (area.npc.absent) return -1;
    return target;
}

void talkToNpc(GameState& game) {
    const int32_t target = talkTarget(game);
    if (target < 0) return;
    const AreaRecord& area = game.areas[static_cast<std::size_t>(target)];

    buildMessage(game, area.npc);

    // The NPC turns to face the hero.
    for (NpcPicture& picture : game.npcPictures) {
        if (picture.areaIndex == target) {
            picture.frame = game.heroDir / 2;
            break;
        }
    }

    // The message scene shows its window over this frozen view: the field once more, without the enemies.
    showField(game);

    game.returnScene = game.scene;
    game.scene = sceneMessage;
}

void buildMessage(GameState& game, const AreaNpc& npc) {
    // The buffer has 12 lines; line 0 stays empty and the closing line needs one, so lines 1 to 10 can
    // hold speech. Speech beyond that is cut: a plain line that does not fit is not shown (its flag
    // setting still happens, as the line's condition held), and a question whose yes lines, separator
    // and no lines do not all fit is not asked at all, so no answer can be chosen from half a question.
    constexpr int32_t lastLine = messageLineCapacity - 1;
    int32_t n = 1;
    game.messageLineCount = 1;
    game.messageLine = 0;

    for (const SpeechLine& line : npc.lines) {
        if (!speechConditionHolds(game, line)) continue;
        if (n < lastLine) game.messageLines[static_cast<std::size_t>(n++)] = line.text;
        // Set at once, so a later line's condition sees it.
        setLineFlag(game, line);
    }

    game.yesFlagId = -1;
    game.noFlagId = -1;
    game.questionLine = noQuestion;
    game.answerSplitLine = noQuestion;

    // The question is asked only when every plain line before the first yes speech element was shown.
    const int64_t questionEnd = static_cast<int64_t>(n) + static_cast<int64_t>(npc.yesLines.size()) + 1 +
                                static_cast<int64_t>(npc.noLines.size());
    if (n == static_cast<int64_t>(npc.questionIndex) + 1 && questionEnd <= lastLine) {
        game.questionLine = n;
        for (const SpeechLine& line : npc.yesLines) {
            game.messageLines[static_cast<std::size_t>(n++)] = line.text;
            takeAnswerFlag(game, line, game.yesFlagId, game.yesFlagValue);
        }
        game.answerSplitLine = n;
        game.messageLines[static_cast<std::size_t>(n++)] = answerSeparator;
        for (const SpeechLine& line : npc.noLines) {
            game.messageLines[static_cast<std::size_t>(n++)] = line.text;
            takeAnswerFlag(game, line, game.noFlagId, game.noFlagValue);
        }
    }

    game.messageLines[static_cast<std::size_t>(n)] = closingLine;
    game.messageLineCount = n;
}
