#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "media/format_variant.h"
#include "media/frame_limits.h"
#include "storage/vvf_block_writer.h"

namespace tavrix {

// Records the live stream of a DVR connection into a VVF file. Frames arrive
// in the network layout (QM_QMN) and are stored in the configured variant's
// layout. Nothing is stored before the first full picture.
//
// Thread-safe: the stream thread writes while the window may Start or Stop;
// one lock keeps a write and a close from overlapping.
class VvfWriter {
 public:
  using Clock = std::function<std::time_t()>;

  VvfWriter();
  VvfWriter(const VvfWriter&) = delete;
  VvfWriter& operator=(const VvfWriter&) = delete;
  virtual ~VvfWriter();

  // inputLayout is the layout of the frames handed in; only the network
  // stream's (2, QM_QMN) exists. splitCount is the engine's channel count.
  void Init(int inputLayout, FormatVariant variant, int splitCount);
  // Seconds since 1970 for block headers; the system clock by default.
  void SetClock(Clock clock);

  // Creates or truncates the file. False when a recording is running (it
  // continues) or the file cannot be created (LastError says why).
  bool Start(const std::string& path);
  // Pads the last block with zeros and closes the file. False when nothing
  // was recording or the padding could not be written.
  bool Stop();
  bool IsRecording() const;

  // frame begins with its start code and holds at least 7 bytes; bytes 3
  // and 4 are rewritten in place. False when the frame was not stored
  // (not recording, no full picture yet, or a failed write).
  bool WriteVideo(std::uint8_t* frame, std::size_t length);
  // payload is the samples only.
  bool WriteAudio(const std::uint8_t* payload, std::size_t length);

  // A failed write ends the recording: the file is cut back to its last
  // whole block and closed, and this tells why. Empty when all went well.
  std::string LastError() const;
  // The interval computed from the last two picture numbers (0-127).
  int FrameInterval() const;

 private:
  static constexpr std::size_t kAudioStageSize = 32768;

  struct Stage {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity = 0;
    std::size_t fill = 0;
  };

  VvfBlockHeader CallHeader(std::time_t now) const;
  void UpdateFrameInterval(const std::uint8_t* frame);
  void ConvertLayout(std::uint8_t* frame) const;
  bool StageDateStamped(Stage& stage, const std::uint8_t* bytes, std::size_t length, std::time_t now, bool audio);
  bool WriteOut(const std::uint8_t* bytes, std::size_t length);
  // Ends the recording after a failed write; always false.
  bool Fail(int error);

  mutable std::mutex mutex_;
  FormatVariant variant_ = FormatVariant::QM_QMT2;
  int splitCount_ = 4;
  Clock clock_;

  int fd_ = -1;
  bool started_ = false;
  std::uint16_t previousNumber_ = 0;
  std::uint16_t currentNumber_ = 0;
  int frameInterval_ = 0;
  std::uint64_t fileBytes_ = 0;  // bytes that reached the file in this recording
  std::string lastError_;

  VvfBlockWriter blocks_;
  Stage videoStage_;
  Stage audioStage_;
};

}  // namespace tavrix
