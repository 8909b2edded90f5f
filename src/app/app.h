// Application shell: the Game and Player records that hold all state,
// start-up, event handling, the frame gate and teardown.
#pragma once

#include <cstdint>

#include <SDL.h>

#include "world/world.h"

// Window size, in pixels.
constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 768;
constexpr int kFramesPerSecond = 60;
// A frame may start only this soon after the start of its period, in microseconds.
constexpr int64_t kFrameWindowMicroseconds = 100;

constexpr const char* kWindowTitle = "Hollowmere";
constexpr const char* kPlayerPath = "Images/Player.png";

struct Player;

// Modulation of the sky layer, one byte a channel.
struct SkyColour {
    uint8_t red = 0;
    uint8_t green = 100;
    uint8_t blue = 255;
};

// All game state but the player; one lives in main for the whole run.
struct Game {
    bool running = false;
    bool frameDone = false;  // a frame already ran in the current frame window
    bool upHeld = false;
    bool downHeld = false;
    bool leftHeld = false;
    bool rightHeld = false;
    bool speedUpPressed = false;  // consumed by the next update
    int32_t fps = kFramesPerSecond;
    int32_t animTick = 0;
    int32_t ticksPerAnimFrame = 64;
    SDL_Rect camera{0, 0, kWindowWidth, kWindowHeight};
    ParallaxBackground background;
    SkyColour skyColour;
    float cyclePosition = 0.0f;  // whole steps into the sky cycle, 0 to 800
    int32_t cycleStepCounter = 0;  // frames since the last sky step
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Surface* playerSurface = nullptr;  // kept until teardown
    SDL_Texture* playerTexture = nullptr;  // the one drawn for the player

    // The frame step calls this first: moves the camera, places the layers,
    // walks and animates the player.
    void update(Player& player);
    // The frame step calls this after update: steps the sky cycle, draws
    // the layers and the sprite, and presents.
    void render(const Player& player);
};

// The walking character.
struct Player {
    SDL_Rect position{540, 540, 32, 32};  // in the world
    SDL_Texture* texture = nullptr;  // the player's own texture, released at teardown
    SDL_Renderer* renderer = nullptr;  // the one `texture` was made with
    int32_t speed = 80;  // tenths of a pixel per update
    int32_t frameIndex = 0;
    int32_t frameCount = 1;  // walk frames in the sheet's top row
    bool facingRight = true;
    SDL_Rect src{0, 0, 32, 32};  // sheet cell drawn; x is frameIndex * 32
    SDL_Rect dst{540, 540, 64, 64};  // on screen; never moves
};

// Everything calls this for console output: one line on standard output, flushed.
void printLine(const char* text);
// Failure paths call this after their message: `what` and SDL's reason, one line on standard error.
void printCause(const char* what);

// main calls this first: brings up SDL, the window, the renderer and the
// pictures, then sets up the player. Returns whether the loop may run.
bool startUp(Game& game, Player& player);
// The loop calls this for every pending event: key flags, quit, debug block.
void handleEvent(Game& game, const Player& player, const SDL_Event& event);
// Both loops, desktop and browser, call this first in every pass: handles every pending event.
void pollEvents(Game& game, const Player& player);
// The loop calls this once a pass: the monotonic clock, in nanoseconds.
int64_t steadyNanoseconds();
// The loop calls this once a pass with steadyNanoseconds(): true
// when a frame is due. Opens once per frame window.
bool frameGateOpens(Game& game, int64_t nowNanoseconds);
// main's browser pass keeps one: a page cannot spin, and a pass a display
// frame would seldom land in the desktop gate's 100-microsecond window.
struct BrowserGate {
    int64_t lastPeriod = -1;  // clock's frame period of the last frame run; -1 before the first
};
// The browser's pass calls this once with steadyNanoseconds(): true when the
// pass falls in a later frame period than the last frame that ran. At most
// one frame a period; missed periods are skipped, never caught up.
bool browserGateOpens(BrowserGate& gate, int32_t fps, int64_t nowNanoseconds);
// The browser's pass calls this to wait without a display frame: the clock
// time, in nanoseconds, half way through the period after the last frame's.
int64_t browserGateNextNanoseconds(const BrowserGate& gate, int32_t fps);
// main calls this last: releases every SDL object in a fixed order and
// leaves the handles null. Harmless on handles never made.
void tearDown(Game& game, Player& player);
// main calls this after teardown: lets the console wait for a key where it can.
void pauseConsole();
