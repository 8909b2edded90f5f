#include "art.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <SDL_image.h>

namespace art {
namespace {

// Backgrounds are drawn on a grid of 2 × 2 screen pixels, the size of one sprite pixel on screen.
constexpr int kGrid = 2;
// Background size in grid cells.
constexpr int kCellsWide = kBackgroundWidth / kGrid;
constexpr int kCellsHigh = kBackgroundHeight / kGrid;
// Grid row of the walking surface.
constexpr int kSurfaceCell = kWalkingSurfaceRow / kGrid;

// The one palette every picture shares; index 0 is the transparent one.
enum Colour : uint8_t {
    kClear,
    kSky0, kSky1, kSky2, kSky3, kSky4, kWhite,
    kCloudMid, kCloudShade,
    kPeakLit, kPeakBase, kPeakShadow, kSnow, kSnowShadow, kHaze,
    kFoothill, kFoothillDark, kFoothillLit,
    kHillLight, kHillMid, kHillDark,
    kLeafLight, kLeaf, kLeafDark, kPineLight, kPine,
    kWood, kWoodDark,
    kStoneLight, kStone, kStoneDark,
    kRoof, kRoofDark, kWall,
    kGrassLight, kGrass, kGrassDark,
    kSoil, kSoilDark, kSoilDeep, kSoilDeepest,
    kWater, kWaterLight,
    kYellow, kPink,
    kSkin, kSkinShade, kOutline, kCloak, kCloakDark, kHair, kCloth, kBoot,
    kColourCount
};

constexpr SDL_Color kPalette[kColourCount] = {
    {0, 0, 0, 0},
    // The sky is near-white: the game multiplies it by the time of day's colour.
    {190, 198, 212, 255}, {204, 210, 222, 255}, {218, 223, 232, 255}, {231, 235, 241, 255},
    {244, 246, 249, 255}, {255, 255, 255, 255},
    {230, 236, 246, 255}, {200, 210, 230, 255},
    // Far mountains; the game dims this layer to 180/255, so they are drawn light.
    {160, 172, 214, 255}, {136, 148, 196, 255}, {112, 122, 176, 255}, {255, 255, 255, 255},
    {210, 220, 246, 255}, {170, 184, 222, 255},
    {112, 156, 166, 255}, {92, 132, 150, 255}, {140, 182, 180, 255},
    {156, 200, 98, 255}, {112, 170, 82, 255}, {80, 138, 74, 255},
    {104, 164, 78, 255}, {64, 124, 66, 255}, {42, 92, 60, 255}, {58, 112, 84, 255}, {36, 80, 68, 255},
    {118, 80, 54, 255}, {80, 54, 42, 255},
    {184, 180, 170, 255}, {136, 132, 128, 255}, {92, 88, 94, 255},
    {190, 74, 58, 255}, {136, 50, 46, 255}, {238, 224, 190, 255},
    {136, 204, 86, 255}, {96, 170, 66, 255}, {64, 130, 58, 255},
    {154, 106, 68, 255}, {124, 84, 56, 255}, {96, 64, 46, 255}, {68, 46, 38, 255},
    {84, 146, 212, 255}, {150, 204, 240, 255},
    {250, 214, 80, 255}, {238, 124, 156, 255},
    {246, 198, 158, 255}, {208, 150, 118, 255}, {42, 30, 42, 255}, {200, 60, 52, 255},
    {138, 38, 44, 255}, {116, 70, 40, 255}, {72, 86, 132, 255}, {92, 56, 40, 255},
};

// splitmix64: small, fast and the same everywhere.
struct Rng {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number from lo to hi, both included.
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool chance(int percent) { return range(0, 99) < percent; }
};

uint32_t hash(uint32_t seed, int32_t i) {
    Rng rng{(static_cast<uint64_t>(seed) << 32) ^ static_cast<uint32_t>(i)};
    return static_cast<uint32_t>(rng.next() >> 16);
}

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Smooth value noise along x: control points every `spacing` cells, eased
// between; result from 0 to amplitude.
int noise(uint32_t seed, int x, int spacing, int amplitude) {
    int i = floorDiv(x, spacing);
    int64_t t = (static_cast<int64_t>(x - i * spacing) << 16) / spacing;
    int64_t eased = (t * t >> 16) * (3 * 65536 - 2 * t) >> 16;
    int64_t a = hash(seed, i) & 0xFFFF;
    int64_t b = hash(seed, i + 1) & 0xFFFF;
    int64_t v = a + (((b - a) * eased) >> 16);
    return static_cast<int>(v * amplitude >> 16);
}

// 4 × 4 ordered-dither threshold, 0 to 15.
int bayer(int x, int y) {
    static const int kMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return kMatrix[y & 3][x & 3];
}

struct Canvas {
    int w;
    int h;
    std::vector<uint8_t> px;

    Canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, kClear) {}
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    uint8_t get(int x, int y) const { return inside(x, y) ? px[static_cast<size_t>(y) * w + x] : static_cast<uint8_t>(kClear); }
    void set(int x, int y, uint8_t c) {
        if (inside(x, y)) px[static_cast<size_t>(y) * w + x] = c;
    }
    void rect(int x, int y, int rw, int rh, uint8_t c) {
        for (int j = y; j < y + rh; ++j)
            for (int i = x; i < x + rw; ++i) set(i, j, c);
    }
    void column(int x, int y0, int y1, uint8_t c) {
        for (int y = y0; y <= y1; ++y) set(x, y, c);
    }
    void disc(int cx, int cy, int r, uint8_t c) {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (dx * dx + dy * dy <= r * r + r) set(cx + dx, cy + dy, c);
    }
    void line(int x0, int y0, int x1, int y1, uint8_t c) {
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
    // Rows of characters, each mapped through `key` to a colour; '.' is left alone.
    void sprite(int x, int y, const std::vector<const char*>& rows, uint8_t (*key)(char)) {
        for (int j = 0; j < static_cast<int>(rows.size()); ++j)
            for (int i = 0; rows[j][i] != '\0'; ++i)
                if (rows[j][i] != '.') set(x + i, y + j, key(rows[j][i]));
    }
};

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

// ---------------------------------------------------------------- shared shapes

// A broad-leaved tree: trunk and a crown of overlapping discs lit from the upper left.
void roundTree(Canvas& c, Rng& rng, int x, int base, int size) {
    int trunkHeight = size + rng.range(1, size / 2 + 1);
    int trunkWidth = size >= 10 ? 3 : 2;
    c.rect(x - trunkWidth / 2, base - trunkHeight, trunkWidth, trunkHeight + 1, kWoodDark);
    if (trunkWidth == 3) c.column(x - 1, base - trunkHeight, base, kWood);
    int cy = base - trunkHeight - size / 2;
    struct Blob { int x, y, r; };
    std::vector<Blob> blobs{{x, cy, size}};
    int extra = rng.range(2, 4);
    for (int i = 0; i < extra; ++i)
        blobs.push_back({x + rng.range(-size, size), cy + rng.range(-size / 2, size / 2),
                         rng.range(size / 2 + 1, size - size / 4)});
    int top = cy - 2 * size, bottom = cy + 2 * size, left = x - 2 * size, right = x + 2 * size;
    for (int py = top; py <= bottom; ++py)
        for (int px = left; px <= right; ++px) {
            int best = -1;
            for (const Blob& b : blobs) {
                int dx = px - b.x, dy = py - b.y;
                if (dx * dx + dy * dy > b.r * b.r + b.r) continue;
                // Light from the upper left: how far along that direction inside the blob.
                int lit = (-dx - 2 * dy) * 16 / (3 * b.r);
                best = std::max(best, lit + 16);
            }
            if (best < 0) continue;
            uint8_t colour = best > 24 ? kLeafLight : best > 10 ? kLeaf : kLeafDark;
            if (best > 20 && best <= 24 && bayer(px, py) < 6) colour = kLeafLight;
            c.set(px, py, colour);
        }
}

// A fir: stacked, widening tiers, the left half lit.
void pineTree(Canvas& c, Rng& rng, int x, int base, int height) {
    int trunk = std::max(2, height / 8);
    c.rect(x - 1, base - trunk, 2, trunk + 1, kWoodDark);
    int top = base - height;
    int tiers = std::max(2, height / 9);
    int tierHeight = (height - trunk) / tiers;
    int jitter = rng.range(0, 1);
    for (int y = top; y < base - trunk; ++y) {
        int along = y - top;
        int tier = std::min(along / std::max(1, tierHeight), tiers - 1);
        int inTier = along - tier * tierHeight;
        int half = 1 + tier * 2 + inTier * 3 / 4 + (along * 2) / height;
        half = std::min(half, height / 3 + 1);
        for (int dx = -half; dx <= half; ++dx) {
            uint8_t colour = dx + jitter < 0 ? kPineLight : kPine;
            if (dx == -half && inTier == tierHeight - 1) colour = kPine;
            c.set(x + dx, y, colour);
        }
    }
}

// A small rounded boulder.
void rock(Canvas& c, int x, int base, int w, int h) {
    for (int dy = 0; dy < h; ++dy)
        for (int dx = -w / 2; dx <= w / 2; ++dx) {
            int ex = dx * 2 * h, ey = dy * w;  // the upper half of an ellipse, flat on the base
            if (ex * ex + ey * ey > w * w * h * h) continue;
            uint8_t colour = kStone;
            if (dy < h / 4 || dx > w / 4) colour = kStoneDark;
            if (dy > h / 2 && dx < w / 8) colour = kStoneLight;
            c.set(x + dx, base - dy, colour);
        }
}

// ---------------------------------------------------------------- player

uint8_t playerKey(char ch) {
    switch (ch) {
        case 'k': return kOutline;
        case 'r': return kCloak;
        case 'R': return kCloakDark;
        case 's': return kSkin;
        case 'S': return kSkinShade;
        case 'h': return kHair;
        case 'p': return kCloth;
        case 'b': return kBoot;
        case 'g': return kYellow;
        case 'w': return kWhite;
        case 'l': return kWood;
        default: return kOutline;
    }
}

// ---------------------------------------------------------------- clouds

// One cumulus: a flat-bottomed heap of discs, white on top and grey beneath.
void cloud(Canvas& c, Rng& rng, int x, int y, int width, int height) {
    int bw = width + 2 * height, bh = 3 * height;
    int ox = x - bw / 2, oy = y - 2 * height;
    std::vector<uint8_t> mask(static_cast<size_t>(bw) * bh, 0);
    auto at = [&](int i, int j) -> bool {
        return i >= 0 && j >= 0 && i < bw && j < bh && mask[static_cast<size_t>(j) * bw + i];
    };
    int puffs = std::max(3, width / std::max(4, height / 2));
    for (int p = 0; p < puffs; ++p) {
        int px = bw / 2 - width / 2 + (width * p) / std::max(1, puffs - 1) + rng.range(-2, 2);
        int middle = std::abs(p * 2 - (puffs - 1));  // 0 in the middle of the heap
        int r = std::max(2, height - middle * height / (puffs + 1) + rng.range(-height / 4, height / 4));
        int py = 2 * height - r / 2 + rng.range(-1, 1);
        for (int j = py - r; j <= py + r; ++j)
            for (int i = px - r; i <= px + r; ++i)
                if ((i - px) * (i - px) + (j - py) * (j - py) <= r * r + r && i >= 0 && i < bw && j >= 0 &&
                    j < 2 * height + 1)
                    mask[static_cast<size_t>(j) * bw + i] = 1;
    }
    for (int j = 0; j < bh; ++j)
        for (int i = 0; i < bw; ++i) {
            if (!at(i, j)) continue;
            uint8_t colour = kWhite;
            if (!at(i, j + 2) || !at(i, j + 1)) colour = kCloudShade;
            else if (!at(i, j + 4) || !at(i + 3, j + 2)) colour = kCloudMid;
            c.set(ox + i, oy + j, colour);
        }
}

// A thin streak of high cloud.
void wisp(Canvas& c, int x, int y, int length) {
    c.rect(x, y, length, 1, kWhite);
    c.rect(x + length / 5, y - 1, length * 3 / 5, 1, kWhite);
    c.rect(x + length / 8, y + 1, length * 3 / 4, 1, kCloudMid);
}

// ---------------------------------------------------------------- far mountains

struct Peak {
    int x;
    int height;  // cells above the mountains' foot
    int halfWidth;
};

// Mountain foot row, in cells.
constexpr int kMountainFoot = 300;

// ---------------------------------------------------------------- nearer landscape

void windmill(Canvas& c, int x, int base) {
    // Tapered tower.
    for (int y = 0; y < 40; ++y) {
        int half = 9 - y / 6;
        for (int dx = -half; dx <= half; ++dx) c.set(x + dx, base - y, dx > half / 2 ? kStone : kWall);
    }
    c.rect(x - 2, base - 8, 4, 8, kWoodDark);
    c.rect(x - 1, base - 26, 2, 3, kWoodDark);
    // Cap.
    for (int y = 0; y < 7; ++y) {
        int half = 7 - y;
        for (int dx = -half; dx <= half; ++dx) c.set(x + dx, base - 40 - y, dx > 1 ? kRoofDark : kRoof);
    }
    // Four sails turned a little off the upright, so the mill reads as working.
    int hubX = x + 1, hubY = base - 42;
    const int ends[4][2] = {{10, -30}, {30, 10}, {-10, 30}, {-30, -10}};
    for (const auto& e : ends) {
        c.line(hubX, hubY, hubX + e[0], hubY + e[1], kWoodDark);
        // Sail cloth: a strip beside each arm.
        for (int s = 6; s <= 30; ++s) {
            int sx = hubX + e[0] * s / 30, sy = hubY + e[1] * s / 30;
            int nx = -e[1] / 10, ny = e[0] / 10;  // a step across the arm
            c.set(sx + nx, sy + ny, kWall);
            c.set(sx + 2 * nx / 3, sy + 2 * ny / 3, kWall);
        }
    }
    c.rect(hubX - 1, hubY - 1, 3, 3, kOutline);
}

void cottage(Canvas& c, int x, int base, bool lit) {
    c.rect(x, base - 14, 28, 15, kWall);
    c.rect(x + 20, base - 14, 8, 15, kStoneLight);
    c.rect(x + 5, base - 8, 5, 9, kWoodDark);
    c.rect(x + 14, base - 10, 4, 4, lit ? kYellow : kOutline);
    c.rect(x + 22, base - 10, 3, 4, kOutline);
    for (int y = 0; y < 13; ++y)
        for (int dx = -3 + y; dx <= 30 - y; ++dx) c.set(x + dx, base - 14 - y, dx > 14 ? kRoofDark : kRoof);
    c.rect(x + 20, base - 30, 4, 8, kStoneDark);
    c.rect(x + 19, base - 31, 6, 2, kStone);
}

void tower(Canvas& c, int x, int base) {
    c.rect(x, base - 50, 16, 51, kStone);
    c.rect(x, base - 50, 5, 51, kStoneLight);
    c.rect(x + 12, base - 50, 4, 51, kStoneDark);
    for (int i = 0; i < 3; ++i) c.rect(x - 2 + i * 7, base - 56, 4, 6, i == 2 ? kStoneDark : kStone);
    c.rect(x - 2, base - 52, 20, 3, kStone);
    c.rect(x + 7, base - 40, 2, 6, kOutline);
    c.rect(x + 7, base - 24, 2, 6, kOutline);
    c.rect(x + 5, base - 8, 5, 9, kWoodDark);
    c.column(x + 8, base - 72, base - 56, kWoodDark);
    c.rect(x + 9, base - 72, 9, 4, kCloak);
    c.rect(x + 9, base - 69, 6, 2, kCloakDark);
}

// ---------------------------------------------------------------- ground

void fence(Canvas& c, int x, int length) {
    int top = kSurfaceCell - 13;
    for (int px = x; px <= x + length; px += 9) {
        c.rect(px, top, 3, 13, kWood);
        c.column(px + 2, top, kSurfaceCell, kWoodDark);
        c.set(px, top, kWoodDark);
        c.set(px + 2, top, kClear);
    }
    c.rect(x, top + 3, length + 3, 2, kWood);
    c.rect(x, top + 4, length + 3, 1, kWoodDark);
    c.rect(x, top + 8, length + 3, 2, kWood);
    c.rect(x, top + 9, length + 3, 1, kWoodDark);
}

void signpost(Canvas& c, int x) {
    c.rect(x, kSurfaceCell - 26, 3, 27, kWood);
    c.column(x + 2, kSurfaceCell - 26, kSurfaceCell, kWoodDark);
    // A board pointing right, the way the walk begins.
    c.rect(x - 8, kSurfaceCell - 24, 20, 7, kWood);
    c.rect(x - 8, kSurfaceCell - 18, 20, 1, kWoodDark);
    for (int i = 0; i < 4; ++i) c.column(x + 12 + i, kSurfaceCell - 23 + i, kSurfaceCell - 18 - i, kWood);
    c.rect(x - 5, kSurfaceCell - 22, 12, 1, kWoodDark);
    c.rect(x - 5, kSurfaceCell - 20, 9, 1, kWoodDark);
}

void lamp(Canvas& c, int x) {
    c.rect(x, kSurfaceCell - 40, 2, 41, kOutline);
    c.rect(x - 2, kSurfaceCell - 2, 6, 3, kOutline);
    c.rect(x - 3, kSurfaceCell - 48, 8, 8, kOutline);
    c.rect(x - 2, kSurfaceCell - 47, 6, 6, kYellow);
    c.rect(x - 4, kSurfaceCell - 50, 10, 2, kOutline);
    c.rect(x, kSurfaceCell - 52, 2, 2, kOutline);
}

void well(Canvas& c, int x) {
    int base = kSurfaceCell;
    c.rect(x, base - 12, 26, 13, kStone);
    for (int row = 0; row < 3; ++row)
        for (int i = (row % 2) * 4; i < 26; i += 8) c.rect(x + i, base - 12 + row * 4, 1, 4, kStoneDark);
    c.rect(x, base - 12, 26, 1, kStoneLight);
    c.rect(x + 2, base - 36, 2, 24, kWood);
    c.rect(x + 22, base - 36, 2, 24, kWood);
    c.rect(x + 2, base - 30, 22, 1, kWoodDark);
    c.column(x + 13, base - 30, base - 20, kOutline);
    c.rect(x + 11, base - 20, 5, 4, kWoodDark);
    for (int y = 0; y < 8; ++y)
        for (int dx = -4 + y; dx <= 30 - y; ++dx) c.set(x + dx, base - 36 - y, dx > 13 ? kRoofDark : kRoof);
}

void bush(Canvas& c, Rng& rng, int x, int base, int w) {
    int r = w / 2;
    for (int k = 0; k < 3; ++k) {
        int bx = x + (k - 1) * r / 2 + rng.range(-1, 1), by = base - r / 2 - (k == 1 ? 2 : 0);
        int rr = r - (k == 1 ? 0 : 2);
        for (int dy = -rr; dy <= rr; ++dy)
            for (int dx = -rr; dx <= rr; ++dx) {
                if (dx * dx + dy * dy > rr * rr + rr || by + dy > base) continue;
                int lit = -dx - 2 * dy;
                c.set(bx + dx, by + dy, lit > rr ? kLeafLight : lit > -rr ? kLeaf : kLeafDark);
            }
    }
}

void flower(Canvas& c, int x, uint8_t colour) {
    c.column(x, kSurfaceCell - 3, kSurfaceCell - 1, kGrassDark);
    c.set(x, kSurfaceCell - 4, colour);
    c.set(x - 1, kSurfaceCell - 4, colour);
    c.set(x + 1, kSurfaceCell - 4, colour);
    c.set(x, kSurfaceCell - 5, colour);
    c.set(x, kSurfaceCell - 4, kYellow == colour ? kRoof : kYellow);
}

void mushroom(Canvas& c, int x) {
    c.rect(x, kSurfaceCell - 3, 2, 3, kWall);
    c.rect(x - 2, kSurfaceCell - 5, 6, 2, kRoof);
    c.rect(x - 1, kSurfaceCell - 6, 4, 1, kRoof);
    c.set(x - 1, kSurfaceCell - 5, kWhite);
    c.set(x + 2, kSurfaceCell - 6, kWhite);
}

void stump(Canvas& c, int x) {
    c.rect(x, kSurfaceCell - 7, 10, 8, kWood);
    c.rect(x + 7, kSurfaceCell - 7, 3, 8, kWoodDark);
    c.rect(x, kSurfaceCell - 8, 10, 1, kWall);
    c.set(x - 1, kSurfaceCell, kWood);
    c.set(x + 10, kSurfaceCell, kWoodDark);
}

// A low wall of stacked stones, closing the ends of the walk.
void drystoneWall(Canvas& c, Rng& rng, int x, int length) {
    for (int row = 0; row < 5; ++row) {
        int y = kSurfaceCell - 4 * (row + 1);
        int stoneX = x + row * 3 + (row % 2) * 2;
        int rowEnd = x + length - row * 3;
        while (stoneX < rowEnd) {
            int w = std::min(rng.range(5, 9), rowEnd - stoneX);
            c.rect(stoneX, y, w, 4, kStone);
            c.rect(stoneX, y, w, 1, kStoneLight);
            c.rect(stoneX + w - 1, y, 1, 4, kStoneDark);
            c.rect(stoneX, y + 3, w, 1, kStoneDark);
            stoneX += w;
        }
    }
}

// Things buried in the earth, for the walk's fastest layer to carry past.
void bone(Canvas& c, int x, int y) {
    c.rect(x + 1, y, 8, 2, kWall);
    c.rect(x, y - 1, 2, 2, kWall);
    c.rect(x, y + 1, 2, 2, kWall);
    c.rect(x + 8, y - 1, 2, 2, kWall);
    c.rect(x + 8, y + 1, 2, 2, kWall);
    c.rect(x + 2, y + 1, 6, 1, kStoneLight);
}

void fossil(Canvas& c, int x, int y) {
    for (int r = 5; r >= 1; r -= 2) {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                int d = dx * dx + dy * dy;
                if (d <= r * r + r && d > (r - 1) * (r - 1) + (r - 1) - r) c.set(x + dx + (5 - r) / 2, y + dy, kStoneLight);
            }
    }
    c.set(x, y, kStoneDark);
}

void chest(Canvas& c, int x, int y) {
    c.rect(x, y, 12, 8, kWood);
    c.rect(x, y, 12, 3, kWoodDark);
    c.rect(x, y + 3, 12, 1, kYellow);
    c.rect(x + 5, y + 3, 2, 3, kYellow);
    c.rect(x + 3, y, 1, 8, kOutline);
    c.rect(x + 8, y, 1, 8, kOutline);
}

// A creek under a plank bridge; the planks keep the walking surface level.
void bridge(Canvas& c, int x, int length) {
    for (int px = x; px < x + length; ++px) {
        int from = px - x + 1, to = x + length - px;
        // A rounded bed, deepest in the middle, edged with dark earth.
        int depth = 3 + 4 * 22 * from * to / (length * length);
        for (int y = kSurfaceCell + 3; y < kSurfaceCell + 3 + depth; ++y)
            c.set(px, y, (y - kSurfaceCell) % 5 == 0 && (px + y) % 9 < 4 ? kWaterLight : kWater);
        c.set(px, kSurfaceCell + 3, kWaterLight);
        c.rect(px, kSurfaceCell + 3 + depth, 1, 2, kSoilDeep);
    }
    c.rect(x - 6, kSurfaceCell, length + 12, 3, kWood);
    for (int px = x - 6; px < x + length + 6; px += 5) c.column(px, kSurfaceCell, kSurfaceCell + 2, kWoodDark);
    c.rect(x - 6, kSurfaceCell + 3, length + 12, 1, kWoodDark);
    for (int px = x - 4; px < x + length + 6; px += 12) c.rect(px, kSurfaceCell - 10, 2, 10, kWood);
    c.rect(x - 4, kSurfaceCell - 10, length + 10, 2, kWood);
    c.rect(x - 4, kSurfaceCell - 9, length + 10, 1, kWoodDark);
}

}  // namespace

