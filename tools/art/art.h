// The game's six pictures, drawn from code. Every call draws the same
// pixels on every machine: fixed seeds, integer arithmetic only.
#pragma once

#include <string>

#include <SDL.h>

namespace art {

// Size of each background picture, in pixels.
constexpr int kBackgroundWidth = 8192;
constexpr int kBackgroundHeight = 768;
// Size of one cell of the player's sheet, in pixels.
constexpr int kPlayerCell = 32;
// Screen row of the ground's walking surface, where the player's feet stand.
constexpr int kWalkingSurfaceRow = 604;
// Width and height of the menu icon, in pixels: a whole multiple of kPlayerCell.
constexpr int kIconSize = 128;

// Each draw function returns a new 8-bit palettized surface the caller frees.
// Palette index 0 is fully transparent on every picture but the sky.
SDL_Surface* drawPlayer();       // traveller.cpp
SDL_Surface* drawSky();          // sky.cpp
SDL_Surface* drawClouds();       // clouds.cpp
SDL_Surface* drawBackground2();  // far_mountains.cpp
SDL_Surface* drawBackground1();  // nearer_hills.cpp: hills, woods and buildings
SDL_Surface* drawGround();       // ground.cpp
SDL_Surface* drawIcon();         // traveller.cpp: the traveller, scaled up for the desktop menu

// One picture: its path below the game's working directory (the game's own, from
// kPlayerPath and kLayerFiles), its drawing, and whether it is stored as 32-bit RGBA
// instead of indexed colour.
struct Picture {
    const char* path;
    SDL_Surface* (*draw)();
    bool trueColour;
};
constexpr int kPictureCount = 6;
extern const Picture kPictures[kPictureCount];
// The menu icon: installed with the game, not read by it, so it lives outside Images/.
constexpr Picture kIcon = {"hollowmere.png", drawIcon, false};

// make_art and the tests call this: draws every picture and writes it as PNG
// to `folder`/path, `folder` being where the game would run (folders made as
// needed). Returns false and prints why on the first failure.
bool writePictures(const std::string& folder);
// The same for one picture.
bool writePicture(const Picture& picture, const std::string& folder);

}  // namespace art
