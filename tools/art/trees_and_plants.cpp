// Trees and plants: round trees and firs, bushes, flowers, toadstools and a stump.
#include "art/props.h"

#include <algorithm>
#include <vector>

namespace art {

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

}  // namespace art