// ---------------------------------------------------------------- pictures

// A traveller in a red hood, facing right; feet on the bottom row.
const std::vector<const char*> kTravellerRows = {
    "................................",
    "................................",
    "................................",
    "................................",
    ".............kkkkkk.............",
    "...........kkrrrrrrkk...........",
    "..........krrrrrrrrrrk..........",
    ".........krrrrrrrrrrrrk.........",
    "........kRrrrrrrrrrrrrrk........",
    "........kRrrrrrkkkkkkrrk........",
    ".......kRRrrrrkhhhhhhkrk........",
    ".......kRRrrrkhhhhhsshk.........",
    ".......kRRrrrkhhssskssk.........",
    "......kRRRrrrkhsssssssk.........",
    "......kRRRrrrkhssssssssk........",
    "......kRRRrrrrksssssskk.........",
    "......kRRRrrrrrkkSSSkrk.........",
    ".....kRRRRrrrrrrkkkkrrrk........",
    ".....kRRRRrrrrrrrrrrrrrk........",
    ".....kRRRRrrrrrrrRrrrrrk........",
    "....kRRRRrrrrrrrrRrrrrrk........",
    "....kRRRRrrrrrrrrRrrrrk.........",
    "....kRRRRrrrrrrrrkssssk.........",
    "....kkRRbbbbbbgbbkSSk...........",
    "......kRRrrrrrrrrrrrk...........",
    ".......kkkRrrrrrrkkk............",
    ".........kpppkkpppk.............",
    ".........kpppk.kpppk............",
    ".........kpppk..kppk............",
    "........kbbbbk..kbbbk...........",
    "........kbbbbbk.kbbbbk..........",
    "........kkkkkkk.kkkkkk..........",
};

