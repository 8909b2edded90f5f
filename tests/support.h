// Helpers shared by the unit tests: scratch folders, made-up pictures, pixel reads.
#pragma once

#include <filesystem>
#include <string>

#include <SDL.h>

// A fresh folder under the system's temporary folder, the working directory
// for the object's life and removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// An opaque colour.
struct Rgb {
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
// gtest prints an Rgb as "(r, g, b)" in got-versus-expected messages.
void PrintTo(const Rgb& colour, std::ostream* out);

// A w x h RGBA surface, fully transparent.
SDL_Surface* makeClearSurface(int w, int h);
// Paints an opaque rectangle on `surface`.
void paint(SDL_Surface* surface, const SDL_Rect& area, Rgb colour);
// Writes `bytes` to `path`, making its folder.
void writeFile(const std::string& path, const std::string& bytes);
// Writes the six pictures the game reads, 16 x 16 and opaque, into Images/ here.
void writeAllPictures();
// Reads one pixel of a 32-bit surface.
Rgb pixelAt(SDL_Surface* surface, int x, int y);
