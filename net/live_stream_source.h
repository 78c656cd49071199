#pragma once
#include <cstdint>
#include <vector>

namespace tavrix {

// One element of a DVR's live stream before it goes on the wire.
struct LiveElement {
  enum class Kind { kVideo, kAudio };
  Kind kind = Kind::kVideo;
  // Video: the whole frame in the QM_QMN layout, from its start code on.
  // Audio: the A-law samples only.
  std::vector<std::uint8_t> bytes;
};

// Where the DVR simulator takes its stream from.
class LiveStreamSource {
 public:
  virtual ~LiveStreamSource() = default;
  // Fills `element` (its buffer is reused); false when the source has ended.
  virtual bool Next(LiveElement& element) = 0;
};

}  // namespace tavrix