SDL_Surface* drawPlayer() {
    Canvas c(kPlayerCell, kPlayerCell);
    c.sprite(0, 0, kTravellerRows, playerKey);
    return toSurface(c, 1, true);
}

SDL_Surface* drawIcon() {
    // Nudged right and up so the figure sits in the middle of the square.
    Canvas c(kPlayerCell, kPlayerCell);
    c.sprite(2, -2, kTravellerRows, playerKey);
    return toSurface(c, kIconSize / kPlayerCell, true);
}

SDL_Surface* drawSky() {
    Canvas c(kCellsWide, kCellsHigh);
    // Darkest at the top, white from a little above the walking surface down.
    constexpr int kGradientCells = 270;
    constexpr int kSteps = 5 * 16;  // five bands, each dithered through sixteen levels
    for (int y = 0; y < kCellsHigh; ++y)
        for (int x = 0; x < kCellsWide; ++x) {
            int v = std::min(kSteps, y * kSteps / kGradientCells);
            int band = v / 16;
            if (band < 5 && bayer(x, y) < v % 16) ++band;
            c.set(x, y, static_cast<uint8_t>(kSky0 + band));
        }
    return toSurface(c, kGrid, false);
}

SDL_Surface* drawClouds() {
    Canvas c(kCellsWide, kCellsHigh);
    Rng rng{0xC10D5};
    // Big, distinct heaps where the camera sees them (cells 0 to about 970), then sparser ones.
    struct Heap { int x, y, width, height; };
    const Heap kHeaps[] = {
        {70, 70, 60, 14},   {210, 40, 34, 9},   {330, 112, 90, 18}, {470, 56, 40, 10},
        {600, 92, 70, 15},  {730, 30, 28, 7},   {840, 124, 110, 20}, {960, 64, 50, 12},
        {1120, 100, 64, 14}, {1330, 52, 44, 11}, {1560, 118, 80, 16}, {1800, 70, 50, 12},
    };
    for (const Heap& h : kHeaps) cloud(c, rng, h.x, h.y, h.width, h.height);
    const int kWisps[][3] = {{150, 20, 40}, {400, 150, 60}, {520, 18, 30}, {690, 160, 44}, {900, 22, 52},
                             {1250, 150, 50}};
    for (const auto& w : kWisps) wisp(c, w[0], w[1], w[2]);
    return toSurface(c, kGrid, true);
}

