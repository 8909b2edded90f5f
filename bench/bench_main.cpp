// Benchmark program behind `make bench`: the game's frame step against a bare
// loop making the same SDL calls, start-up against decoding the pictures and
// making their textures, the pictures' sizes, and the memory of a process that
// has everything but the pictures. bench/run_bench.py drives it under Xvfb.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <SDL.h>
#include <SDL_image.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#define CALLGRIND_ZERO_STATS
#endif

#include "app/app.h"
#include "world/world.h"

namespace {

// The subsystems the game starts, so the start-up floor pays for the same.
constexpr Uint32 kGameSubsystems = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO |
                                   SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC |
                                   SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS;
// The player turns round after this many frames: 8 pixels a frame crosses the
// 7172 walkable pixels in 897 frames, so every frame of a walk scrolls.
constexpr int kFramesPerWalk = 880;
// The driver names SDL's software renderer so; any other name leaves SDL its own pick.
constexpr const char* kSoftware = "software";

const char* const kPicturePaths[] = {
    "Images/Player.png",
    "Images/Background/Background1.png",
    "Images/Background/Background2.png",
    "Images/Background/Ground.png",
    "Images/Background/Sky.png",
    "Images/Background/Clouds.png",
};
constexpr int kPictureCount = sizeof kPicturePaths / sizeof kPicturePaths[0];

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// CPU time of every thread of the process, so OpenGL's rasterizer threads count too.
double processCpuMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// One frame's cost: wall-clock time, and CPU time, which another process's load disturbs less.
struct Sample {
    double wall;
    double cpu;
};

// Times `step` on both clocks.
template <typename Step>
Sample timeStep(Step step) {
    const double cpuStart = processCpuMicroseconds();
    const Clock::time_point start = Clock::now();
    step();
    const double wall = microsecondsSince(start);
    return {wall, processCpuMicroseconds() - cpuStart};
}

// Makes the next SDL_CreateRenderer(window, -1, 0) pick `renderer`'s driver.
void chooseRenderer(const char* renderer) {
    if (std::strcmp(renderer, kSoftware) == 0) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, kSoftware);
    } else {
        SDL_ResetHint(SDL_HINT_RENDER_DRIVER);
    }
}

// SDL's name for the renderer, and for OpenGL the driver's own, e.g. "opengl (llvmpipe ...)".
std::string rendererName(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) return "none";
    std::string name = info.name;
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned kGlRenderer = 0x1F01;  // GL_RENDERER
    if (name == "opengl" && SDL_GL_GetCurrentContext() != nullptr) {
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* driver = getString ? getString(kGlRenderer) : nullptr;
        if (driver) name += std::string(" (") + reinterpret_cast<const char*>(driver) + ")";
    }
    return name;
}

void pressKey(Game& game, const Player& player, Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    handleEvent(game, player, event);
}

// Walks right for kFramesPerWalk frames, then left, and so on: the camera scrolls every frame.
void steer(Game& game, const Player& player, int frame) {
    if (frame % kFramesPerWalk != 0) return;
    const bool right = (frame / kFramesPerWalk) % 2 == 0;
    pressKey(game, player, SDL_KEYUP, right ? 'a' : 'd');
    pressKey(game, player, SDL_KEYDOWN, right ? 'd' : 'a');
}

// Every argument of the SDL calls one game frame made, read back from the game.
struct FrameCalls {
    SDL_Renderer* renderer;
    SDL_Texture* textures[LayerCount];
    SDL_Rect src[LayerCount];
    SDL_Rect dst[LayerCount];
    Uint8 far[3];  // Background2's modulation, set by Game::update
    SkyColour sky;
    SDL_Texture* sprite;
    SDL_Rect spriteSrc;
    SDL_Rect spriteDst;
    SDL_RendererFlip flip;
};

FrameCalls readCalls(const Game& game, const Player& player) {
    FrameCalls calls{};
    calls.renderer = game.renderer;
    for (int i = 0; i < LayerCount; ++i) {
        calls.textures[i] = game.background.layers[i].texture;
        calls.src[i] = game.background.layers[i].src;
        calls.dst[i] = game.background.layers[i].dst;
    }
    SDL_GetTextureColorMod(calls.textures[Background2], &calls.far[0], &calls.far[1],
                           &calls.far[2]);
    calls.sky = game.skyColour;
    calls.sprite = game.playerTexture;
    calls.spriteSrc = player.src;
    calls.spriteDst = player.dst;
    calls.flip = player.facingRight ? SDL_FLIP_NONE : SDL_FLIP_HORIZONTAL;
    return calls;
}

