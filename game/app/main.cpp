// main.cpp: the cropstack program: hands the command line to the game's entry.
#include "game/screens/screens.h"

int main(int argc, char** argv) {
    game_entry(argc, argv);
}
