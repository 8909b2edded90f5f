// Buildings on the nearer hills: a windmill, cottages and a tower.
#include "art/props.h"

namespace art {

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

}  // namespace art
