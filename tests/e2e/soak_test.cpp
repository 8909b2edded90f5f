// A long run, fast: the real frame gate, world step and drawing through a
// million frames with made-up clock readings and random keys, checking the
// world's invariants after every frame; and a flood of queued key events.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <SDL.h>
#include <gtest/gtest.h>

#include "app/app.h"

namespace {

constexpr int kSoakFrames = 1000000;
// Drawing goes to a surface this small so a frame costs little, in pixels.
constexpr int kTargetSide = 64;
// Layers are drawn from pictures this small into rectangles as small: SDL's
// software renderer copies a whole 8192 x 768 rectangle that crosses the target's
// edge through a temporary surface (0.4 ms a frame), and the world step reads
// only each layer's x anyway. In pixels.
constexpr int kPictureSide = 4;
// One frame period at 60 frames per second, and the window a frame may start in, in microseconds.
constexpr int64_t kPeriodMicroseconds = 16666;
constexpr int64_t kFrameWindowMicroseconds = 100;
// The made-up clock starts far from zero, as a steady clock does, in microseconds.
constexpr int64_t kClockStartMicroseconds = 987654321012;
// Resident memory may move this much between the warm-up and the end, in KiB.
constexpr long kMemoryGrowthLimitKib = 2048;
constexpr int kWarmUpFrames = 10000;

constexpr int kMinPlayerX = 495;
constexpr int kMaxPlayerX = 7667;
constexpr int kGroundY = 630;
constexpr int kMaxCameraX = 7168;
constexpr int kStartSpeed = 80;
// The sky's red and blue never leave these ranges.
constexpr int kSkyRedMax = 50;
constexpr int kSkyBlueMin = 1;
constexpr float kSkyCycleSteps = 800.0f;

// Share of the camera's x each layer scrolls by, in the layers' stored order:
// Background1, Background2, Ground, Sky, Clouds.
const double kScroll[LayerCount] = {0.7312, 0.4038, 1.0, 0.0, 0.127};

// Keys the random input picks from: every bound key but E, and two unbound ones.
const SDL_Keycode kKeys[] = {'a', 'A', 'd', 'D', 'w', 'W', 's', 'S', '=', 'x', SDLK_LEFT};

long residentKib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(status);
    return kib;
}

SDL_Event keyEvent(Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    return event;
}

SDL_Surface* makePicture(int w, int h) {
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA8888);
    if (picture != nullptr) {
        SDL_FillRect(picture, nullptr, SDL_MapRGBA(picture->format, 200, 150, 100, 255));
    }
    return picture;
}

// A game drawn by the software renderer into a small surface, with tiny textures.
class SoftwareScene : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        target = SDL_CreateRGBSurfaceWithFormat(0, kTargetSide, kTargetSide, 32,
                                                SDL_PIXELFORMAT_RGBA8888);
        ASSERT_NE(target, nullptr) << SDL_GetError();
        game.renderer = SDL_CreateSoftwareRenderer(target);
        ASSERT_NE(game.renderer, nullptr) << SDL_GetError();
        SDL_Surface* picture = makePicture(kPictureSide, kPictureSide);
        ASSERT_NE(picture, nullptr) << SDL_GetError();
        for (ParallaxLayer& layer : game.background.layers) {
            layer.texture = SDL_CreateTextureFromSurface(game.renderer, picture);
            ASSERT_NE(layer.texture, nullptr) << SDL_GetError();
            layer.src = {0, 0, kPictureSide, kPictureSide};
            layer.dst = {0, 0, kPictureSide, kPictureSide};
        }
        game.playerTexture = SDL_CreateTextureFromSurface(game.renderer, picture);
        SDL_FreeSurface(picture);
        game.running = true;
        player.renderer = game.renderer;
    }

    void TearDown() override {
        tearDown(game, player);
        SDL_FreeSurface(target);
    }

    SDL_Surface* target = nullptr;
    Game game;
    Player player;
};

