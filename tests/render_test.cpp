// Drawing a frame through the software renderer, and the sky colour cycle.
#include <gtest/gtest.h>

#include "app/app.h"
#include "render/render.h"
#include "support.h"

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kYellow{255, 255, 0};

// A game drawing into a window-sized surface through SDL's software renderer.
class Scene : public testing::Test {
protected:
    void SetUp() override {
        target = SDL_CreateRGBSurfaceWithFormat(0, kWindowWidth, kWindowHeight, 32,
                                                SDL_PIXELFORMAT_ARGB8888);
        game.renderer = SDL_CreateSoftwareRenderer(target);
        ASSERT_NE(game.renderer, nullptr) << SDL_GetError();
        SDL_SetRenderDrawColor(game.renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
        for (ParallaxLayer& layer : game.background.layers) layer.dst = layer.src;
    }

    void TearDown() override {
        for (ParallaxLayer& layer : game.background.layers) SDL_DestroyTexture(layer.texture);
        SDL_DestroyTexture(game.playerTexture);
        SDL_DestroyRenderer(game.renderer);
        SDL_FreeSurface(target);
    }

    // Gives a layer a world-sized picture, clear but for one opaque band of world columns.
    void band(LayerIndex layer, int from, int to, Rgb colour) {
        SDL_Surface* picture = makeClearSurface(kWorldWidth, kWorldHeight);
        paint(picture, {from, 0, to - from, kWorldHeight}, colour);
        game.background.layers[layer].texture = SDL_CreateTextureFromSurface(game.renderer, picture);
        SDL_FreeSurface(picture);
    }

    // Gives the sky an opaque white picture with no alpha channel.
    void whiteSky() {
        SDL_Surface* picture =
            SDL_CreateRGBSurfaceWithFormat(0, kWorldWidth, kWorldHeight, 24, SDL_PIXELFORMAT_RGB24);
        SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 255, 255, 255));
        game.background.layers[Sky].texture = SDL_CreateTextureFromSurface(game.renderer, picture);
        SDL_FreeSurface(picture);
    }

    Rgb at(int x, int y = 300) { return pixelAt(target, x, y); }

    Game game;
    Player player;
    SDL_Surface* target = nullptr;
};

}  // namespace

TEST_F(Scene, LayersDrawFarthestFirstAtTheirOffsets) {
    whiteSky();
    band(Clouds, 0, 100, kRed);
    band(Background2, 50, 150, kGreen);
    band(Background1, 100, 200, kBlue);
    band(Ground, 150, 250, kYellow);
    game.update(player);  // offsets Clouds -5, Background2 -17, Background1 -32, Ground -44
    game.render(player);

    const struct {
        int x;
        Rgb expected;
        const char* why;
    } probes[] = {
        {20, kRed, "Clouds over Sky"},
        {50, {0, 180, 0}, "Background2 over Clouds, dimmed to 180"},
        {100, kBlue, "Background1 over Background2"},
        {150, kYellow, "Ground over Background1"},
        {205, kYellow, "Ground's band ends at 249 - 44"},
        {206, {0, 100, 255}, "white sky under its starting tint"},
        {1023, {0, 100, 255}, "white sky under its starting tint"},
    };
    for (const auto& probe : probes) {
        EXPECT_EQ(at(probe.x), probe.expected)
            << probe.why << " at x " << probe.x << ": got " << describe(at(probe.x))
            << ", expected " << describe(probe.expected);
    }
}

TEST_F(Scene, MissingLayersShowWhatIsBehind) {
    band(Clouds, 0, 100, kRed);
    band(Ground, 150, 250, kYellow);
    game.render(player);
    EXPECT_EQ(at(50), kRed) << "got " << describe(at(50));
    EXPECT_EQ(at(120), kBlack) << "no sky: the clear colour; got " << describe(at(120));
    EXPECT_EQ(at(200), kYellow) << "got " << describe(at(200));

    SDL_DestroyTexture(game.background.layers[Clouds].texture);
    game.background.layers[Clouds].texture = nullptr;
    game.render(player);
    EXPECT_EQ(at(50), kBlack) << "a removed layer leaves nothing behind; got " << describe(at(50));
}

TEST_F(Scene, SpriteIsScaledTwiceAndMirroredWhenFacingLeft) {
    // Left half red, right half blue, so mirroring swaps them.
    SDL_Surface* sheet = makeClearSurface(64, 32);
    paint(sheet, {0, 0, 16, 32}, kRed);
    paint(sheet, {16, 0, 16, 32}, kBlue);
    paint(sheet, {32, 0, 32, 32}, kGreen);  // a second frame that must not show
    game.playerTexture = SDL_CreateTextureFromSurface(game.renderer, sheet);
    SDL_FreeSurface(sheet);

    const auto expectRow = [&](int y, Rgb left, Rgb right, const char* facing) {
        const struct {
            int x;
            Rgb expected;
        } probes[] = {{539, kBlack}, {540, left}, {571, left}, {572, right}, {603, right}, {604, kBlack}};
        for (const auto& probe : probes) {
            EXPECT_EQ(at(probe.x, y), probe.expected)
                << facing << " at (" << probe.x << ", " << y << "): got "
                << describe(at(probe.x, y)) << ", expected " << describe(probe.expected);
        }
    };

    game.render(player);
    expectRow(540, kRed, kBlue, "facing right");
    expectRow(603, kRed, kBlue, "facing right");
    EXPECT_EQ(at(560, 539), kBlack) << "above the sprite";
    EXPECT_EQ(at(560, 604), kBlack) << "below the sprite";

    game.leftHeld = true;
    game.update(player);
    game.render(player);
    expectRow(570, kBlue, kRed, "facing left");

    game.leftHeld = false;
    game.update(player);
    game.render(player);
    expectRow(570, kBlue, kRed, "still facing left with no key held");
}

