#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/engine_types.h"
#include "engine/playback_fields.h"
#include "media/format_variant.h"
#include "platform/event.h"

namespace tavrix {

class AudioDecoder;
class AudioOut;
class AviCapture;
class ChannelDecoder;
class EngineReporter;
class PictureSink;
class VvfReader;

// The body of the engine's worker thread in player mode: it handles the
// playback commands, reads one frame forwards or backwards per pass, decodes
// and shows video, plays audio at normal speed and paces itself to the frame
// interval of the recording. It reports its state changes, the end of the
// source and failures. One object per thread start, that is per opened
// source; its buffers live as long as the thread.
class LocalPlayback {
 public:
  struct Parts {
    VvfReader& reader;
    ChannelDecoder& decoder;
    AudioDecoder& audioDecoder;
    AudioOut& audioOut;
    AviCapture& capture;
    PictureSink& sink;
    PlaybackFields& fields;
    EngineReporter& reports;
    Event& stopEvent;
    std::function<bool()> running;  // the worker thread's running flag
    FormatVariant videoFormat;
    bool sourceIsDisk;
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
  // How long the thread looks for a first picture before it plays.
  static constexpr std::uint32_t kProbeBudgetMs = 800;

  explicit LocalPlayback(Parts parts);
  LocalPlayback(const LocalPlayback&) = delete;
  LocalPlayback& operator=(const LocalPlayback&) = delete;

  int Run();

 private:
  enum class Next { kTimingTail, kNextPass };

  // Finds out whether the source has a picture at all; the error to report
  // when it has none.
  std::optional<std::string> ProbeSource();
  void TakeCommand();
  Next PlayForward();
  Next PlayReverse();
  Next Step(bool forward);
  Next SeekToTarget();
  // A video frame that the channel test lets through, or an audio frame.
  Next HandleFrame(std::uint32_t length);
  void PlayAudio(std::uint32_t length);
  void CaptureSound(std::uint32_t length);
  // A dual picture whose halves are both empty has nothing to show.
  bool PassesChannelTest(std::uint32_t length);
  // Counts a read that delivered nothing; true when that paused playback,
  // which is reported as the end of the source when the reader stands at the
  // end (forward) or the start (reverse), and as a failure otherwise.
  bool CountFailedRead(bool forward);
  // A state in which the loop reads frames.
  bool Reading() const;
  void TimingTail();
  // Waits up to `ms` for the stop or command event; true when one came.
  bool WaitForEvents(std::uint32_t ms);
  // Hands the reader's position, block time, channel mask and interval to
  // the polling thread; after every read, before what was read is shown.
  void Publish();
  PlaybackState state() const { return parts_.fields.state.load(); }
  void set_state(PlaybackState state);
  void ReportState();

  Parts parts_;
  std::unique_ptr<std::uint8_t[]> frame_;
  std::unique_ptr<std::uint8_t[]> audio_;
  int failures_ = 0;
  int framesSinceSkip_ = 0;
  std::uint32_t frameStartTick_ = 0;
  // The open's own command is still to be taken; with openError_ set it
  // pauses instead of playing.
  bool openPending_ = true;
  std::optional<std::string> openError_;
};

}  // namespace tavrix
