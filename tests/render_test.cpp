// Drawing a frame through the software renderer, and the sky colour cycle.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "app/app.h"
#include "render/render.h"
#include "support.h"

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kDayTint{0, 100, 255};

// A game drawing into a window-sized surface through SDL's software renderer.
class Scene : public testing::Test {
protected:
    void SetUp() override {
        target = SDL_CreateRGBSurfaceWithFormat(0, kWindowWidth, kWindowHeight, 32,
                                                SDL_PIXELFORMAT_ARGB8888);
        game.renderer = SDL_CreateSoftwareRenderer(target);
        ASSERT_NE(game.renderer, nullptr) << SDL_GetError();
        for (ParallaxLayer& layer : game.background.layers) layer.dst = layer.src;
    }

    void TearDown() override {
        for (ParallaxLayer& layer : game.background.layers) {
            SDL_DestroyTexture(layer.texture);
            SDL_FreeSurface(layer.surface);
        }
        SDL_DestroyTexture(game.playerTexture);
        SDL_DestroyRenderer(game.renderer);
        SDL_FreeSurface(target);
    }

    // A texture of a w x h picture, clear but for one opaque area.
    SDL_Texture* texture(int w, int h, const SDL_Rect& area, Rgb colour) {
        SDL_Surface* picture = makeSurface(w, h, area, colour);
        SDL_Texture* made = SDL_CreateTextureFromSurface(game.renderer, picture);
        SDL_FreeSurface(picture);
        return made;
    }

    // Gives a layer a world-sized picture, clear but for a band of world columns.
    void band(LayerIndex layer, int from, int to, Rgb colour) {
        SDL_DestroyTexture(game.background.layers[layer].texture);
        game.background.layers[layer].texture =
            texture(kWorldWidth, kWorldHeight, {from, 0, to - from, kWorldHeight}, colour);
    }

    Rgb at(int x, int y = 300) {
        Uint8 r, g, b;
        const auto* row = static_cast<const Uint8*>(target->pixels) + y * target->pitch;
        SDL_GetRGB(reinterpret_cast<const Uint32*>(row)[x], target->format, &r, &g, &b);
        return {r, g, b};
    }

    Game game;
    Player player;
    SDL_Surface* target = nullptr;
};

}  // namespace

TEST_F(Scene, LayersDrawFarthestFirstAtTheirOffsetsAndTints) {
    band(Sky, 0, kWorldWidth, {255, 255, 255});
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
        {100, kBlue, "Background1 over Background2, not dimmed"},
        {150, kYellow, "Ground over Background1"},
        {205, kYellow, "Ground's band ends at 249 - 44"},
        {206, kDayTint, "white sky under its starting tint"},
    };
    for (const auto& probe : probes) EXPECT_EQ(at(probe.x), probe.expected) << probe.why;
    // The tint changes in the very frame the sky cycle steps: the sixth, then every fifth.
    const Rgb tints[] = {kDayTint,     kDayTint,     kDayTint,     kDayTint,     {0, 99, 255},
                         {0, 99, 255}, {0, 99, 255}, {0, 99, 255}, {0, 99, 255}, {0, 98, 255}};
    for (int frame = 2; frame <= 11; ++frame) {
        game.render(player);
        EXPECT_EQ(at(206), tints[frame - 2]) << "sky in frame " << frame;
    }

    SDL_DestroyTexture(game.background.layers[Sky].texture);
    game.background.layers[Sky].texture = nullptr;
    game.render(player);
    EXPECT_EQ(at(20), kRed) << "a missing layer leaves the ones before it";
    EXPECT_EQ(at(206), kBlack) << "and the clear colour where nothing is drawn";
}

