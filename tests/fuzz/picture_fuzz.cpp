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

static SDL_Renderer* renderer = nullptr;

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

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// A mutation nearly always breaks a chunk's CRC, which would stop the input at the chunk walk:
// seven in eight get every whole chunk's CRC mended, so that the decoder sees them.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    for (size_t at = 8; seed % 8 != 0 && at + 12 <= size;) {
        Uint32 length;
        SDL_memcpy(&length, data + at, 4);
        length = SDL_SwapBE32(length);
        if (length > size - at - 12) break;
        const Uint32 crc = SDL_SwapBE32(SDL_crc32(0, data + at + 4, length + 4));
        SDL_memcpy(data + at + 8 + length, &crc, 4);
        at += 12 + length;
    }
    return size;
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
