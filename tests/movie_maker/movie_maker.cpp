#include "movie_maker/movie_maker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace piko::testing {

namespace {

struct Writer {
  AVFormatContext* out = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* video_stream = nullptr;
  AVStream* audio_stream = nullptr;
  AVFrame* rgb = nullptr;
  AVFrame* yuv = nullptr;
  AVFrame* pcm = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* sws = nullptr;

  ~Writer() {
    sws_freeContext(sws);
    av_packet_free(&packet);
    av_frame_free(&rgb);
    av_frame_free(&yuv);
    av_frame_free(&pcm);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    if (out && out->pb) avio_closep(&out->pb);
    avformat_free_context(out);
  }

  bool Send(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    while (avcodec_receive_packet(codec, packet) == 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(out, packet) < 0) return false;
    }
    return true;
  }
};

AVCodecContext* OpenEncoder(Writer& w, AVCodecID id, AVStream** stream,
                            void (*setup)(AVCodecContext*, const MovieSpec&), const MovieSpec& spec) {
  const AVCodec* codec = avcodec_find_encoder(id);
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  setup(c, spec);
  if (w.out->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  *stream = avformat_new_stream(w.out, nullptr);
  if (!*stream || avcodec_open2(c, codec, nullptr) < 0 || avcodec_parameters_from_context((*stream)->codecpar, c) < 0) {
    avcodec_free_context(&c);
    return nullptr;
  }
  (*stream)->time_base = c->time_base;
  return c;
}

void SetUpVideo(AVCodecContext* c, const MovieSpec& spec) {
  bool mjpeg = spec.container == MovieSpec::Container::kMjpegAvi;
  c->width = spec.width;
  c->height = spec.height;
  c->time_base = AVRational{1, spec.fps};
  c->framerate = AVRational{spec.fps, 1};
  c->pix_fmt = mjpeg ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
  c->gop_size = 12;
  c->bit_rate = spec.moving ? static_cast<int64_t>(spec.width) * spec.height * 10 : 800000;
  if (mjpeg) c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
}

void SetUpAudio(AVCodecContext* c, const MovieSpec&) {
  c->sample_fmt = AV_SAMPLE_FMT_S16;
  c->sample_rate = 44100;
  av_channel_layout_default(&c->ch_layout, 2);
  c->bit_rate = 128000;
  c->time_base = AVRational{1, 44100};
}

void FillRgb(AVFrame* f, const MovieColour& c, int frame_number, bool moving) {
  for (int y = 0; y < f->height; ++y) {
    uint8_t* row = f->data[0] + static_cast<ptrdiff_t>(y) * f->linesize[0];
    for (int x = 0; x < f->width; ++x) {
      int r = c.r, g = c.g, b = c.b;
      if (moving) {
        // Diagonal bands drifting right, and a grain that changes every frame.
        int band = ((x + y + frame_number * 4) / 16) & 1;
        int grain = static_cast<int>((x * 7919u + y * 104729u + frame_number * 15485863u) % 13u) - 6;
        r = std::clamp(r / 2 + band * 90 + grain, 0, 255);
        g = std::clamp(g / 2 + band * 60 + grain, 0, 255);
        b = std::clamp(b / 2 + band * 30 + grain, 0, 255);
      }
      row[x * 3] = static_cast<uint8_t>(r);
      row[x * 3 + 1] = static_cast<uint8_t>(g);
      row[x * 3 + 2] = static_cast<uint8_t>(b);
    }
  }
}

}  // namespace

