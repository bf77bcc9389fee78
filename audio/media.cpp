// media.cpp: music streams and movies.
//
// One music stream plays at a time through the mixer; starting another stops
// the first. A movie plays on the platform's media player: its pictures go
// to the screen the graphics layer lends (movie_screen.h), its sound into
// the sound device beside the effects and the music.
#include "audio/movie_screen.h"
#include "audio/sound_local.h"

#include "platform/plat_movie.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr double kMovieUnavailable = 3;
constexpr double kReleasePollMs = 5;

const MovieScreen* g_screen = nullptr;

// One pass of the play loop: the picture due now, drawn and presented.
void show_due_picture(PlatMovie* movie, const MovieScreen& screen, const MovieRect& dest,
                      MoviePicture& picture) {
    double time_ms = picture.time_ms;
    picture.pixels = plat_movie_frame(movie, &time_ms);
    picture.time_ms = time_ms;
    screen.draw(picture, dest);
    screen.present();
}

// Plays until the end, or round and round when looping, until the user
// types a character or presses a mouse button.
void play_loop(PlatMovie* movie, const MovieScreen& screen, const MovieRect& dest, double end,
               bool loop, const RtString& file) {
    MoviePicture picture;
    picture.width = plat_movie_width(movie);
    picture.height = plat_movie_height(movie);
    double position = 0;
    do {
        position = plat_movie_position_ms(movie);
        if (screen.interrupted()) break;
        screen.pump();
        if (loop && position >= end) {
            if (!plat_movie_seek_start(movie) || !plat_movie_play(movie)) {
                rt_log(RtString("movie: cannot rewind ") + file);
                break;
            }
        }
        show_due_picture(movie, screen, dest, picture);
    } while (position < end || loop);
}

} // namespace

MovieRect FitMovie(int source_width, int source_height, int client_width, int client_height) {
    MovieRect r;
    if (source_width <= 0 || source_height <= 0 || client_width <= 0 || client_height <= 0)
        return r;
    double scale = std::min(static_cast<double>(client_height) / source_height,
                            static_cast<double>(client_width) / source_width);
    r.width = static_cast<int>(source_width * scale);
    r.height = static_cast<int>(source_height * scale);
    r.x = (client_width - r.width) / 2;
    r.y = (client_height - r.height) / 2;
    return r;
}

void SetMovieScreen(const MovieScreen* screen) {
    g_screen = screen;
}

const MovieScreen* GetMovieScreen() {
    return g_screen;
}

// 0 while the music plays. A missing or unplayable file gives -1, so a
// failure never reads as "playing".
double PlayMusic(const RtString& file) {
    plat_music_stop();
    RtString resolved;
    if (!rt_check_data_file(file, "sound", &resolved, UINT64_MAX)) return -1;
    if (!plat_music_play(resolved.c_str())) {
        rt_log(RtString("sound: cannot play music ") + resolved);
        return -1;
    }
    return 0;
}

void StopMusic() {
    plat_music_stop();
}

// 0 after playback; 3 when the file is not found, cannot be opened, or
// there is no window to play it in.
double PlayMovie(const RtString& file, double loop) {
    RtString resolved;
    if (!rt_check_data_file(file, "movie", &resolved, UINT64_MAX)) return kMovieUnavailable;
    const MovieScreen* screen = g_screen;
    int client_w = 0, client_h = 0;
    if (!screen || !screen->client_size(&client_w, &client_h)) {
        rt_log(RtString("movie: no window for ") + resolved);
        return kMovieUnavailable;
    }
    PlatMovie* movie = plat_movie_open(resolved.c_str());
    if (!movie) {
        rt_log(RtString(plat_movie_supported() ? "movie: cannot open " : "movie: no player for ") +
               resolved);
        return kMovieUnavailable;
    }
    double end = plat_movie_start_ms(movie) + plat_movie_length_ms(movie);
    MovieRect dest =
        FitMovie(plat_movie_width(movie), plat_movie_height(movie), client_w, client_h);
    // A key or button still held from before must not end the movie at once.
    while (screen->interrupted()) {
        screen->pump();
        plat_sleep_ms(kReleasePollMs);
    }
    if (plat_movie_play(movie) && end > 0)
        play_loop(movie, *screen, dest, end, loop != 0, resolved);
    plat_movie_stop(movie);
    screen->finish();
    plat_movie_close(movie);
    return 0;
}
