// The movie player: the stand-in for the multimedia streams the original
// player asked for a movie's frames. It opens a file, and on every update
// draws the frame due at the movie's clock into a 16-bit surface, stretched
// to a rectangle. Any format FFmpeg decodes plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/surface.h"

namespace piko {

// The steps of opening a movie, in order; Open names the first that failed.
// Each stands where a step of the old stream set-up stood, so that the game
// sees the same message for the same kind of fault.
enum class MovieOpenStep {
  kOpened,
  kCreateStream,      // the demuxer's context
  kSetUpReading,      // reading through the game's file
  kAddVideo,          // room for decoded frames
  kAddSound,          // the sound output
  kOpenFile,          // the file is a movie FFmpeg understands
  kGetVideoStream,    // it has a video stream
  kQueryVideo,        // a decoder exists for it
  kCreateSample,      // the decoder opens
  kGetSampleRect,     // the picture has a size
  kQueryBlitSurface,  // the picture's format can be converted
};

enum class MovieUpdate { kPlaying, kEnded };

struct MovieRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class MoviePlayer {
 public:
  virtual ~MoviePlayer() = default;

  // `path` is a path on disk (already resolved).
  virtual MovieOpenStep Open(const std::string& path) = 0;
  // The part of a decoded frame that holds the picture.
  virtual MovieRect SampleRect() const = 0;
  // Starts the movie from its beginning, its clock at now_ms.
  virtual void Play(uint32_t now_ms) = 0;
  // Draws the frame due at now_ms into `rect` of `target` (stretched),
  // dropping frames that are already late. Draws nothing while the frame
  // shown last is still due. kEnded once the last frame's time is over or
  // the stream cannot go on.
  virtual MovieUpdate Update(uint32_t now_ms, Surface* target, const MovieRect& rect) = 0;
  virtual void Stop() = 0;
};

class AudioSystem;

// The player on FFmpeg's libraries; the movie's sound plays through the
// mixer of `audio` (none: silent). Its messages stay quiet.
std::unique_ptr<MoviePlayer> CreateFfmpegMoviePlayer(AudioSystem* audio);

}  // namespace piko