bool MakeMovie(const std::string& path, const MovieSpec& spec, std::string* error) {
  av_log_set_level(AV_LOG_QUIET);
  Writer w;
  bool mjpeg = spec.container == MovieSpec::Container::kMjpegAvi;
  auto fail = [&](const char* what) {
    *error = what;
    return false;
  };
  if (avformat_alloc_output_context2(&w.out, nullptr, mjpeg ? "avi" : "mpeg", path.c_str()) < 0) {
    return fail("no muxer");
  }
  if (spec.video) {
    w.video = OpenEncoder(w, mjpeg ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_MPEG1VIDEO, &w.video_stream, SetUpVideo, spec);
    if (!w.video) return fail("no video encoder");
  }
  if (spec.sound && !mjpeg) {
    w.audio = OpenEncoder(w, AV_CODEC_ID_MP2, &w.audio_stream, SetUpAudio, spec);
    if (!w.audio) return fail("no MP2 encoder");
  }
  if (avio_open(&w.out->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return fail("cannot write the file");
  if (avformat_write_header(w.out, nullptr) < 0) return fail("cannot write the header");
  w.packet = av_packet_alloc();

  double total = 0;
  for (const MovieColour& c : spec.colours) total += c.seconds;
  if (w.video) {
    w.rgb = av_frame_alloc();
    w.yuv = av_frame_alloc();
    w.rgb->format = AV_PIX_FMT_RGB24;
    w.yuv->format = w.video->pix_fmt;
    w.rgb->width = w.yuv->width = spec.width;
    w.rgb->height = w.yuv->height = spec.height;
    if (av_frame_get_buffer(w.rgb, 0) < 0 || av_frame_get_buffer(w.yuv, 0) < 0) return fail("no memory");
    w.sws = sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB24, spec.width, spec.height, w.video->pix_fmt,
                           SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!w.sws) return fail("no converter");
  }
  if (w.audio) {
    w.pcm = av_frame_alloc();
    w.pcm->format = AV_SAMPLE_FMT_S16;
    w.pcm->nb_samples = w.audio->frame_size;
    w.pcm->sample_rate = 44100;
    av_channel_layout_default(&w.pcm->ch_layout, 2);
    if (av_frame_get_buffer(w.pcm, 0) < 0) return fail("no memory");
  }

  int frames = static_cast<int>(std::lround(total * spec.fps));
  int64_t samples = static_cast<int64_t>(std::lround(total * 44100));
  int64_t sample_pos = 0;
  for (int i = 0; i <= frames; ++i) {
    // Sound up to the time of this frame first, so the muxer interleaves.
    double until = static_cast<double>(i) / spec.fps;
    while (w.audio && sample_pos < samples && sample_pos < until * 44100 + w.audio->frame_size) {
      if (av_frame_make_writable(w.pcm) < 0) return fail("no memory");
      auto* s = reinterpret_cast<int16_t*>(w.pcm->data[0]);
      for (int k = 0; k < w.pcm->nb_samples; ++k) {
        auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * static_cast<double>(sample_pos + k) / 44100));
        s[2 * k] = s[2 * k + 1] = v;
      }
      w.pcm->pts = sample_pos;
      sample_pos += w.pcm->nb_samples;
      if (!w.Send(w.audio, w.audio_stream, w.pcm)) return fail("audio encoding failed");
    }
    if (!w.video || i == frames) continue;
    double t = (i + 0.5) / spec.fps;
    const MovieColour* colour = &spec.colours.back();
    double edge = 0;
    for (const MovieColour& c : spec.colours) {
      edge += c.seconds;
      if (t < edge) {
        colour = &c;
        break;
      }
    }
    if (av_frame_make_writable(w.rgb) < 0 || av_frame_make_writable(w.yuv) < 0) return fail("no memory");
    FillRgb(w.rgb, *colour, i, spec.moving);
    sws_scale(w.sws, w.rgb->data, w.rgb->linesize, 0, spec.height, w.yuv->data, w.yuv->linesize);
    w.yuv->pts = i;
    if (!w.Send(w.video, w.video_stream, w.yuv)) return fail("video encoding failed");
  }
  if (w.video && !w.Send(w.video, w.video_stream, nullptr)) return fail("video flush failed");
  if (w.audio && !w.Send(w.audio, w.audio_stream, nullptr)) return fail("audio flush failed");
  if (av_write_trailer(w.out) < 0) return fail("cannot finish the file");
  return true;
}

}  // namespace piko::testing
