// The frame gate, events, start-up with its failure paths, the picture guard and teardown.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "support.h"

namespace {

// Feeds a fresh gate of either kind clock readings in microseconds; returns which readings opened it.
std::vector<bool> gateAt(bool browser, const std::vector<int64_t>& microseconds) {
    Game game;
    BrowserGate gate;
    std::vector<bool> opened;
    for (int64_t t : microseconds)
        opened.push_back(browser ? browserGateOpens(gate, game.fps, t * 1000) : frameGateOpens(game, t * 1000));
    return opened;
}

SDL_Event keyEvent(Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    return event;
}

// Writes the six pictures the game reads, 16 x 16 and opaque, into Images/ here.
void writeAllPictures() {
    SDL_Surface* picture = makeSurface(16, 16, {0, 0, 16, 16}, {10, 20, 30});
    std::filesystem::create_directories("Images/Background");
    IMG_SavePNG(picture, "Images/Player.png");
    for (const char* name : {"Background1", "Background2", "Ground", "Sky", "Clouds"}) {
        IMG_SavePNG(picture, (std::string("Images/Background/") + name + ".png").c_str());
    }
    SDL_FreeSurface(picture);
}

const std::string kVideoLines =
    "SDL init success\nWindow creation successful\nrenderer creation success\n";
const std::string kPlayerLines = "Player ts init\nplayer init\n";

// A PNG signature and header chunk claiming a w x h picture, with no pixel data.
std::string pngHeader(uint32_t w, uint32_t h) {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (uint32_t v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8) bytes += char(v >> shift & 0xff);
    return bytes + std::string("\x08\x06\0\0\0", 5);
}

}  // namespace

TEST(FrameGate, OpensOncePerFrameWindowOnDesktopsAndOncePerPeriodInBrowsers) {
    const struct {
        bool browser;
        std::vector<int64_t> microseconds;
        std::vector<bool> opened;
        const char* why;
    } runs[] = {
        {false, {0, 1, 50, 99, 100, 16665}, {true, false, false, false, false, false},
         "one frame per window however many passes land in it"},
        {false, {150, 5000, 16666, 16765, 16766}, {false, false, true, false, false},
         "the period is 16666, not 16667"},
        {false, {16766, 33331, 33431}, {false, false, true},
         "the window is exactly 100 microseconds wide: 100 after its start is out, 99 in"},
        {false, {10, 16676, 16900, 33332}, {true, false, false, true},
         "a pass spanning two windows skips the second"},
        {false, {16666000, 16666099}, {true, false}, "the 1000th period starts at 16666000"},
        {true, {0, 1, 16665, 16666, 33331, 33332}, {true, false, false, true, false, true},
         "a browser runs one frame a period, the first pass of each, and the period is 16666"},
        {true, {10, 50000, 50001, 66664, 66665, 16666000}, {true, true, false, true, false, true},
         "a browser skips missed periods and never catches up"},
    };
    for (const auto& run : runs) {
        EXPECT_EQ(gateAt(run.browser, run.microseconds), run.opened) << run.why;
    }
    Game game;
    EXPECT_TRUE(frameGateOpens(game, 99999)) << "99.999 microseconds truncates to 99";
    BrowserGate gate;
    EXPECT_TRUE(browserGateOpens(gate, 60, 0) && !browserGateOpens(gate, 60, 16665999))
        << "16665.999 microseconds truncates into the first period";
}

TEST(FrameGate, ABrowserPassOnATimerIsDueHalfWayIntoThePeriodAfterTheLastFrame) {
    constexpr int64_t kPeriod = 16666;
    BrowserGate gate;
    EXPECT_EQ(browserGateNextNanoseconds(gate, 60), kPeriod / 2 * 1000) << "before any frame: the first period";
    for (int64_t ranAt : {int64_t(0), kPeriod, 3 * kPeriod - 1, 1000 * kPeriod + 12345}) {
        ASSERT_TRUE(browserGateOpens(gate, 60, ranAt * 1000)) << "a frame at " << ranAt;
        const int64_t due = browserGateNextNanoseconds(gate, 60);
        const int64_t expected = (ranAt / kPeriod + 1) * kPeriod * 1000 + kPeriod / 2 * 1000;
        EXPECT_EQ(due, expected) << "after a frame at " << ranAt << " microseconds";
        BrowserGate probe = gate;
        EXPECT_TRUE(browserGateOpens(probe, 60, due)) << "the gate opens when the timer is due";
        EXPECT_FALSE(browserGateOpens(probe, 60, due + kPeriod / 2 * 1000 - 1000)) << "and once in that period";
    }
}

TEST(Events, KeysFlagsQuitAndTheDebugBlock) {
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
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, '='));
    handleEvent(game, player, keyEvent(SDL_KEYUP, '='));
    EXPECT_TRUE(game.speedUpPressed) << "releasing = leaves the request for the next update";

    testing::internal::CaptureStdout();
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, 'e'));
    game.update(player);
    player.position.x = 600;
    handleEvent(game, player, keyEvent(SDL_KEYDOWN, 'E'));
    handleEvent(game, player, keyEvent(SDL_KEYUP, 'e'));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "540 540\n540 540\n80\n\n600 630\n540 540\n81\n\n")
        << "one block per press: position, screen position, speed, an empty line";

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_TRUE(game.running);
    handleEvent(game, player, quit);
    EXPECT_FALSE(game.running);
}