// The game's frame step, as the loop runs it. Kept out of line so callgrind can count it alone.
__attribute__((noinline)) void runGameFrame(Game& game, Player& player) {
    game.update(player);
    game.render(player);
}

// The floor: the SDL calls of one game frame, with the same arguments, and nothing else.
__attribute__((noinline)) void runFloorFrame(const FrameCalls& calls) {
    SDL_SetTextureColorMod(calls.textures[Background2], calls.far[0], calls.far[1], calls.far[2]);
    SDL_RenderClear(calls.renderer);
    SDL_SetTextureColorMod(calls.textures[Sky], calls.sky.red, calls.sky.green, calls.sky.blue);
    for (LayerIndex i : kDrawOrder) {
        SDL_RenderCopy(calls.renderer, calls.textures[i], &calls.src[i], &calls.dst[i]);
    }
    SDL_RenderCopyEx(calls.renderer, calls.sprite, &calls.spriteSrc, &calls.spriteDst, 0.0,
                     nullptr, calls.flip);
    SDL_RenderPresent(calls.renderer);
}

// Lets the X connection deliver its events between timed frames; the keys come from steer().
void drainEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

struct Rig {
    const char* renderer;
    Game game;
    Player player;
    std::vector<Sample> gameSamples;
    std::vector<Sample> floorSamples;
};

// `frames COUNT WARM-UP OUT.csv RENDERER...`: every rig runs one game frame and
// one floor frame in turn, the order swapped each round so neither always goes first.
int benchFrames(int frameCount, int warmUpFrames, const char* outPath,
                std::vector<const char*> renderers) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    std::vector<std::unique_ptr<Rig>> rigs;
    for (const char* renderer : renderers) {
        auto rig = std::make_unique<Rig>(Rig{renderer, Game{}, Player{}, {}, {}});
        chooseRenderer(renderer);
        if (!startUp(rig->game, rig->player)) {
            std::fprintf(stderr, "bench: start-up with the %s renderer failed\n", renderer);
            return 1;
        }
        std::printf("renderer %s %s\n", renderer, rendererName(rig->game.renderer).c_str());
        rig->gameSamples.reserve(frameCount);
        rig->floorSamples.reserve(frameCount);
        rigs.push_back(std::move(rig));
    }

    CALLGRIND_START_INSTRUMENTATION;
    for (int frame = -warmUpFrames; frame < frameCount; ++frame) {
        // Under callgrind, only the timed frames are counted.
        if (frame == 0) CALLGRIND_ZERO_STATS;
        for (auto& rig : rigs) {
            drainEvents();
            steer(rig->game, rig->player, frame + warmUpFrames);
            const bool gameFirst = frame % 2 == 0;
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn == 0) == gameFirst) {
                    const Sample spent = timeStep([&rig] { runGameFrame(rig->game, rig->player); });
                    if (frame >= 0) rig->gameSamples.push_back(spent);
                } else {
                    // The floor repeats the calls of the game's previous frame, same pixels.
                    const FrameCalls calls = readCalls(rig->game, rig->player);
                    const Sample spent = timeStep([&calls] { runFloorFrame(calls); });
                    if (frame >= 0) rig->floorSamples.push_back(spent);
                }
            }
        }
    }
    CALLGRIND_STOP_INSTRUMENTATION;

    std::ofstream out(outPath);
    out << "renderer,kind,frame,microseconds,cpu_microseconds\n";
    for (const auto& rig : rigs) {
        for (size_t i = 0; i < rig->gameSamples.size(); ++i) {
            const Sample& game = rig->gameSamples[i];
            const Sample& floor = rig->floorSamples[i];
            out << rig->renderer << ",game," << i << ',' << game.wall << ',' << game.cpu << '\n';
            out << rig->renderer << ",floor," << i << ',' << floor.wall << ',' << floor.cpu << '\n';
        }
    }
    // The rigs share SDL, so one SDL_Quit ends them all; the process ends next anyway.
    SDL_Quit();
    return out ? 0 : 1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The game's whole start-up and first frame, as main runs them.
double timeGameStartUp() {
    const Clock::time_point start = Clock::now();
    Game game;
    Player player;
    startUp(game, player);
    runGameFrame(game, player);
    const double spent = microsecondsSince(start);
    tearDown(game, player);
    return spent;
}

struct FloorTimes {
    double init;      // SDL_Init, window and renderer, as the game asks for them
    double decode;    // IMG_Load of every picture once
    double textures;  // SDL_CreateTextureFromSurface of every picture
    double frame;     // one bare frame of them
};

