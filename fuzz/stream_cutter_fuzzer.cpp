// libFuzzer target for the live stream cutter and the client's reading of
// the control messages it cuts out: arbitrary bytes as a DVR's stream. The
// stream is cut three times: in one piece, in pieces of random sizes, and
// after a Reset that follows a random prefix; the three must give the same
// elements. Every element must also fit its buffer and begin as its kind
// does, and the notice read from a control message only reads inside it.
//
// Input: 4 bytes that choose the piece sizes, then the stream.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "net/control_message.h"
#include "net/dvr_notice.h"
#include "net/stream_cutter.h"

namespace {

using tavrix::StreamCutter;

constexpr std::size_t kSettingsSize = 4;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "stream_cutter_fuzzer: %s\n", what);
  std::abort();
}

struct Element {
  enum class Kind { kVideo, kAudio, kControl } kind;
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const Element&, const Element&) = default;
};

class CheckingSink : public tavrix::StreamCutterSink {
 public:
  std::vector<Element> elements;

  void OnVideoFrame(const tavrix::FrameRecord& frame) override {
    const std::uint8_t* bytes = frame.payload();
    Require(frame.length() >= 4 && frame.length() <= tavrix::FrameRecord::kMaxCapacity,
            "a video frame shorter than its start code or longer than its buffer");
    Require(bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && (bytes[3] == 0xF8 || bytes[3] == 0xF9),
            "a video frame that does not begin with a picture start code");
    elements.push_back({Element::Kind::kVideo, {bytes, bytes + frame.length()}});
  }

  void OnAudioBlock(const tavrix::FrameRecord& block) override {
    Require(block.length() > 0 && block.length() <= StreamCutter::kAudioCapacity, "an audio block of a bad length");
    elements.push_back({Element::Kind::kAudio, {block.payload(), block.payload() + block.length()}});
  }

  void OnControlMessage(std::span<const std::uint8_t> message) override {
    Require(message.size() >= 8 && message.size() <= StreamCutter::kControlCapacity,
            "a control message of a bad length");
    Require(tavrix::IsControlStart(message.data()), "a control message without its start code");
    Require(message.size() == std::max<std::size_t>(tavrix::ReadHexField(message.data() + 4), 8),
            "a control message whose length is not the one it declares");
    // Read from a copy of exactly the message's size, so that the sanitizer
    // catches a field read past its end.
    const std::vector<std::uint8_t> copy(message.begin(), message.end());
    tavrix::ReadDvrNotice(copy);
    elements.push_back({Element::Kind::kControl, copy});
  }
};

// Piece sizes from 1 byte to 64 KiB, mostly small, from a seeded xorshift.
class PieceSizes {
 public:
  explicit PieceSizes(std::uint32_t seed) : state_(seed | 1) {}
  std::size_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    const unsigned bits = state_ % 17;
    return 1 + (state_ >> 8) % (std::size_t{1} << bits);
  }

 private:
  std::uint32_t state_;
};

void FeedInPieces(StreamCutter& cutter, std::span<const std::uint8_t> stream, PieceSizes& sizes) {
  while (!stream.empty()) {
    const std::size_t piece = std::min(sizes.Next(), stream.size());
    cutter.Feed(stream.first(piece));
    stream = stream.subspan(piece);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSettingsSize) return 0;
  std::uint32_t seed;
  std::memcpy(&seed, data, sizeof seed);
  const std::span<const std::uint8_t> stream(data + kSettingsSize, size - kSettingsSize);

  CheckingSink whole;
  StreamCutter(whole).Feed(stream);

  CheckingSink pieces;
  StreamCutter piecesCutter(pieces);
  PieceSizes sizes(seed);
  FeedInPieces(piecesCutter, stream, sizes);
  Require(pieces.elements == whole.elements, "the elements depend on how the stream was split");

  // What a connection left half-received must not reach the next one.
  CheckingSink afterReset;
  StreamCutter afterResetCutter(afterReset);
  afterResetCutter.Feed(stream.first(sizes.Next() % (stream.size() + 1)));
  afterReset.elements.clear();
  afterResetCutter.Reset();
  FeedInPieces(afterResetCutter, stream, sizes);
  Require(afterReset.elements == whole.elements, "a Reset left state behind");
  return 0;
}
