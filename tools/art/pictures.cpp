// The table of pictures, and each written as a PNG.
#include <cstdio>
#include <filesystem>

#include <SDL_image.h>

#include "app/app.h"
#include "art/art.h"

namespace art {

static_assert(kPictureCount == 1 + LayerCount, "a drawing for the player's sheet and one for each layer");

// At the paths the game reads. Clouds is the last picture the game loads: stored in the texture's
// own 32-bit format, it needs no conversion buffer at the moment memory peaks.
const Picture kPictures[kPictureCount] = {
    {kPlayerPath, drawPlayer, false},
    {kLayerFiles[Sky].path, drawSky, false},
    {kLayerFiles[Clouds].path, drawClouds, true},
    {kLayerFiles[Background2].path, drawBackground2, false},
    {kLayerFiles[Background1].path, drawBackground1, false},
    {kLayerFiles[Ground].path, drawGround, false},
};

bool writePicture(const Picture& picture, const std::string& folder) {
    namespace fs = std::filesystem;
    fs::path path = fs::path(folder) / picture.path;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    SDL_Surface* surface = picture.draw();
    if (surface != nullptr && picture.trueColour) {
        SDL_Surface* indexed = surface;
        surface = SDL_ConvertSurfaceFormat(indexed, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(indexed);
    }
    if (surface == nullptr) {
        std::fprintf(stderr, "cannot draw %s: %s\n", picture.path, SDL_GetError());
        return false;
    }
    int saved = IMG_SavePNG(surface, path.string().c_str());
    SDL_FreeSurface(surface);
    if (saved != 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.string().c_str(), SDL_GetError());
        return false;
    }
    return true;
}

bool writePictures(const std::string& folder) {
    for (const Picture& picture : kPictures)
        if (!writePicture(picture, folder)) return false;
    return true;
}

}  // namespace art
