#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "audio/wave_format.h"

namespace tavrix {

// Writes a PCM WAV file safely: the samples go to "<path>.part", and only a
// completed file is renamed to `path`. A writer destroyed before Finish, or
// one whose write failed, removes its part file, so a failure never leaves a
// half file under the final name nor touches a file already there.
class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter();

  // False, with error(), when the part file cannot be created.
  bool Open(const std::string& path, const WaveFormat& format);
  // False, with error(), when the write fails or the data would pass the
  // 4 GiB that a WAV header can describe; the part file is removed then.
  bool Append(std::span<const std::uint8_t> pcm);
  // Fills in the sizes and renames the part file to the final name.
  bool Finish();

  std::uint64_t dataBytes() const { return dataBytes_; }
  // One line: what failed and why.
  const std::string& error() const { return error_; }

 private:
  bool WriteAll(const std::uint8_t* bytes, std::size_t length);
  bool Fail(const std::string& what, int error);
  void Discard();

  int fd_ = -1;
  std::string path_;
  std::string partPath_;
  std::uint64_t dataBytes_ = 0;
  WaveFormat format_;
  std::string error_;
};

}  // namespace tavrix
