// The world step: camera, layer placement, walking, clamps, speed and the walk animation.
#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "app/app.h"

namespace {

struct World {
    Game game;
    Player player;
};

// Runs `updates` world steps and returns the player's x after each.
std::vector<int> walk(World& world, int updates) {
    std::vector<int> xs;
    for (int i = 0; i < updates; ++i) {
        world.game.update(world.player);
        xs.push_back(world.player.position.x);
    }
    return xs;
}

}  // namespace

TEST(WorldStep, CameraAndLayersFollowThePlayer) {
    // Fractional offsets truncate toward zero: -32.1728, -17.7672 and -5.588 at camera 44.
    const struct {
        int playerX, origin, camera, ground, background1, background2, clouds;
    } cases[] = {
        {540, 0, 44, -44, -32, -17, -5},
        {4000, 10, 3504, -3494, -2552, -1404, -435},
        {495, 0, 0, 0, 0, 0, 0},  // -1 clamps to 0
        {7667, 0, 7168, -7168, -5241, -2894, -910},  // 7171 clamps to 7168
    };
    for (const auto& c : cases) {
        World world;
        for (ParallaxLayer& layer : world.game.background.layers) layer.origin.x = c.origin;
        world.player.position.x = c.playerX;
        world.game.update(world.player);
        const ParallaxLayer* layers = world.game.background.layers;
        const std::vector<int> got = {world.game.camera.x, world.game.camera.y,
                                      layers[Ground].dst.x, layers[Background1].dst.x,
                                      layers[Background2].dst.x, layers[Clouds].dst.x,
                                      layers[Sky].dst.x};
        const std::vector<int> expected = {c.camera, 0, c.ground, c.background1,
                                           c.background2, c.clouds, c.origin};
        EXPECT_EQ(got, expected) << "camera x, y, then Ground, Background1, Background2, Clouds, "
                                    "Sky for the player at x "
                                 << c.playerX << ", origins " << c.origin;
    }
}

TEST(WorldStep, WalkingStepsClampsAndFacing) {
    const struct {
        const char* what;
        int speed, startX;
        bool left, right;
        std::vector<int> xs;
        bool facingRight;
    } walks[] = {
        {"right at 8.0", 80, 540, false, true, {548, 556}, true},
        {"left to the edge, clamped in the same update", 80, 540, true, false,
         {532, 524, 516, 508, 500, 495, 495}, false},
        {"right to the edge", 80, 7660, false, true, {7667, 7667}, true},
        {"left at 8.1 moves 9", 81, 540, true, false, {531}, false},
        {"right at 8.1 moves 8", 81, 540, false, true, {548}, true},
        {"both keys: left first, facing ends right", 80, 540, true, true, {540, 540}, true},
        {"both keys at 8.5 drift left", 85, 540, true, true, {539, 538, 537}, true},
    };
    for (const auto& w : walks) {
        World world;
        world.player.speed = w.speed;
        world.player.position.x = w.startX;
        world.game.leftHeld = w.left;
        world.game.rightHeld = w.right;
        EXPECT_EQ(walk(world, int(w.xs.size())), w.xs) << w.what;
        EXPECT_EQ(world.player.facingRight, w.facingRight) << w.what;
        EXPECT_EQ(world.player.position.y, 630) << w.what << ": y is pinned to the ground line";
    }

    // The camera follows where the player stood before the update's walk.
    World lag;
    lag.game.rightHeld = true;
    walk(lag, 2);
    EXPECT_EQ(lag.game.camera.x, 52) << "the player is at 556; the camera shows 548";
}

TEST(WorldStep, SpeedUpIsOnePerRequestAndSaturates) {
    World world;
    world.game.speedUpPressed = true;
    walk(world, 2);
    EXPECT_EQ(world.player.speed, 81) << "one request, two updates";
    EXPECT_FALSE(world.game.speedUpPressed) << "the request is consumed";

    world.player.speed = INT32_MAX;
    world.game.speedUpPressed = true;
    world.game.rightHeld = true;
    world.game.update(world.player);
    EXPECT_EQ(world.player.speed, INT32_MAX) << "saturates instead of wrapping negative";
    EXPECT_EQ(world.player.position.x, 7667) << "a huge step still clamps";
}

TEST(WorldStep, WalkAnimationTicksWhileAnyWalkKeyIsHeld) {
    World world;
    world.player.frameCount = 3;
    world.game.upHeld = true;
    std::vector<int> changes;
    for (int update = 1; update <= 64 * 4 + 1; ++update) {
        const int before = world.player.frameIndex;
        world.game.update(world.player);
        if (world.player.frameIndex != before) changes.push_back(update);
        ASSERT_EQ(world.player.src.x, world.player.frameIndex * 32) << "update " << update;
    }
    EXPECT_EQ(changes, (std::vector<int>{65, 129, 193, 257}))
        << "the first change on the 65th update, then every 64";
    EXPECT_EQ(world.player.frameIndex, 1) << "wraps after frameCount frames";
    EXPECT_EQ(world.player.position.x, 540) << "W only animates";

    world.game.upHeld = false;
    world.game.update(world.player);
    EXPECT_EQ(world.player.frameIndex, 0) << "releasing every walk key resets at once";
    EXPECT_EQ(world.player.src.x, 0);
}
