// Start-up, teardown, event handling and the frame gate, on SDL's dummy video driver.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app.h"
#include "support.h"

namespace {

constexpr int64_t kMicrosecond = 1000;  // in nanoseconds

// Feeds the gate a sequence of clock readings in microseconds; returns which opened.
std::vector<bool> gateAt(Game& game, const std::vector<int64_t>& microseconds) {
    std::vector<bool> opened;
    for (int64_t t : microseconds) opened.push_back(frameGateOpens(game, t * kMicrosecond));
    return opened;
}

SDL_Event keyEvent(Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    return event;
}

struct StartResult {
    bool started = false;
    std::string out;
    std::string err;
};

// Runs start-up with both console streams captured; the caller tears down.
StartResult startCaptured(Game& game, Player& player) {
    StartResult result;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    result.started = startUp(game, player);
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

int countLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

}  // namespace

TEST(FrameGate, OpensOncePerWindow) {
    Game game;
    EXPECT_EQ(gateAt(game, {0, 1, 50, 99}), (std::vector<bool>{true, false, false, false}))
        << "many passes inside one window run one frame";
    EXPECT_EQ(gateAt(game, {100, 16665}), (std::vector<bool>{false, false}));
    EXPECT_EQ(gateAt(game, {16666, 16700, 16766}), (std::vector<bool>{true, false, false}))
        << "the period is 16666 microseconds, not 16667";
    EXPECT_EQ(gateAt(game, {16666000, 16666099}), (std::vector<bool>{true, false}))
        << "the 1000th period starts at 16666000 microseconds";
}

TEST(FrameGate, APassSpanningTwoWindowsSkipsTheSecond) {
    Game game;
    EXPECT_EQ(gateAt(game, {10, 16676, 16900, 33332}), (std::vector<bool>{true, false, false, true}))
        << "no pass fell outside between the first two windows";

    Game truncation;
    EXPECT_TRUE(frameGateOpens(truncation, 99999)) << "99.999 microseconds truncates to 99";
    EXPECT_FALSE(frameGateOpens(truncation, 100000));
    EXPECT_FALSE(truncation.frameDone) << "outside the window the latch clears";
}

TEST(Events, KeysSetAndClearTheirFlags) {
    Game game;
    Player player;
    game.running = true;
    const struct {
        SDL_Keycode upper, lower;
        bool Game::*flag;
    } keys[] = {{'W', 'w', &Game::upHeld},
                {'S', 's', &Game::downHeld},
                {'A', 'a', &Game::leftHeld},
                {'D', 'd', &Game::rightHeld}};
    for (const auto& key : keys) {
        for (SDL_Keycode code : {key.upper, key.lower}) {
            handleEvent(game, player, keyEvent(SDL_KEYDOWN, code));
            handleEvent(game, player, keyEvent(SDL_KEYDOWN, code));  // key repeat
            EXPECT_TRUE(game.*key.flag) << "key " << code << " down";
            handleEvent(game, player, keyEvent(SDL_KEYUP, code));
            EXPECT_FALSE(game.*key.flag) << "key " << code << " up";
        }
    }

    handleEvent(game, player, keyEvent(SDL_KEYUP, '='));
    EXPECT_FALSE(game.speedUpPressed) << "= acts on the press only";
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, '='));
    EXPECT_TRUE(game.speedUpPressed);

    handleEvent(game, player, keyEvent(SDL_KEYDOWN, 'x'));
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, SDLK_LEFT));
    EXPECT_FALSE(game.upHeld || game.downHeld || game.leftHeld || game.rightHeld);
    EXPECT_TRUE(game.running);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    handleEvent(game, player, quit);
    EXPECT_FALSE(game.running);
}

TEST(Events, DebugBlockBeforeAndAfterTheFirstFrame) {
    Game game;
    Player player;
    testing::internal::CaptureStdout();
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, 'e'));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "540 540\n540 540\n80\n\n");

    game.update(player);
    player.speed = 85;
    testing::internal::CaptureStdout();
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, 'E'));
    handleEvent(game, player, keyEvent(SDL_KEYUP, 'e'));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "540 630\n540 540\n85\n\n");
}

