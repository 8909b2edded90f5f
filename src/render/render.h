// Presentation: drawing a frame (Game::render) and the sky colour cycle.
#pragma once

#include "app/app.h"

// Game::render calls this once a frame, before tinting the sky: every fifth
// frame the sky colour takes one step of its 800-step day-and-night cycle.
void stepSkyCycle(Game& game);
