// main.cpp: cropstack-assetgen writes every model, picture, font and sound
// the game loads into the directory given as its argument (the build runs it
// with the game's own directory).
#include "font.h"
#include "models.h"
#include "overlays.h"
#include "sounds.h"
#include "textures.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cropstack-assetgen <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = write_models(dir);
    ok = write_textures(dir) && ok;
    ok = write_overlays(dir) && ok;
    ok = write_lens(dir) && ok;
    ok = write_logo(dir) && ok;
    ok = write_font(dir) && ok;
    ok = write_sounds(dir) && ok;
    return ok ? 0 : 1;
}
