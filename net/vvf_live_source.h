#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "net/live_stream_source.h"
#include "storage/vvf_reader.h"

namespace tavrix {

// Serves one channel of a VVF recording as a live stream: its video frames
// rewritten into the network layout with running picture numbers, and its
// sound.
class VvfLiveSource : public LiveStreamSource {
 public:
  VvfLiveSource() = default;

  // False, with `error`, when the recording cannot be opened.
  bool Open(const std::string& path, FormatVariant variant, int channel, bool loop, std::string& error);
  bool Next(LiveElement& element) override;

 private:
  // Consecutive reads without a frame after which the source counts as ended.
  static constexpr int kMaxEmptyReads = 100000;

  bool Rewind();

  VvfReader reader_;
  FormatVariant variant_ = FormatVariant::QM_QMT2;
  int channel_ = 0;
  bool loop_ = false;
  std::uint16_t pictureNumber_ = 0;
  std::unique_ptr<std::uint8_t[]> frame_ = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
};

}  // namespace tavrix
