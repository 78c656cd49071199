#pragma once
#include <cstdint>

#include "media/calendar_time.h"

namespace tavrix {

// One decoded picture, planar YUV 4:2:0, top row first. The bytes are the
// engine's and valid only during the call that hands the view over.
struct PictureView {
  const std::uint8_t* y = nullptr;
  const std::uint8_t* cb = nullptr;
  const std::uint8_t* cr = nullptr;
  int width = 0;
  int height = 0;
  int strideY = 0;  // bytes from one luma row to the next
  int strideC = 0;  // bytes from one chroma row to the next
};

// Where the engine's decoded pictures go. Called on the engine's playback or
// stream thread; an implementation copies what it keeps and returns quickly.
class PictureSink {
 public:
  virtual ~PictureSink() = default;
  virtual void OnPicture(int channel, const PictureView& picture, const CalendarTime& blockTime) = 0;
  // A new source, a mode switch or a new connection: every stored picture is
  // stale. Called on the thread that drives the engine, before the pictures
  // of what comes next arrive.
  virtual void OnPicturesCleared() = 0;
};

}  // namespace tavrix
