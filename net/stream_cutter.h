#pragma once
#include <cstdint>
#include <span>

#include "media/frame_record.h"

namespace tavrix {

// Receives what the cutter finds in the stream.
class StreamCutterSink {
 public:
  virtual ~StreamCutterSink() = default;
  // A complete video frame from its picture start code on.
  virtual void OnVideoFrame(const FrameRecord& frame) = 0;
  // An audio block without its start code and the two bytes after it.
  virtual void OnAudioBlock(const FrameRecord& block) = 0;
  // A complete control message of at most kControlCapacity bytes.
  virtual void OnControlMessage(std::span<const std::uint8_t> message) = 0;
};

// Cuts the DVR's live byte stream into video frames, audio blocks and control
// messages. Bytes may arrive in any split: the state carries over between
// Feed calls, and a start code is found by a 32-bit shift register.
class StreamCutter {
 public:
  static constexpr std::int32_t kAudioCapacity = 4096;
  static constexpr std::int32_t kControlCapacity = 1024;

  explicit StreamCutter(StreamCutterSink& sink);

  void Feed(std::span<const std::uint8_t> bytes);
  // Forgets any half-received element, as a new connection must.
  void Reset();

 private:
  enum class Mode { kSkip, kVideo, kAudio, kControl };

  void Store(std::uint8_t c);
  void OnStartCode(std::uint8_t code);
  void PushVideo();
  void PushAudio();
  void FinishControlMessage();

  StreamCutterSink& sink_;
  std::uint32_t window_ = 0xFFFFFFFF;
  Mode mode_ = Mode::kSkip;
  Mode returnMode_ = Mode::kSkip;
  FrameRecord video_{FrameRecord::kMaxCapacity, FrameRecord::kTransfer};
  std::int32_t videoLen_ = 4;
  bool videoEndStored_ = false;  // the start code that ended the frame is in it
  FrameRecord audio_{kAudioCapacity, FrameRecord::kTransfer};
  std::int32_t audioLen_ = 0;
  int audioSkip_ = 0;
  std::uint8_t control_[kControlCapacity] = {};
  std::int32_t controlLen_ = 4;
  std::int32_t controlTotal_ = 0;
};

}  // namespace tavrix
