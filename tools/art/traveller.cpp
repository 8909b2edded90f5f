// The traveller: the player's sheet, and the same figure four times larger for the menu icon.
#include "art/raster.h"

#include <vector>

namespace art {
namespace {

uint8_t playerKey(char ch) {
    switch (ch) {
        case 'k': return kOutline;
        case 'r': return kCloak;
        case 'R': return kCloakDark;
        case 's': return kSkin;
        case 'S': return kSkinShade;
        case 'h': return kHair;
        case 'p': return kCloth;
        case 'b': return kBoot;
        case 'g': return kYellow;
        case 'w': return kWhite;
        case 'l': return kWood;
        default: return kOutline;
    }
}

// A traveller in a red hood, facing right; feet on the bottom row.
const std::vector<const char*> kTravellerRows = {
    "................................",
    "................................",
    "................................",
    "................................",
    ".............kkkkkk.............",
    "...........kkrrrrrrkk...........",
    "..........krrrrrrrrrrk..........",
    ".........krrrrrrrrrrrrk.........",
    "........kRrrrrrrrrrrrrrk........",
    "........kRrrrrrkkkkkkrrk........",
    ".......kRRrrrrkhhhhhhkrk........",
    ".......kRRrrrkhhhhhsshk.........",
    ".......kRRrrrkhhssskssk.........",
    "......kRRRrrrkhsssssssk.........",
    "......kRRRrrrkhssssssssk........",
    "......kRRRrrrrksssssskk.........",
    "......kRRRrrrrrkkSSSkrk.........",
    ".....kRRRRrrrrrrkkkkrrrk........",
    ".....kRRRRrrrrrrrrrrrrrk........",
    ".....kRRRRrrrrrrrRrrrrrk........",
    "....kRRRRrrrrrrrrRrrrrrk........",
    "....kRRRRrrrrrrrrRrrrrk.........",
    "....kRRRRrrrrrrrrkssssk.........",
    "....kkRRbbbbbbgbbkSSk...........",
    "......kRRrrrrrrrrrrrk...........",
    ".......kkkRrrrrrrkkk............",
    ".........kpppkkpppk.............",
    ".........kpppk.kpppk............",
    ".........kpppk..kppk............",
    "........kbbbbk..kbbbk...........",
    "........kbbbbbk.kbbbbk..........",
    "........kkkkkkk.kkkkkk..........",
};

}  // namespace

SDL_Surface* drawPlayer() {
    Canvas c(kPlayerCell, kPlayerCell);
    c.sprite(0, 0, kTravellerRows, playerKey);
    return toSurface(c, 1, true);
}

SDL_Surface* drawIcon() {
    // Nudged right and up so the figure sits in the middle of the square.
    Canvas c(kPlayerCell, kPlayerCell);
    c.sprite(2, -2, kTravellerRows, playerKey);
    return toSurface(c, kIconSize / kPlayerCell, true);
}

}  // namespace art
