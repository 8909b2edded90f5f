// Helpers shared by the tests: scratch folders, made-up pictures, pixel reads.
#pragma once

#include <array>
#include <filesystem>
#include <random>
#include <string>

#include <SDL.h>

// A fresh folder under the system's temporary folder, the working directory
// for the object's life and removed afterwards.
struct ScratchFolder {
    ScratchFolder() {
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("hollowmere-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
        std::filesystem::current_path(path_);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::filesystem::path path_;
    std::filesystem::path previous_ = std::filesystem::current_path();
};

// An opaque colour, red, green and blue; gtest prints it as { r, g, b }.
using Rgb = std::array<int, 3>;

// A w x h RGBA surface, fully transparent but for one opaque area.
inline SDL_Surface* makeSurface(int w, int h, const SDL_Rect& area, Rgb colour) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 0, 0, 0, 0));
    SDL_FillRect(surface, &area, SDL_MapRGBA(surface->format, colour[0], colour[1], colour[2], 255));
    return surface;
}
