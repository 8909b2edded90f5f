// The clouds: big heaps where the walk begins, sparser ones beyond, and thin wisps high up.
#include "art/raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace art {
namespace {

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

}  // namespace

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

}  // namespace art
