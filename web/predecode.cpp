// Linked into the page's module only. A page cannot paint or answer a tap while the game's start-up runs,
// and decoding the pictures and reading their shapes is most of it. So before main a worker running a
// second instance of this module (web/decoder.js) decodes each picture and reads its shape, and the page
// takes each back in a task of its own, moving its progress bar between pictures; the game's own loads and
// measures are then handed what is done. Linked with --wrap=SDL_RWFromFile --wrap=IMG_LoadTyped_RW and a
// wrap of measureShape, which route the game's calls through here.
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

// The head of a decoded picture as the worker hands it to the page, its rows after it: how its surface is made.
struct PackedPicture {
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes a row
    Uint32 format = SDL_PIXELFORMAT_UNKNOWN;
    int colours = 0;  // palette entries; 0: no palette
    int key = -1;  // the colour key; -1: none
    SDL_Color palette[256] = {};
    LayerShape shape;
};

// Both sides list the pictures alike; the worker's n-th picture is the page's n-th.
std::vector<std::string> toDecode;
// Pictures taken from the worker, by path; one that failed there, or that the game has taken, is null.
std::vector<std::pair<std::string, SDL_Surface*>> decoded;
// The shapes of the pictures decoded, read ahead, by the picture's surface, which the game keeps.
std::vector<std::pair<const SDL_Surface*, LayerShape>> measured;
// Files the game has open, so that a load from one can be matched with its picture.
std::vector<std::pair<SDL_RWops*, std::string>> opened;
// The worker's picture decoded last and its head, kept until the next is asked for.
SDL_Surface* lastPicture = nullptr;
PackedPicture lastHead;

// The path of the next picture in the list, now marked as not decoded; null once every one has come.
const char* nextPicture() {
    if (decoded.size() >= toDecode.size()) return nullptr;
    decoded.emplace_back(toDecode[decoded.size()], nullptr);
    return decoded.back().first.c_str();
}

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

// The page and the worker call this once, first: lists the pictures to decode; returns how many there are.
EMSCRIPTEN_KEEPALIVE int picturesToDecode() {
    toDecode.clear();
    listPictures(kPictureFolder);
    std::sort(toDecode.begin(), toDecode.end());
    return int(toDecode.size());
}

// The worker calls this for each picture in turn: decodes it as the game loads it, checks included, and
// reads its shape as the game measures it; returns its head, or null for a picture that fails.
EMSCRIPTEN_KEEPALIVE const PackedPicture* packNextPicture() {
    SDL_FreeSurface(lastPicture);
    lastPicture = nullptr;
    const char* path = nextPicture();
    if (path == nullptr) return nullptr;
    lastPicture = loadPicture(path);
    if (lastPicture == nullptr) return nullptr;
    lastHead = PackedPicture{};
    lastHead.width = lastPicture->w;
    lastHead.height = lastPicture->h;
    lastHead.pitch = lastPicture->pitch;
    lastHead.format = lastPicture->format->format;
    if (const SDL_Palette* palette = lastPicture->format->palette) {
        lastHead.colours = SDL_min(palette->ncolors, 256);
        SDL_memcpy(lastHead.palette, palette->colors, sizeof(SDL_Color) * size_t(lastHead.colours));
    }
    Uint32 key = 0;
    if (SDL_GetColorKey(lastPicture, &key) == 0) lastHead.key = int(key);
    __real__Z12measureShapePK11SDL_SurfaceR10LayerShape(lastPicture, lastHead.shape);
    return &lastHead;
}

// The worker calls this after packNextPicture: where the picture's rows lie, which it sends after the head.
EMSCRIPTEN_KEEPALIVE const void* packedRows() {
    return lastPicture == nullptr ? nullptr : lastPicture->pixels;
}

// The worker calls this with what packNextPicture returned: the size in bytes of the head and the rows.
EMSCRIPTEN_KEEPALIVE int packedSize(const PackedPicture* picture) {
    return int(sizeof(PackedPicture) + size_t(picture->height) * size_t(picture->pitch));
}

// The page calls this with the head of each picture the worker packed, or null for one that failed there, in
// the worker's order: makes its surface as the decoder made it; returns where its rows go, which the page then
// copies in, or null when no surface could be made, which leaves the picture to the game's own load.
EMSCRIPTEN_KEEPALIVE void* unpackPicture(const PackedPicture* head) {
    if (nextPicture() == nullptr || head == nullptr || head->height <= 0 || head->pitch <= 0) return nullptr;
    // The rows are copied in once: a surface made for them would first be cleared.
    void* rows = SDL_malloc(size_t(head->height) * size_t(head->pitch));
    SDL_Surface* surface = rows == nullptr ? nullptr : SDL_CreateRGBSurfaceWithFormatFrom(
        rows, head->width, head->height, SDL_BITSPERPIXEL(head->format), head->pitch, head->format);
    if (surface == nullptr) {
        SDL_free(rows);
        return nullptr;
    }
    // The surface owns its rows, as the decoder's own does.
    surface->flags &= ~SDL_PREALLOC;
    if (surface->format->palette != nullptr && head->colours > 0) {
        SDL_SetPaletteColors(surface->format->palette, head->palette, 0, head->colours);
        surface->format->palette->ncolors = head->colours;
    }
    if (head->key >= 0) SDL_SetColorKey(surface, SDL_TRUE, Uint32(head->key));
    decoded.back().second = surface;
    measured.emplace_back(surface, head->shape);
    return rows;
}

// The page and the worker call this once: the size of a packed picture's head, before its rows.
EMSCRIPTEN_KEEPALIVE int packedHeadSize() {
    return int(sizeof(PackedPicture));
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
