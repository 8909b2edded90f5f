// Entry routine: start-up, the loop, teardown.
#include <SDL.h>

#include "app/app.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>

// The display frame's time comes in milliseconds, the gate takes nanoseconds.
constexpr double kNanosecondsPerMillisecond = 1e6;
#endif

int main(int, char*[]) {
    Game game;
    Player player;
    const bool started = startUp(game, player);

#ifdef __EMSCRIPTEN__
    // A page cannot spin: the browser calls one pass per display frame, with the time that frame is shown.
    // That time keeps the display's beat; the time a pass starts wobbles with whatever else the page does,
    // and a wobble across a period's start puts two passes in one period, so that one runs no frame.
    struct Page { Game& game; Player& player; BrowserGate gate; } page{game, player, BrowserGate{}};
    auto pass = [](double frameMilliseconds, void* arg) -> EM_BOOL {
        Page& page = *static_cast<Page*>(arg);
        pollEvents(page.game, page.player);
        if (browserGateOpens(page.gate, page.game.fps, int64_t(frameMilliseconds * kNanosecondsPerMillisecond))) {
            page.game.update(page.player);
            page.game.render(page.player);
        }
        if (!page.game.running) {
            tearDown(page.game, page.player);
        }
        return page.game.running;
    };
    if (game.running) {
        emscripten_request_animation_frame_loop(pass, &page);
        // main's stack is left in place, so game and player live on; the loop below never runs.
        emscripten_exit_with_live_runtime();
    }
#endif

    // The loop spins without sleeping so that it lands inside every frame window.
    while (game.running) {
        pollEvents(game, player);
        if (frameGateOpens(game, steadyNanoseconds())) {
            game.update(player);
            game.render(player);
        }
    }

    tearDown(game, player);
    pauseConsole();
    return started ? 0 : 1;
}
