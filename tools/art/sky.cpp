// The sky: a dithered gradient, darkest at the top; the game tints it with the time of day.
#include "art/raster.h"

#include <algorithm>

namespace art {

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

}  // namespace art
