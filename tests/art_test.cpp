// The committed pictures are exactly what the generator draws, and they fit
// the geometry the game draws them with.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "art/art.h"
#include "support.h"

namespace {

// Byte of a PNG file's header that holds its colour type, and two of the types.
constexpr int kPngColourTypeByte = 25;
constexpr char kPngIndexed = 3;
constexpr char kPngRgba = 6;

// Decodes to 32-bit RGBA so pictures compare whatever their stored format.
SDL_Surface* decode(const std::string& path) {
    SDL_Surface* stored = IMG_Load(path.c_str());
    SDL_Surface* rgba = stored ? SDL_ConvertSurfaceFormat(stored, SDL_PIXELFORMAT_RGBA32, 0) : nullptr;
    SDL_FreeSurface(stored);
    return rgba;
}

Uint32 at(SDL_Surface* surface, int x, int y) {
    return static_cast<const Uint32*>(surface->pixels)[y * surface->pitch / 4 + x];
}

std::string committed(const char* path) {
    return (std::filesystem::path(HOLLOWMERE_SOURCE_DIR) / path).string();
}

// Whether two picture files hold the same pixels, whatever their stored formats.
bool samePixels(const std::string& fresh, const std::string& kept) {
    SDL_Surface* a = decode(fresh);
    SDL_Surface* b = decode(kept);
    const bool same = a && b && a->w == b->w && a->h == b->h &&
                      SDL_memcmp(a->pixels, b->pixels, size_t(a->pitch) * a->h) == 0;
    SDL_FreeSurface(a);
    SDL_FreeSurface(b);
    return same;
}

}  // namespace

TEST(Pictures, CommittedOnesAreWhatTheGeneratorDrawsInTheGamesGeometry) {
    ScratchFolder scratch;
    ASSERT_TRUE(art::writePictures(".") && art::writePicture(art::kIcon, "."));
    for (const art::Picture& picture : art::kPictures) {
        EXPECT_TRUE(samePixels(picture.path, committed(picture.path)))
            << picture.path << " differs from what is drawn now; run `make art`?";
        SDL_Surface* stored = IMG_Load(committed(picture.path).c_str());
        ASSERT_NE(stored, nullptr) << picture.path << ": " << SDL_GetError();
        const bool player = std::string(picture.path) == kPlayerPath;
        EXPECT_EQ(std::vector<int>({stored->w, stored->h}),
                  player ? std::vector<int>({art::kPlayerCell, art::kPlayerCell})
                         : std::vector<int>({art::kBackgroundWidth, art::kBackgroundHeight}))
            << picture.path;
        // Indexed keeps decoding small, true colour skips a conversion at the memory peak;
        // read from the file, since stb_image (on Windows) expands palettes.
        char header[kPngColourTypeByte + 1] = {};
        std::ifstream(committed(picture.path), std::ios::binary).read(header, sizeof header);
        EXPECT_EQ(header[kPngColourTypeByte], picture.trueColour ? kPngRgba : kPngIndexed)
            << picture.path << ": PNG colour type";
        SDL_FreeSurface(stored);
    }
    EXPECT_TRUE(samePixels(art::kIcon.path, HOLLOWMERE_ICON_FILE))
        << "the icon differs from what is drawn now; run `make art`?";

    // The player's feet stand on a walking surface that is solid the whole way.
    SDL_Surface* ground = decode(committed(kLayerFiles[Ground].path));
    ASSERT_NE(ground, nullptr);
    long gaps = 0;
    // RGBA32 keeps alpha in the last byte, the top one of a little-endian word.
    for (int x = 0; x < art::kBackgroundWidth; ++x)
        gaps += at(ground, x, art::kWalkingSurfaceRow) >> 24 != 0xff;
    EXPECT_EQ(gaps, 0) << "transparent pixels on the ground's walking row";
    SDL_FreeSurface(ground);
}
