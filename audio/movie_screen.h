// movie_screen.h: the window side of movie playback.
//
// Movies play in the engine window, which belongs to the graphics layer
// above this one. That layer lends PlayMovie a screen: the client size, the
// user's interruptions, the message pump, and drawing and presenting a
// picture. Without a screen PlayMovie reports that the movie cannot be had.
#pragma once

#include <cstdint>

struct MovieRect {
    int x = 0, y = 0, width = 0, height = 0; // client pixels, y from the top
};

// The source scaled by the smaller of client / source height and client /
// source width (size truncated), centred in the client area. Empty when the
// source or the client area is empty.
MovieRect FitMovie(int source_width, int source_height, int client_width, int client_height);

struct MoviePicture {
    const std::uint8_t* pixels = nullptr; // RGBA, top row first; null: the previous picture
    int width = 0, height = 0;
    double time_ms = 0; // the picture's time in the movie
};

struct MovieScreen {
    bool (*client_size)(int* width, int* height); // false without a window
    bool (*interrupted)();                        // a character typed or a mouse button down
    void (*pump)(); // window messages; a closed window ends the program
    void (*draw)(const MoviePicture& picture, const MovieRect& dest); // into the back buffer
    void (*present)();                                                // shows the back buffer
    void (*finish)();                                                 // after the last picture
};

// The screen later PlayMovie calls use; null for none.
void SetMovieScreen(const MovieScreen* screen);
const MovieScreen* GetMovieScreen();
