// Where a layer's picture can show: its shape per block of columns, read once from every pixel.
#include <cstdint>
#include <cstring>

#include "world/world.h"

namespace {

// How measureShape reads a picture's pixels.
enum class PixelKind { Unreadable, Opaque, KeyedIndex, Alpha32 };

// Whether a block of kBlockWidth pixels has one that shows and one the layers behind show through.
struct BlockSeen {
    bool shows = false;
    bool seeThrough = false;
};

// 8-bit pixels, one index fully transparent and every other opaque: compared eight at a time.
BlockSeen seenKeyed(const Uint8* pixels, Uint8 key) {
    constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    BlockSeen seen;
    for (int i = 0; i < kBlockWidth; i += 8) {
        uint64_t word;
        std::memcpy(&word, pixels + i, sizeof word);
        word ^= key * kOnes;  // a zero byte is a transparent pixel
        seen.shows |= word != 0;
        seen.seeThrough |= ((word - kOnes) & ~word & kHighs) != 0;
    }
    return seen;
}

// 32-bit pixels, by their alpha bits: any set shows, all set is opaque.
BlockSeen seenAlpha32(const Uint32* pixels, Uint32 alphaMask) {
    Uint32 any = 0, all = alphaMask;
    for (int i = 0; i < kBlockWidth; ++i) {
        any |= pixels[i] & alphaMask;
        all &= pixels[i];
    }
    return {any != 0, all != alphaMask};
}

// The kind of a picture's pixels, and for KeyedIndex the transparent index.
PixelKind kindOf(const SDL_Surface* picture, Uint8& key) {
    const SDL_PixelFormat* format = picture->format;
    Uint32 colourKey = 0;
    const bool keyed = SDL_GetColorKey(const_cast<SDL_Surface*>(picture), &colourKey) == 0;
    if (format->palette == nullptr && !keyed && format->Amask == 0) return PixelKind::Opaque;
    if (format->palette == nullptr && !keyed && format->BytesPerPixel == 4) return PixelKind::Alpha32;
    if (format->palette == nullptr || format->BytesPerPixel != 1) return PixelKind::Unreadable;
    // Any other palette with entries not opaque is left to be drawn whole.
    int clear = 0, partial = 0;
    for (int i = 0; i < format->palette->ncolors; ++i) {
        const Uint8 alpha = keyed && Uint32(i) == colourKey ? 0 : format->palette->colors[i].a;
        if (alpha == SDL_ALPHA_TRANSPARENT && clear++ == 0) key = Uint8(i);
        if (alpha != SDL_ALPHA_TRANSPARENT && alpha != SDL_ALPHA_OPAQUE) ++partial;
    }
    if (partial > 0 || clear > 1) return PixelKind::Unreadable;
    return clear == 1 ? PixelKind::KeyedIndex : PixelKind::Opaque;
}

}  // namespace

void measureShape(const SDL_Surface* picture, LayerShape& shape) {
    shape.known = false;
    if (picture == nullptr || picture->w != kWorldWidth || picture->h != kWorldHeight ||
        SDL_MUSTLOCK(picture)) {
        return;
    }
    Uint8 key = 0;
    const PixelKind kind = kindOf(picture, key);
    if (kind == PixelKind::Unreadable) return;
    for (int b = 0; b < kBlockCount; ++b) {
        shape.top[b] = kWorldHeight;
        shape.bottom[b] = 0;
        shape.solid[b] = 0;
    }
    for (int y = 0; y < kWorldHeight; ++y) {
        const Uint8* row = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        for (int b = 0; b < kBlockCount; ++b) {
            const int x = b * kBlockWidth;
            BlockSeen seen{true, false};
            if (kind == PixelKind::KeyedIndex) seen = seenKeyed(row + x, key);
            if (kind == PixelKind::Alpha32) {
                seen = seenAlpha32(reinterpret_cast<const Uint32*>(row) + x, picture->format->Amask);
            }
            if (seen.shows && shape.top[b] == kWorldHeight) shape.top[b] = int16_t(y);
            if (seen.shows) shape.bottom[b] = int16_t(y + 1);
            if (seen.seeThrough) shape.solid[b] = int16_t(y + 1);
        }
    }
    for (int b = 0; b < kBlockCount; ++b) {
        if (shape.bottom[b] == 0) shape.top[b] = 0;
    }
    shape.known = true;
}
