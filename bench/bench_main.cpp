// Benchmark program behind `make bench`: frame step, start-up and memory against their
// floors. bench/run_bench.py runs it under Xvfb and picks the renderer through SDL's environment.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <sys/resource.h>
#include <valgrind/callgrind.h>

#include <SDL.h>
#include <SDL_image.h>

#include "app/app.h"
#include "world/world.h"

namespace {

// The subsystems the game starts, every one but the sensors, so the floor pays for the same.
constexpr Uint32 kGameSubsystems = SDL_INIT_EVERYTHING & ~SDL_INIT_SENSOR;
// The player turns round before the clamp (7172 pixels at 8 a frame), so every frame scrolls.
constexpr int kFramesPerWalk = 880;
// Frames run before any is timed, so caches and lazily made objects are warm.
constexpr int kWarmUpFrames = 60;
// Pause between the empty frames of the memory baseline, in milliseconds: about the game's period.
constexpr int kBaselinePauseMilliseconds = 16;
// SDL makes every texture 32-bit, in bytes per pixel.
constexpr long long kTextureBytesPerPixel = 4;
// Camera positions counted across the world: steps of an odd width, the last clamped to the right end.
constexpr int kCountedPositions = 17;
constexpr int kCountedStep = 449;
// glGetString's name for the OpenGL driver's own name.
constexpr unsigned kGlRenderer = 0x1F01;

// Every picture the game loads, in its order: the player's sheet, then the layers' (the game's own paths).
constexpr int kPictureCount = 1 + LayerCount;
const char* picturePath(int i) { return i == 0 ? kPlayerPath : kLayerFiles[i - 1].path; }

// Milliseconds on the game's own steady clock since `start`, in its nanoseconds.
double millisecondsSince(int64_t start) { return (steadyNanoseconds() - start) / 1e6; }

// Lets the X connection deliver its events between frames.
void drainEvents() { for (SDL_Event event; SDL_PollEvent(&event);) continue; }

// The sprite on top and the frame shown, as every frame of the game ends.
void finishFrame(const Game& game, const Player& player) {
    SDL_RenderCopyEx(game.renderer, game.playerTexture, &player.src, &player.dst, 0.0, nullptr,
                     player.facingRight ? SDL_FLIP_NONE : SDL_FLIP_HORIZONTAL);
    SDL_RenderPresent(game.renderer);
}

// The floor: the SDL calls of the game's last frame, with its arguments, and nothing else.
void runFloorFrame(const Game& game, const Player& player, const Uint8 far[3]) {
    const ParallaxLayer* layers = game.background.layers;
    SDL_SetTextureColorMod(layers[Background2].texture, far[0], far[1], far[2]);
    SDL_RenderClear(game.renderer);
    SDL_SetTextureColorMod(layers[Sky].texture, game.skyColour.red, game.skyColour.green, game.skyColour.blue);
    for (LayerIndex i : kDrawOrder) SDL_RenderCopy(game.renderer, layers[i].texture, &layers[i].src, &layers[i].dst);
    finishFrame(game, player);
}

// Where trimming ends: every pixel drawn once, by the sky copied over the whole window, and the sprite.
void runOneScreenFrame(const Game& game, const Player& player) {
    const ParallaxLayer& sky = game.background.layers[Sky];
    SDL_RenderClear(game.renderer);
    SDL_RenderCopy(game.renderer, sky.texture, &sky.src, &sky.dst);
    finishFrame(game, player);
}

// OpenGL's own renderer name tells a GPU from Mesa's llvmpipe on the CPU.
void printRendererName(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    std::printf("renderer: %s", info.name);
    if (std::string(info.name) == "opengl") {
        using GetString = const char* (*)(unsigned);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        std::printf(" (%s)", getString(kGlRenderer));
    }
    std::printf("\n");
}

// `frames COUNT OUT`: a game, a floor and a one-screen frame a round, each first in turn; a line of ms each.
int benchFrames(int frameCount, const char* outPath) {
    Game game;
    Player player;
    FILE* out = std::fopen(outPath, "w");
    if (out == nullptr || !startUp(game, player)) return 1;
    printRendererName(game.renderer);
    for (int frame = -kWarmUpFrames; frame < frameCount; ++frame) {
        drainEvents();
        // D held for kFramesPerWalk frames, then A, and so on, so that every frame scrolls.
        game.rightHeld = ((frame + kWarmUpFrames) / kFramesPerWalk) % 2 == 0;
        game.leftHeld = !game.rightHeld;
        Uint8 far[3];
        SDL_GetTextureColorMod(game.background.layers[Background2].texture, &far[0], &far[1], &far[2]);
        // CPU time counts every thread, llvmpipe's too, and other load disturbs it less.
        double ms[6];
        for (int turn = 0; turn < 3; ++turn) {
            const int kind = (frame + turn) % 3;
            const std::clock_t cpuStart = std::clock();
            const int64_t start = steadyNanoseconds();
            if (kind == 0) {
                game.update(player);
                game.render(player);
            } else if (kind == 1) {
                runFloorFrame(game, player, far);
            } else {
                runOneScreenFrame(game, player);
            }
            ms[2 * kind] = millisecondsSince(start);
            ms[2 * kind + 1] = (std::clock() - cpuStart) * 1e3 / CLOCKS_PER_SEC;
        }
        if (frame >= 0) {
            std::fprintf(out, "%.4f %.4f %.4f %.4f %.4f %.4f\n", ms[0], ms[1], ms[2], ms[3], ms[4], ms[5]);
        }
    }
    tearDown(game, player);
    return std::fclose(out) == 0 ? 0 : 1;
}

// Counts `frame` on its own under callgrind, dumped as "NAME CAMERA_X"; a no-op elsewhere.
template <typename Frame>
void countInstructions(const char* name, int cameraX, Frame frame) {
    char label[64];
    std::snprintf(label, sizeof label, "%s %d", name, cameraX);
    CALLGRIND_TOGGLE_COLLECT;
    frame();
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(label);
}

// `instructions`, under callgrind: a game and a floor frame at rest where the game starts, then
// at camera positions across the world, each counted on its own.
int benchInstructions() {
    Game game;
    Player player;
    if (!startUp(game, player)) return 1;
    CALLGRIND_START_INSTRUMENTATION;
    for (int i = -1; i < kCountedPositions; ++i) {
        drainEvents();
        // The player stands where the camera centres on it, so update puts the camera at x.
        const int x = SDL_min(i * kCountedStep, kWorldWidth - kWindowWidth);
        if (i >= 0) player.position.x = x + kWindowWidth / 2 - player.position.w / 2;
        game.update(player);
        Uint8 far[3];
        SDL_GetTextureColorMod(game.background.layers[Background2].texture, &far[0], &far[1], &far[2]);
        countInstructions(i < 0 ? "rest_game" : "game", game.camera.x, [&] { game.render(player); });
        countInstructions(i < 0 ? "rest_floor" : "floor", game.camera.x,
                          [&] { runFloorFrame(game, player, far); });
        if (i < 0) countInstructions("rest_screen", game.camera.x, [&] { runOneScreenFrame(game, player); });
    }
    tearDown(game, player);
    return 0;
}

// SDL, the window and the renderer, brought up as the game asks for them.
SDL_Renderer* openRenderer() {
    SDL_Init(kGameSubsystems);
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          kWindowWidth, kWindowHeight, 0);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    IMG_Init(IMG_INIT_PNG);
    return renderer;
}

