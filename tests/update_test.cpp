// The world step: camera, layer placement, walking, clamps and the walk animation.
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

TEST(WorldStep, FirstUpdateFromTheStartPlacesCameraAndLayers) {
    World world;
    EXPECT_EQ(world.player.position.y, 540) << "y before any update";
    world.game.update(world.player);

    EXPECT_EQ(world.game.camera.x, 44);
    EXPECT_EQ(world.game.camera.y, 0);
    const ParallaxLayer* layers = world.game.background.layers;
    EXPECT_EQ(layers[Ground].dst.x, -44);
    EXPECT_EQ(layers[Background1].dst.x, -32) << "-32.1728 truncates toward zero";
    EXPECT_EQ(layers[Background2].dst.x, -17) << "-17.7672 truncates toward zero";
    EXPECT_EQ(layers[Clouds].dst.x, -5) << "-5.588 truncates toward zero";
    EXPECT_EQ(layers[Sky].dst.x, 0);
    EXPECT_EQ(world.player.position.x, 540) << "no key held";
    EXPECT_EQ(world.player.position.y, 630) << "pinned to the ground line";
    EXPECT_EQ(world.player.dst.x, 540);
    EXPECT_EQ(world.player.dst.y, 540);
}

TEST(WorldStep, LayersScrollFromTheirOrigins) {
    World world;
    world.game.background.layers[Ground].origin.x = 10;
    world.game.background.layers[Sky].origin.x = 7;
    world.game.background.layers[Clouds].origin.x = 3;
    world.player.position.x = 4000;  // camera x 3504
    world.game.update(world.player);
    EXPECT_EQ(world.game.camera.x, 3504);
    EXPECT_EQ(world.game.background.layers[Ground].dst.x, 10 - 3504);
    EXPECT_EQ(world.game.background.layers[Sky].dst.x, 7) << "the sky never scrolls";
    EXPECT_EQ(world.game.background.layers[Clouds].dst.x, -442) << "3 - 445.008";
    EXPECT_EQ(world.game.background.layers[Background1].dst.x, -2562) << "-2562.1248";
    EXPECT_EQ(world.game.background.layers[Background2].dst.x, -1414) << "-1414.9152";
}

TEST(WorldStep, CameraLagsThePlayerByOneUpdate) {
    World world;
    world.game.rightHeld = true;
    world.game.update(world.player);
    EXPECT_EQ(world.player.position.x, 548);
    EXPECT_EQ(world.game.camera.x, 44) << "camera still shows the position before the step";
    EXPECT_EQ(world.game.background.layers[Ground].dst.x, -44);
    world.game.update(world.player);
    EXPECT_EQ(world.player.position.x, 556);
    EXPECT_EQ(world.game.camera.x, 52);
    EXPECT_EQ(world.game.background.layers[Ground].dst.x, -52);
}

TEST(WorldStep, CameraAndPlayerStayInsideTheWorld) {
    World world;
    world.player.position.x = 495;
    world.game.update(world.player);
    EXPECT_EQ(world.game.camera.x, 0) << "-1 clamps to 0";

    world.player.position.x = 7667;
    world.game.update(world.player);
    EXPECT_EQ(world.game.camera.x, 7168) << "7171 clamps to 7168";
    EXPECT_EQ(world.game.camera.y, 0);

    world.game.rightHeld = true;
    world.player.position.x = 7660;
    EXPECT_EQ(walk(world, 2), (std::vector<int>{7667, 7667})) << "right edge";

    world.game.rightHeld = false;
    world.game.leftHeld = true;
    world.player.position.x = 540;
    EXPECT_EQ(walk(world, 7), (std::vector<int>{532, 524, 516, 508, 500, 495, 495}))
        << "walking left clamps at 495 in the same update";
    EXPECT_FALSE(world.player.facingRight);
}

TEST(WorldStep, StepsTruncateTowardZero) {
    World world;
    world.player.speed = 81;
    world.game.leftHeld = true;
    EXPECT_EQ(walk(world, 1), std::vector<int>{531}) << "left at 8.1 moves 9";
    world.game.leftHeld = false;
    world.game.rightHeld = true;
    EXPECT_EQ(walk(world, 1), std::vector<int>{539}) << "right at 8.1 moves 8";

    // Both keys: left runs first, facing ends right.
    World both;
    both.game.leftHeld = true;
    both.game.rightHeld = true;
    EXPECT_EQ(walk(both, 3), (std::vector<int>{540, 540, 540})) << "speed 80";
    EXPECT_TRUE(both.player.facingRight);
    both.player.speed = 85;
    EXPECT_EQ(walk(both, 3), (std::vector<int>{539, 538, 537})) << "speed 85 drifts left";
}

TEST(WorldStep, SpeedUpIsOnePerUpdateAndSaturates) {
    World world;
    world.game.speedUpPressed = true;
    world.game.update(world.player);
    EXPECT_EQ(world.player.speed, 81);
    EXPECT_FALSE(world.game.speedUpPressed) << "the request is consumed";
    world.game.update(world.player);
    EXPECT_EQ(world.player.speed, 81) << "no request, no change";

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
    int last = world.player.frameIndex;
    for (int update = 1; update <= 64 * 4 + 1; ++update) {
        world.game.update(world.player);
        if (world.player.frameIndex != last) changes.push_back(update);
        last = world.player.frameIndex;
        EXPECT_EQ(world.player.src.x, world.player.frameIndex * 32) << "update " << update;
    }
    EXPECT_EQ(changes, (std::vector<int>{65, 129, 193, 257}))
        << "first change on the 65th update, then every 64";
    EXPECT_EQ(world.player.frameIndex, 1) << "wraps after frameCount frames";
    EXPECT_EQ(world.player.position.x, 540) << "W only animates";

    world.game.upHeld = false;
    world.game.update(world.player);
    EXPECT_EQ(world.player.frameIndex, 0) << "releasing every walk key resets at once";
    EXPECT_EQ(world.player.src.x, 0);
    EXPECT_EQ(world.game.animTick, 0);

    World still;
    still.game.downHeld = true;
    walk(still, 200);
    EXPECT_EQ(still.player.frameIndex, 0) << "a one-frame sheet always shows frame 0";
    EXPECT_EQ(still.player.position.x, 540) << "S only animates";
}
