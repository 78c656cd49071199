#include "net/stream_cutter.h"

#include <algorithm>
#include <cstring>

#include "net/control_message.h"

namespace tavrix {
namespace {

constexpr std::uint8_t kVideoUpdate = 0xF8;
constexpr std::uint8_t kVideoFull = 0xF9;
constexpr std::uint8_t kAudio = 0xFA;
constexpr std::uint8_t kControl = 0xFE;

constexpr std::int32_t kStartCodeSize = 4;

void PutLittle16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

StreamCutter::StreamCutter(StreamCutterSink& sink) : sink_(sink) { Reset(); }

void StreamCutter::Reset() {
  window_ = 0xFFFFFFFF;
  mode_ = Mode::kSkip;
  returnMode_ = Mode::kSkip;
  const std::uint8_t videoStart[4] = {0x00, 0x00, 0x01, kVideoUpdate};
  std::memcpy(video_.payload(), videoStart, 4);
  videoLen_ = 4;
  videoEndStored_ = false;
  audioLen_ = 0;
  audioSkip_ = 0;
  std::memcpy(control_, dvr::kStartCode, 4);
  controlLen_ = 4;
  controlTotal_ = 0;
}

void StreamCutter::Feed(std::span<const std::uint8_t> bytes) {
  for (const std::uint8_t c : bytes) {
    Store(c);
    window_ = window_ << 8 | c;
    if (mode_ == Mode::kControl && controlLen_ >= 8 && controlLen_ >= controlTotal_) {
      FinishControlMessage();
      continue;
    }
    if ((window_ & 0xFFFFFFF0u) == 0x000001F0u) OnStartCode(c);
  }
}

void StreamCutter::Store(std::uint8_t c) {
  switch (mode_) {
    case Mode::kSkip:
      break;
    case Mode::kVideo:
      if (videoLen_ < FrameRecord::kMaxCapacity) video_.payload()[videoLen_++] = c;
      break;
    case Mode::kAudio:
      if (audioLen_ < kAudioCapacity) {
        audio_.payload()[audioLen_] = c;
        if (audioSkip_ < 2) {
          ++audioSkip_;
        } else {
          ++audioLen_;
        }
      }
      break;
    case Mode::kControl:
      // A message longer than the buffer is counted to its end, not stored.
      if (controlLen_ < kControlCapacity) control_[controlLen_] = c;
      ++controlLen_;
      if (controlLen_ == 8) controlTotal_ = ReadHexField(control_ + 4);
      break;
  }
}

void StreamCutter::OnStartCode(std::uint8_t code) {
  if (audioLen_ != 0) PushAudio();
  // A frame ends at the first picture or audio start code that is stored in
  // it; one that interrupts a control message was stored there instead.
  if (mode_ == Mode::kVideo && (code == kVideoUpdate || code == kVideoFull || code == kAudio)) videoEndStored_ = true;
  if (code == kVideoUpdate || code == kVideoFull) {
    if (videoLen_ > 4) PushVideo();
    returnMode_ = mode_;
    mode_ = Mode::kVideo;
    video_.payload()[3] = code;
  } else if (code == kAudio) {
    returnMode_ = mode_;
    mode_ = Mode::kAudio;
  } else if (code == kControl) {
    // The control start code does not belong to the frame it interrupts.
    // A frame whose buffer was already full did not store it.
    if (mode_ == Mode::kVideo && videoLen_ >= 4 + kStartCodeSize &&
        std::memcmp(video_.payload() + videoLen_ - kStartCodeSize, dvr::kStartCode, kStartCodeSize) == 0) {
      videoLen_ -= kStartCodeSize;
    }
    if (mode_ != Mode::kControl) returnMode_ = mode_;
    mode_ = Mode::kControl;
    controlLen_ = 4;
  }
}

void StreamCutter::PushVideo() {
  // The last four bytes are the start code that ends the frame; a frame cut
  // short by its buffer loses its last four stored bytes instead.
  if (videoEndStored_) videoLen_ -= kStartCodeSize;
  videoEndStored_ = false;
  // Live frames carry a fixed date; the DVR sends none.
  video_.time.year = 2008;
  video_.time.month = 1;
  video_.time.day = 1;
  video_.time.hour = 10;
  video_.time.minute = 0;
  video_.time.second = 0;
  PutLittle16(video_.extra + 0, 0);
  PutLittle16(video_.extra + 8, 1);
  video_.set_length(videoLen_);
  sink_.OnVideoFrame(video_);
  videoLen_ = 4;
}

void StreamCutter::PushAudio() {
  // The start code that ends the block was stored with it; when part of it
  // fell into the two skipped bytes, what is left of it is no sound.
  audioLen_ -= std::min(audioLen_, kStartCodeSize);
  if (audioLen_ > 0) {
    audio_.set_length(audioLen_);
    sink_.OnAudioBlock(audio_);
  }
  audioLen_ = 0;
  audioSkip_ = 0;
}

void StreamCutter::FinishControlMessage() {
  mode_ = returnMode_;
  if (controlTotal_ <= kControlCapacity) {
    sink_.OnControlMessage({control_, static_cast<std::size_t>(std::max(controlTotal_, 8))});
  }
  controlLen_ = 4;
}

}  // namespace tavrix
