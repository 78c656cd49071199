#pragma once
#include <cstdint>
#include <vector>

namespace tavrix::test {

// A recording of real pictures made by the project's encoder: `rounds`
// rounds of the channels in `channelMask` (a full picture first, then update
// pictures of the moving test picture), each round followed by an audio frame
// of `samplesPerRound` A-law bytes on audio channel 0 and one on channel 1.
struct SampleRecording {
  int rounds = 12;
  bool pal = false;
  std::uint16_t channelMask = 0x0F;
  int samplesPerRound = 533;
  bool withPictures = true;
};

// The VVF image (blocks of 4096 bytes), ending with a start code so that the
// last frame is delivered too.
std::vector<std::uint8_t> MakeSampleRecording(const SampleRecording& sample);

}  // namespace tavrix::test