// The least a start-up that shows these pictures can do; `announce` prints a
// line as soon as the frame is presented.
FloorTimes timeFloorStartUp(bool announce = false) {
    FloorTimes times{};
    Clock::time_point start = Clock::now();
    SDL_Init(kGameSubsystems);
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          kWindowWidth, kWindowHeight, 0);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    IMG_Init(IMG_INIT_PNG);
    times.init = microsecondsSince(start);

    SDL_Surface* surfaces[kPictureCount] = {};
    SDL_Texture* textures[kPictureCount] = {};
    for (int i = 0; i < kPictureCount; ++i) {
        start = Clock::now();
        surfaces[i] = IMG_Load(kPicturePaths[i]);
        times.decode += microsecondsSince(start);
        start = Clock::now();
        textures[i] = SDL_CreateTextureFromSurface(renderer, surfaces[i]);
        times.textures += microsecondsSince(start);
    }

    start = Clock::now();
    SDL_RenderClear(renderer);
    for (int i = 1; i < kPictureCount; ++i) {
        const SDL_Rect whole{0, 0, kWorldWidth, kWorldHeight};
        SDL_RenderCopy(renderer, textures[i], &whole, &whole);
    }
    const SDL_Rect cell{0, 0, 32, 32};
    const SDL_Rect sprite{540, 540, 64, 64};
    SDL_RenderCopyEx(renderer, textures[0], &cell, &sprite, 0.0, nullptr, SDL_FLIP_NONE);
    SDL_RenderPresent(renderer);
    times.frame = microsecondsSince(start);
    if (announce) printLine("floor frame presented");

    for (int i = 0; i < kPictureCount; ++i) {
        SDL_DestroyTexture(textures[i]);
        SDL_FreeSurface(surfaces[i]);
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    IMG_Quit();
    SDL_Quit();
    return times;
}

// `floor-once RENDERER`: the floor's start-up in a fresh process, for the
// driver to time from spawn as it times the game.
int floorOnce(const char* renderer) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    chooseRenderer(renderer);
    timeFloorStartUp(true);
    return 0;
}

// Median CPU microseconds of `repeats` frames that clear, make `draw`'s calls and present.
template <typename Draw>
double medianFrameCpu(SDL_Renderer* renderer, int repeats, Draw draw) {
    std::vector<double> cpu;
    for (int i = 0; i < repeats; ++i) {
        drainEvents();
        cpu.push_back(timeStep([&] {
                          SDL_RenderClear(renderer);
                          draw();
                          SDL_RenderPresent(renderer);
                      }).cpu);
    }
    return median(cpu);
}

// `layers REPEATS RENDERER`: what each layer and the sprite add to a frame
// that only clears and presents, in CPU microseconds, at the first frame's
// positions and tints. Tells which picture is worth making cheaper.
int benchLayers(int repeats, const char* renderer) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    chooseRenderer(renderer);
    Game game;
    Player player;
    if (!startUp(game, player)) return 1;
    runGameFrame(game, player);
    const FrameCalls calls = readCalls(game, player);
    const char* const names[LayerCount] = {"Background1", "Background2", "Ground", "Sky", "Clouds"};
    const double empty = medianFrameCpu(game.renderer, repeats, [] {});
    std::printf("layers_empty_frame_us %.0f\n", empty);
    for (LayerIndex i : kDrawOrder) {
        const double cost = medianFrameCpu(game.renderer, repeats, [&calls, i] {
            SDL_RenderCopy(calls.renderer, calls.textures[i], &calls.src[i], &calls.dst[i]);
        });
        SDL_BlendMode blend = SDL_BLENDMODE_NONE;
        SDL_GetTextureBlendMode(calls.textures[i], &blend);
        Uint8 red = 255, green = 255, blue = 255;
        SDL_GetTextureColorMod(calls.textures[i], &red, &green, &blue);
        const bool tinted = red != 255 || green != 255 || blue != 255;
        std::printf("layers_%s_us %.0f %s%s\n", names[i], cost - empty,
                    blend == SDL_BLENDMODE_NONE ? "opaque" : "blended", tinted ? "+tinted" : "");
    }
    const double sprite = medianFrameCpu(game.renderer, repeats, [&calls] {
        SDL_RenderCopyEx(calls.renderer, calls.sprite, &calls.spriteSrc, &calls.spriteDst, 0.0,
                         nullptr, calls.flip);
    });
    std::printf("layers_Player_us %.0f scaled\n", sprite - empty);
    tearDown(game, player);
    return 0;
}

