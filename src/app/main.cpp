// Entry routine: start-up, the loop, teardown.
#include <SDL.h>

#include "app/app.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

int main(int, char*[]) {
    Game game;
    Player player;
    const bool started = startUp(game, player);

#ifdef __EMSCRIPTEN__
    // A page cannot spin: the browser calls one pass per display frame. main's
    // stack is left in place, so game and player live on; the loop below never runs.
    struct Page { Game& game; Player& player; BrowserGate gate; } page{game, player, BrowserGate{}};
    auto pass = [](void* arg) {
        Page& page = *static_cast<Page*>(arg);
        pollEvents(page.game, page.player);
        if (browserGateOpens(page.gate, page.game.fps, steadyNanoseconds())) {
            page.game.update(page.player);
            page.game.render(page.player);
        }
        if (!page.game.running) {
            emscripten_cancel_main_loop();
            tearDown(page.game, page.player);
        }
    };
    if (game.running) emscripten_set_main_loop_arg(pass, &page, 0, true);
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