TEST_F(Scene, SkyPixelsCarryTheCycleTint) {
    whiteSky();
    const struct {
        int frames;  // rendered so far
        Rgb expected;
    } checkpoints[] = {
        {5, {0, 100, 255}},    // no step yet
        {6, {0, 99, 255}},     // first step on the sixth frame
        {10, {0, 99, 255}},
        {11, {0, 98, 255}},
        {501, {0, 0, 253}},    // step 100
        {1131, {40, 0, 1}},    // step 226: deep night, dusk glow
    };
    int rendered = 0;
    for (const auto& checkpoint : checkpoints) {
        while (rendered < checkpoint.frames) {
            game.render(player);
            ++rendered;
        }
        EXPECT_EQ(at(600, 100), checkpoint.expected)
            << "after " << rendered << " frames: got " << describe(at(600, 100)) << ", expected "
            << describe(checkpoint.expected);
    }
}

namespace {

Rgb colourOf(const Game& game) {
    return {game.skyColour.red, game.skyColour.green, game.skyColour.blue};
}

// Takes sky steps until the cycle position reaches `position`.
void stepTo(Game& game, float position) {
    while (game.cyclePosition != position) {
        game.cycleStepCounter = 5;
        stepSkyCycle(game);
    }
}

}  // namespace

TEST(SkyCycle, FirstCycleCheckpoints) {
    Game game;
    const struct {
        float p;
        Rgb expected;
    } checkpoints[] = {
        {1, {0, 99, 255}},    {99, {0, 1, 255}},    {100, {0, 0, 253}},   {101, {0, 0, 251}},
        {159, {0, 0, 135}},   {160, {1, 0, 133}},   {199, {40, 0, 55}},   {200, {40, 0, 53}},
        {225, {40, 0, 3}},    {226, {40, 0, 1}},    {240, {40, 0, 1}},    {241, {39, 0, 1}},
        {279, {1, 0, 1}},     {280, {0, 0, 1}},     {300, {0, 0, 1}},     {449, {0, 0, 1}},
        {450, {1, 0, 1}},     {499, {50, 0, 1}},    {500, {49, 0, 2}},    {549, {0, 0, 51}},
        {550, {0, 1, 52}},    {649, {0, 100, 151}}, {650, {0, 101, 152}}, {651, {0, 101, 153}},
        {753, {0, 101, 255}}, {755, {0, 101, 255}}, {799, {0, 101, 255}},
    };
    for (const auto& checkpoint : checkpoints) {
        stepTo(game, checkpoint.p);
        EXPECT_EQ(colourOf(game), checkpoint.expected)
            << "at p " << checkpoint.p << ": got " << describe(colourOf(game)) << ", expected "
            << describe(checkpoint.expected);
    }
    game.cycleStepCounter = 5;
    stepSkyCycle(game);
    EXPECT_EQ(game.cyclePosition, 0.0f) << "the step at p 800 starts the cycle over";
    EXPECT_EQ(colourOf(game), (Rgb{0, 101, 255})) << "got " << describe(colourOf(game));
    stepTo(game, 1);
    EXPECT_EQ(colourOf(game), (Rgb{0, 100, 255})) << "got " << describe(colourOf(game));
}

TEST(SkyCycle, StepsEveryFifthFrameAfterTheFirstFive) {
    Game game;
    std::vector<int> stepFrames;
    for (int frame = 1; frame <= 21; ++frame) {
        const float before = game.cyclePosition;
        stepSkyCycle(game);
        if (game.cyclePosition != before) stepFrames.push_back(frame);
    }
    EXPECT_EQ(stepFrames, (std::vector<int>{6, 11, 16, 21}));
}

TEST(SkyCycle, GreenDriftsAndWrapsWhileRedAndBlueStayInRange) {
    Game game;
    int lowestRed = 255, highestRed = 0, lowestBlue = 255, highestBlue = 0;
    for (int cycle = 1; cycle <= 160; ++cycle) {
        for (int step = 0; step < 800; ++step) {
            game.cycleStepCounter = 5;
            stepSkyCycle(game);
            lowestRed = std::min<int>(lowestRed, game.skyColour.red);
            highestRed = std::max<int>(highestRed, game.skyColour.red);
            lowestBlue = std::min<int>(lowestBlue, game.skyColour.blue);
            highestBlue = std::max<int>(highestBlue, game.skyColour.blue);
        }
        const Rgb expected{0, Uint8((100 + cycle) % 256), 255};
        if (colourOf(game) != expected || game.cyclePosition != 0.0f) {
            ADD_FAILURE() << "after cycle " << cycle << ": got " << describe(colourOf(game))
                          << " at p " << game.cyclePosition << ", expected "
                          << describe(expected) << " at p 0";
            break;
        }
    }
    EXPECT_EQ(game.skyColour.green, 4) << "green passed 255 and wrapped to 0 at cycle 156";
    EXPECT_EQ(lowestRed, 0);
    EXPECT_EQ(highestRed, 50);
    EXPECT_EQ(lowestBlue, 1);
    EXPECT_EQ(highestBlue, 255);
}
