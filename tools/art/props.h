// The props the landscapes place, each drawn on a Canvas in grid cells: `base` is the row its foot
// stands on; the ground's props stand on the walking surface (kSurfaceCell) unless given a row.
#pragma once

#include <cstdint>

#include "art/raster.h"

namespace art {

// Trees and plants (trees_and_plants.cpp).
// The nearer hills and the ground call this: a broad-leaved tree, its crown of discs lit from the upper left.
void roundTree(Canvas& c, Rng& rng, int x, int base, int size);
// The nearer hills call this: a fir of stacked, widening tiers, `height` cells tall, the left half lit.
void pineTree(Canvas& c, Rng& rng, int x, int base, int height);
// The nearer hills and the ground call this: a bush of three discs, `w` cells wide, flat on its base.
void bush(Canvas& c, Rng& rng, int x, int base, int w);
// The ground calls this: a flower on a stalk, its petals `colour`.
void flower(Canvas& c, int x, uint8_t colour);
// The ground calls this: a red toadstool with white spots.
void mushroom(Canvas& c, int x);
// The ground calls this: a sawn-off tree stump.
void stump(Canvas& c, int x);

// Buildings (buildings.cpp).
// The nearer hills call this: a stone windmill whose four sails turn a little off the upright.
void windmill(Canvas& c, int x, int base);
// The nearer hills call this: a cottage with a chimney; `lit` puts a light in its window.
void cottage(Canvas& c, int x, int base, bool lit);
// The nearer hills call this: a crenellated stone tower flying a red flag.
void tower(Canvas& c, int x, int base);

// Things beside and under the path (wayside.cpp).
// The ground calls this: a post-and-rail fence from x, `length` cells long.
void fence(Canvas& c, int x, int length);
// The ground calls this for both ends of the walk: a low wall of stacked stones from x, `length` cells long.
void drystoneWall(Canvas& c, Rng& rng, int x, int length);
// The ground calls this: a signpost whose board points right, the way the walk begins.
void signpost(Canvas& c, int x);
// The ground calls this: a street lamp, lit.
void lamp(Canvas& c, int x);
// The ground calls this: a stone well with a roof and a bucket.
void well(Canvas& c, int x);
// The ground calls this: a creek under a plank bridge, `length` cells wide, the planks level with the path.
void bridge(Canvas& c, int x, int length);

// Stones and things buried (rocks_and_buried_things.cpp).
// The ground calls this: a rounded boulder, w × h cells.
void rock(Canvas& c, int x, int base, int w, int h);
// The ground calls these: things buried in the earth at (x, y), for its fast scroll to carry past.
void bone(Canvas& c, int x, int y);
void fossil(Canvas& c, int x, int y);
void chest(Canvas& c, int x, int y);

}  // namespace art