// `passes SECONDS RENDERER`: the main loop's passes without frames, as main
// runs them between frames. A pass longer than the 100-microsecond frame
// window could step over a window and lose its frame.
int benchPasses(int seconds, const char* renderer) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    chooseRenderer(renderer);
    Game game;
    Player player;
    if (!startUp(game, player)) return 1;
    std::vector<double> passes;
    const Clock::time_point begin = Clock::now();
    while (microsecondsSince(begin) < seconds * 1e6) {
        const Clock::time_point start = Clock::now();
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            handleEvent(game, player, event);
        }
        // The frame itself is left out: only the pass around it is timed.
        frameGateOpens(game, steadyNanoseconds());
        passes.push_back(microsecondsSince(start));
    }
    std::sort(passes.begin(), passes.end());
    const size_t count = passes.size();
    const auto over = std::count_if(passes.begin(), passes.end(),
                                    [](double pass) { return pass >= kFrameWindowMicroseconds; });
    std::printf("passes_count %zu\n", count);
    std::printf("passes_p50_us %.1f\n", passes[count / 2]);
    std::printf("passes_p999_us %.1f\n", passes[count * 999 / 1000]);
    std::printf("passes_max_us %.1f\n", passes[count - 1]);
    std::printf("passes_over_window %ld\n", long(over));
    tearDown(game, player);
    return 0;
}

// `startup REPEATS RENDERER`: game and floor in turn, medians printed.
int benchStartUp(int repeats, const char* renderer) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    chooseRenderer(renderer);
    // One untimed round of each loads the shared libraries and fills the page cache.
    timeGameStartUp();
    timeFloorStartUp();
    std::vector<double> game, init, decode, textures, frame, floorTotal;
    for (int i = 0; i < repeats; ++i) {
        FloorTimes floor{};
        if (i % 2 == 0) {
            game.push_back(timeGameStartUp());
            floor = timeFloorStartUp();
        } else {
            floor = timeFloorStartUp();
            game.push_back(timeGameStartUp());
        }
        init.push_back(floor.init);
        decode.push_back(floor.decode);
        textures.push_back(floor.textures);
        frame.push_back(floor.frame);
        floorTotal.push_back(floor.init + floor.decode + floor.textures + floor.frame);
    }
    std::printf("startup_game_us %.0f\n", median(game));
    std::printf("startup_floor_us %.0f\n", median(floorTotal));
    std::printf("startup_floor_init_us %.0f\n", median(init));
    std::printf("startup_floor_decode_us %.0f\n", median(decode));
    std::printf("startup_floor_textures_us %.0f\n", median(textures));
    std::printf("startup_floor_frame_us %.0f\n", median(frame));
    return 0;
}

const char* formatKind(const SDL_Surface* surface) {
    if (SDL_ISPIXELFORMAT_INDEXED(surface->format->format)) return "indexed";
    return SDL_ISPIXELFORMAT_ALPHA(surface->format->format) ? "rgba" : "rgb";
}

// `pictures`: per picture, file size, decoded format, the bytes its kept
// surface holds and the bytes a 32-bit texture of it needs.
int listPictures() {
    SDL_Init(SDL_INIT_VIDEO);
    SDL_version sdl{};
    SDL_GetVersion(&sdl);
    const SDL_version* image = IMG_Linked_Version();
    std::printf("sdl_version %d.%d.%d\n", sdl.major, sdl.minor, sdl.patch);
    std::printf("sdl_image_version %d.%d.%d\n", image->major, image->minor, image->patch);
    for (const char* path : kPicturePaths) {
        SDL_RWops* file = SDL_RWFromFile(path, "rb");
        const long long fileBytes = file ? SDL_RWsize(file) : -1;
        if (file) SDL_RWclose(file);
        SDL_Surface* surface = IMG_Load(path);
        if (surface == nullptr) {
            std::printf("picture %s missing 0 0 0 0 0 0\n", path);
            continue;
        }
        std::printf("picture %s %s %d %d %lld %lld %lld %d\n", path, formatKind(surface), surface->w,
                    surface->h, fileBytes, (long long)surface->pitch * surface->h,
                    (long long)surface->w * surface->h * 4, surface->format->BitsPerPixel);
        SDL_FreeSurface(surface);
    }
    SDL_Quit();
    return 0;
}

long long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
    }
    return -1;
}

