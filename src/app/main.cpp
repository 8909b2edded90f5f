// Entry routine: start-up, the loop, teardown.
#include <SDL.h>

#include "app/app.h"

#ifdef __EMSCRIPTEN__
#include <algorithm>

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

namespace {

// The display frame's time comes in milliseconds, the gate takes nanoseconds.
constexpr double kNanosecondsPerMillisecond = 1e6;

// What one browser pass did.
enum class Pass { NoFrame, Changed, Unchanged };

// The browser's side of the loop; main's stack keeps it for as long as the page runs.
struct Page {
    Game& game;
    Player& player;
    BrowserGate gate;
    bool changedLast = false;  // the last frame a timer's pass ran handed the canvas a new picture
};

// The frames SDL has handed to the canvas so far; -1 where it does not count them.
int framesHanded() {
    return EM_ASM_INT({
        var SDL2 = Module['SDL2'];
        return SDL2 && SDL2.handed !== undefined ? SDL2.handed : -1;
    });
}

// Events, then a frame if the gate opens at `milliseconds` on the page's clock; tears down once the game ends.
Pass runPass(Page& page, double milliseconds) {
    pollEvents(page.game, page.player);
    Pass pass = Pass::NoFrame;
    if (browserGateOpens(page.gate, page.game.fps, int64_t(milliseconds * kNanosecondsPerMillisecond))) {
        const int before = framesHanded();
        page.game.update(page.player);
        page.game.render(page.player);
        const int after = framesHanded();
        pass = after < 0 || after != before ? Pass::Changed : Pass::Unchanged;
    }
    if (!page.game.running) {
        tearDown(page.game, page.player);
    }
    return pass;
}

// A hidden page runs no frames: its display frames stop until it shows again.
bool pageHidden() {
    EmscriptenVisibilityChangeEvent visibility{};
    return emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS && visibility.hidden;
}

void onTimer(void* arg);

// A pass waits on a timer until half way into the next period, where neither end's wobble reaches.
void waitOnTimer(Page& page) {
    const double due = double(browserGateNextNanoseconds(page.gate, page.game.fps)) / kNanosecondsPerMillisecond;
    emscripten_set_timeout(onTimer, std::max(0.0, due - emscripten_get_now()), &page);
}

// While the picture moves, a pass runs in each display frame, with the time that frame is shown.
// That time keeps the display's beat; the time a pass starts wobbles with whatever else the page does,
// and a wobble across a period's start puts two passes in one period, so that one runs no frame.
// A frame that hands the canvas nothing new needs no beat, and a display frame costs the page about twice
// what a timer does: the passes after it wait on timers until the picture moves again.
EM_BOOL onDisplayFrame(double milliseconds, void* arg) {
    Page& page = *static_cast<Page*>(arg);
    if (runPass(page, milliseconds) == Pass::Unchanged && page.game.running && !pageHidden()) {
        waitOnTimer(page);
        return EM_FALSE;
    }
    return page.game.running;
}

// A lone new picture, as when the sky's tint steps at rest, needs no beat either: two in a row are movement.
void onTimer(void* arg) {
    Page& page = *static_cast<Page*>(arg);
    const Pass pass = runPass(page, emscripten_get_now());
    if (!page.game.running) {
        return;
    }
    const bool moving = pass == Pass::Changed && page.changedLast;
    if (pass != Pass::NoFrame) {
        page.changedLast = pass == Pass::Changed;
    }
    if (moving || pageHidden()) {
        page.changedLast = false;
        emscripten_request_animation_frame_loop(onDisplayFrame, &page);
    } else {
        waitOnTimer(page);
    }
}

}  // namespace
#endif

int main(int, char*[]) {
    Game game;
    Player player;
    const bool started = startUp(game, player);

#ifdef __EMSCRIPTEN__
    // A page cannot spin: the browser calls each pass, on a display frame or a timer.
    Page page{game, player, BrowserGate{}};
    if (game.running) {
        emscripten_request_animation_frame_loop(onDisplayFrame, &page);
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