SDL_Surface* drawBackground2() {
    Canvas c(kCellsWide, kCellsHigh);
    Rng rng{0xFA2};
    std::vector<Peak> peaks;
    for (int x = -80; x < kCellsWide + 160; x += rng.range(45, 115))
        peaks.push_back({x, rng.range(105, 195), rng.range(70, 130)});
    // The great peak: a landmark seen early on the walk.
    peaks.push_back({760, 250, 190});
    peaks.push_back({1640, 228, 150});
    for (int x = 0; x < kCellsWide; ++x) {
        int best = -1000, owner = 0;
        for (int i = 0; i < static_cast<int>(peaks.size()); ++i) {
            const Peak& p = peaks[i];
            int e = p.height - std::abs(x - p.x) * p.height / p.halfWidth;
            if (e > best) { best = e; owner = i; }
        }
        int elevation = best + noise(11, x, 9, 8) + noise(12, x, 3, 3) - 5;
        int ridge = kMountainFoot - std::max(elevation, 20);
        int snowLine = kMountainFoot - 150 - noise(13, x, 7, 22);
        bool litSide = x < peaks[owner].x + noise(14, x, 5, 4) - 2;
        int hazeTop = 196 + noise(15, x, 40, 16);
        for (int y = ridge; y < kCellsHigh; ++y) {
            int depth = y - ridge;
            uint8_t colour = litSide ? kPeakLit : kPeakShadow;
            // A narrow facet below each summit on the lit side, so the peaks read as solid.
            const Peak& p = peaks[owner];
            int below = y - (kMountainFoot - p.height);
            int across = p.x - x + noise(17, y, 6, 5) - 2;
            if (litSide && below > 0 && across * 5 * p.height < below * p.halfWidth) colour = kPeakBase;
            int fade = depth - 34 - noise(16, x, 13, 20);
            if (fade > 0 && (fade >= 16 || bayer(x, y) < fade)) colour = kPeakBase;
            if (y < snowLine) colour = litSide ? kSnow : kSnowShadow;
            int haze = y - hazeTop;
            if (haze > 0 && (haze >= 16 || bayer(x, y) < haze)) colour = kHaze;
            c.set(x, y, colour);
        }
    }
    // Foothills in front of the range, with a keep on one of them.
    auto foothill = [](int x) { return 228 + noise(21, x, 70, 40) + noise(22, x, 23, 10) - 25; };
    int castleX = 1380;
    for (int x = 0; x < kCellsWide; ++x) {
        int top = foothill(x);
        int slope = foothill(x + 4) - foothill(x - 4);
        for (int y = top; y < kCellsHigh; ++y) {
            uint8_t colour = y - top < 2 && slope <= 0 ? kFoothillLit : kFoothill;
            if (y - top > 16 && bayer(x, y) < std::min(16, y - top - 16)) colour = kFoothillDark;
            c.set(x, y, colour);
        }
    }
    int castleBase = foothill(castleX + 22) + 4;
    c.rect(castleX, castleBase - 26, 44, 27, kFoothillDark);
    c.rect(castleX + 6, castleBase - 44, 10, 20, kFoothillDark);
    c.rect(castleX + 30, castleBase - 38, 10, 14, kFoothillDark);
    for (int i = 0; i < 44; i += 6) c.rect(castleX + i, castleBase - 30, 3, 4, kFoothillDark);
    for (int i = 0; i < 10; i += 4) c.rect(castleX + 6 + i, castleBase - 48, 2, 4, kFoothillDark);
    for (int i = 0; i < 10; i += 4) c.rect(castleX + 30 + i, castleBase - 42, 2, 4, kFoothillDark);
    c.column(castleX + 11, castleBase - 56, castleBase - 48, kFoothillDark);
    c.rect(castleX + 12, castleBase - 56, 5, 3, kCloak);
    c.rect(castleX + 10, castleBase - 36, 2, 4, kYellow);
    c.rect(castleX + 22, castleBase - 16, 2, 3, kYellow);
    return toSurface(c, kGrid, true);
}

