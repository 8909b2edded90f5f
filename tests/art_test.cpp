// The committed pictures are exactly what the generator draws, and they fit
// the geometry the game draws them with.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "art.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kCommittedFolder = HOLLOWMERE_IMAGES_DIR;
// The sky is near-white: no channel of any pixel below this.
constexpr int kPaleSkyMinimum = 170;
// Widest part of the Clouds picture the camera ever shows, in pixels.
constexpr int kCloudsSeenWidth = 1940;

// Decodes or converts to 32-bit RGBA so pictures compare whatever their stored format.
struct Rgba {
    SDL_Surface* surface = nullptr;
    explicit Rgba(SDL_Surface* source) {
        if (source == nullptr) return;
        surface = SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(source);
    }
    ~Rgba() { SDL_FreeSurface(surface); }
    Rgba(const Rgba&) = delete;
    Rgba& operator=(const Rgba&) = delete;
    uint32_t at(int x, int y) const {
        return static_cast<const uint32_t*>(surface->pixels)[static_cast<size_t>(y) * surface->pitch / 4 + x];
    }
    uint8_t alpha(int x, int y) const {
        uint8_t r, g, b, a;
        SDL_GetRGBA(at(x, y), surface->format, &r, &g, &b, &a);
        return a;
    }
};

std::string describe(const Rgba& picture, int x, int y) {
    uint8_t r, g, b, a;
    SDL_GetRGBA(picture.at(x, y), picture.surface->format, &r, &g, &b, &a);
    return "(" + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b) + ", " +
           std::to_string(a) + ") at " + std::to_string(x) + "," + std::to_string(y);
}

// Every pixel compared; reports how many differ and the first one.
void expectSamePixels(const Rgba& got, const Rgba& expected, const std::string& what) {
    ASSERT_NE(got.surface, nullptr) << what << ": not decoded: " << SDL_GetError();
    ASSERT_NE(expected.surface, nullptr) << what << ": not decoded: " << SDL_GetError();
    ASSERT_EQ(got.surface->w, expected.surface->w) << what;
    ASSERT_EQ(got.surface->h, expected.surface->h) << what;
    long differing = 0;
    std::string first;
    for (int y = 0; y < got.surface->h; ++y)
        for (int x = 0; x < got.surface->w; ++x)
            if (got.at(x, y) != expected.at(x, y)) {
                if (differing++ == 0) first = "got " + describe(got, x, y) + ", expected " + describe(expected, x, y);
            }
    EXPECT_EQ(differing, 0) << what << ": " << differing << " pixels differ, first " << first;
}

// PNG colour types, as stored in byte 25 of every PNG file's header.
constexpr int kPngIndexed = 3;
constexpr int kPngRgba = 6;

int storedColourType(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char header[26] = {};
    return file.read(header, sizeof header) ? static_cast<unsigned char>(header[25]) : -1;
}

std::string committed(const char* path) { return (fs::path(kCommittedFolder) / path).string(); }

