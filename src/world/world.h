// World: the five-layer parallax background, picture loading, and the
// constants of the world's geometry. Game::update lives in world.cpp too.
#pragma once

#include <cstdint>

#include <SDL.h>

// The world is a strip this wide and high, in pixels.
constexpr int kWorldWidth = 8192;
constexpr int kWorldHeight = 768;

// A picture that claims more than this in either dimension is refused unread, in pixels.
constexpr int kPictureMaxSide = 16384;
// A picture that claims more than this in all is refused unread, in pixels.
constexpr long long kPictureMaxPixels = 32000000;

// A picture's shape is kept per block of this many columns, in pixels; blocks across the world.
constexpr int kBlockWidth = 16;
constexpr int kBlockCount = kWorldWidth / kBlockWidth;

// Index of each layer in ParallaxBackground::layers.
enum LayerIndex { Background1, Background2, Ground, Sky, Clouds, LayerCount };

// Where a world-sized picture can show, per block of kBlockWidth columns, in rows.
// Alpha is all or nothing here, but any other alpha counts as showing and not opaque.
struct LayerShape {
    bool known = false;  // false: Game::render draws the whole picture, covering nothing
    int16_t top[kBlockCount] = {};  // first row with a pixel that is not fully transparent
    int16_t bottom[kBlockCount] = {};  // one past the last such row; top == bottom: nothing shows
    int16_t solid[kBlockCount] = {};  // from this row to the bottom every pixel is opaque
};

// One picture of the background and where it is drawn.
struct ParallaxLayer {
    SDL_Rect origin{0, 0, 0, 0};  // only x is read: the scroll origin
    SDL_Surface* surface = nullptr;  // kept until teardown
    SDL_Texture* texture = nullptr;
    SDL_Rect src{0, 0, kWorldWidth, kWorldHeight};
    SDL_Rect dst{0, 0, 0, 0};  // x is set by every Game::update
    LayerShape shape;  // worked out by load, read by Game::render
};

// The five layers, indexed by LayerIndex.
struct ParallaxBackground {
    ParallaxLayer layers[LayerCount];

    // Start-up calls this once the player picture has loaded: loads the five
    // pictures, makes their textures with `renderer`, and reports each failure.
    void load(SDL_Renderer* renderer);
};

// ParallaxBackground::load calls this for each picture it made a texture of:
// the rows that can show and the opaque band at the bottom, per column block.
// Leaves the shape unknown for a picture not world-sized or of a format it cannot read.
void measureShape(const SDL_Surface* picture, LayerShape& shape);

// A layer's picture: its path below the working directory, and the line printed when it cannot be used.
struct LayerFile {
    const char* path;
    const char* failure;
};
// ParallaxBackground::load, the bench and the picture generator take each layer's file here, by LayerIndex.
extern const LayerFile kLayerFiles[LayerCount];

// Layers in the order Game::render draws them, farthest first.
extern const LayerIndex kDrawOrder[LayerCount];
// Layers in the order teardown releases them.
extern const LayerIndex kReleaseOrder[LayerCount];
// Share of the camera's x by which each layer scrolls, indexed by LayerIndex.
extern const double kLayerScroll[LayerCount];

// Start-up and ParallaxBackground::load call this for every picture: reads
// the PNG at `path` through loadPictureFrom. Returns null with the reason in SDL_GetError.
SDL_Surface* loadPicture(const char* path);
// loadPicture and the fuzz targets call this: reads a PNG from `stream` and closes it, refusing
// a file that is not a PNG or claims an outsized picture before any decoding.
// Returns null with the reason in SDL_GetError; null `stream` is a failure already set.
SDL_Surface* loadPictureFrom(SDL_RWops* stream);
