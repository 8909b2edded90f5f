// Linked into the page's module only. A page cannot paint while the game's start-up runs, and decoding the
// pictures and reading their shapes is most of it; so before main the page has each picture decoded in a
// task, then its shape read in another, moving its progress bar between pictures, and the game's own
// loads and measures are handed what is done. Linked with --wrap=SDL_RWFromFile --wrap=IMG_LoadTyped_RW
// and a wrap of measureShape, which route the game's calls through here.
#include <SDL.h>
#include <SDL_image.h>
#include <dirent.h>
#include <emscripten.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "world/world.h"

namespace {

// Where the packed pictures lie, under the names the game opens them by.
constexpr const char* kPictureFolder = "Images";
constexpr const char* kPictureSuffix = ".png";

std::vector<std::string> toDecode;
// Pictures decoded, by path; a picture the game has taken is left as null.
std::vector<std::pair<std::string, SDL_Surface*>> decoded;
// The shapes of the pictures decoded, read ahead, by the picture's surface, which the game keeps.
std::vector<std::pair<const SDL_Surface*, LayerShape>> measured;
// Files the game has open, so that a load from one can be matched with its picture.
std::vector<std::pair<SDL_RWops*, std::string>> opened;

void listPictures(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    const size_t suffix = SDL_strlen(kPictureSuffix);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (entry->d_type == DT_DIR && name != "." && name != "..") listPictures(folder + "/" + name);
        if (entry->d_type == DT_REG && name.size() > suffix &&
            name.compare(name.size() - suffix, suffix, kPictureSuffix) == 0) {
            toDecode.push_back(folder + "/" + name);
        }
    }
    closedir(dir);
}

}  // namespace

extern "C" {

SDL_RWops* __real_SDL_RWFromFile(const char* file, const char* mode);
SDL_Surface* __real_IMG_LoadTyped_RW(SDL_RWops* src, int freesrc, const char* type);
// measureShape, by its C++ name.
void __real__Z12measureShapePK11SDL_SurfaceR10LayerShape(const SDL_Surface* picture, LayerShape& shape);

// The page calls this once, first: lists the pictures to decode; returns how many there are.
EMSCRIPTEN_KEEPALIVE int picturesToDecode() {
    toDecode.clear();
    listPictures(kPictureFolder);
    std::sort(toDecode.begin(), toDecode.end());
    return int(toDecode.size());
}

// The page calls this, one call a task, until it returns the count: decodes the next picture as the game
// loads it, checks included, or reads the shape of the one decoded last, as the game measures it; returns
// how many pictures are done with both. A picture that fails is left to the game's own load, which fails
// the same way and says so.
EMSCRIPTEN_KEEPALIVE int prepareNextPicture() {
    const size_t done = decoded.size();
    if (measured.size() < done) {
        measured.emplace_back(decoded.back().second, LayerShape{});
        __real__Z12measureShapePK11SDL_SurfaceR10LayerShape(decoded.back().second, measured.back().second);
    } else if (done < toDecode.size()) {
        decoded.emplace_back(toDecode[done], loadPicture(toDecode[done].c_str()));
    }
    return int(SDL_min(decoded.size(), measured.size()));
}

// The page calls this once main has returned: frees the pictures the game did not take.
EMSCRIPTEN_KEEPALIVE void dropDecodedPictures() {
    for (auto& entry : decoded) SDL_FreeSurface(entry.second);
    decoded.clear();
    measured.clear();
    opened.clear();
}

SDL_RWops* __wrap_SDL_RWFromFile(const char* file, const char* mode) {
    SDL_RWops* stream = __real_SDL_RWFromFile(file, mode);
    // A closed stream's address may come back for the next file.
    opened.erase(std::remove_if(opened.begin(), opened.end(), [&](const auto& o) { return o.first == stream; }),
                 opened.end());
    if (stream != nullptr) opened.emplace_back(stream, file);
    return stream;
}

SDL_Surface* __wrap_IMG_LoadTyped_RW(SDL_RWops* src, int freesrc, const char* type) {
    const auto file = std::find_if(opened.begin(), opened.end(), [&](const auto& o) { return o.first == src; });
    if (file == opened.end()) return __real_IMG_LoadTyped_RW(src, freesrc, type);
    const auto picture = std::find_if(decoded.begin(), decoded.end(), [&](const auto& d) {
        return d.first == file->second && d.second != nullptr;
    });
    opened.erase(file);
    if (picture == decoded.end()) return __real_IMG_LoadTyped_RW(src, freesrc, type);
    SDL_Surface* surface = picture->second;
    picture->second = nullptr;
    if (freesrc) SDL_RWclose(src);
    return surface;
}

// The game's measure of a picture the page decoded takes the shape read ahead; any other is read now.
void __wrap__Z12measureShapePK11SDL_SurfaceR10LayerShape(const SDL_Surface* picture, LayerShape& shape) {
    const auto read = std::find_if(measured.begin(), measured.end(), [&](const auto& m) { return m.first == picture; });
    if (picture != nullptr && read != measured.end()) {
        shape = read->second;
    } else {
        __real__Z12measureShapePK11SDL_SurfaceR10LayerShape(picture, shape);
    }
}

}  // extern "C"
