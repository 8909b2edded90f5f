// The parallax background, picture loading and the world step.
#include "world/world.h"

#include <cstdint>

#include <SDL_image.h>

#include "app/app.h"

namespace {

// The camera is centred on the player with these offsets, in pixels.
constexpr int kCameraCentreX = 512;
constexpr int kCameraCentreY = 384;
// The player walks between these x positions, in world pixels.
constexpr int kPlayerMinX = 495;
constexpr int kPlayerMaxX = 7667;
// The player's y is pinned to the ground line, in world pixels.
constexpr int kGroundLineY = 630;
// Width of one cell of the sprite sheet, in pixels.
constexpr int kSheetCellWidth = 32;
// Background2 reads as far distance when dimmed to this, per channel.
constexpr Uint8 kFarLayerShade = 180;

// A PNG opens with its 8-byte signature, then the IHDR chunk's length and
// name, then the picture's width and height as big-endian 32-bit numbers.
constexpr int kPngHeaderBytes = 24;
const Uint8 kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t readBigEndian32(const Uint8* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Checks the header at the stream's start, so a tiny file claiming a huge
// picture never makes the decoder allocate for it.
bool pngHeaderAcceptable(SDL_RWops* stream) {
    Uint8 header[kPngHeaderBytes] = {};
    if (SDL_RWread(stream, header, 1, kPngHeaderBytes) != kPngHeaderBytes ||
        SDL_memcmp(header, kPngSignature, sizeof kPngSignature) != 0 ||
        SDL_memcmp(header + 12, "IHDR", 4) != 0) {
        SDL_SetError("not a PNG picture");
        return false;
    }
    const uint32_t width = readBigEndian32(header + 16);
    const uint32_t height = readBigEndian32(header + 20);
    if (width > kPictureMaxSide || height > kPictureMaxSide ||
        (long long)width * height > kPictureMaxPixels) {
        SDL_SetError("picture claims %u x %u pixels, more than the %d x %d or %lld pixels allowed",
                     unsigned(width), unsigned(height), kPictureMaxSide, kPictureMaxSide,
                     kPictureMaxPixels);
        return false;
    }
    return SDL_RWseek(stream, 0, RW_SEEK_SET) == 0;
}

}  // namespace

const LayerFile kLayerFiles[LayerCount] = {
    {"Images/Background/Background1.png", "Background1 load fail"},
    {"Images/Background/Background2.png", "Background2 load fail"},
    {"Images/Background/Ground.png", "Ground load fail"},
    {"Images/Background/Sky.png", "Sky load fail"},
    {"Images/Background/Clouds.png", "Clouds load fail"},
};

const LayerIndex kDrawOrder[LayerCount] = {Sky, Clouds, Background2, Background1, Ground};
const LayerIndex kReleaseOrder[LayerCount] = {Ground, Background1, Background2, Clouds, Sky};
const double kLayerScroll[LayerCount] = {0.7312, 0.4038, 1.0, 0.0, 0.127};

SDL_Surface* loadPicture(const char* path) {
    SDL_RWops* stream = SDL_RWFromFile(path, "rb");
    if (stream == nullptr) {
        return nullptr;
    }
    if (!pngHeaderAcceptable(stream)) {
        SDL_RWclose(stream);
        return nullptr;
    }
    return IMG_LoadTyped_RW(stream, 1, "PNG");
}

void ParallaxBackground::load(SDL_Renderer* renderer) {
    IMG_Init(IMG_INIT_PNG);
    for (int i = 0; i < LayerCount; ++i) {
        ParallaxLayer& layer = layers[i];
        layer.surface = loadPicture(kLayerFiles[i].path);
        if (layer.surface == nullptr) {
            printLine(kLayerFiles[i].failure);
            printCause(kLayerFiles[i].path);
        }
        layer.texture = SDL_CreateTextureFromSurface(renderer, layer.surface);
        // A picture that decodes but cannot become a texture still leaves the layer missing.
        if (layer.surface != nullptr && layer.texture == nullptr) {
            printLine(kLayerFiles[i].failure);
            printCause(kLayerFiles[i].path);
        }
        layer.dst = {0, 0, layer.src.w, layer.src.h};
        if (layer.texture != nullptr) measureShape(layer.surface, layer.shape);
    }
    printLine("Loaded Parallax Images");
}

void Game::update(Player& player) {
    // The camera follows where the player stood before this update's walk.
    camera.x = player.position.x - kCameraCentreX + player.position.w / 2;
    camera.y = player.position.y - kCameraCentreY + player.position.h / 2;
    if (camera.x < 0) camera.x = 0;
    if (camera.y < 0) camera.y = 0;
    if (camera.x > kWorldWidth - camera.w) camera.x = kWorldWidth - camera.w;
    if (camera.y > kWorldHeight - camera.h) camera.y = kWorldHeight - camera.h;

    for (int i = 0; i < LayerCount; ++i) {
        ParallaxLayer& layer = background.layers[i];
        layer.dst.x = int(layer.origin.x - camera.x * kLayerScroll[i]);
    }
    SDL_SetTextureColorMod(background.layers[Background2].texture, kFarLayerShade, kFarLayerShade,
                           kFarLayerShade);

    // Both walks run when both keys are held, left first; each result truncates toward zero.
    if (leftHeld) {
        player.facingRight = false;
        player.position.x = int(player.position.x - player.speed / 10.0);
    }
    if (rightHeld) {
        player.facingRight = true;
        player.position.x = int(player.position.x + player.speed / 10.0);
    }
    if (speedUpPressed) {
        // Saturate rather than overflow when = is pressed for a very long time.
        if (player.speed < INT32_MAX) ++player.speed;
        speedUpPressed = false;
    }

    if (upHeld || downHeld || leftHeld || rightHeld) {
        if (animTick == ticksPerAnimFrame) {
            animTick = 0;
            if (++player.frameIndex == player.frameCount) player.frameIndex = 0;
            player.src.x = player.frameIndex * kSheetCellWidth;
        }
        ++animTick;
    } else {
        animTick = 0;
        player.frameIndex = 0;
        player.src.x = 0;
    }

    if (player.position.x >= kPlayerMaxX) {
        player.position.x = kPlayerMaxX;
    } else if (player.position.x <= kPlayerMinX) {
        player.position.x = kPlayerMinX;
    }
    player.position.y = kGroundLineY;
}
