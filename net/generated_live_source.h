#pragma once
#include <cstdint>
#include <vector>

#include "codec/video_encoder.h"
#include "net/live_stream_source.h"

namespace tavrix {

// A live stream made up on the spot: the moving test picture encoded in the
// QM_QMN layout (a full picture every `fullEvery` frames, update pictures in
// between) and a tone in A-law, one block of sound per frame.
class GeneratedLiveSource : public LiveStreamSource {
 public:
  struct Options {
    std::uint32_t height = 224;  // 224 (NTSC) or 272 (PAL)
    double framesPerSecond = 25;
    int fullEvery = 25;
    int scale = 4;
    std::uint32_t frames = 0;  // 0: endless
  };

  explicit GeneratedLiveSource(Options options);
  bool Next(LiveElement& element) override;

  // What a decoder shows after the frames given out so far.
  const DecodedPicture& Reference() const { return encoder_.Reference(0); }

 private:
  Options options_;
  VideoEncoder encoder_{2};
  std::vector<std::uint8_t> picture_;
  std::uint32_t frame_ = 0;
  bool audioNext_ = false;
  double phase_ = 0;
};

}  // namespace tavrix