// Every state invariant the world keeps after a frame; empty when all hold.
std::string brokenInvariant(const Game& game, const Player& player) {
    char why[256];
    if (player.position.x < kMinPlayerX || player.position.x > kMaxPlayerX) {
        std::snprintf(why, sizeof why, "player x %d outside %d..%d", player.position.x,
                      kMinPlayerX, kMaxPlayerX);
        return why;
    }
    if (player.position.y != kGroundY) {
        std::snprintf(why, sizeof why, "player y %d, expected %d", player.position.y, kGroundY);
        return why;
    }
    if (game.camera.x < 0 || game.camera.x > kMaxCameraX || game.camera.y != 0) {
        std::snprintf(why, sizeof why, "camera at %d, %d; expected x 0..%d, y 0", game.camera.x,
                      game.camera.y, kMaxCameraX);
        return why;
    }
    for (int i = 0; i < LayerCount; ++i) {
        const ParallaxLayer& layer = game.background.layers[i];
        const int expected = int(layer.origin.x - game.camera.x * kScroll[i]);
        if (layer.dst.x != expected) {
            std::snprintf(why, sizeof why, "layer %d at x %d, expected %d for camera x %d", i,
                          layer.dst.x, expected, game.camera.x);
            return why;
        }
    }
    if (game.skyColour.red > kSkyRedMax || game.skyColour.blue < kSkyBlueMin) {
        std::snprintf(why, sizeof why, "sky colour (%d, %d, %d): red over %d or blue under %d",
                      game.skyColour.red, game.skyColour.green, game.skyColour.blue, kSkyRedMax,
                      kSkyBlueMin);
        return why;
    }
    if (game.cyclePosition < 0.0f || game.cyclePosition > kSkyCycleSteps ||
        game.cyclePosition != float(int(game.cyclePosition))) {
        std::snprintf(why, sizeof why, "sky cycle position %f", double(game.cyclePosition));
        return why;
    }
    const SDL_Rect still{540, 540, 64, 64};
    if (!SDL_RectEquals(&player.dst, &still) || player.src.x != player.frameIndex * 32 ||
        player.frameIndex < 0 || player.frameIndex >= player.frameCount) {
        std::snprintf(why, sizeof why, "sprite at %d, %d size %d x %d, sheet x %d, frame %d",
                      player.dst.x, player.dst.y, player.dst.w, player.dst.h, player.src.x,
                      player.frameIndex);
        return why;
    }
    return "";
}

