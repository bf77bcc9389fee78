// plat_movie.cpp: the media player on FFmpeg's libraries: demuxing, the
// clock, and the picture and sound decoders.
//
// Packets are read as the decoders ask for them and parked per stream. The
// picture decoder runs up to the clock's position; the sound decoder runs a
// little ahead of it, so the device's queue never runs dry between frames
// while the sound it plays stays close to the picture.
#include "platform/plat_movie.h"

#include "platform/plat_files.h"

#include "platform/plat_movie_local.h"
#include "platform/plat_video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>

namespace {

constexpr double kSoundLeadMs = 200; // sound decoded ahead of the position
constexpr double kSoundLateMs = 100; // sound this far behind is dropped
constexpr std::size_t kMaxParkedPackets = 1024;

struct Decoder {
    int stream = -1;
    AVCodecContext* ctx = nullptr;
    std::deque<AVPacket*> packets;
    bool flushed = false; // the end-of-stream packet was sent
    bool done = false;    // no more frames will come

    void drop_packets() {
        for (AVPacket* p : packets)
            av_packet_free(&p);
        packets.clear();
    }
};

double now_ms() {
    std::uint64_t f = plat_perf_frequency();
    if (f == 0) return plat_ticks_ms();
    return static_cast<double>(plat_perf_counter()) * 1000.0 / static_cast<double>(f);
}

} // namespace

struct PlatMovie {
    AVFormatContext* format = nullptr;
    Decoder video, sound;
    AVFrame* frame = nullptr;   // scratch for the sound decoder
    AVFrame* pending = nullptr; // decoded picture not yet due
    AVFrame* picture = nullptr; // latest picture due, not yet converted
    bool has_pending = false;
    bool due_is_new = false; // a picture became due since the last one went out
    bool shown_any = false;  // a picture went out since opening or seeking
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    std::vector<std::uint8_t> pixels;
    std::vector<std::int16_t> samples;
    double shown_ms = 0;
    int width = 0, height = 0;
    double origin_ms = 0; // the file's own time of our position 0
    double length_ms = 0;
    bool input_done = false;
    bool playing = false;
    double clock_base_ms = 0;    // counter time when play began
    double position_base_ms = 0; // position when play began
    double sound_end_ms = 0;     // position up to which sound is decoded
    int out_rate = 0, out_channels = 0;
    int in_rate = 0, in_format = -1, in_channels = 0; // what the resampler was made for
    std::uint64_t frames_queued = 0;
};