class ScratchFolder {
public:
    ScratchFolder() {
        // create_directory is false for a name already taken, so the first fresh name wins.
        std::random_device random;
        fs::path folder;
        do folder = fs::temp_directory_path() / ("hollowmere-art-" + std::to_string(random()));
        while (!fs::create_directory(folder));
        path_ = folder.string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(Pictures, RegeneratedOnesMatchTheCommittedOnesPixelForPixel) {
    ScratchFolder scratch;
    ASSERT_TRUE(art::writePictures(scratch.path()));
    for (const art::Picture& picture : art::kPictures) {
        std::string fresh = (fs::path(scratch.path()) / picture.path).string();
        Rgba written(IMG_Load(fresh.c_str()));
        // The file holds what was drawn: transparency and palette survive the round trip.
        expectSamePixels(written, Rgba(picture.draw()), std::string(picture.path) + " written versus drawn");
        expectSamePixels(written, Rgba(IMG_Load(committed(picture.path).c_str())),
                         std::string(picture.path) + " regenerated versus committed (run `make art`?)");
    }
}

TEST(Pictures, HaveTheSizesAndChannelsTheGameDrawsThemWith) {
    for (const art::Picture& picture : art::kPictures) {
        std::string path = committed(picture.path);
        SDL_Surface* decoded = IMG_Load(path.c_str());
        ASSERT_NE(decoded, nullptr) << path << ": " << SDL_GetError();
        bool isSky = std::string(picture.path) == "Background/Sky.png";
        bool isPlayer = std::string(picture.path) == "Player.png";
        bool hasAlpha = SDL_ISPIXELFORMAT_ALPHA(decoded->format->format) || SDL_HasColorKey(decoded);
        // Indexed keeps decoding small, true colour skips a conversion; read from the file, as stb_image expands palettes.
        EXPECT_EQ(storedColourType(path), picture.trueColour ? kPngRgba : kPngIndexed) << path;
        if (isPlayer) {
            EXPECT_EQ(decoded->h, art::kPlayerCell) << path;
            EXPECT_TRUE(decoded->w >= art::kPlayerCell && decoded->w % art::kPlayerCell == 0)
                << path << " is " << decoded->w << " wide, not a row of " << art::kPlayerCell << "-pixel cells";
        } else {
            EXPECT_EQ(decoded->w, art::kBackgroundWidth) << path;
            EXPECT_EQ(decoded->h, art::kBackgroundHeight) << path;
        }
        EXPECT_EQ(hasAlpha, !isSky) << path << (isSky ? " must be opaque without alpha"
                                                      : " needs transparency for the layers behind");
        SDL_FreeSurface(decoded);
    }
}

TEST(Pictures, FitTheSceneTheyAreDrawnIn) {
    Rgba ground(IMG_Load(committed("Background/Ground.png").c_str()));
    Rgba sky(IMG_Load(committed("Background/Sky.png").c_str()));
    Rgba clouds(IMG_Load(committed("Background/Clouds.png").c_str()));
    Rgba player(IMG_Load(committed("Player.png").c_str()));
    ASSERT_TRUE(ground.surface && sky.surface && clouds.surface && player.surface) << SDL_GetError();

    // The walking surface is solid the whole way, with open sky above the ground.
    for (int x = 0; x < art::kBackgroundWidth; ++x) {
        ASSERT_EQ(ground.alpha(x, art::kWalkingSurfaceRow), 255) << describe(ground, x, art::kWalkingSurfaceRow);
        ASSERT_EQ(ground.alpha(x, 0), 0) << describe(ground, x, 0);
    }
    // The nearer layers reach down behind the ground, so no sky shows through a gap.
    for (const char* path : {"Background/Background1.png", "Background/Background2.png"}) {
        Rgba layer(IMG_Load(committed(path).c_str()));
        ASSERT_NE(layer.surface, nullptr) << path;
        for (int x = 0; x < art::kBackgroundWidth; ++x) {
            ASSERT_EQ(layer.alpha(x, art::kWalkingSurfaceRow), 255) << path << " " << describe(layer, x, 604);
            ASSERT_EQ(layer.alpha(x, 0), 0) << path << " " << describe(layer, x, 0);
        }
    }
    // Backgrounds keep to the sprite's 2 × 2 pixel grid.
    for (const art::Picture& picture : art::kPictures) {
        if (std::string(picture.path) == "Player.png") continue;
        Rgba layer(IMG_Load(committed(picture.path).c_str()));
        ASSERT_NE(layer.surface, nullptr) << picture.path;
        long offGrid = 0;
        for (int y = 0; y < layer.surface->h; ++y)
            for (int x = 0; x < layer.surface->w; ++x)
                if (layer.at(x, y) != layer.at(x & ~1, y & ~1)) ++offGrid;
        EXPECT_EQ(offGrid, 0) << picture.path << " has pixels off the 2 × 2 grid";
    }
    // A pale sky, brightening toward the horizon, so the day's tint is its colour;
    // compared a whole dither period of rows at a time.
    constexpr int kDitherRows = 8;
    long previousBand = -1;
    for (int top = 0; top < art::kBackgroundHeight; top += kDitherRows) {
        long bandSum = 0;
        for (int y = top; y < top + kDitherRows; ++y)
            for (int x = 0; x < art::kBackgroundWidth; ++x) {
                uint8_t r, g, b;
                SDL_GetRGB(sky.at(x, y), sky.surface->format, &r, &g, &b);
                ASSERT_GE(std::min({r, g, b}), kPaleSkyMinimum) << describe(sky, x, y);
                bandSum += r + g + b;
            }
        EXPECT_GE(bandSum, previousBand) << "sky rows from " << top << " are darker than those above";
        previousBand = bandSum;
    }
    // Clouds where the camera sees them.
    long cloudPixels = 0;
    for (int y = 0; y < art::kBackgroundHeight; ++y)
        for (int x = 0; x < kCloudsSeenWidth; ++x) cloudPixels += clouds.alpha(x, y) == 255;
    EXPECT_GT(cloudPixels, kCloudsSeenWidth * art::kBackgroundHeight / 50) << "too few clouds in view";
    // The character stands on the bottom row of its cell, with clear space around it.
    bool feet = false;
    for (int x = 0; x < art::kPlayerCell; ++x) feet = feet || player.alpha(x, art::kPlayerCell - 1) == 255;
    EXPECT_TRUE(feet) << "frame 0 has nothing on its bottom row";
    EXPECT_EQ(player.alpha(0, 0), 0) << describe(player, 0, 0);
}

}  // namespace
