"""The game's numbers, as src/ sets them."""

# The frame gate's period in microseconds (kFramesPerSecond in src/app/app.h), and the window at the start of
# each in which the desktop's gate opens (kFrameWindowMicroseconds).
PERIOD_US = 1000000 // 60
WINDOW_US = 100
# The sky's tint steps every this many frames (kFramesPerSkyStep in src/render/render.cpp).
FRAMES_PER_SKY_STEP = 5
# The window's title, by which xdotool finds it, and its size, the scene's.
TITLE = "Hollowmere"
SCENE = (1024, 768)
# The world's size, the sky's (kWorldWidth, kWorldHeight in src/world/world.h).
WORLD = (8192, 768)
# The player's speed at the start, in tenths of a pixel a frame (Player in src/app/app.h), and so its stride.
START_SPEED = 80
STRIDE = START_SPEED // 10
# The player's x at the start, and where walking stops at each end (kPlayerMinX, kPlayerMaxX in
# src/world/world.cpp); its y once on the ground line (kGroundLineY).
START_X, LEFT_EDGE, RIGHT_EDGE = 540, 495, 7667
GROUND_Y = 630
# The sprite on screen: a 32 x 32 cell of the sheet drawn twice as large, its top left corner here, never moving.
CELL, SCALE = 32, 2
SPRITE_AT = (540, 540)
