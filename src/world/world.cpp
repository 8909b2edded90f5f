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
// Every chunk is its data's length and its name, the data, then a CRC of name and data, in bytes.
constexpr int kPngChunkHeadBytes = 8;
constexpr int kPngChunkCrcBytes = 4;
// A chunk's length is at most this, in bytes, by the PNG format's own rule.
constexpr uint32_t kPngMaxChunkBytes = 0x7fffffff;
// A chunk's data is read for its CRC this much at a time, in bytes.
constexpr uint32_t kPngReadBlockBytes = 4096;

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

bool isAsciiLetter(Uint8 c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Walks every chunk up to IEND before any decoding: Debian's SDL_image gives libpng stale bytes
// for a read past the file's end, and an ancillary chunk cut short there then repeats forever.
bool pngChunksAcceptable(SDL_RWops* stream) {
    long long offset = sizeof kPngSignature;
    if (SDL_RWseek(stream, offset, RW_SEEK_SET) != offset) return false;
    for (bool ended = false; !ended;) {
        Uint8 head[kPngChunkHeadBytes];
        if (SDL_RWread(stream, head, 1, kPngChunkHeadBytes) != kPngChunkHeadBytes) {
            SDL_SetError("PNG ends at byte %lld, before its IEND chunk", offset);
            return false;
        }
        const uint32_t length = readBigEndian32(head);
        const char name[5] = {char(head[4]), char(head[5]), char(head[6]), char(head[7]), '\0'};
        if (!isAsciiLetter(head[4]) || !isAsciiLetter(head[5]) || !isAsciiLetter(head[6]) ||
            !isAsciiLetter(head[7]) || length > kPngMaxChunkBytes) {
            SDL_SetError("PNG chunk at byte %lld has no name of four letters or a length over %u",
                         offset, unsigned(kPngMaxChunkBytes));
            return false;
        }
        Uint32 crc = SDL_crc32(0, head + 4, 4);
        Uint8 block[kPngReadBlockBytes];
        uint32_t left = length;
        for (uint32_t part; left > 0; left -= part) {
            part = SDL_min(left, kPngReadBlockBytes);
            if (SDL_RWread(stream, block, 1, part) != part) break;
            crc = SDL_crc32(crc, block, part);
        }
        Uint8 stored[kPngChunkCrcBytes];
        if (left > 0 || SDL_RWread(stream, stored, 1, kPngChunkCrcBytes) != kPngChunkCrcBytes) {
            SDL_SetError("PNG chunk %s at byte %lld runs past the end of the file", name, offset);
            return false;
        }
        if (readBigEndian32(stored) != crc) {
            SDL_SetError("PNG chunk %s at byte %lld fails its CRC", name, offset);
            return false;
        }
        ended = SDL_memcmp(name, "IEND", 4) == 0;
        offset += kPngChunkHeadBytes + length + kPngChunkCrcBytes;
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
    return loadPictureFrom(SDL_RWFromFile(path, "rb"));
}

SDL_Surface* loadPictureFrom(SDL_RWops* stream) {
    if (stream == nullptr) {
        return nullptr;
    }
    if (!pngHeaderAcceptable(stream) || !pngChunksAcceptable(stream)) {
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
