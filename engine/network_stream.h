#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/playback_fields.h"
#include "media/frame_record.h"
#include "platform/event.h"
#include "platform/worker_thread.h"

namespace tavrix {

class AudioDecoder;
class AudioOut;
class ChannelDecoder;
class EngineReporter;
class FrameQueue;
class PictureSink;
class VvfWriter;

// The body of the engine's worker thread in client mode: it takes the live
// frames out of the network client's two queues in arrival order, decodes and
// shows the video, plays the sound and hands both to the local recorder while
// it records; it reports a local recording that ends with the stream or on a
// failed write. It paces nothing itself. One object per thread start; its
// buffers live as long as the thread.
class NetworkStream {
 public:
  // What the loop takes frames from and hands them to.
  struct Parts {
    FrameQueue& videoQueue;
    FrameQueue& audioQueue;
    ChannelDecoder& decoder;
    AudioDecoder& audioDecoder;
    AudioOut& audioOut;
    PictureSink* sink;  // none when headless
    VvfWriter& recorder;
    PlaybackFields& fields;
    EngineReporter* reports = nullptr;  // none when headless
  };

  // What went through, for progress reports.
  struct Counters {
    std::atomic<std::uint64_t> videoFrames{0};
    std::atomic<std::uint64_t> decodedFrames{0};
    std::atomic<std::uint64_t> recordedFrames{0};
    std::atomic<std::uint64_t> audioBlocks{0};
  };

  static constexpr std::size_t kAudioOutBytes = 16384;
  // With nothing arriving the thread still services the sound device this
  // often, so a stalled stream pauses it instead of looping the ring.
  static constexpr std::uint32_t kIdleServiceMs = 100;

  // `running` is the worker thread's running flag.
  NetworkStream(Parts parts, Event& stopEvent, std::function<bool()> running);
  NetworkStream(const NetworkStream&) = delete;
  NetworkStream& operator=(const NetworkStream&) = delete;

  int Run();
  const Counters& counters() const { return counters_; }

 private:
  void HandleVideo();
  void HandleAudio();
  // After a write the recorder refused: reports the recording when that
  // write failed and so ended it.
  void ReportEndedRecording();
  bool KeepGoing() const;

  Parts parts_;
  Event& stopEvent_;
  std::function<bool()> running_;
  FrameRecord video_;
  FrameRecord audio_;
  std::unique_ptr<std::uint8_t[]> audioOut_;
  Counters counters_;
};

// The loop on a thread of its own, for a headless client (`tavrix record`);
// the player engine runs NetworkStream on its worker thread instead.
class NetworkStreamThread : public WorkerThread {
 public:
  explicit NetworkStreamThread(NetworkStream::Parts parts)
      : stream_(parts, stopEvent(), [this] { return running(); }) {}
  ~NetworkStreamThread() override { Stop(); }

  const NetworkStream::Counters& counters() const { return stream_.counters(); }

 protected:
  int Run() override { return stream_.Run(); }

 private:
  NetworkStream stream_;
};

}  // namespace tavrix
