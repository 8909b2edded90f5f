// World: the five-layer parallax background, picture loading, and the
// constants of the world's geometry. Game::update lives in world.cpp too.
#pragma once

#include <SDL.h>

// The world is a strip this wide and high, in pixels.
constexpr int kWorldWidth = 8192;
constexpr int kWorldHeight = 768;

// A picture that claims more than this in either dimension is refused unread, in pixels.
constexpr int kPictureMaxSide = 16384;
// A picture that claims more than this in all is refused unread, in pixels.
constexpr long long kPictureMaxPixels = 32000000;

// Index of each layer in ParallaxBackground::layers.
enum LayerIndex { Background1, Background2, Ground, Sky, Clouds, LayerCount };

// One picture of the background and where it is drawn.
struct ParallaxLayer {
    SDL_Rect origin{0, 0, 0, 0};  // only x is read: the scroll origin
    SDL_Surface* surface = nullptr;  // kept until teardown
    SDL_Texture* texture = nullptr;
    SDL_Rect src{0, 0, kWorldWidth, kWorldHeight};
    SDL_Rect dst{0, 0, 0, 0};  // x is set by every Game::update
};

// The five layers, indexed by LayerIndex.
struct ParallaxBackground {
    ParallaxLayer layers[LayerCount];

    // Start-up calls this once the player picture has loaded: loads the five
    // pictures, makes their textures with `renderer`, and reports each failure.
    void load(SDL_Renderer* renderer);
};

// Layers in the order Game::render draws them, farthest first.
extern const LayerIndex kDrawOrder[LayerCount];
// Layers in the order teardown releases them.
extern const LayerIndex kReleaseOrder[LayerCount];
// Share of the camera's x by which each layer scrolls, indexed by LayerIndex.
extern const double kLayerScroll[LayerCount];

// Start-up and ParallaxBackground::load call this for every picture: reads
// the PNG at `path`, refusing a file that is not a PNG or claims an outsized
// picture before any decoding. Returns null with the reason in SDL_GetError.
SDL_Surface* loadPicture(const char* path);
