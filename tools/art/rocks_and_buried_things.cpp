// Boulders on the path and, under it, bones, fossils and a chest.
#include "art/props.h"

namespace art {

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

}  // namespace art
