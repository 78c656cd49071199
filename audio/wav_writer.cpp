#include "audio/wav_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
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

WavWriter::~WavWriter() { Discard(); }

bool WavWriter::Open(const std::string& path, const WaveFormat& format) {
  Discard();
  error_.clear();
  path_ = path;
  partPath_ = path + ".part";
  dataBytes_ = 0;
  format_ = format;
  fd_ = ::open(partPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return Fail("cannot create " + partPath_, errno);
  const auto header = MakeHeader(format, 0);
  return WriteAll(header.data(), header.size());
}

bool WavWriter::Append(std::span<const std::uint8_t> pcm) {
  if (fd_ < 0) return false;
  if (dataBytes_ + pcm.size() > kMaxDataBytes) {
    Discard();
    error_ = "cannot write " + path_ + ": the sound is too long for a WAV file";
    return false;
  }
  if (!WriteAll(pcm.data(), pcm.size())) return false;
  dataBytes_ += pcm.size();
  return true;
}

bool WavWriter::Finish() {
  if (fd_ < 0) return false;
  // A data chunk of odd length is followed by one pad byte.
  if (dataBytes_ % 2 != 0) {
    const std::uint8_t pad = 0;
    if (!WriteAll(&pad, 1)) return false;
  }
  const auto header = MakeHeader(format_, static_cast<std::uint32_t>(dataBytes_));
  if (::pwrite(fd_, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size())) {
    return Fail("cannot write " + partPath_, errno);
  }
  if (::fsync(fd_) != 0) return Fail("cannot write " + partPath_, errno);
  if (std::rename(partPath_.c_str(), path_.c_str()) != 0) {
    return Fail("cannot rename " + partPath_ + " to " + path_, errno);
  }
  ::close(fd_);  // after fsync nothing is left for close to report
  fd_ = -1;
  return true;
}

bool WavWriter::WriteAll(const std::uint8_t* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t done = ::write(fd_, bytes, length);
    if (done < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write " + partPath_, errno);
    }
    bytes += done;
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

bool WavWriter::Fail(const std::string& what, int error) {
  error_ = what + ": " + std::strerror(error);
  Discard();
  return false;
}

void WavWriter::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(partPath_.c_str());
}

}  // namespace tavrix
