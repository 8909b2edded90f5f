// Helpers shared by the unit tests: scratch folders, made-up pictures, pixel reads.
#pragma once

#include <string>

#include <SDL.h>

// A fresh folder under the system's temporary folder, made the working
// directory for the object's life and removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// An opaque RGBA colour.
struct Rgb {
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
};

bool operator==(const Rgb& a, const Rgb& b);
inline bool operator!=(const Rgb& a, const Rgb& b) { return !(a == b); }
std::string describe(const Rgb& colour);

// A w x h RGBA surface, fully transparent.
SDL_Surface* makeClearSurface(int w, int h);
// Paints an opaque rectangle on `surface`.
void paint(SDL_Surface* surface, const SDL_Rect& area, Rgb colour);
// Writes a w x h opaque PNG of one colour at `path`, making its folder.
void writePicture(const std::string& path, int w, int h, Rgb colour);
// Writes the six pictures the game reads into Images/ under the working directory.
void writeAllPictures();
// Reads one pixel of a 32-bit surface as RGB.
Rgb pixelAt(SDL_Surface* surface, int x, int y);
