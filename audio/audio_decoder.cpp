#include "audio/audio_decoder.h"

#include <algorithm>
#include <cstring>

#include "audio/g711.h"

namespace tavrix {
namespace {

bool IsSixteenBit(AudioFormat format) { return format >= AudioFormat::QM_UPCM16 && format <= AudioFormat::QM_MLAW; }

void ExpandSamples(std::span<const std::uint8_t> input, const std::array<std::int16_t, 256>& table,
                   std::uint8_t* output) {
  for (const std::uint8_t code : input) {
    const auto sample = static_cast<std::uint16_t>(table[code]);
    *output++ = static_cast<std::uint8_t>(sample & 0xFF);  // PCM is little-endian
    *output++ = static_cast<std::uint8_t>(sample >> 8);
  }
}

}  // namespace

int AudioDecoder::Configure(AudioFormat format, std::uint32_t sampleRate, WaveFormat* descriptor) {
  format_ = format;
  sampleRate_ = sampleRate;
  if (descriptor == nullptr) return 0;
  const std::uint16_t bits = IsSixteenBit(format) ? 16 : 8;
  *descriptor = WaveFormat{};
  descriptor->samplesPerSecond = sampleRate;
  descriptor->bitsPerSample = bits;
  descriptor->blockAlign = bits / 8;
  descriptor->averageBytesPerSecond = sampleRate * bits / 8;
  return 1;
}

std::size_t AudioDecoder::DecodedLength(std::size_t inputLength) const {
  return Expands() ? 2 * inputLength : inputLength;
}

std::size_t AudioDecoder::InputThatFits(std::size_t outputCapacity) const {
  if (Expands()) return outputCapacity / 2;
  return IsSixteenBit(format_) ? outputCapacity & ~std::size_t{1} : outputCapacity;
}

int AudioDecoder::Decode(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                         std::size_t& outLength) const {
  if (!IsKnownAudioFormat(static_cast<std::int32_t>(format_)) || DecodedLength(input.size()) > output.size()) return 0;
  switch (format_) {
    case AudioFormat::QM_SPCM8:
      std::transform(input.begin(), input.end(), output.begin(),
                     [](std::uint8_t sample) { return static_cast<std::uint8_t>(sample ^ 0x80); });
      break;
    case AudioFormat::QM_ALAW:
      ExpandSamples(input, ALawExpansionTable(), output.data());
      break;
    case AudioFormat::QM_MLAW:
      ExpandSamples(input, MuLawExpansionTable(), output.data());
      break;
    default:  // the PCM formats pass through unchanged
      if (!input.empty()) std::memcpy(output.data(), input.data(), input.size());
      break;
  }
  outLength = DecodedLength(input.size());
  return 1;
}

bool AudioDecoder::DecodeInChunks(std::span<const std::uint8_t> input, std::span<std::uint8_t> buffer,
                                  const std::function<bool(std::span<const std::uint8_t>)>& sink) const {
  const std::size_t chunk = InputThatFits(buffer.size());
  if (!IsKnownAudioFormat(static_cast<std::int32_t>(format_)) || chunk == 0) return false;
  for (std::size_t done = 0; done < input.size();) {
    const auto piece = input.subspan(done, std::min(chunk, input.size() - done));
    std::size_t decoded = 0;
    if (!Decode(piece, buffer, decoded) || !sink(buffer.first(decoded))) return false;
    done += piece.size();
  }
  return true;
}

}  // namespace tavrix
