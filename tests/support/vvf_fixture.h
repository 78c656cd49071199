#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/vvf_block.h"

namespace tavrix::testing {

// Builds VVF recordings for tests: first the frame stream (start codes and
// payloads that never contain a start code), then the block image around it.
class VvfStreamBuilder {
 public:
  // A video frame: 00 00 01 F9 (full) or F8 (update), header byte A with the
  // channel in bits 0-3 and `quantiser` in bits 4-7, then `payloadLength`
  // pseudo-random bytes. Returns the stream offset of its start code.
  std::size_t AddVideo(int channel, bool full, std::size_t payloadLength, int quantiser = 3);
  // The same with the caller's bytes after header byte A. They must not
  // form a start code with what precedes them (std::invalid_argument).
  std::size_t AddVideoBytes(int channel, bool full, const std::vector<std::uint8_t>& payload, int quantiser = 3);
  // An audio frame: 00 00 01 FA+channel, 00 00, then `samples` pseudo-random bytes.
  std::size_t AddAudio(int audioChannel, std::size_t samples);
  std::size_t AddAudioBytes(int audioChannel, const std::vector<std::uint8_t>& samples);
  // Bytes taken as they are, start codes included (damaged streams).
  void AddRaw(const std::vector<std::uint8_t>& bytes);
  // Pseudo-random bytes without start codes (what precedes the first frame).
  void AddFiller(std::size_t length);
  // Adds filler so that the next start code has `bytesBefore` (1-3) of its
  // bytes at the end of one block's payload and the rest in the next block.
  void SplitNextStartCode(std::size_t bytesBefore);
  // A start code that ends the stream, so the last real frame is delivered.
  void AddTerminator();

  const std::vector<std::uint8_t>& stream() const { return stream_; }

 private:
  std::size_t AddStartCode(std::uint8_t code);
  void AddPayload(const std::vector<std::uint8_t>& bytes, bool checked);
  std::vector<std::uint8_t> RandomBytes(std::size_t length);

  std::vector<std::uint8_t> stream_;
  std::uint32_t seed_ = 12345;
};

struct VvfImageOptions {
  std::uint32_t firstBlockTime = 1262054400;  // 2009-12-29 02:40:00 UTC
  std::uint32_t secondsPerBlock = 1;          // blockTime of block k: first + k * this
  std::uint16_t channelMask = 0x0F;
  std::uint8_t frameInterval = 0;
  bool bigEndian = false;
};

// The stream cut into blocks, the last one padded with zeros.
std::vector<std::uint8_t> MakeVvfImage(const std::vector<std::uint8_t>& stream, const VvfImageOptions& options = {});

// File offset of a stream offset inside an image made by MakeVvfImage.
std::uint64_t StreamToFileOffset(std::size_t streamOffset);

// Damage the image in place (to cut a file short, resize the image).
void CorruptCheckByte(std::vector<std::uint8_t>& image, std::size_t block);
// The image as a DVR disk stores it: every 16-bit word byte-swapped.
void SwapToDiskOrder(std::vector<std::uint8_t>& image);

// A fresh temporary directory, removed with everything in it.
class TempDirectory {
 public:
  TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  ~TempDirectory();

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the directory, hidden ones included.
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

// A file with the given bytes in a temporary directory of its own.
class TempFile {
 public:
  explicit TempFile(const std::vector<std::uint8_t>& bytes, const std::string& name = "recording.vvf");

  const std::string& path() const { return path_; }
  const std::string& directory() const { return directory_.path(); }

 private:
  TempDirectory directory_;
  std::string path_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

}  // namespace tavrix::testing
