#include "support.h"

#include <cstdlib>
#include <filesystem>
#include <random>

#include <SDL_image.h>

#include "world/world.h"

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    // create_directory is false for a name already taken, so the first fresh name wins.
    std::random_device random;
    fs::path folder;
    do folder = fs::temp_directory_path() / ("hollowmere-test-" + std::to_string(random()));
    while (!fs::create_directory(folder));
    path_ = folder.string();
    previous_ = fs::current_path().string();
    fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

bool operator==(const Rgb& a, const Rgb& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

std::string describe(const Rgb& colour) {
    return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " +
           std::to_string(colour.b) + ")";
}

SDL_Surface* makeClearSurface(int w, int h) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 0, 0, 0, 0));
    return surface;
}

void paint(SDL_Surface* surface, const SDL_Rect& area, Rgb colour) {
    SDL_FillRect(surface, &area, SDL_MapRGBA(surface->format, colour.r, colour.g, colour.b, 255));
}

void writePicture(const std::string& path, int w, int h, Rgb colour) {
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) fs::create_directories(folder);
    SDL_Surface* surface = makeClearSurface(w, h);
    paint(surface, {0, 0, w, h}, colour);
    IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
}

void writeAllPictures() {
    writePicture("Images/Player.png", 32, 32, {200, 40, 40});
    for (const char* name : {"Background1", "Background2", "Ground", "Sky", "Clouds"}) {
        writePicture(std::string("Images/Background/") + name + ".png", 16, 16, {10, 20, 30});
    }
}

Rgb pixelAt(SDL_Surface* surface, int x, int y) {
    // Every surface the tests read is 32 bits a pixel.
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    const Uint32 value = reinterpret_cast<const Uint32*>(row)[x];
    Rgb colour;
    SDL_GetRGB(value, surface->format, &colour.r, &colour.g, &colour.b);
    return colour;
}
