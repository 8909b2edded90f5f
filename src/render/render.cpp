// Drawing one frame, and the sky colour cycle it steps.
#include "render/render.h"

namespace {

// The sky takes one cycle step every this many frames.
constexpr int32_t kFramesPerSkyStep = 5;
// The cycle starts over after this many steps.
constexpr float kSkyCycleSteps = 800.0f;
// The window is drawn in strips this wide, each layer trimmed to the rows that can show there, in pixels.
constexpr int kStripWidth = kBlockWidth;
constexpr int kStripCount = kWindowWidth / kStripWidth;
static_assert(kWindowWidth % kStripWidth == 0, "strips must tile the window");

// Rows a layer draws in one strip, top inclusive, bottom exclusive; equal when it draws none.
struct StripRows {
    int top = 0;
    int bottom = 0;
};

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

// The rows of `layer` that can show in the strip at window column `x`, above row
// `covered`, from which nearer layers hide everything; lowers `covered` to this layer's opaque band.
StripRows stripRows(const ParallaxLayer& layer, int x, int& covered) {
    const LayerShape& shape = layer.shape;
    const int column = x - layer.dst.x;
    int top = 0, bottom = kWorldHeight, solid = kWorldHeight;
    // A strip that reaches past the picture's sides is drawn whole and covers nothing.
    if (column >= 0 && column + kStripWidth <= kWorldWidth) {
        // The strip spans at most two blocks: it shows where either shows, is opaque where both are.
        const int first = column / kBlockWidth, last = (column + kStripWidth - 1) / kBlockWidth;
        top = SDL_min(shape.top[first], shape.top[last]);
        bottom = SDL_max(shape.bottom[first], shape.bottom[last]);
        solid = SDL_max(shape.solid[first], shape.solid[last]);
    }
    bottom = SDL_min(bottom, covered);
    covered = SDL_min(covered, solid);
    return top < bottom ? StripRows{top, bottom} : StripRows{};
}

// Copies the layers farthest first, each only in the strips and rows where it can change the picture.
void drawLayers(const Game& game) {
    const ParallaxLayer* layers = game.background.layers;
    StripRows rows[LayerCount][kStripCount];
    int covered[kStripCount];
    for (int& row : covered) row = kWindowHeight;
    // Nearest first, so each layer knows what the layers in front of it hide.
    for (int k = LayerCount - 1; k >= 0; --k) {
        const ParallaxLayer& layer = layers[kDrawOrder[k]];
        // A missing layer draws nothing and hides nothing.
        const bool trimmed = layer.shape.known && layer.texture != nullptr;
        for (int s = 0; s < kStripCount; ++s) {
            rows[k][s] = trimmed ? stripRows(layer, s * kStripWidth, covered[s]) : StripRows{};
        }
    }
    for (int k = 0; k < LayerCount; ++k) {
        const ParallaxLayer& layer = layers[kDrawOrder[k]];
        if (!layer.shape.known) {
            SDL_RenderCopy(game.renderer, layer.texture, &layer.src, &layer.dst);
            continue;
        }
        // Neighbouring strips with the same rows make one copy.
        int s = 0;
        while (s < kStripCount) {
            const StripRows here = rows[k][s];
            int end = s + 1;
            while (end < kStripCount && rows[k][end].top == here.top && rows[k][end].bottom == here.bottom) {
                ++end;
            }
            if (here.top < here.bottom) {
                const SDL_Rect dst{s * kStripWidth, here.top, (end - s) * kStripWidth, here.bottom - here.top};
                const SDL_Rect src{dst.x - layer.dst.x, here.top, dst.w, dst.h};
                SDL_RenderCopy(game.renderer, layer.texture, &src, &dst);
            }
            s = end;
        }
    }
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
    drawLayers(*this);
    SDL_RenderCopyEx(renderer, playerTexture, &player.src, &player.dst, 0.0, nullptr,
                     player.facingRight ? SDL_FLIP_NONE : SDL_FLIP_HORIZONTAL);

    SDL_RenderPresent(renderer);
}
