// The ground: turf and banded earth with stones, roots and buried things, and the props along the path.
#include "art/props.h"

#include <cstdlib>
#include <vector>

namespace art {

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
    // A boulder's height is drawn before its width, as GCC evaluated the two arguments (right to
    // left) when the committed pictures were made; spelt out, every compiler draws the same.
    auto boulder = [&](int x, int widthLo, int widthHi, int heightLo, int heightHi) {
        const int height = rng.range(heightLo, heightHi);
        rock(c, x, kSurfaceCell, rng.range(widthLo, widthHi), height);
    };
    for (const Thing& t : things) {
        switch (t.kind) {
            case 0: fence(c, t.x - 40, 72); break;
            case 1: lamp(c, t.x); break;
            case 2: bush(c, rng, t.x, kSurfaceCell, rng.range(12, 18)); break;
            case 3: boulder(t.x, 14, 22, 7, 11); break;
            case 4: roundTree(c, rng, t.x, kSurfaceCell, rng.range(16, 22)); break;
            case 5: well(c, t.x); break;
            case 6: fence(c, t.x, rng.range(30, 60)); break;
            case 7: bridge(c, t.x, 44); break;
            case 8: stump(c, t.x); break;
            case 9: boulder(t.x, 6, 10, 3, 5); break;
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

}  // namespace art