TEST(StartUp, EachStepReportsItselfAndAFailureSkipsTheRest) {
    const std::string names[] = {"Background1", "Background2", "Ground", "Sky", "Clouds"};
    // -3: nothing missing; -2: no video driver; -1: no Images folder; 0 to 4: that layer's picture.
    for (int missing = -3; missing < LayerCount; ++missing) {
        ScratchFolder folder;
        writeAllPictures();
        std::string out = kVideoLines + "player load fail\n" + kPlayerLines, cause = "Images/Player.png: ";
        if (missing == -3) {
            out = kVideoLines + "Loaded Parallax Images\ninit success\n" + kPlayerLines;
            cause = "";
        } else if (missing == -2) {
            SDL_setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            out = "SDL init fail\n" + kPlayerLines;
            cause = "SDL_Init: ";
        } else if (missing == -1) {
            std::filesystem::remove_all("Images");
        } else {
            cause = "Images/Background/" + names[missing] + ".png: ";
            std::filesystem::remove(cause.substr(0, cause.size() - 2));
            out = kVideoLines + names[missing] + " load fail\nLoaded Parallax Images\ninit success\n" +
                  kPlayerLines;
        }
        Game game;
        Player player;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        startUp(game, player);
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), out) << "missing " << missing;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.substr(0, cause.size()), cause) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), cause.empty() ? 0 : 1) << err;
        EXPECT_EQ(game.running, missing == -3 || missing >= 0);
        for (int i = 0; i < LayerCount && missing != -2 && missing != -1; ++i) {
            EXPECT_EQ(game.background.layers[i].texture == nullptr, i == missing) << names[i];
            EXPECT_EQ(game.background.layers[i].dst.w, 8192) << names[i] << " placed even when empty";
        }
        if (missing == -3) {
            EXPECT_STREQ(SDL_GetWindowTitle(game.window), "Hollowmere");
            int w = 0, h = 0;
            SDL_GetWindowSize(game.window, &w, &h);
            EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({1024, 768})) << "window size";
            EXPECT_NE(player.texture, nullptr);
        }
        tearDown(game, player);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u) << "SDL is shut down";
        EXPECT_TRUE(game.window == nullptr && game.renderer == nullptr && player.texture == nullptr);
    }

    // Without a renderer every picture decodes but no texture can be made.
    ScratchFolder folder;
    writeAllPictures();
    ParallaxBackground background;
    testing::internal::CaptureStdout();
    background.load(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Background1 load fail\nBackground2 load fail\nGround load fail\nSky load fail\n"
              "Clouds load fail\nLoaded Parallax Images\n");
    for (ParallaxLayer& layer : background.layers) SDL_FreeSurface(layer.surface);
}

TEST(PictureGuard, RefusesNonPngsAndOutsizedClaimsAtTheirExactBounds) {
    ScratchFolder folder;
    const struct {
        std::string bytes;
        const char* refusal;  // empty: the guard lets it through to the decoder
    } files[] = {
        {pngHeader(16384, 1), ""},
        {pngHeader(1, 16384), ""},
        {pngHeader(8000, 4000), ""},  // exactly 32,000,000 pixels
        {pngHeader(16385, 1), "claims 16385 x 1 pixels"},
        {pngHeader(1, 16385), "claims 1 x 16385 pixels"},
        {pngHeader(8000, 4001), "claims 8000 x 4001 pixels"},
        {pngHeader(30000, 30000), "claims 30000 x 30000 pixels"},
        {"BM" + std::string(60, '\0'), "not a PNG picture"},
        {"", "not a PNG picture"},
    };
    for (const auto& file : files) {
        std::ofstream("picture.png", std::ios::binary) << file.bytes;
        SDL_ClearError();
        EXPECT_EQ(loadPicture("picture.png"), nullptr) << "no pixel data to decode";
        const std::string error = SDL_GetError();
        const bool refused = *file.refusal != '\0';
        EXPECT_EQ(error.find(refused ? file.refusal : "claims") != std::string::npos, refused)
            << "got \"" << error << "\", expected " << (refused ? file.refusal : "no refusal");
    }
}

TEST(PictureGuard, WalksEveryChunkToIendBeforeDecoding) {
    ScratchFolder folder;
    SDL_Surface* surface = makeSurface(8, 4, {0, 0, 8, 4}, {1, 2, 3});
    IMG_SavePNG(surface, "good.png");
    SDL_FreeSurface(surface);
    std::ifstream saved("good.png", std::ios::binary);
    const std::string good{std::istreambuf_iterator<char>(saved), {}};
    const size_t iend = good.size() - 12;
    std::string badCrc = good, badName = good;
    badCrc[iend - 1] ^= 1;
    badName[iend + 5] = '1';
    const struct {
        std::string bytes;
        std::string refusal;  // empty: the picture loads
    } files[] = {
        {good, ""},
        {good + "trailing", ""},
        // An ancillary chunk cut off by the file's end, which libpng alone rereads forever.
        {good.substr(0, 33) + std::string("\0\0\0\x54sRGB\0", 9),
         "PNG chunk sRGB at byte 33 runs past the end of the file"},
        {good.substr(0, iend), "PNG ends at byte " + std::to_string(iend) + ", before its IEND chunk"},
        {badCrc, "PNG chunk IDAT at byte 33 fails its CRC"},
        {badName, "PNG chunk at byte " + std::to_string(iend) + " has no name of four letters"},
        {good.substr(0, 33) + std::string("\x80\0\0\0tEXt", 8),
         "PNG chunk at byte 33 has no name of four letters or a length over 2147483647"},
    };
    for (const auto& file : files) {
        std::ofstream("picture.png", std::ios::binary) << file.bytes;
        SDL_ClearError();
        SDL_Surface* picture = loadPicture("picture.png");
        const std::string error = picture == nullptr ? SDL_GetError() : "";
        SDL_FreeSurface(picture);
        EXPECT_EQ(error.substr(0, file.refusal.size()), file.refusal) << "got \"" << error << "\"";
        EXPECT_EQ(picture == nullptr, !file.refusal.empty()) << "expected \"" << file.refusal << "\"";
    }
}
