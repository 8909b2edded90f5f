// Drawing one frame.
#include "render/render.h"

void Game::render(const Player& player) {
    SDL_RenderClear(renderer);

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