TEST_F(Scene, SpriteIsDrawnLastScaledTwiceAndMirroredWhenFacingLeft) {
    // A two-frame sheet, clear but for the left half of the first frame.
    game.playerTexture = texture(64, 32, {0, 0, 16, 32}, kRed);
    // Each layer in turn is opaque right under the sprite; the sprite must cover it.
    for (LayerIndex layer : {Sky, Clouds, Background2, Background1, Ground}) {
        band(layer, 400, 800, kYellow);
        game.render(player);
        EXPECT_EQ(at(560, 560), kRed) << "sprite over layer " << layer;
        EXPECT_FALSE(at(560, 539) == kBlack) << "layer " << layer << " drawn above the sprite";
        SDL_DestroyTexture(game.background.layers[layer].texture);
        game.background.layers[layer].texture = nullptr;
    }

    const auto row = [&](int y) {
        return std::vector<Rgb>{at(539, y), at(540, y), at(571, y), at(572, y), at(603, y), at(604, y)};
    };
    game.render(player);
    const std::vector<Rgb> facingRight = {kBlack, kRed, kRed, kBlack, kBlack, kBlack};
    EXPECT_EQ(row(540), facingRight) << "the cell's left half fills 540 to 571 facing right";
    EXPECT_EQ(at(560, 604), kBlack) << "below the sprite";

    game.leftHeld = true;
    game.update(player);
    game.leftHeld = false;
    game.update(player);
    game.render(player);
    EXPECT_EQ(row(570), (std::vector<Rgb>{kBlack, kBlack, kBlack, kRed, kRed, kBlack}))
        << "mirrored after walking left, and still with no key held";
}

namespace {

// A world-sized picture in four inks: clear, one that must show what lies behind it, and two
// opaque colours. 8-bit with these palette alphas, or 32-bit RGBA with alphas 0, 128, 255, 255.
SDL_Surface* worldPicture(const Uint8* paletteAlphas) {
    const SDL_Color inks[] = {{255, 0, 255, 0}, {0, 255, 0, 128}, {200, 40, 40, 255}, {40, 40, 200, 255}};
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(
        0, kWorldWidth, kWorldHeight, 0, paletteAlphas ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGBA32);
    if (paletteAlphas) {
        SDL_Color palette[std::size(inks)];
        for (size_t i = 0; i < std::size(inks); ++i) {
            palette[i] = {inks[i].r, inks[i].g, inks[i].b, paletteAlphas[i]};
        }
        SDL_SetPaletteColors(picture->format->palette, palette, 0, int(std::size(palette)));
        // Blended, as a PNG decoder hands over a palette that has alpha.
        SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_BLEND);
    }
    for (int y = 0; y < kWorldHeight; ++y) {
        auto* row = static_cast<Uint8*>(picture->pixels) + y * picture->pitch;
        for (int x = 0; x < kWorldWidth; ++x) {
            // Clear sky, then a checker of all four inks, then bands that look solid but for the second ink.
            int ink = y < 192 ? 0 : y < 480 ? (x / 40 + y / 24) % 4 : x / 256 % 3 == 0 ? 1 : 2 + x / 256 % 2;
            if (y >= 480 && y % 7 == 0 && ink == 3) ink = 1;
            const SDL_Color& c = inks[ink];
            if (paletteAlphas) row[x] = Uint8(ink);
            else reinterpret_cast<Uint32*>(row)[x] = SDL_MapRGBA(picture->format, c.r, c.g, c.b, c.a);
        }
    }
    return picture;
}

}  // namespace

