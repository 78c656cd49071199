#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/playback_fields.h"
#include "engine/video_sink.h"
#include "platform/event.h"

#include "media/format_variant.h"

namespace tavrix {

class AudioDecoder;
class AudioOut;
class AviExporter;
class ChannelDecoder;
class VvfReader;

// The body of the engine's worker thread in player mode: it handles the
// playback commands, reads one frame forwards or backwards per pass, decodes
// and shows video, plays audio at normal speed and paces itself to the frame
// interval of the recording. One object per thread start; its buffers live as
// long as the thread.
class LocalPlayback {
 public:
  struct Parts {
    VvfReader& reader;
    ChannelDecoder& decoder;
    AudioDecoder& audioDecoder;
    AudioOut& audioOut;
    AviExporter& avi;
    VideoSink& view;
    PlaybackFields& fields;
    Event& stopEvent;
    std::function<bool()> running;  // the worker thread's running flag
    FormatVariant videoFormat;
  };

  static constexpr std::size_t kAudioOutBytes = 8192;
  static constexpr int kSkipEveryFrames = 9;
  static constexpr std::uint64_t kSkipBytesPerSpeed = 20480;
  static constexpr int kFailuresBeforePause = 5;
  static constexpr std::uint64_t kRepeatWindow = 4096;
  static constexpr std::uint32_t kAudioCreditMs = 5;
  // Waits while nothing is read: while queued sound drains, and after.
  static constexpr std::uint32_t kDrainWaitMs = 20;
  static constexpr std::uint32_t kIdleWaitMs = 250;

  explicit LocalPlayback(Parts parts);
  LocalPlayback(const LocalPlayback&) = delete;
  LocalPlayback& operator=(const LocalPlayback&) = delete;

  int Run();

 private:
  enum class Next { kTimingTail, kNextPass };

  Next PlayForward();
  Next PlayReverse();
  Next Step(bool forward);
  Next SeekToTarget();
  // A video frame that the channel test lets through, or an audio frame.
  Next HandleFrame(std::uint32_t length);
  void PlayAudio(std::uint32_t length);
  // A dual picture whose halves are both empty has nothing to show.
  bool PassesChannelTest(std::uint32_t length);
  // Counts a read that delivered nothing; true when that paused playback.
  bool CountFailedRead();
  // A state in which the loop reads frames.
  bool Reading() const;
  void TimingTail();
  // Waits up to `ms` for the stop or command event; true when one came.
  bool WaitForEvents(std::uint32_t ms);
  // Hands the reader's position and block time to the polling thread; after
  // every read, before what was read is shown.
  void Publish();
  int state() const { return parts_.fields.state.load(); }
  void set_state(int state) { parts_.fields.state.store(state); }

  Parts parts_;
  std::unique_ptr<std::uint8_t[]> frame_;
  std::unique_ptr<std::uint8_t[]> audio_;
  int failures_ = 0;
  int framesSinceSkip_ = 0;
  std::uint32_t frameStartTick_ = 0;
};

}  // namespace tavrix
