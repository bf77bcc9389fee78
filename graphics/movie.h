// movie.h: the engine window as the screen movies play on.
#pragma once

#include "audio/movie_screen.h"

// The engine window's movie screen: pictures drawn as a texture into the
// window's client area, interruptions from the keyboard's characters and the
// mouse buttons, presenting on the frame grid.
const MovieScreen& EngineMovieScreen();
// Lends that screen to PlayMovie (start-up does this once the window is up).
void InstallMovieScreen();