namespace {

bool open_decoder(PlatMovie& m, AVMediaType type, Decoder& d) {
    const AVCodec* codec = nullptr;
    int index = av_find_best_stream(m.format, type, -1, -1, &codec, 0);
    if (index < 0 || !codec) return false;
    d.ctx = avcodec_alloc_context3(codec);
    if (!d.ctx || avcodec_parameters_to_context(d.ctx, m.format->streams[index]->codecpar) < 0 ||
        avcodec_open2(d.ctx, codec, nullptr) < 0) {
        avcodec_free_context(&d.ctx);
        return false;
    }
    d.stream = index;
    return true;
}

double stream_ms(const PlatMovie& m, const Decoder& d, std::int64_t ts) {
    // Whole microseconds first, so times of whole milliseconds come out exact.
    std::int64_t us =
        av_rescale_q(ts, m.format->streams[d.stream]->time_base, AVRational{1, 1000000});
    return static_cast<double>(us) / 1000.0 - m.origin_ms;
}

void measure(PlatMovie& m) {
    if (m.format->start_time != AV_NOPTS_VALUE)
        m.origin_ms = static_cast<double>(m.format->start_time) / 1000.0;
    if (m.format->duration != AV_NOPTS_VALUE && m.format->duration > 0) {
        m.length_ms = static_cast<double>(m.format->duration) / 1000.0;
        return;
    }
    for (const Decoder* d : {&m.video, &m.sound}) {
        if (d->stream < 0) continue;
        const AVStream* s = m.format->streams[d->stream];
        if (s->duration != AV_NOPTS_VALUE)
            m.length_ms = std::max(m.length_ms, s->duration * av_q2d(s->time_base) * 1000.0);
    }
}

// Reads one packet into the queue of its stream; false at the end of input.
bool read_packet(PlatMovie& m) {
    if (m.input_done) return false;
    AVPacket* p = av_packet_alloc();
    if (!p || av_read_frame(m.format, p) < 0) {
        av_packet_free(&p);
        m.input_done = true;
        return false;
    }
    Decoder* d = p->stream_index == m.video.stream   ? &m.video
                 : p->stream_index == m.sound.stream ? &m.sound
                                                     : nullptr;
    if (!d) {
        av_packet_free(&p);
        return true;
    }
    // A file that interleaves badly cannot make the queue grow without end.
    if (d->packets.size() >= kMaxParkedPackets) {
        av_packet_free(&d->packets.front());
        d->packets.pop_front();
    }
    d->packets.push_back(p);
    return true;
}

// Feeds the decoder until it gives the next frame; false when it has none left.
bool decode_next(PlatMovie& m, Decoder& d, AVFrame* out) {
    while (!d.done) {
        int r = avcodec_receive_frame(d.ctx, out);
        if (r == 0) return true;
        if (r != AVERROR(EAGAIN)) {
            d.done = true;
            break;
        }
        if (d.packets.empty() && read_packet(m)) continue;
        if (!d.packets.empty()) {
            AVPacket* p = d.packets.front();
            d.packets.pop_front();
            avcodec_send_packet(d.ctx, p); // a damaged packet is skipped
            av_packet_free(&p);
        } else if (!d.flushed) {
            avcodec_send_packet(d.ctx, nullptr);
            d.flushed = true;
        } else {
            d.done = true;
        }
    }
    return false;
}

double frame_ms(const PlatMovie& m, const Decoder& d, const AVFrame* f, double fallback) {
    std::int64_t ts = f->best_effort_timestamp;
    return ts == AV_NOPTS_VALUE ? fallback : stream_ms(m, d, ts);
}

// Advances the picture to the latest one due at `position`.
void advance_picture(PlatMovie& m, double position) {
    for (;;) {
        if (!m.has_pending) {
            if (!decode_next(m, m.video, m.pending)) return;
            m.has_pending = true;
        }
        double t = frame_ms(m, m.video, m.pending, m.shown_ms);
        // The first picture shows at once, even when its time is a little late.
        if (t > position && (m.due_is_new || m.shown_any)) return;
        av_frame_unref(m.picture);
        av_frame_move_ref(m.picture, m.pending);
        m.has_pending = false;
        m.due_is_new = true;
        m.shown_ms = t;
    }
}

bool convert_picture(PlatMovie& m) {
    const AVFrame* f = m.picture;
    m.scaler = sws_getCachedContext(m.scaler, f->width, f->height,
                                    static_cast<AVPixelFormat>(f->format), m.width, m.height,
                                    AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!m.scaler) return false;
    std::uint8_t* dst[4] = {m.pixels.data(), nullptr, nullptr, nullptr};
    int stride[4] = {m.width * 4, 0, 0, 0};
    return sws_scale(m.scaler, f->data, f->linesize, 0, f->height, dst, stride) > 0;
}

bool make_resampler(PlatMovie& m, const AVFrame* f) {
    AVChannelLayout in{}, out{};
    if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, f->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &f->ch_layout);
    av_channel_layout_default(&out, m.out_channels);
    int r = swr_alloc_set_opts2(&m.resampler, &out, AV_SAMPLE_FMT_S16, m.out_rate, &in,
                                static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    m.in_rate = f->sample_rate;
    m.in_format = f->format;
    m.in_channels = f->ch_layout.nb_channels;
    return r >= 0 && swr_init(m.resampler) >= 0;
}

void queue_sound(PlatMovie& m, const AVFrame* f) {
    // A stream may change its rate or layout midway; the resampler follows.
    bool same = f->sample_rate == m.in_rate && f->format == m.in_format &&
                f->ch_layout.nb_channels == m.in_channels;
    if (m.resampler && !same) swr_free(&m.resampler);
    if (!m.resampler && !make_resampler(m, f)) return;
    int room = swr_get_out_samples(m.resampler, f->nb_samples);
    if (room <= 0) return;
    m.samples.resize(static_cast<std::size_t>(room) * m.out_channels);
    auto* out = reinterpret_cast<std::uint8_t*>(m.samples.data());
    int got = swr_convert(m.resampler, &out, room,
                          const_cast<const std::uint8_t**>(f->extended_data), f->nb_samples);
    if (got > 0)
        m.frames_queued += movie_sound_push(m.samples.data(), static_cast<std::size_t>(got));
}

// Decodes sound up to a little past `position`; late sound is dropped.
void advance_sound(PlatMovie& m, double position) {
    if (m.sound.stream < 0) return;
    if (m.out_channels == 0) {
        m.sound.drop_packets(); // no device: the sound is not wanted
        return;
    }
    while (m.sound_end_ms < position + kSoundLeadMs && decode_next(m, m.sound, m.frame)) {
        double start = frame_ms(m, m.sound, m.frame, m.sound_end_ms);
        double rate = m.frame->sample_rate > 0 ? m.frame->sample_rate : 1;
        m.sound_end_ms = start + m.frame->nb_samples * 1000.0 / rate;
        if (m.playing && m.sound_end_ms >= position - kSoundLateMs) queue_sound(m, m.frame);
        av_frame_unref(m.frame);
    }
}

void free_decoder(Decoder& d) {
    d.drop_packets();
    avcodec_free_context(&d.ctx);
}

// A picture without a sensible size cannot be shown; the sound may still play.
bool open_picture_decoder(PlatMovie& m) {
    if (!open_decoder(m, AVMEDIA_TYPE_VIDEO, m.video)) return false;
    if (av_image_check_size(static_cast<unsigned>(m.video.ctx->width),
                            static_cast<unsigned>(m.video.ctx->height), 0, nullptr) >= 0)
        return true;
    free_decoder(m.video);
    m.video.stream = -1;
    return false;
}

} // namespace

