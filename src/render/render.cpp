// Drawing one frame, and the sky colour cycle it steps.
#include "render/render.h"

namespace {

// The sky takes one cycle step every this many frames.
constexpr int32_t kFramesPerSkyStep = 5;
// The cycle starts over after this many steps.
constexpr float kSkyCycleSteps = 800.0f;

bool within(float p, float low, float high) {
    return p >= low && p <= high;
}

// One step of the cycle at position p: night falls over steps 1-300 with a
// dusk glow at 160-280, a dawn glow at 450-550, day returns by 755.
void applySkyRules(SkyColour& colour, float p) {
    // Green wraps modulo 256 by design: it rises once more than it falls each cycle.
    if (within(p, 0, 100)) colour.green = Uint8(colour.green - 1);
    if (within(p, 100, 300) && colour.blue > 1) colour.blue -= 2;
    if (within(p, 160, 240) && colour.red < 80) colour.red += 1;
    if (within(p, 200, 280) && colour.red > 0) colour.red -= 1;
    if (p >= 450 && p < 500 && colour.red <= 50) colour.red += 1;
    if (within(p, 500, 550) && colour.red > 0) colour.red -= 1;
    if (within(p, 500, 755) && colour.blue < 255) colour.blue += 1;
    if (within(p, 550, 650)) colour.green = Uint8(colour.green + 1);
}

}  // namespace

void stepSkyCycle(Game& game) {
    if (game.cycleStepCounter == kFramesPerSkyStep) {
        game.cycleStepCounter = 0;
        game.cyclePosition += 1.0f;
        applySkyRules(game.skyColour, game.cyclePosition);
        if (game.cyclePosition >= kSkyCycleSteps) game.cyclePosition = 0.0f;
    }
    ++game.cycleStepCounter;
}

void Game::render(const Player& player) {
    SDL_RenderClear(renderer);
    stepSkyCycle(*this);

    const ParallaxLayer& sky = background.layers[Sky];
    SDL_SetTextureColorMod(sky.texture, skyColour.red, skyColour.green, skyColour.blue);
    // Each texture keeps the blend mode SDL gave it, so transparent pixels show the layers behind.
    for (LayerIndex i : kDrawOrder) {
        const ParallaxLayer& layer = background.layers[i];
        SDL_RenderCopy(renderer, layer.texture, &layer.src, &layer.dst);
    }
    SDL_RenderCopyEx(renderer, playerTexture, &player.src, &player.dst, 0.0, nullptr,
                     player.facingRight ? SDL_FLIP_NONE : SDL_FLIP_HORIZONTAL);

    SDL_RenderPresent(renderer);
}