TEST(StartUp, FullStartThenTeardown) {
    ScratchFolder folder;
    writeAllPictures();
    Game game;
    Player player;
    const StartResult start = startCaptured(game, player);

    EXPECT_TRUE(start.started);
    EXPECT_TRUE(game.running);
    EXPECT_EQ(start.out,
              "SDL init success\nWindow creation successful\nrenderer creation success\n"
              "Loaded Parallax Images\ninit success\nPlayer ts init\nplayer init\n");
    EXPECT_EQ(start.err, "");
    EXPECT_NE(game.playerSurface, nullptr);
    EXPECT_NE(game.playerTexture, nullptr);
    EXPECT_NE(player.texture, nullptr);
    EXPECT_NE(player.texture, game.playerTexture) << "the player's own texture is a second one";
    EXPECT_EQ(player.renderer, game.renderer);
    EXPECT_EQ(player.speed, 80);
    EXPECT_EQ(player.dst.w, 64);
    for (const ParallaxLayer& layer : game.background.layers) {
        EXPECT_NE(layer.surface, nullptr);
        EXPECT_NE(layer.texture, nullptr);
        EXPECT_EQ(layer.dst.w, 8192);
        EXPECT_EQ(layer.dst.h, 768);
        EXPECT_EQ(layer.src.w, 8192);
    }
    EXPECT_EQ(std::string(SDL_GetWindowTitle(game.window)), "Hollowmere");
    int w = 0, h = 0;
    SDL_GetWindowSize(game.window, &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);

    tearDown(game, player);
    EXPECT_EQ(game.window, nullptr);
    EXPECT_EQ(game.renderer, nullptr);
    EXPECT_EQ(game.playerSurface, nullptr);
    EXPECT_EQ(player.texture, nullptr);
    for (const ParallaxLayer& layer : game.background.layers) {
        EXPECT_EQ(layer.surface, nullptr);
        EXPECT_EQ(layer.texture, nullptr);
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u) << "SDL is shut down";
    tearDown(game, player);  // a second teardown finds only null handles
}

TEST(StartUp, NoImagesFolderFailsAfterThePlayerPicture) {
    ScratchFolder folder;
    Game game;
    Player player;
    const StartResult start = startCaptured(game, player);
    tearDown(game, player);

    EXPECT_FALSE(start.started);
    EXPECT_FALSE(game.running);
    EXPECT_EQ(start.out,
              "SDL init success\nWindow creation successful\nrenderer creation success\n"
              "player load fail\nPlayer ts init\nplayer init\n");
    EXPECT_EQ(start.err.rfind("Images/Player.png: ", 0), 0u) << start.err;
    EXPECT_EQ(countLines(start.err), 1) << start.err;
    EXPECT_EQ(player.position.x, 540) << "the player is set up anyway";
}

TEST(StartUp, MissingBackgroundsLeaveTheirLayersEmpty) {
    const std::vector<std::string> names = {"Background1", "Background2", "Ground", "Sky", "Clouds"};
    for (size_t missing = 0; missing < names.size(); ++missing) {
        ScratchFolder folder;
        writeAllPictures();
        std::filesystem::remove("Images/Background/" + names[missing] + ".png");
        Game game;
        Player player;
        const StartResult start = startCaptured(game, player);

        EXPECT_TRUE(start.started) << names[missing];
        EXPECT_EQ(start.out, "SDL init success\nWindow creation successful\nrenderer creation success\n" +
                                 names[missing] +
                                 " load fail\nLoaded Parallax Images\ninit success\n"
                                 "Player ts init\nplayer init\n");
        EXPECT_EQ(countLines(start.err), 1) << start.err;
        EXPECT_NE(start.err.find(names[missing] + ".png"), std::string::npos) << start.err;
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(game.background.layers[i].texture == nullptr, i == missing)
                << names[i] << " with " << names[missing] << " missing";
        }
        EXPECT_EQ(game.background.layers[missing].dst.w, 8192) << "placed even when empty";
        tearDown(game, player);
    }
}

TEST(StartUp, VideoFailureSkipsToThePlayerSetUp) {
    ScratchFolder folder;
    writeAllPictures();
    const std::string driver = SDL_getenv("SDL_VIDEODRIVER") ? SDL_getenv("SDL_VIDEODRIVER") : "";
    SDL_setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    Game game;
    Player player;
    const StartResult start = startCaptured(game, player);
    tearDown(game, player);
    SDL_setenv("SDL_VIDEODRIVER", driver.empty() ? "dummy" : driver.c_str(), 1);

    EXPECT_FALSE(start.started);
    EXPECT_EQ(start.out, "SDL init fail\nPlayer ts init\nplayer init\n");
    EXPECT_EQ(start.err.rfind("SDL_Init: ", 0), 0u) << start.err;
    EXPECT_EQ(player.texture, nullptr) << "no renderer, no texture";
    EXPECT_EQ(player.renderer, nullptr);
}

TEST(StartUp, PicturesThatCannotBecomeTexturesAreReported) {
    ScratchFolder folder;
    writeAllPictures();
    ParallaxBackground background;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    // Without a renderer every picture decodes but no texture can be made.
    background.load(nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out,
              "Background1 load fail\nBackground2 load fail\nGround load fail\nSky load fail\n"
              "Clouds load fail\nLoaded Parallax Images\n");
    EXPECT_EQ(countLines(err), 5) << err;
    for (ParallaxLayer& layer : background.layers) {
        EXPECT_NE(layer.surface, nullptr);
        EXPECT_EQ(layer.texture, nullptr);
        SDL_FreeSurface(layer.surface);
    }
}