SDL_Surface* drawBackground1() {
    Canvas c(kCellsWide, kCellsHigh);
    Rng rng{0xB61};
    auto backHill = [](int x) { return 240 + noise(31, x, 190, 40) + noise(32, x, 53, 12) - 26; };
    auto frontHill = [](int x) { return 276 + noise(41, x, 140, 24) + noise(42, x, 37, 6) - 15; };
    for (int x = 0; x < kCellsWide; ++x) {
        int top = backHill(x);
        for (int y = top; y < kCellsHigh; ++y) {
            int depth = y - top;
            uint8_t colour = depth < 2 ? kHillLight : kHillMid;
            if (depth >= 2 && depth < 6 && bayer(x, y) < 8 - depth) colour = kHillLight;
            c.set(x, y, colour);
        }
    }
    // Ploughed fields on the slopes, their furrows following the hill, edged by hedgerows.
    for (int x = rng.range(20, 80); x < kCellsWide; x += rng.range(140, 320)) {
        int length = rng.range(50, 110);
        bool lightFurrows = rng.chance(50);
        for (int fx = x; fx < x + length && fx < kCellsWide; ++fx) {
            int top = backHill(fx);
            // Tapered ends, so each field lies on the slope rather than standing on it.
            int reach = std::min({fx - x, x + length - fx, 24}) + noise(33, fx, 17, 6);
            for (int depth = 9; depth < 9 + reach; ++depth)
                if ((depth / 3) % 2 == 0) c.set(fx, top + depth, lightFurrows ? kHillLight : kHillDark);
            if (fx % 3 == 0) c.disc(fx, top + 7, 1, fx % 2 ? kLeaf : kLeafDark);
        }
    }
    // Trees along the back ridge: scattered singles and small groups.
    for (int x = rng.range(10, 40); x < kCellsWide; x += rng.range(14, 70)) {
        int group = rng.chance(30) ? rng.range(2, 4) : 1;
        for (int g = 0; g < group; ++g) {
            int tx = x + g * rng.range(6, 10);
            if (rng.chance(45)) pineTree(c, rng, tx, backHill(tx) + 2, rng.range(14, 26));
            else roundTree(c, rng, tx, backHill(tx) + 2, rng.range(4, 6));
        }
    }
    windmill(c, 560, backHill(560) + 3);
    tower(c, 2370, backHill(2378) + 3);
    for (int x = 0; x < kCellsWide; ++x) {
        int top = frontHill(x);
        for (int y = top; y < kCellsHigh; ++y) {
            int depth = y - top;
            uint8_t colour = depth < 2 ? kHillMid : kHillDark;
            if (depth >= 2 && depth < 5 && bayer(x, y) < 6) colour = kHillMid;
            c.set(x, y, colour);
        }
    }
    // Woods on the front hills: dense stands with meadows between.
    int x = 20;
    while (x < kCellsWide) {
        int standLength = rng.range(40, 160);
        for (int tx = x; tx < x + standLength; tx += rng.range(7, 13)) {
            if (rng.chance(25)) pineTree(c, rng, tx, frontHill(tx) + 3, rng.range(22, 36));
            else roundTree(c, rng, tx, frontHill(tx) + 3, rng.range(6, 9));
        }
        x += standLength + rng.range(60, 220);
    }
    for (int bx = rng.range(5, 30); bx < kCellsWide; bx += rng.range(18, 90))
        bush(c, rng, bx, kSurfaceCell + 2, rng.range(8, 14));
    cottage(c, 1490, frontHill(1504) + 2, true);
    cottage(c, 2660, frontHill(2674) + 2, false);
    roundTree(c, rng, 2920, frontHill(2920) + 3, 16);
    return toSurface(c, kGrid, true);
}

