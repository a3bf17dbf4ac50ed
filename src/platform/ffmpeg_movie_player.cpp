// Movies on libavformat, libavcodec, libswscale and libswresample. Decoding
// runs on the caller's thread, a little at every update: frames are decoded
// up to the one due at the movie's clock, and only that one is converted;
// the sound is decoded a little ahead into a queue the mixer plays, and
// while it plays it is the movie's clock.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/audio.h"
#include "platform/movie_player.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace piko {

namespace {

constexpr int kIoBufferBytes = 32 * 1024;
// A hostile file could hold megabytes that decode to nothing; one update
// reads at most this many packets and goes on at the next.
constexpr int kPacketsPerUpdate = 256;
// Timestamps that jump further ahead than this are not waited for.
constexpr int64_t kLongestFrameMs = 10000;
// How far the sound is decoded ahead of what the mixer has played, and how
// many packets of one stream may wait while the other is looked for (a file
// whose streams lie far apart plays out of step rather than filling memory).
constexpr int64_t kSoundAheadMs = 300;
constexpr size_t kMostWaitingPackets = 600;
constexpr uint32_t kLongestSoundStallMs = 250;
// Silence put before sound that starts after the pictures, at most.
constexpr int64_t kLongestSoundDelayMs = 5000;

int ReadPacket(void* opaque, uint8_t* buf, int size) {
  size_t n = std::fread(buf, 1, static_cast<size_t>(size), static_cast<FILE*>(opaque));
  return n > 0 ? static_cast<int>(n) : AVERROR_EOF;
}

int64_t SeekFile(void* opaque, int64_t offset, int whence) {
  FILE* f = static_cast<FILE*>(opaque);
  if (whence & AVSEEK_SIZE) {
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return size;
  }
  if (std::fseek(f, static_cast<long>(offset), whence & ~AVSEEK_FORCE) != 0) return -1;
  return std::ftell(f);
}

// Playlists and references inside a movie must not reach other files.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

AVPixelFormat DestinationFormat(PixelFormat f) {
  return f == PixelFormat::kRgb565 ? AV_PIX_FMT_RGB565 : AV_PIX_FMT_RGB555;
}

class FfmpegMoviePlayer final : public MoviePlayer {
 public:
  explicit FfmpegMoviePlayer(AudioSystem* audio) : audio_system_(audio) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
  }
  ~FfmpegMoviePlayer() override { Release(); }