TEST_F(SoftwareScene, MillionFramesKeepEveryInvariantAndMemoryStill) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> keyPick(0, int(sizeof kKeys / sizeof kKeys[0]) - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> perMille(0, 999);
    std::uniform_int_distribution<int64_t> insideWindow(0, kFrameWindowMicroseconds - 1);
    std::uniform_int_distribution<int64_t> outsideWindow(kFrameWindowMicroseconds,
                                                         kPeriodMicroseconds - 1);

    int64_t period = kClockStartMicroseconds / kPeriodMicroseconds;
    bool clearedSinceFrame = true;
    int frames = 0;
    int expectedFrames = 0;
    long warmResident = -1;
    int lastSpeed = player.speed;

    while (frames < kSoakFrames) {
        ++period;
        // Most windows get a few passes; some none, as when one long pass spans a whole period.
        const int inside = percent(random) < 3 ? 0 : 1 + percent(random) % 3;
        // Usually passes fall outside the window too; rarely a pass runs from window to window.
        const int outside = percent(random) < 2 ? 0 : 1 + percent(random) % 2;
        for (int pass = 0; pass < inside + outside; ++pass) {
            if (percent(random) < 30) {
                const Uint32 type = percent(random) < 55 ? SDL_KEYDOWN : SDL_KEYUP;
                SDL_Keycode key = kKeys[keyPick(random)];
                // Speed-ups stay rare so that walking keeps a sensible pace.
                if (key == '=' && perMille(random) < 997) key = 'x';
                handleEvent(game, player, keyEvent(type, key));
            }
            const bool inWindow = pass < inside;
            const int64_t micro = period * kPeriodMicroseconds +
                                  (inWindow ? insideWindow(random) : outsideWindow(random));
            const bool due = inWindow && clearedSinceFrame;
            if (!inWindow) clearedSinceFrame = true;
            if (due) {
                clearedSinceFrame = false;
                ++expectedFrames;
            }
            const bool opened = frameGateOpens(game, micro * 1000 + percent(random) * 10);
            ASSERT_EQ(opened, due) << "pass " << pass << " of period " << period << " at "
                                   << micro << " us, frame " << frames;
            if (!opened) continue;

            game.update(player);
            game.render(player);
            ++frames;
            const std::string broken = brokenInvariant(game, player);
            ASSERT_EQ(broken, "") << "after frame " << frames;
            ASSERT_GE(player.speed, lastSpeed) << "after frame " << frames;
            ASSERT_LE(player.speed, lastSpeed + 1) << "after frame " << frames;
            lastSpeed = player.speed;
            if (frames == kWarmUpFrames) warmResident = residentKib();
        }
    }
    EXPECT_EQ(frames, expectedFrames);
    const long endResident = residentKib();
    ASSERT_GT(warmResident, 0);
    EXPECT_LE(endResident - warmResident, kMemoryGrowthLimitKib)
        << "resident memory " << warmResident << " KiB after " << kWarmUpFrames << " frames, "
        << endResident << " KiB after " << frames;
    std::printf("%d frames, speed %d, sky (%d, %d, %d), resident %ld -> %ld KiB\n", frames,
                player.speed, game.skyColour.red, game.skyColour.green, game.skyColour.blue,
                warmResident, endResident);
    EXPECT_GT(player.speed, kStartSpeed) << "the random input never pressed =";
}

TEST_F(SoftwareScene, FloodOfQueuedKeysIsHandledInOnePassAndFramesGoOn) {
    constexpr int kSpeedPresses = 10000;
    constexpr int kWalkPairs = 5000;
    constexpr int kDebugPresses = 1000;
    int pushed = 0;
    auto push = [&pushed](Uint32 type, SDL_Keycode key) {
        SDL_Event event = keyEvent(type, key);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << "event " << pushed << ": " << SDL_GetError();
        ++pushed;
    };
    for (int i = 0; i < kSpeedPresses; ++i) push(SDL_KEYDOWN, '=');
    for (int i = 0; i < kWalkPairs; ++i) {
        push(SDL_KEYDOWN, 'd');
        push(SDL_KEYUP, 'd');
    }
    for (int i = 0; i < kDebugPresses; ++i) push(SDL_KEYDOWN, 'e');
    push(SDL_KEYDOWN, 'D');

    // One pass of the loop: drain everything, then the gate.
    ::testing::internal::CaptureStdout();
    int handled = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) ++handled;
        handleEvent(game, player, event);
    }
    const std::string console = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(handled, pushed);

    std::string oneBlock = "540 540\n540 540\n80\n\n";
    std::string expected;
    for (int i = 0; i < kDebugPresses; ++i) expected += oneBlock;
    EXPECT_TRUE(console == expected) << "console has " << console.size() << " bytes, expected "
                                     << expected.size() << "; starts: " << console.substr(0, 64);

    // Three frames follow: D is held and one speed-up is waiting.
    int64_t micro = kClockStartMicroseconds;
    for (int frame = 0; frame < 3; ++frame) {
        micro += kPeriodMicroseconds - micro % kPeriodMicroseconds;
        ASSERT_FALSE(frameGateOpens(game, (micro - kPeriodMicroseconds / 2) * 1000));
        ASSERT_TRUE(frameGateOpens(game, micro * 1000));
        game.update(player);
        game.render(player);
    }
    EXPECT_EQ(player.position.x, 564) << "three steps right from 540 at speed 80, 81, 81";
    EXPECT_EQ(player.speed, 81) << "ten thousand = presses in one pass are one request";
    EXPECT_TRUE(game.rightHeld);
}

}  // namespace
