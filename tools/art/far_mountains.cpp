// The far mountains (Background2): a snow-capped range in haze, foothills before it, a keep on one.
#include "art/raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace art {
namespace {

struct Peak {
    int x;
    int height;  // cells above the mountains' foot
    int halfWidth;
};

// Mountain foot row, in cells.
constexpr int kMountainFoot = 300;

}  // namespace

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

}  // namespace art