SDL_Surface* drawGround() {
    Canvas c(kCellsWide, kCellsHigh);
    Rng rng{0x6A0D};
    for (int x = 0; x < kCellsWide; ++x) {
        int fringe = 3 + noise(51, x, 3, 4) + (hash(52, x) % 3);
        int band1 = kSurfaceCell + 26 + noise(53, x, 60, 10);
        int band2 = kSurfaceCell + 50 + noise(54, x, 80, 10);
        int band3 = kSurfaceCell + 70 + noise(55, x, 50, 8);
        for (int y = kSurfaceCell; y < kCellsHigh; ++y) {
            int depth = y - kSurfaceCell;
            uint8_t colour = kSoil;
            if (y >= band1) colour = kSoilDark;
            if (y >= band2) colour = kSoilDeep;
            if (y >= band3) colour = kSoilDeepest;
            if (y >= band1 - 2 && y < band1 && bayer(x, y) < 6) colour = kSoilDark;
            if (y >= band2 - 2 && y < band2 && bayer(x, y) < 6) colour = kSoilDeep;
            if (depth == 0) colour = kGrassLight;
            else if (depth < 3) colour = kGrass;
            else if (depth < fringe) colour = kGrassDark;
            c.set(x, y, colour);
        }
    }
    // Pebbles and buried stones.
    for (int i = 0; i < 900; ++i) {
        int x = rng.range(0, kCellsWide - 1), y = rng.range(kSurfaceCell + 8, kCellsHigh - 2);
        int size = rng.chance(85) ? 1 : rng.range(2, 4);
        uint8_t colour = y > kSurfaceCell + 50 ? kStoneDark : kStone;
        c.rect(x, y, size + 1, size, colour);
        if (size > 1) c.rect(x, y, size, 1, kStoneLight);
    }
    // Roots reaching down from the turf.
    for (int x = rng.range(4, 20); x < kCellsWide; x += rng.range(14, 70)) {
        int rx = x, length = rng.range(4, 12);
        for (int y = kSurfaceCell + 4; y < kSurfaceCell + 4 + length; ++y) {
            c.set(rx, y, kSoilDeep);
            if (rng.chance(55)) rx += rng.chance(50) ? 1 : -1;
        }
    }
    // Bigger stones set deep in the earth.
    for (int x = rng.range(30, 90); x < kCellsWide; x += rng.range(60, 200)) {
        int y = rng.range(kSurfaceCell + 30, kCellsHigh - 4);
        int w = rng.range(6, 14), h = rng.range(3, 6);
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx) {
                bool corner = (dy == 0 || dy == h - 1) && (dx == 0 || dx == w - 1);
                if (corner) continue;
                c.set(x + dx, y + dy, dy == 0 ? kStone : dx > w - 3 || dy == h - 1 ? kStoneDark : kStone);
            }
    }
    bone(c, 610, kSurfaceCell + 44);
    fossil(c, 1330, kSurfaceCell + 62);
    chest(c, 2190, kSurfaceCell + 58);
    bone(c, 2860, kSurfaceCell + 30);
    fossil(c, 3470, kSurfaceCell + 40);
    bone(c, 3880, kSurfaceCell + 66);
    // Grass blades above the surface.
    for (int x = 0; x < kCellsWide; x += rng.range(1, 4)) {
        int h = rng.range(1, 3);
        c.column(x, kSurfaceCell - h, kSurfaceCell - 1, h == 3 ? kGrassDark : kGrass);
    }
    // Things along the path, placed at irregular spacing so nothing repeats.
    struct Thing { int x; int kind; };
    std::vector<Thing> things = {
        {118, 0},   {330, 1},   {520, 2},   {700, 3},   {960, 4},   {1180, 5},  {1420, 2},
        {1560, 6},  {1800, 7},  {2080, 1},  {2310, 3},  {2480, 4},  {2760, 2},  {2940, 8},
        {3120, 6},  {3360, 1},  {3560, 4},  {3790, 3},  {3950, 0},
    };
    // Smaller things between the landmarks, kept clear of them.
    std::vector<Thing> fillers;
    for (int x = rng.range(40, 80); x < kCellsWide - 30; x += rng.range(36, 120)) {
        bool clear = true;
        for (const Thing& t : things) clear = clear && std::abs(t.x - x) > 46;
        if (std::abs(x - 290) < 30) clear = false;
        if (!clear) continue;
        int roll = rng.range(0, 99);
        fillers.push_back({x, roll < 45 ? 2 : roll < 65 ? 3 : roll < 75 ? 8 : roll < 85 ? 9 : 4});
    }
    things.insert(things.begin(), fillers.begin(), fillers.end());
    for (const Thing& t : things) {
        switch (t.kind) {
            case 0: fence(c, t.x - 40, 72); break;
            case 1: lamp(c, t.x); break;
            case 2: bush(c, rng, t.x, kSurfaceCell, rng.range(12, 18)); break;
            case 3: rock(c, t.x, kSurfaceCell, rng.range(14, 22), rng.range(7, 11)); break;
            case 4: roundTree(c, rng, t.x, kSurfaceCell, rng.range(16, 22)); break;
            case 5: well(c, t.x); break;
            case 6: fence(c, t.x, rng.range(30, 60)); break;
            case 7: bridge(c, t.x, 44); break;
            case 8: stump(c, t.x); break;
            case 9: rock(c, t.x, kSurfaceCell, rng.range(6, 10), rng.range(3, 5)); break;
        }
    }
    signpost(c, 290);
    drystoneWall(c, rng, 0, 70);
    drystoneWall(c, rng, kCellsWide - 70, 70);
    for (int x = rng.range(10, 30); x < kCellsWide; x += rng.range(12, 60)) {
        if (rng.chance(30)) mushroom(c, x);
        else flower(c, x, rng.chance(50) ? kYellow : rng.chance(50) ? kPink : kWhite);
    }
    return toSurface(c, kGrid, true);
}

