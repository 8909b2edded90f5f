// The generator's raster: the palette every picture shares, a canvas of palette indices,
// seeded randomness and noise, and ordered dithering. Integer arithmetic only.
#pragma once

#include <cstdint>
#include <vector>

#include <SDL.h>

#include "art/art.h"

namespace art {

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

// toSurface gives every picture these colours, indexed by Colour (palette.cpp).
extern const SDL_Color kPalette[kColourCount];

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

// noise and the ground's grass fringe call this: a random 32-bit number fixed by seed and i.
uint32_t hash(uint32_t seed, int32_t i);
// The landscapes call this for their outlines: smooth value noise along x, control points every
// `spacing` cells, eased between; from 0 to amplitude.
int noise(uint32_t seed, int x, int spacing, int amplitude);
// The pictures and props call this to blend two colours: a 4 × 4 ordered-dither threshold, 0 to 15.
int bayer(int x, int y);

// Every picture draws on one: a w × h grid of Colour indices, clear at first; drawing outside is ignored.
struct Canvas {
    int w;
    int h;
    std::vector<uint8_t> px;

    Canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, kClear) {}
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    void set(int x, int y, uint8_t c) {
        if (inside(x, y)) px[static_cast<size_t>(y) * w + x] = c;
    }
    // A filled rectangle, rw × rh from (x, y).
    void rect(int x, int y, int rw, int rh, uint8_t c);
    // A vertical run from y0 to y1, both included.
    void column(int x, int y0, int y1, uint8_t c);
    // A filled disc of radius r, rounded out by r.
    void disc(int cx, int cy, int r, uint8_t c);
    // Bresenham's line, both ends included.
    void line(int x0, int y0, int x1, int y1, uint8_t c);
    // Rows of characters, each mapped through `key` to a colour; '.' is left alone.
    void sprite(int x, int y, const std::vector<const char*>& rows, uint8_t (*key)(char));
};

// Every draw function ends with this: a new 8-bit surface of the canvas, each cell scale × scale
// pixels, with the palette; without `transparent`, index 0 is opaque white. Null if SDL fails.
SDL_Surface* toSurface(const Canvas& canvas, int scale, bool transparent);

}  // namespace art
