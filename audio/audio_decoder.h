#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "audio/wave_format.h"
#include "media/audio_format.h"

namespace tavrix {

// Turns audio blocks of one sample format into PCM for AudioOut. Blocks carry
// no state between them: every sample converts by itself.
class AudioDecoder {
 public:
  // Stores format and rate; fills `descriptor` with the PCM the decoder
  // produces. Returns 1, or 0 when no descriptor was given.
  int Configure(AudioFormat format, std::uint32_t sampleRate, WaveFormat* descriptor);

  // Converts one block into `output` and sets outLength. Returns 1; 0 (and
  // outLength untouched) when the format is unknown or `output` is too small.
  int Decode(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
             std::size_t& outLength) const;

  // Bytes of PCM that `inputLength` bytes decode to.
  std::size_t DecodedLength(std::size_t inputLength) const;
  // The most input bytes whose PCM fits `outputCapacity`, whole samples only:
  // the chunk size for payloads larger than the caller's buffer.
  std::size_t InputThatFits(std::size_t outputCapacity) const;

  // Decodes a payload of any length through `buffer`, one piece at a time,
  // handing each piece of PCM to `sink`. False when the format is unknown,
  // the buffer cannot hold one sample, or the sink returns false.
  bool DecodeInChunks(std::span<const std::uint8_t> input, std::span<std::uint8_t> buffer,
                      const std::function<bool(std::span<const std::uint8_t>)>& sink) const;

  AudioFormat format() const { return format_; }
  std::uint32_t sampleRate() const { return sampleRate_; }

 private:
  bool Expands() const { return format_ == AudioFormat::QM_ALAW || format_ == AudioFormat::QM_MLAW; }

  AudioFormat format_ = AudioFormat::QM_UPCM8;
  std::uint32_t sampleRate_ = 8000;
};

}  // namespace tavrix