// Clouds is the last picture the game loads: stored in the texture's own
// 32-bit format, it needs no conversion buffer at the moment memory peaks.
const Picture kPictures[kPictureCount] = {
    {"Player.png", drawPlayer, false},
    {"Background/Sky.png", drawSky, false},
    {"Background/Clouds.png", drawClouds, true},
    {"Background/Background2.png", drawBackground2, false},
    {"Background/Background1.png", drawBackground1, false},
    {"Background/Ground.png", drawGround, false},
};

bool writePicture(const Picture& picture, const std::string& folder) {
    namespace fs = std::filesystem;
    fs::path path = fs::path(folder) / picture.path;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    SDL_Surface* surface = picture.draw();
    if (surface != nullptr && picture.trueColour) {
        SDL_Surface* indexed = surface;
        surface = SDL_ConvertSurfaceFormat(indexed, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(indexed);
    }
    if (surface == nullptr) {
        std::fprintf(stderr, "cannot draw %s: %s\n", picture.path, SDL_GetError());
        return false;
    }
    int saved = IMG_SavePNG(surface, path.string().c_str());
    SDL_FreeSurface(surface);
    if (saved != 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.string().c_str(), SDL_GetError());
        return false;
    }
    return true;
}

bool writePictures(const std::string& folder) {
    for (const Picture& picture : kPictures)
        if (!writePicture(picture, folder)) return false;
    return true;
}

}  // namespace art