TEST_F(Scene, TrimmedFramesMatchFiveFullCopiesAcrossTheWorld) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(HOLLOWMERE_SOURCE_DIR);
    game.background.load(game.renderer);
    std::filesystem::current_path(here);
    for (const ParallaxLayer& layer : game.background.layers) ASSERT_TRUE(layer.shape.known);
    std::vector<Uint32> full(kWindowWidth * kWindowHeight), trimmed(full.size());
    const auto capture = [&](std::vector<Uint32>& pixels) {
        for (int y = 0; y < kWindowHeight; ++y) {
            std::memcpy(&pixels[y * kWindowWidth], static_cast<Uint8*>(target->pixels) + y * target->pitch,
                        kWindowWidth * sizeof(Uint32));
        }
    };
    // The cycle's start, dusk's red, night, the end of a first cycle, a green that wrapped.
    const SkyColour tints[] = {{0, 100, 255}, {40, 0, 53}, {0, 0, 1}, {0, 101, 255}, {0, 4, 255}};
    const auto differences = [&](int cameraX, int tint) {
        player.position.x = cameraX + kWindowWidth / 2 - player.position.w / 2;
        game.skyColour = tints[tint % std::size(tints)];
        game.cycleStepCounter = 0;
        game.update(player);
        game.render(player);
        capture(trimmed);
        SDL_RenderClear(game.renderer);
        for (LayerIndex i : kDrawOrder) {
            const ParallaxLayer& layer = game.background.layers[i];
            SDL_RenderCopy(game.renderer, layer.texture, &layer.src, &layer.dst);
        }
        capture(full);
        const auto first = std::mismatch(trimmed.begin(), trimmed.end(), full.begin());
        if (first.first == trimmed.end()) return 0;
        const long at = first.first - trimmed.begin();
        ADD_FAILURE() << "camera x " << game.camera.x << ", first at (" << at % kWindowWidth << ", "
                      << at / kWindowWidth << "): got " << std::hex << *first.first << ", expected "
                      << *first.second;
        return 1;
    };
    // Odd steps put every layer at many offsets from the column blocks; both ends of the world too.
    int failures = 0, frame = 0;
    for (int x = 0; x < kWorldWidth - kWindowWidth; x += 71) failures += differences(x, frame++);
    failures += differences(kWorldWidth - kWindowWidth, frame++);
    // Without Ground nothing is hidden behind it any more.
    SDL_DestroyTexture(game.background.layers[Ground].texture);
    game.background.layers[Ground].texture = nullptr;
    for (int x : {0, 3001, 7168}) failures += differences(x, frame++);

    // Art made elsewhere: pictures the shape reader must refuse, or read by their alpha, in front.
    const Uint8 twoClear[] = {0, 0, 255, 255}, partial[] = {0, 128, 255, 255};
    for (SDL_Surface* picture : {worldPicture(twoClear), worldPicture(partial), worldPicture(nullptr)}) {
        ParallaxLayer& ground = game.background.layers[Ground];
        SDL_DestroyTexture(ground.texture);
        SDL_FreeSurface(ground.surface);
        ground.surface = picture;
        ground.texture = SDL_CreateTextureFromSurface(game.renderer, picture);
        measureShape(picture, ground.shape);
        for (int x = 0; x < kWorldWidth - kWindowWidth; x += 997) failures += differences(x, frame++);
    }
    EXPECT_EQ(failures, 0) << "frames that differ of " << frame;
}

namespace {

Rgb colourOf(const Game& game) {
    return {game.skyColour.red, game.skyColour.green, game.skyColour.blue};
}

// Runs frames until the sky takes one step; a few at most, so a broken step rate fails, not hangs.
void step(Game& game) {
    const float before = game.cyclePosition;
    for (int frame = 0; frame < 8 && game.cyclePosition == before; ++frame) stepSkyCycle(game);
}

}  // namespace

TEST(SkyCycle, FirstCycleCheckpoints) {
    Game game;
    const struct {
        int p;
        Rgb expected;
    } checkpoints[] = {
        {1, {0, 99, 255}},    {99, {0, 1, 255}},    {100, {0, 0, 253}},   {101, {0, 0, 251}},
        {159, {0, 0, 135}},   {160, {1, 0, 133}},   {199, {40, 0, 55}},   {200, {40, 0, 53}},
        {226, {40, 0, 1}},    {240, {40, 0, 1}},    {241, {39, 0, 1}},    {280, {0, 0, 1}},
        {449, {0, 0, 1}},     {450, {1, 0, 1}},     {499, {50, 0, 1}},    {500, {49, 0, 2}},
        {549, {0, 0, 51}},    {550, {0, 1, 52}},    {650, {0, 101, 152}}, {753, {0, 101, 255}},
        {799, {0, 101, 255}},
    };
    int p = 0;
    for (const auto& checkpoint : checkpoints) {
        for (; p < checkpoint.p; ++p) step(game);
        EXPECT_EQ(colourOf(game), checkpoint.expected) << "at p " << checkpoint.p;
    }
    step(game);
    EXPECT_EQ(game.cyclePosition, 0.0f) << "the step at p 800 starts the cycle over";
    step(game);
    EXPECT_EQ(colourOf(game), (Rgb{0, 100, 255})) << "p 1 of the second cycle";

    Game frames;
    std::vector<int> stepFrames;
    for (int frame = 1; frame <= 16; ++frame) {
        const float before = frames.cyclePosition;
        stepSkyCycle(frames);
        if (frames.cyclePosition != before) stepFrames.push_back(frame);
    }
    EXPECT_EQ(stepFrames, (std::vector<int>{6, 11, 16})) << "every fifth frame after the first five";
}

TEST(SkyCycle, GreenEndsEachCycleOneHigherAndWraps) {
    Game game;
    for (int cycle = 1; cycle <= 160; ++cycle) {
        for (int i = 0; i < 800; ++i) step(game);
        const Rgb expected{0, Uint8(100 + cycle), 255};
        ASSERT_EQ(colourOf(game), expected) << "after cycle " << cycle;
    }
}
