#include "support.h"

#include <fstream>
#include <ostream>
#include <random>

#include <SDL_image.h>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::random_device random;
    do {
        path_ = fs::temp_directory_path() / ("hollowmere-test-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
    previous_ = fs::current_path();
    fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void PrintTo(const Rgb& colour, std::ostream* out) {
    *out << "(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ")";
}

SDL_Surface* makeClearSurface(int w, int h) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 0, 0, 0, 0));
    return surface;
}

void paint(SDL_Surface* surface, const SDL_Rect& area, Rgb colour) {
    SDL_FillRect(surface, &area, SDL_MapRGBA(surface->format, colour.r, colour.g, colour.b, 255));
}

void writeFile(const std::string& path, const std::string& bytes) {
    if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeAllPictures() {
    SDL_Surface* picture = makeClearSurface(16, 16);
    paint(picture, {0, 0, 16, 16}, {10, 20, 30});
    fs::create_directories("Images/Background");
    IMG_SavePNG(picture, "Images/Player.png");
    for (const char* name : {"Background1", "Background2", "Ground", "Sky", "Clouds"}) {
        IMG_SavePNG(picture, (std::string("Images/Background/") + name + ".png").c_str());
    }
    SDL_FreeSurface(picture);
}

Rgb pixelAt(SDL_Surface* surface, int x, int y) {
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Rgb colour;
    SDL_GetRGB(reinterpret_cast<const Uint32*>(row)[x], surface->format, &colour.r, &colour.g,
               &colour.b);
    return colour;
}
