// Entry routine: start-up, the loop, teardown.
#include <SDL.h>

#include "app/app.h"

int main(int, char*[]) {
    Game game;
    Player player;
    const bool started = startUp(game, player);

    // The loop spins without sleeping so that it lands inside every frame window.
    while (game.running) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            handleEvent(game, player, event);
        }
        if (frameGateOpens(game, steadyNanoseconds())) {
            game.update(player);
            game.render(player);
        }
    }

    tearDown(game, player);
    pauseConsole();
    return started ? 0 : 1;
}
