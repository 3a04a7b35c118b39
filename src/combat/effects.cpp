// The hit circles: each lives six ticks, growing from half to twice its size while it fades.
#include "combat/effects.h"

#include "core/frame_shown.h"
#include "core/game_state.h"

void spawnEffect(GameState& game, float x, float y, int32_t kind) {
    for (EffectRecord& effect : game.effects) {
        if (effect.ticksLeft != 0) continue;
        effect.ticksLeft = 6;
        effect.x = effect.endX = x;
        effect.y = effect.endY = y;
        effect.size = 32;
        effect.scale = 0.5f;
        effect.endScale = 2;
        effect.alpha = 1;
        effect.endAlpha = 0.2f;
        switch (kind) {
        case 1: effect.rgb = 0xFFFFFF; break;
        case 2: effect.rgb = 0x444444; break;
        case 3: effect.rgb = 0x888888; break;
        case 4: effect.rgb = 0xFF0000; break;
        default: effect.rgb &= 0x00FFFFFF; break;
        }
        effect.stepX = (effect.endX - effect.x) / 6;
        effect.stepY = (effect.endY - effect.y) / 6;
        effect.stepScale = (effect.endScale - effect.scale) / 6;
        effect.stepAlpha = (effect.endAlpha - effect.alpha) / 6;
        return;
    }
}

// A circle in its last tick is still shown as it reaches 0.
void advanceEffects(GameState& game) {
    EffectsShown moved;
    for (EffectRecord& effect : game.effects) {
        if (effect.ticksLeft == 0) continue;
        effect.ticksLeft -= 1;
        effect.alpha += effect.stepAlpha;
        effect.scale += effect.stepScale;
        effect.x += effect.stepX;
        effect.y += effect.stepY;
        moved.circles[static_cast<size_t>(moved.count++)] = effect;
    }
    showEffects(game, moved);
}
