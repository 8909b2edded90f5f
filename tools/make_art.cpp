// Draws the game's six pictures and its menu icon: `make art` runs it on the repository root,
// where the game finds Images/, and on desktop/.
#include <cstdio>

#include <SDL.h>

#include "art/art.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s GAME_FOLDER ICON_FOLDER\n", argv[0]);
        return 2;
    }
    return art::writePictures(argv[1]) && art::writePicture(art::kIcon, argv[2]) ? 0 : 1;
}
