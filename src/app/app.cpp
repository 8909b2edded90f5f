// Start-up, event handling, the frame gate and teardown.
#include "app/app.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <SDL_image.h>

namespace {

// Every subsystem but the sensors.
constexpr Uint32 kSdlSubsystems = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO |
                                  SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC |
                                  SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS;
static_assert(kSdlSubsystems == 0x7231, "subsystem flags changed");

constexpr int kMicrosecondsPerSecond = 1000000;
constexpr int64_t kNanosecondsPerMicrosecond = 1000;

// Steps up to "init success"; returns early at the first failure, leaving
// `running` clear so the loop never runs.
void bringUp(Game& game) {
    if (SDL_Init(kSdlSubsystems) != 0) {
        printLine("SDL init fail");
        printCause("SDL_Init");
        return;
    }
    printLine("SDL init success");

    game.window = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   kWindowWidth, kWindowHeight, 0);
    if (game.window == nullptr) {
        printLine("window init fail");
        printCause("SDL_CreateWindow");
        return;
    }
    printLine("Window creation successful");

    game.renderer = SDL_CreateRenderer(game.window, -1, 0);
    if (game.renderer == nullptr) {
        printLine("renderer init fail");
        printCause("SDL_CreateRenderer");
        return;
    }
    printLine("renderer creation success");
    SDL_SetRenderDrawColor(game.renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);

    IMG_Init(IMG_INIT_PNG);
    game.playerSurface = loadPicture(kPlayerPath);
    if (game.playerSurface == nullptr) {
        printLine("player load fail");
        printCause(kPlayerPath);
        return;
    }
    game.playerTexture = SDL_CreateTextureFromSurface(game.renderer, game.playerSurface);
    game.background.load(game.renderer);

    printLine("init success");
    game.running = true;
}

// Runs whatever happened before: the player's own texture, then its starting values.
void setUpPlayer(Game& game, Player& player) {
    IMG_Init(IMG_INIT_PNG);
    SDL_Surface* sheet = loadPicture(kPlayerPath);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(game.renderer, sheet);
    SDL_FreeSurface(sheet);
    printLine("Player ts init");

    player = Player{};
    player.texture = texture;
    player.renderer = game.renderer;
    printLine("player init");
}

void printNumbers(int first, int second) {
    char line[32];
    SDL_snprintf(line, sizeof line, "%d %d", first, second);
    printLine(line);
}

void printDebugBlock(const Player& player) {
    printNumbers(player.position.x, player.position.y);
    printNumbers(player.dst.x, player.dst.y);
    char speed[16];
    SDL_snprintf(speed, sizeof speed, "%d", player.speed);
    printLine(speed);
    printLine("");
}

}  // namespace

void printLine(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printCause(const char* what) {
    std::fprintf(stderr, "%s: %s\n", what, SDL_GetError());
    std::fflush(stderr);
}

bool startUp(Game& game, Player& player) {
    bringUp(game);
    setUpPlayer(game, player);
    return game.running;
}

void handleEvent(Game& game, const Player& player, const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        game.running = false;
        return;
    }
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
        return;
    }
    const bool pressed = event.type == SDL_KEYDOWN;
    switch (event.key.keysym.sym) {
        case 'W': case 'w': game.upHeld = pressed; break;
        case 'S': case 's': game.downHeld = pressed; break;
        case 'A': case 'a': game.leftHeld = pressed; break;
        case 'D': case 'd': game.rightHeld = pressed; break;
        // = and E act on the press alone.
        case '=': if (pressed) game.speedUpPressed = true; break;
        case 'E': case 'e': if (pressed) printDebugBlock(player); break;
        default: break;
    }
}

void pollEvents(Game& game, const Player& player) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        handleEvent(game, player, event);
    }
}

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool frameGateOpens(Game& game, int64_t nowNanoseconds) {
    const int64_t now = nowNanoseconds / kNanosecondsPerMicrosecond;
    // 16666 microseconds at 60 frames per second: the division truncates.
    const int32_t period = kMicrosecondsPerSecond / game.fps;
    if (now % period >= kFrameWindowMicroseconds) {
        game.frameDone = false;
        return false;
    }
    if (game.frameDone) {
        return false;
    }
    game.frameDone = true;
    return true;
}

bool browserGateOpens(BrowserGate& gate, int32_t fps, int64_t nowNanoseconds) {
    const int64_t period = nowNanoseconds / kNanosecondsPerMicrosecond / (kMicrosecondsPerSecond / fps);
    if (period <= gate.lastPeriod) {
        return false;
    }
    gate.lastPeriod = period;
    return true;
}

int64_t browserGateNextNanoseconds(const BrowserGate& gate, int32_t fps) {
    const int64_t periodMicroseconds = kMicrosecondsPerSecond / fps;
    return ((gate.lastPeriod + 1) * periodMicroseconds + periodMicroseconds / 2) * kNanosecondsPerMicrosecond;
}

void tearDown(Game& game, Player& player) {
    SDL_DestroyTexture(player.texture);
    SDL_DestroyTexture(game.playerTexture);
    SDL_FreeSurface(game.playerSurface);
    player.texture = nullptr;
    game.playerTexture = nullptr;
    game.playerSurface = nullptr;
    for (LayerIndex i : kReleaseOrder) {
        SDL_DestroyTexture(game.background.layers[i].texture);
        game.background.layers[i].texture = nullptr;
    }
    for (LayerIndex i : kReleaseOrder) {
        SDL_FreeSurface(game.background.layers[i].surface);
        game.background.layers[i].surface = nullptr;
    }
    SDL_DestroyRenderer(game.renderer);
    SDL_DestroyWindow(game.window);
    game.renderer = nullptr;
    player.renderer = nullptr;
    game.window = nullptr;
    IMG_Quit();
    SDL_Quit();
}

void pauseConsole() {
#ifdef _WIN32
    // Only Windows' command processor knows "pause"; elsewhere nothing waits.
    std::system("pause");
#endif
}
