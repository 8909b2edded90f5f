// Things beside the path: fences, drystone walls, a signpost, lamps, wells, and a bridge over a creek.
#include "art/props.h"

#include <algorithm>

namespace art {

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

}  // namespace art
