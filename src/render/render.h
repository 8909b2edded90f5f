// Presentation: drawing a frame (Game::render, in render.cpp) and the sky colour cycle.
#pragma once

#include "app/app.h"
