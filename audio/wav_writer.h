#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "audio/wave_format.h"
#include "platform/atomic_file.h"

namespace tavrix {

// Writes a PCM WAV file through an AtomicFile: only a completed file appears
// under `path`. A writer destroyed before Finish, or one whose write failed,
// leaves nothing behind and never touches a file already there.
class WavWriter {
 public:
  // False, with error(), when the file cannot be created.
  bool Open(const std::string& path, const WaveFormat& format);
  // False, with error(), when the write fails or the data would pass the
  // 4 GiB that a WAV header can describe; nothing is left behind then.
  bool Append(std::span<const std::uint8_t> pcm);
  // Fills in the sizes and puts the file in place under its name.
  bool Finish();

  std::uint64_t dataBytes() const { return dataBytes_; }
  // One line: what failed and why.
  const std::string& error() const { return error_; }

 private:
  bool Fail();

  AtomicFile file_;
  std::uint64_t dataBytes_ = 0;
  WaveFormat format_;
  std::string error_;
};

}  // namespace tavrix
