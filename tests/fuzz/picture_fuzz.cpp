// Fuzz target: bytes along the game's whole picture path, as start-up takes a file: the guard and
// the decoder (loadPictureFrom), a texture on SDL's software renderer, and measureShape.
// Linked once per decoder; the decoder linked in is the only difference.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <SDL_image.h>

#include "app/app.h"
#include "world/world.h"

namespace {

SDL_Renderer* renderer = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // As the game runs without a display: its window drawn in memory by the software renderer.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    SDL_Window* window = nullptr;
    if (SDL_Init(SDL_INIT_VIDEO) != 0 ||
        (window = SDL_CreateWindow(kWindowTitle, 0, 0, kWindowWidth, kWindowHeight, 0)) == nullptr ||
        (renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE)) == nullptr) {
        std::fprintf(stderr, "picture_fuzz: no software renderer: %s\n", SDL_GetError());
        std::exit(1);
    }
    IMG_Init(IMG_INIT_PNG);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SDL_Surface* picture = loadPictureFrom(SDL_RWFromConstMem(data, int(size)));
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, picture);
    static LayerShape shape;
    if (texture != nullptr) measureShape(picture, shape);
    SDL_DestroyTexture(texture);
    SDL_FreeSurface(picture);
    return 0;
}
