// media.cpp: music streams and movies.
//
// One music stream plays at a time through the mixer; starting another stops
// the first. Movies are not played yet: PlayMovie reports that the movie
// cannot be had.
#include "audio/sound_local.h"

#include "platform/platform.h"

namespace {

constexpr double kMovieUnavailable = 3;

} // namespace

// 0 while the music plays. A missing or unplayable file gives -1, so a
// failure never reads as "playing".
double PlayMusic(const RtString& file) {
    plat_music_stop();
    RtString resolved;
    if (!rt_media_lookup(file, &resolved)) return -1;
    if (!plat_music_play(resolved.c_str())) {
        rt_log(RtString("sound: cannot play music ") + resolved);
        return -1;
    }
    return 0;
}

void StopMusic() {
    plat_music_stop();
}

double PlayMovie(const RtString& file, double /*loop*/) {
    RtString resolved;
    if (!rt_media_lookup(file, &resolved)) return kMovieUnavailable;
    rt_log(RtString("movie: no movie player for ") + resolved);
    return kMovieUnavailable;
}