// `baseline SECONDS RENDERER`: the game's SDL set-up and frames of nothing,
// so the memory that is not the pictures' can be told apart.
int baseline(int seconds, const char* renderer) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    chooseRenderer(renderer);
    SDL_Init(kGameSubsystems);
    SDL_Window* window = SDL_CreateWindow("baseline", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, kWindowWidth, kWindowHeight, 0);
    SDL_Renderer* sdlRenderer = SDL_CreateRenderer(window, -1, 0);
    IMG_Init(IMG_INIT_PNG);
    const Clock::time_point start = Clock::now();
    while (microsecondsSince(start) < seconds * 1e6) {
        drainEvents();
        SDL_RenderClear(sdlRenderer);
        SDL_RenderPresent(sdlRenderer);
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    std::printf("baseline_renderer %s\n", rendererName(sdlRenderer).c_str());
    std::printf("baseline_vmhwm_kb %lld\n", peakResidentKilobytes());
    SDL_Quit();
    return 0;
}

// Steps of the reference computation; about 0.1 s on the machine the figures came from.
constexpr long kReferenceSteps = 60000000;
// Bytes the reference copy moves per round: larger than any cache, like a layer blit's reads.
constexpr size_t kReferenceCopyBytes = 64u << 20;
constexpr int kReferenceCopies = 8;
// Slots and steps of the reference pointer chase, which waits on memory one load at a time.
constexpr size_t kReferenceChaseSlots = 8u << 20;
constexpr long kReferenceChaseSteps = 1000000;
constexpr int kReferenceRounds = 5;

// `reference`: a fixed computation and a fixed memory copy, medians in ms.
// Their times move with whatever slows this machine (other virtual machines
// on the host included) that no load figure of ours can see.
int reference() {
    std::vector<double> compute, copy, chase;
    std::vector<char> from(kReferenceCopyBytes, 1), to(kReferenceCopyBytes);
    // One cycle through every slot in a scrambled order (an odd stride modulo a power of two).
    std::vector<uint32_t> next(kReferenceChaseSlots);
    for (size_t i = 0; i < kReferenceChaseSlots; ++i) {
        next[i] = uint32_t((i + 2654435761u) & (kReferenceChaseSlots - 1));
    }
    volatile uint64_t sink = 0;
    for (int round = 0; round < kReferenceRounds; ++round) {
        Clock::time_point start = Clock::now();
        uint64_t x = 88172645463325252ull + round;
        for (long i = 0; i < kReferenceSteps; ++i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
        }
        sink = x;
        compute.push_back(microsecondsSince(start) / 1000);
        start = Clock::now();
        for (int i = 0; i < kReferenceCopies; ++i) {
            std::memcpy(to.data(), from.data(), kReferenceCopyBytes);
            from[i] = to[kReferenceCopyBytes - 1 - i];
        }
        copy.push_back(microsecondsSince(start) / 1000);
        start = Clock::now();
        uint32_t slot = 0;
        for (long i = 0; i < kReferenceChaseSteps; ++i) slot = next[slot];
        sink = slot;
        chase.push_back(microsecondsSince(start) / 1000);
    }
    (void)sink;
    std::printf("reference_compute_ms %.1f\n", median(compute));
    std::printf("reference_copy_ms %.1f\n", median(copy));
    std::printf("reference_chase_ms %.1f\n", median(chase));
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: hollowmere_bench frames COUNT WARM-UP OUT.csv RENDERER...\n"
                 "       hollowmere_bench floor-once RENDERER\n"
                 "       hollowmere_bench passes SECONDS RENDERER\n"
                 "       hollowmere_bench layers REPEATS RENDERER\n"
                 "       hollowmere_bench startup REPEATS RENDERER\n"
                 "       hollowmere_bench pictures\n"
                 "       hollowmere_bench reference\n"
                 "       hollowmere_bench baseline SECONDS RENDERER\n"
                 "RENDERER is software or default; run from the directory holding Images/.\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) return usage();
    const std::string mode = argv[1];
    if (mode == "frames" && argc >= 6) {
        return benchFrames(std::atoi(argv[2]), std::atoi(argv[3]), argv[4],
                           std::vector<const char*>(argv + 5, argv + argc));
    }
    if (mode == "floor-once" && argc == 3) return floorOnce(argv[2]);
    if (mode == "passes" && argc == 4) return benchPasses(std::atoi(argv[2]), argv[3]);
    if (mode == "layers" && argc == 4) return benchLayers(std::atoi(argv[2]), argv[3]);
    if (mode == "startup" && argc == 4) return benchStartUp(std::atoi(argv[2]), argv[3]);
    if (mode == "pictures" && argc == 2) return listPictures();
    if (mode == "reference" && argc == 2) return reference();
    if (mode == "baseline" && argc == 4) return baseline(std::atoi(argv[2]), argv[3]);
    return usage();
}
