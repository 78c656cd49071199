#pragma once
#include <cstdint>

namespace tavrix {

// Describes PCM the way a WAV "fmt " chunk does.
struct WaveFormat {
  static constexpr std::uint16_t kPcm = 1;

  std::uint16_t formatTag = kPcm;
  std::uint16_t channels = 1;
  std::uint32_t samplesPerSecond = 0;
  std::uint32_t averageBytesPerSecond = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t extraSize = 0;

  friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

}  // namespace tavrix
