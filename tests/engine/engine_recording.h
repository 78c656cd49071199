#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "codec/video_encoder.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix::testing {

// A recording of real encoded pictures for the engine tests. It remembers,
// for every video frame, the picture a correct decoder shows for it, so a test
// can tell exactly which frame reached the view.
class EngineRecording {
 public:
  struct Frame {
    bool audio = false;
    int channel = 0;                    // video channel, or audio channel
    std::uint64_t fileOffset = 0;       // of its start code
    std::vector<std::uint8_t> picture;  // what the channel shows after this frame
    std::vector<std::uint8_t> samples;  // A-law, of an audio frame
  };

  // `variant` is the FormatVariant the pictures are coded in.
  explicit EngineRecording(int variant = 4, std::uint32_t height = 224);

  // A picture of the channel's own test pattern, moved on by one frame.
  void AddVideo(int channel, bool full);
  // A tone of its own pitch for every audio frame, as A-law samples.
  void AddAudio(int audioChannel, std::size_t samples);
  // A QM_QMT3 dual picture: the left half for the channel in its header, the
  // right half for rightChannel, either marked empty on request.
  void AddDual(int leftChannel, int rightChannel, bool leftEmpty, bool rightEmpty);
  void AddFiller(std::size_t bytes) { stream_.AddFiller(bytes); }

  // Writes the blocks to a temporary file; the stream ends with a start code
  // so that the last frame is delivered too.
  std::unique_ptr<TempFile> Write(const VvfImageOptions& options = {});

  const std::vector<Frame>& frames() const { return frames_; }
  std::vector<Frame> VideoFrames() const;
  std::uint32_t height() const { return height_; }

 private:
  std::vector<std::uint8_t> Encode(int channel, bool full);

  int variant_;
  std::uint32_t height_;
  VideoEncoder encoder_;
  VvfStreamBuilder stream_;
  std::vector<Frame> frames_;
  std::vector<std::uint8_t> source_;
  std::uint32_t counter_ = 0;
  bool terminated_ = false;
};

// `rounds` pictures of each of the four channels, full pictures in the first
// round and update pictures after it, with a block of sound of `samples`
// after every round.
EngineRecording Interleaved(int rounds, std::size_t samples = 400);

}  // namespace tavrix::testing
