// The nearer hills (Background1): two ridges of fields, woods and bushes, a windmill, a tower and cottages.
#include "art/props.h"

#include <algorithm>

namespace art {

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

}  // namespace art
