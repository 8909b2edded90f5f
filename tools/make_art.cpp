// Draws the game's six pictures into a folder: `make art` runs it on Images/.
#include <cstdio>

#include <SDL.h>

#include "art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    return art::writePictures(argv[1]) ? 0 : 1;
}