bool plat_movie_supported() {
    return true;
}

PlatMovie* plat_movie_open(const char* path) {
    // Refusals are reported by the caller; FFmpeg's own chatter stays quiet.
    av_log_set_level(AV_LOG_FATAL);
    // FFmpeg opens the file itself; checked through the same guard right
    // before, so that a pipe or a directory never reaches it.
    if (plat_check_file(path, UINT64_MAX) != PlatFileCheck::kOk) return nullptr;
    auto* m = new PlatMovie();
    if (avformat_open_input(&m->format, plat_native_name(path).c_str(), nullptr, nullptr) < 0) {
        delete m;
        return nullptr;
    }
    bool ok = avformat_find_stream_info(m->format, nullptr) >= 0;
    bool video = ok && open_picture_decoder(*m);
    bool sound = ok && open_decoder(*m, AVMEDIA_TYPE_AUDIO, m->sound);
    m->frame = av_frame_alloc();
    m->pending = av_frame_alloc();
    m->picture = av_frame_alloc();
    if (!(video || sound) || !m->frame || !m->pending || !m->picture) {
        plat_movie_close(m);
        return nullptr;
    }
    if (video) {
        m->width = m->video.ctx->width;
        m->height = m->video.ctx->height;
        // Slack at the end for the converter's vector stores.
        m->pixels.assign(static_cast<std::size_t>(m->width) * m->height * 4 + 64, 0);
    }
    if (!movie_sound_device_format(&m->out_rate, &m->out_channels)) m->out_channels = 0;
    measure(*m);
    return m;
}

void plat_movie_close(PlatMovie* m) {
    if (!m) return;
    plat_movie_stop(m);
    movie_sound_clear();
    free_decoder(m->video);
    free_decoder(m->sound);
    av_frame_free(&m->frame);
    av_frame_free(&m->pending);
    av_frame_free(&m->picture);
    sws_freeContext(m->scaler);
    swr_free(&m->resampler);
    avformat_close_input(&m->format);
    delete m;
}

int plat_movie_width(const PlatMovie* m) {
    return m->width;
}
int plat_movie_height(const PlatMovie* m) {
    return m->height;
}
double plat_movie_start_ms(const PlatMovie* /*m*/) {
    return 0;
}
double plat_movie_length_ms(const PlatMovie* m) {
    return m->length_ms;
}

double plat_movie_position_ms(const PlatMovie* m) {
    double p = m->position_base_ms;
    if (m->playing) p += now_ms() - m->clock_base_ms;
    return m->length_ms > 0 ? std::min(p, m->length_ms) : p;
}

bool plat_movie_play(PlatMovie* m) {
    if (m->length_ms > 0 && plat_movie_position_ms(m) >= m->length_ms) return false;
    if (m->playing) return true;
    m->clock_base_ms = now_ms();
    m->playing = true;
    movie_sound_connect(true);
    return true;
}

void plat_movie_stop(PlatMovie* m) {
    if (!m->playing) return;
    m->position_base_ms = plat_movie_position_ms(m);
    m->playing = false;
    movie_sound_connect(false);
}

bool plat_movie_seek_start(PlatMovie* m) {
    plat_movie_stop(m);
    std::int64_t start = m->format->start_time != AV_NOPTS_VALUE ? m->format->start_time : 0;
    if (av_seek_frame(m->format, -1, start, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(m->format, -1, INT64_MIN, start, start, 0) < 0) {
        std::fprintf(stderr, "movie: cannot seek to the start\n");
        return false;
    }
    for (Decoder* d : {&m->video, &m->sound}) {
        d->drop_packets();
        if (d->ctx) avcodec_flush_buffers(d->ctx);
        d->flushed = d->done = false;
    }
    if (m->resampler) swr_free(&m->resampler);
    av_frame_unref(m->pending);
    av_frame_unref(m->picture);
    m->has_pending = m->due_is_new = m->shown_any = false;
    m->input_done = false;
    m->position_base_ms = 0;
    m->sound_end_ms = 0;
    movie_sound_clear();
    return true;
}

const std::uint8_t* plat_movie_frame(PlatMovie* m, double* frame_ms_out) {
    double position = plat_movie_position_ms(m);
    if (m->video.stream >= 0) advance_picture(*m, position);
    advance_sound(*m, position);
    if (!m->due_is_new) return nullptr;
    m->due_is_new = false;
    m->shown_any = true;
    bool ok = convert_picture(*m);
    av_frame_unref(m->picture);
    if (!ok) return nullptr;
    if (frame_ms_out) *frame_ms_out = m->shown_ms;
    return m->pixels.data();
}

std::uint64_t plat_movie_sound_frames_queued(const PlatMovie* m) {
    return m->frames_queued;
}
