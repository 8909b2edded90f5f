// The canvas's shapes, randomness and noise, dithering, and the canvas made a picture.
#include "art/raster.h"

#include <algorithm>
#include <cstdlib>

namespace art {
namespace {

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

uint32_t hash(uint32_t seed, int32_t i) {
    Rng rng{(static_cast<uint64_t>(seed) << 32) ^ static_cast<uint32_t>(i)};
    return static_cast<uint32_t>(rng.next() >> 16);
}

int noise(uint32_t seed, int x, int spacing, int amplitude) {
    int i = floorDiv(x, spacing);
    int64_t t = (static_cast<int64_t>(x - i * spacing) << 16) / spacing;
    int64_t eased = (t * t >> 16) * (3 * 65536 - 2 * t) >> 16;
    int64_t a = hash(seed, i) & 0xFFFF;
    int64_t b = hash(seed, i + 1) & 0xFFFF;
    int64_t v = a + (((b - a) * eased) >> 16);
    return static_cast<int>(v * amplitude >> 16);
}

int bayer(int x, int y) {
    static const int kMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return kMatrix[y & 3][x & 3];
}

void Canvas::rect(int x, int y, int rw, int rh, uint8_t c) {
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i) set(i, j, c);
}

void Canvas::column(int x, int y0, int y1, uint8_t c) {
    for (int y = y0; y <= y1; ++y) set(x, y, c);
}

void Canvas::disc(int cx, int cy, int r, uint8_t c) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (dx * dx + dy * dy <= r * r + r) set(cx + dx, cy + dy, c);
}

void Canvas::line(int x0, int y0, int x1, int y1, uint8_t c) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void Canvas::sprite(int x, int y, const std::vector<const char*>& rows, uint8_t (*key)(char)) {
    for (int j = 0; j < static_cast<int>(rows.size()); ++j)
        for (int i = 0; rows[j][i] != '\0'; ++i)
            if (rows[j][i] != '.') set(x + i, y + j, key(rows[j][i]));
}

SDL_Surface* toSurface(const Canvas& canvas, int scale, bool transparent) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, canvas.w * scale, canvas.h * scale, 8, SDL_PIXELFORMAT_INDEX8);
    if (surface == nullptr) return nullptr;
    SDL_Color colours[kColourCount];
    std::copy(kPalette, kPalette + kColourCount, colours);
    // An opaque picture gets no transparency entry at all.
    if (!transparent) colours[kClear] = kPalette[kWhite];
    // A palette of just our colours, rather than the 256 a new 8-bit surface gets, keeps each file's PLTE small.
    SDL_Palette* palette = SDL_AllocPalette(kColourCount);
    SDL_SetPaletteColors(palette, colours, 0, kColourCount);
    SDL_SetSurfacePalette(surface, palette);
    SDL_FreePalette(palette);  // the surface keeps its own reference
    auto* pixels = static_cast<uint8_t*>(surface->pixels);
    for (int y = 0; y < surface->h; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(y) * surface->pitch;
        const uint8_t* source = canvas.px.data() + static_cast<size_t>(y / scale) * canvas.w;
        for (int x = 0; x < surface->w; ++x) row[x] = source[x / scale];
    }
    return surface;
}

}  // namespace art
