#include "audio/wav_writer.h"

#include <array>
#include <cstring>

namespace tavrix {
namespace {

constexpr std::size_t kHeaderSize = 44;
// The RIFF size counts everything after its own field: 36 header bytes, the
// data and its pad byte.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 1;

void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::array<std::uint8_t, kHeaderSize> MakeHeader(const WaveFormat& format, std::uint32_t dataBytes) {
  std::array<std::uint8_t, kHeaderSize> header{};
  std::memcpy(header.data(), "RIFF", 4);
  PutU32(header.data() + 4, 36 + dataBytes + (dataBytes & 1));
  std::memcpy(header.data() + 8, "WAVEfmt ", 8);
  PutU32(header.data() + 16, 16);  // a plain PCM "fmt " chunk
  PutU16(header.data() + 20, format.formatTag);
  PutU16(header.data() + 22, format.channels);
  PutU32(header.data() + 24, format.samplesPerSecond);
  PutU32(header.data() + 28, format.averageBytesPerSecond);
  PutU16(header.data() + 32, format.blockAlign);
  PutU16(header.data() + 34, format.bitsPerSample);
  std::memcpy(header.data() + 36, "data", 4);
  PutU32(header.data() + 40, dataBytes);
  return header;
}

}  // namespace

bool WavWriter::Open(const std::string& path, const WaveFormat& format) {
  error_.clear();
  dataBytes_ = 0;
  format_ = format;
  if (!file_.Open(path)) return Fail();
  const auto header = MakeHeader(format, 0);
  return file_.Write(header.data(), header.size()) || Fail();
}

bool WavWriter::Append(std::span<const std::uint8_t> pcm) {
  if (!file_.IsOpen()) return false;
  if (dataBytes_ + pcm.size() > kMaxDataBytes) {
    file_.Abandon();
    error_ = "cannot write " + file_.target() + ": the sound is too long for a WAV file";
    return false;
  }
  if (!file_.Write(pcm.data(), pcm.size())) return Fail();
  dataBytes_ += pcm.size();
  return true;
}

bool WavWriter::Finish() {
  if (!file_.IsOpen()) return false;
  // A data chunk of odd length is followed by one pad byte.
  const std::uint8_t pad = 0;
  if (dataBytes_ % 2 != 0 && !file_.Write(&pad, 1)) return Fail();
  const auto header = MakeHeader(format_, static_cast<std::uint32_t>(dataBytes_));
  return (file_.WriteAt(0, header.data(), header.size()) && file_.Commit()) || Fail();
}

bool WavWriter::Fail() {
  error_ = file_.error();
  return false;
}

}  // namespace tavrix