  MovieOpenStep Open(const std::string& path) override {
    Release();
    format_ = avformat_alloc_context();
    if (!format_) return MovieOpenStep::kCreateStream;
    file_ = std::fopen(path.c_str(), "rb");
    uint8_t* buffer = file_ ? static_cast<uint8_t*>(av_malloc(kIoBufferBytes)) : nullptr;
    if (buffer) io_ = avio_alloc_context(buffer, kIoBufferBytes, 0, file_, ReadPacket, nullptr, SeekFile);
    if (!io_) {
      av_free(buffer);
      // An unreadable file is a file that cannot be opened.
      return file_ ? MovieOpenStep::kSetUpReading : MovieOpenStep::kOpenFile;
    }
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    format_->io_open = RefuseNestedOpen;
    frame_ = av_frame_alloc();
    due_ = av_frame_alloc();
    if (!frame_ || !due_) return MovieOpenStep::kAddVideo;
    if (avformat_open_input(&format_, nullptr, nullptr, nullptr) < 0) {
      format_ = nullptr;  // freed by the failed open
      return MovieOpenStep::kOpenFile;
    }
    if (avformat_find_stream_info(format_, nullptr) < 0) return MovieOpenStep::kOpenFile;

    for (unsigned i = 0; i < format_->nb_streams; ++i) {
      const AVStream* s = format_->streams[i];
      if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        video_index_ = static_cast<int>(i);
        break;
      }
    }
    if (video_index_ < 0) return MovieOpenStep::kGetVideoStream;
    AVStream* stream = format_->streams[video_index_];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return MovieOpenStep::kQueryVideo;
    video_ = avcodec_alloc_context3(codec);
    if (!video_ || avcodec_parameters_to_context(video_, stream->codecpar) < 0) return MovieOpenStep::kCreateSample;
    video_->thread_count = 1;
    if (avcodec_open2(video_, codec, nullptr) < 0) return MovieOpenStep::kCreateSample;
    if (video_->width <= 0 || video_->height <= 0 ||
        av_image_check_size(video_->width, video_->height, 0, nullptr) < 0) {
      return MovieOpenStep::kGetSampleRect;
    }
    if (video_->pix_fmt != AV_PIX_FMT_NONE && !sws_isSupportedInput(video_->pix_fmt)) {
      return MovieOpenStep::kQueryBlitSurface;
    }
    time_base_ = stream->time_base;
    if (stream->start_time != AV_NOPTS_VALUE) origin_ms_ = av_rescale_q(stream->start_time, time_base_, kMs);
    AVRational rate = av_guess_frame_rate(format_, stream, nullptr);
    frame_ms_ = rate.num > 0 && rate.den > 0 ? av_rescale(1000, rate.den, rate.num) : 40;
    if (frame_ms_ <= 0 || frame_ms_ > kLongestFrameMs) frame_ms_ = 40;
    rect_ = {0, 0, video_->width, video_->height};
    return OpenSound() ? MovieOpenStep::kOpened : MovieOpenStep::kAddSound;
  }

  MovieRect SampleRect() const override { return rect_; }

  void Play(uint32_t now_ms) override {
    if (!video_ || playing_) return;
    playing_ = true;
    last_now_ = played_changed_at_ = now_ms;
    if (sound_) {
      int packets = 0;
      FillSound(&packets);
      audio_system_->mixer().Add(sound_);
    }
  }

  MovieUpdate Update(uint32_t now_ms, Surface* target, const MovieRect& rect) override {
    if (!playing_) return MovieUpdate::kEnded;
    int64_t clock_ms = AdvanceClock(now_ms);
    bool draw = false;
    int packets = 0;
    for (;;) {
      if (!have_due_) {
        int got = NextFrame(&packets);
        if (got < 0) break;  // nothing more for now
        if (got == 0) {
          decoded_all_ = true;
          break;
        }
        have_due_ = true;
      }
      if (due_ms_ > clock_ms) break;
      // This frame is due; the one converted last, if any, was late.
      av_frame_unref(frame_);
      av_frame_move_ref(frame_, due_);
      have_due_ = false;
      draw = true;
    }
    if (draw) Convert(target, rect);
    if (sound_) FillSound(&packets);
    if (decoded_all_ && !have_due_ && clock_ms >= end_ms_) {
      Stop();
      return MovieUpdate::kEnded;
    }
    return MovieUpdate::kPlaying;
  }

  void Stop() override {
    playing_ = false;
    if (sound_) audio_system_->mixer().Remove(sound_.get());
  }

 private:
  static constexpr AVRational kMs{1, 1000};

  // The first sound stream with a decoder, resampled to 16 bits at its own
  // rate (the mixer takes it from there). A movie whose sound cannot be
  // decoded plays without it; false only when memory runs out.
  bool OpenSound() {
    if (!audio_system_) return true;
    int index = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, video_index_, nullptr, 0);
    if (index < 0) return true;
    AVStream* stream = format_->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return true;
    audio_ = avcodec_alloc_context3(codec);
    pcm_ = av_frame_alloc();
    if (!audio_ || !pcm_) return false;
    audio_->thread_count = 1;
    if (avcodec_parameters_to_context(audio_, stream->codecpar) < 0 || avcodec_open2(audio_, codec, nullptr) < 0 ||
        audio_->sample_rate < 1000 || audio_->sample_rate > 384000 || audio_->ch_layout.nb_channels <= 0) {
      avcodec_free_context(&audio_);
      return true;
    }
    sound_rate_ = audio_->sample_rate;
    sound_channels_ = audio_->ch_layout.nb_channels >= 2 ? 2 : 1;
    int r = SetUpResampler(audio_->ch_layout, audio_->sample_fmt, audio_->sample_rate);
    if (r < 0) {
      avcodec_free_context(&audio_);
      return r != AVERROR(ENOMEM);
    }
    audio_index_ = index;
    audio_time_base_ = stream->time_base;
    sound_ = std::make_shared<PcmQueue>(sound_rate_, sound_channels_);
    return true;
  }

  // Converts sound of this layout, format and rate to the queue's. A damaged
  // stream may change them from one frame to the next.
  int SetUpResampler(const AVChannelLayout& layout, int format, int rate) {
    swr_free(&swr_);
    if (rate < 1000 || rate > 384000 || layout.nb_channels <= 0 || format < 0) return AVERROR(EINVAL);
    AVChannelLayout in = layout;
    if (in.order == AV_CHANNEL_ORDER_UNSPEC) av_channel_layout_default(&in, in.nb_channels);
    AVChannelLayout out;
    av_channel_layout_default(&out, sound_channels_);
    int r = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_S16, sound_rate_, &in, static_cast<AVSampleFormat>(format),
                                rate, 0, nullptr);
    if (r >= 0) r = swr_init(swr_);
    if (r < 0) {
      swr_free(&swr_);
      return r;
    }
    in_channels_ = layout.nb_channels;
    in_format_ = format;
    in_rate_ = rate;
    return 0;
  }

  // The movie's clock: what the mixer has played of the sound while there is
  // sound to play, else the player's clock running on from where it stood.
  // A mix that nobody pulls for a while (a stalled device) does not hold
  // the pictures either.
  int64_t AdvanceClock(uint32_t now_ms) {
    int64_t clock = clock_ms_ + static_cast<uint32_t>(now_ms - last_now_);
    if (sound_) {
      audio_system_->Sync();  // a mix paced by a clock catches up first
      size_t queued = sound_->QueuedFrames();
      int64_t played = sound_pushed_ - static_cast<int64_t>(queued);
      if (played != last_played_) {
        last_played_ = played;
        played_changed_at_ = now_ms;
      }
      bool stalled = static_cast<uint32_t>(now_ms - played_changed_at_) > kLongestSoundStallMs;
      if (queued > 0 && !stalled) clock = played * 1000 / sound_rate_;
    }
    last_now_ = now_ms;
    // Never backwards: frames already shown stay shown.
    if (clock > clock_ms_) clock_ms_ = clock;
    return clock_ms_;
  }

  void PushSound(const int16_t* samples, size_t frames) {
    sound_->Push(samples, frames);
    sound_pushed_ += static_cast<int64_t>(frames);
  }

  // Decodes sound until kSoundAheadMs wait in the queue.
  void FillSound(int* packets) {
    while (static_cast<int64_t>(sound_->QueuedFrames()) * 1000 < kSoundAheadMs * sound_rate_) {
      int r = avcodec_receive_frame(audio_, pcm_);
      if (r == 0) {
        QueueSoundFrame();
        av_frame_unref(pcm_);
        continue;
      }
      if (r != AVERROR(EAGAIN)) {
        sound_->EndOfStream();
        return;
      }
      if (audio_packets_.empty()) {
        if (video_packets_.size() < kMostWaitingPackets && Demux(packets)) continue;
        if (!demuxed_all_ || sound_flushed_) return;
        sound_flushed_ = true;
        avcodec_send_packet(audio_, nullptr);
        continue;
      }
      AVPacket* packet = audio_packets_.front();
      audio_packets_.pop_front();
      avcodec_send_packet(audio_, packet);
      av_packet_free(&packet);
    }
  }

  void QueueSoundFrame() {
    if (sound_pushed_ == 0 && pcm_->pts != AV_NOPTS_VALUE) {
      // Sound that starts after the pictures waits in silence.
      int64_t delay_ms = av_rescale_q(pcm_->pts, audio_time_base_, kMs) - origin_ms_;
      if (delay_ms > 0) {
        std::vector<int16_t> silence(
            static_cast<size_t>(std::min(delay_ms, kLongestSoundDelayMs) * sound_rate_ / 1000) * sound_channels_);
        PushSound(silence.data(), silence.size() / sound_channels_);
      }
    }
    if (pcm_->ch_layout.nb_channels != in_channels_ || pcm_->format != in_format_ || pcm_->sample_rate != in_rate_) {
      if (SetUpResampler(pcm_->ch_layout, pcm_->format, pcm_->sample_rate) < 0) return;
    }
    if (!swr_ || pcm_->nb_samples <= 0) return;
    int frames = swr_get_out_samples(swr_, pcm_->nb_samples);
    if (frames <= 0) return;
    convert_buffer_.resize(static_cast<size_t>(frames) * sound_channels_);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(convert_buffer_.data())};
    int got = swr_convert(swr_, out, frames, const_cast<const uint8_t**>(pcm_->extended_data), pcm_->nb_samples);
    if (got > 0) PushSound(convert_buffer_.data(), static_cast<size_t>(got));
  }

  // Reads the next packet of a stream we play into its queue. False at the
  // end of the file, or when this update has read enough.
  bool Demux(int* packets) {
    if (demuxed_all_ || ++*packets > kPacketsPerUpdate) return false;
    AVPacket* packet = av_packet_alloc();
    if (!packet) return false;
    for (;;) {
      if (av_read_frame(format_, packet) < 0) {
        // A read error ends the movie as its end would.
        demuxed_all_ = true;
        av_packet_free(&packet);
        return false;
      }
      if (packet->stream_index == video_index_ || (sound_ && packet->stream_index == audio_index_)) {
        (packet->stream_index == video_index_ ? video_packets_ : audio_packets_).push_back(packet);
        return true;
      }
      av_packet_unref(packet);
    }
  }

  // Decodes the next frame into due_ with its time. 1 when there is one, 0
  // at the end of the stream, -1 when this update has read enough.
  int NextFrame(int* packets) {
    for (;;) {
      int r = avcodec_receive_frame(video_, due_);
      if (r == 0) {
        TimeFrame();
        return 1;
      }
      if (r != AVERROR(EAGAIN)) return 0;  // drained, or the decoder gave up
      // Sound packets read on the way wait in their own queue.
      while (video_packets_.empty() && audio_packets_.size() < kMostWaitingPackets && Demux(packets)) {
      }
      if (video_packets_.empty()) {
        if (!demuxed_all_) return -1;
        avcodec_send_packet(video_, nullptr);
        continue;
      }
      AVPacket* packet = video_packets_.front();
      video_packets_.pop_front();
      // A damaged packet is skipped; the decoder carries on.
      avcodec_send_packet(video_, packet);
      av_packet_free(&packet);
    }
  }

  void TimeFrame() {
    int64_t pts = due_->best_effort_timestamp;
    int64_t ms = next_ms_;
    if (pts != AV_NOPTS_VALUE) ms = av_rescale_q(pts, time_base_, kMs) - origin_ms_;
    // Broken timestamps never hold the movie for long nor send it back.
    if (ms > next_ms_ + kLongestFrameMs) ms = next_ms_ + kLongestFrameMs;
    if (ms < 0) ms = 0;
    int64_t length = due_->pkt_duration > 0 ? av_rescale_q(due_->pkt_duration, time_base_, kMs) : 0;
    if (length <= 0 || length > kLongestFrameMs) length = frame_ms_;
    due_ms_ = ms;
    next_ms_ = ms + length;
    if (next_ms_ > end_ms_) end_ms_ = next_ms_;
  }

  void Convert(Surface* target, const MovieRect& rect) {
    int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    int right = std::min(rect.right, target->width), bottom = std::min(rect.bottom, target->height);
    // Only a full rectangle inside the surface is stretched to; a clipped
    // one would change the picture's scale.
    if (left != rect.left || top != rect.top || right != rect.right || bottom != rect.bottom) return;
    if (right <= left || bottom <= top || frame_->width <= 0 || frame_->height <= 0) return;
    AVPixelFormat src = static_cast<AVPixelFormat>(frame_->format);
    if (!sws_isSupportedInput(src)) return;
    sws_ = sws_getCachedContext(sws_, frame_->width, frame_->height, src, right - left, bottom - top,
                                DestinationFormat(target->format), SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws_) return;
    uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(target->Row(top) + left), nullptr, nullptr, nullptr};
    int stride[4] = {target->width * 2, 0, 0, 0};
    sws_scale(sws_, frame_->data, frame_->linesize, 0, frame_->height, dst, stride);
  }

  void Release() {
    if (sound_) audio_system_->mixer().Remove(sound_.get());
    sound_.reset();
    swr_free(&swr_);
    avcodec_free_context(&audio_);
    av_frame_free(&pcm_);
    for (AVPacket* p : audio_packets_) av_packet_free(&p);
    audio_packets_.clear();
    sws_freeContext(sws_);
    sws_ = nullptr;
    avcodec_free_context(&video_);
    av_frame_free(&frame_);
    av_frame_free(&due_);
    for (AVPacket* p : video_packets_) av_packet_free(&p);
    video_packets_.clear();
    avformat_close_input(&format_);
    if (io_) av_freep(&io_->buffer);
    avio_context_free(&io_);
    if (file_) std::fclose(file_);
    file_ = nullptr;
    video_index_ = audio_index_ = -1;
    playing_ = demuxed_all_ = decoded_all_ = have_due_ = sound_flushed_ = false;
  }

  FILE* file_ = nullptr;
  AVIOContext* io_ = nullptr;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* video_ = nullptr;
  std::deque<AVPacket*> video_packets_;
  AVFrame* frame_ = nullptr;  // the frame converted last
  AVFrame* due_ = nullptr;    // decoded, waiting for its time
  SwsContext* sws_ = nullptr;
  int video_index_ = -1;
  AVRational time_base_{1, 1000};
  int64_t origin_ms_ = 0;  // the time of the first picture
  int64_t frame_ms_ = 40;
  MovieRect rect_;

  AudioSystem* audio_system_ = nullptr;
  AVCodecContext* audio_ = nullptr;
  std::deque<AVPacket*> audio_packets_;
  AVFrame* pcm_ = nullptr;
  SwrContext* swr_ = nullptr;
  int audio_index_ = -1;
  AVRational audio_time_base_{1, 1000};
  int sound_rate_ = 0;  // of the queue
  int sound_channels_ = 2;
  int in_channels_ = 0;  // what the resampler takes
  int in_format_ = -1;
  int in_rate_ = 0;
  std::vector<int16_t> convert_buffer_;
  std::shared_ptr<PcmQueue> sound_;
  int64_t sound_pushed_ = 0;  // frames given to the queue
  int64_t last_played_ = 0;
  uint32_t played_changed_at_ = 0;
  bool sound_flushed_ = false;

  bool playing_ = false;
  bool demuxed_all_ = false;
  bool decoded_all_ = false;
  bool have_due_ = false;
  uint32_t last_now_ = 0;
  int64_t clock_ms_ = 0;  // the movie's clock at the last update
  int64_t due_ms_ = 0;    // time of the frame in due_
  int64_t next_ms_ = 0;   // where the frame after it would start
  int64_t end_ms_ = 0;    // the end of the latest frame decoded
};

}  // namespace

std::unique_ptr<MoviePlayer> CreateFfmpegMoviePlayer(AudioSystem* audio) {
  return std::make_unique<FfmpegMoviePlayer>(audio);
}

}  // namespace piko
