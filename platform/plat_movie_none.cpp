// plat_movie_none.cpp: the media player of a build without FFmpeg: nothing
// opens, so movie playback reports that the movie cannot be had.
#include "platform/plat_movie.h"

bool plat_movie_supported() {
    return false;
}
PlatMovie* plat_movie_open(const char* /*path*/) {
    return nullptr;
}
void plat_movie_close(PlatMovie* /*movie*/) {}
int plat_movie_width(const PlatMovie* /*movie*/) {
    return 0;
}
int plat_movie_height(const PlatMovie* /*movie*/) {
    return 0;
}
double plat_movie_start_ms(const PlatMovie* /*movie*/) {
    return 0;
}
double plat_movie_length_ms(const PlatMovie* /*movie*/) {
    return 0;
}
bool plat_movie_play(PlatMovie* /*movie*/) {
    return false;
}
void plat_movie_stop(PlatMovie* /*movie*/) {}
double plat_movie_position_ms(const PlatMovie* /*movie*/) {
    return 0;
}
bool plat_movie_seek_start(PlatMovie* /*movie*/) {
    return false;
}
const std::uint8_t* plat_movie_frame(PlatMovie* /*movie*/, double* /*frame_ms*/) {
    return nullptr;
}
std::uint64_t plat_movie_sound_frames_queued(const PlatMovie* /*movie*/) {
    return 0;
}
