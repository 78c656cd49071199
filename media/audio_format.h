#pragma once
#include <cstdint>

namespace tavrix {

// The recorder's sample formats, by the codes its recordings and the AVI
// writer use.
enum class AudioFormat : std::int32_t {
  QM_UPCM8 = 1,
  QM_SPCM8 = 2,
  QM_UPCM16 = 3,
  QM_SPCM16 = 4,
  QM_ALAW = 5,
  QM_MLAW = 6,
};

constexpr bool IsKnownAudioFormat(std::int32_t code) {
  return code >= static_cast<std::int32_t>(AudioFormat::QM_UPCM8) &&
         code <= static_cast<std::int32_t>(AudioFormat::QM_MLAW);
}

}  // namespace tavrix
