// movie_writer.cpp: encodes the colour-bar test movies.
#include "movie_writer.h"

#if CROPSTACK_HAVE_MOVIES

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kSoundFrame = 1024;

struct Encoder {
    AVCodecContext* ctx = nullptr;
    AVStream* stream = nullptr;
    ~Encoder() { avcodec_free_context(&ctx); }
};

bool open_encoder(AVFormatContext* out, AVCodecID id, Encoder& e,
                  void (*setup)(AVCodecContext*, const TestMovieSpec&),
                  const TestMovieSpec& params) {
    const AVCodec* codec = avcodec_find_encoder(id);
    if (!codec) return false;
    e.ctx = avcodec_alloc_context3(codec);
    e.stream = avformat_new_stream(out, nullptr);
    if (!e.ctx || !e.stream) return false;
    setup(e.ctx, params);
    if (out->oformat->flags & AVFMT_GLOBALHEADER) e.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(e.ctx, codec, nullptr) < 0) return false;
    e.stream->time_base = e.ctx->time_base;
    return avcodec_parameters_from_context(e.stream->codecpar, e.ctx) >= 0;
}

void setup_video(AVCodecContext* c, const TestMovieSpec& params) {
    c->width = params.width;
    c->height = params.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, params.fps};
    c->framerate = AVRational{params.fps, 1};
    c->gop_size = 1;
    // Fine quantisation keeps the bars' colours close to the source.
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
}

void setup_sound(AVCodecContext* c, const TestMovieSpec& /*params*/) {
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = kRate;
    av_channel_layout_default(&c->ch_layout, 1);
    c->time_base = AVRational{1, kRate};
}

// Sends one frame (null flushes) and writes every packet that comes out.
bool encode(AVFormatContext* out, Encoder& e, AVFrame* frame) {
    if (avcodec_send_frame(e.ctx, frame) < 0) return false;
    AVPacket* pkt = av_packet_alloc();
    bool ok = pkt != nullptr;
    while (ok && avcodec_receive_packet(e.ctx, pkt) == 0) {
        av_packet_rescale_ts(pkt, e.ctx->time_base, e.stream->time_base);
        pkt->stream_index = e.stream->index;
        ok = av_interleaved_write_frame(out, pkt) >= 0;
    }
    av_packet_free(&pkt);
    return ok;
}

bool write_pictures(AVFormatContext* out, Encoder& e, const TestMovieSpec& params) {
    // Slack at the end: the converter's vector loads read a little past the last row.
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(params.width) * params.height * 3 + 64);
    const std::uint8_t bars[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int y = 0; y < params.height; ++y)
        for (int x = 0; x < params.width; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(static_cast<std::size_t>(y) * params.width + x) * 3 + c] =
                    y * 4 >= params.height * 3 ? 128 : bars[x * 4 / params.width][c];
    SwsContext* sws =
        sws_getContext(params.width, params.height, AV_PIX_FMT_RGB24, params.width, params.height,
                       AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    AVFrame* f = av_frame_alloc();
    bool ok = sws && f;
    if (ok) {
        f->format = AV_PIX_FMT_YUV420P;
        f->width = params.width;
        f->height = params.height;
        ok = av_frame_get_buffer(f, 0) >= 0;
    }
    const std::uint8_t* src[1] = {rgb.data()};
    int stride[1] = {params.width * 3};
    for (int i = 0; ok && i < params.frames; ++i) {
        ok = av_frame_make_writable(f) >= 0;
        sws_scale(sws, src, stride, 0, params.height, f->data, f->linesize);
        f->pts = i;
        f->quality = e.ctx->global_quality;
        ok = ok && encode(out, e, f);
    }
    av_frame_free(&f);
    sws_freeContext(sws);
    return ok && encode(out, e, nullptr);
}

bool write_tone(AVFormatContext* out, Encoder& e, const TestMovieSpec& params) {
    int total = kRate * params.frames / params.fps;
    AVFrame* f = av_frame_alloc();
    bool ok = f != nullptr;
    for (int done = 0; ok && done < total; done += kSoundFrame) {
        av_frame_unref(f);
        f->format = AV_SAMPLE_FMT_S16;
        f->sample_rate = kRate;
        f->nb_samples = std::min(kSoundFrame, total - done);
        av_channel_layout_default(&f->ch_layout, 1);
        ok = av_frame_get_buffer(f, 0) >= 0;
        if (!ok) break;
        auto* s = reinterpret_cast<std::int16_t*>(f->data[0]);
        for (int i = 0; i < f->nb_samples; ++i)
            s[i] = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * (done + i) / kRate));
        f->pts = done;
        ok = encode(out, e, f);
    }
    av_frame_free(&f);
    return ok && encode(out, e, nullptr);
}

} // namespace

bool write_test_movie(const std::string& path, const TestMovieSpec& params) {
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, nullptr, path.c_str()) < 0) return false;
    bool ok = true;
    {
        Encoder video, sound;
        if (params.picture) ok = open_encoder(out, AV_CODEC_ID_MPEG4, video, setup_video, params);
        if (ok && params.sound)
            ok = open_encoder(out, AV_CODEC_ID_PCM_S16LE, sound, setup_sound, params);
        ok = ok && avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
        ok = ok && avformat_write_header(out, nullptr) >= 0;
        if (ok && params.picture) ok = write_pictures(out, video, params);
        if (ok && params.sound) ok = write_tone(out, sound, params);
        ok = ok && av_write_trailer(out) >= 0;
    }
    if (out->pb) avio_closep(&out->pb);
    avformat_free_context(out);
    return ok;
}

#else

bool write_test_movie(const std::string& /*path*/, const TestMovieSpec& /*params*/) {
    return false;
}

#endif