void closeRenderer(SDL_Renderer* renderer) {
    SDL_Window* window = SDL_RenderGetWindow(renderer);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    IMG_Quit();
    SDL_Quit();
}

// The game's start-up and first frame, as main runs them, in milliseconds.
double timeGameStartUp() {
    const int64_t start = steadyNanoseconds();
    Game game;
    Player player;
    startUp(game, player);
    game.update(player);
    game.render(player);
    const double spent = millisecondsSince(start);
    tearDown(game, player);
    return spent;
}

// The floor of start-up: SDL up, every picture decoded, made a texture and drawn, in ms.
double timeFloorStartUp() {
    const int64_t start = steadyNanoseconds();
    SDL_Renderer* renderer = openRenderer();
    SDL_Surface* surfaces[kPictureCount];
    SDL_Texture* textures[kPictureCount];
    for (int i = 0; i < kPictureCount; ++i) {
        surfaces[i] = IMG_Load(picturePath(i));
        textures[i] = SDL_CreateTextureFromSurface(renderer, surfaces[i]);
    }
    const SDL_Rect world{0, 0, kWorldWidth, kWorldHeight};
    const SDL_Rect sprite = Player{}.dst;
    SDL_RenderClear(renderer);
    for (int i = 1; i < kPictureCount; ++i) SDL_RenderCopy(renderer, textures[i], nullptr, &world);
    SDL_RenderCopy(renderer, textures[0], nullptr, &sprite);
    SDL_RenderPresent(renderer);
    const double spent = millisecondsSince(start);
    for (int i = 0; i < kPictureCount; ++i) {
        SDL_DestroyTexture(textures[i]);
        SDL_FreeSurface(surfaces[i]);
    }
    closeRenderer(renderer);
    return spent;
}

// `startup REPEATS`: a line per round, after an untimed one has warmed the page cache.
int benchStartUp(int repeats) {
    timeGameStartUp();
    timeFloorStartUp();
    for (int i = 0; i < repeats; ++i) {
        // Each goes first in every other round, so neither always meets the warmer machine.
        double game = 0;
        if (i % 2 == 0) game = timeGameStartUp();
        const double floor = timeFloorStartUp();
        if (i % 2 == 1) game = timeGameStartUp();
        std::printf("startup_ms %.1f %.1f\n", game, floor);
    }
    return 0;
}

// `memory SECONDS`: peak RSS of the SDL set-up alone, then the pictures' floor, in kB.
int benchMemory(int seconds) {
    SDL_Renderer* renderer = openRenderer();
    const int64_t start = steadyNanoseconds();
    while (millisecondsSince(start) < seconds * 1e3) {
        drainEvents();
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
        SDL_Delay(kBaselinePauseMilliseconds);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    // Every surface the game keeps and every texture it makes, the player's twice.
    long long pictureBytes = 0;
    for (int i = 0; i < kPictureCount; ++i) {
        SDL_Surface* surface = IMG_Load(picturePath(i));
        const long long textures = i == 0 ? 2 : 1;
        pictureBytes += (long long)surface->pitch * surface->h + textures * kTextureBytesPerPixel * surface->w * surface->h;
        SDL_FreeSurface(surface);
    }
    std::printf("memory_kb %ld %lld\n", usage.ru_maxrss, pictureBytes / 1024);
    closeRenderer(renderer);
    return 0;
}

}  // namespace

// Run from the directory holding Images/.
int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "frames" && argc == 4) return benchFrames(std::atoi(argv[2]), argv[3]);
    if (mode == "startup" && argc == 3) return benchStartUp(std::atoi(argv[2]));
    if (mode == "memory" && argc == 3) return benchMemory(std::atoi(argv[2]));
    if (mode == "instructions") return benchInstructions();
    std::fprintf(stderr, "usage: hollowmere_bench frames COUNT OUT | startup REPEATS | memory SECONDS | instructions\n");
    return 2;
}
