#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix::cli {

// Writes 8-bit RGB PNG files from BGR24 pictures (bytes B,
// G, R, top row first, as YuvToBgr24 makes them). The file is made in memory
// and written through an AtomicFile, so it appears whole or not at all. The
// working buffers grow to the largest picture once and are reused.
class PngWriter {
 public:
  // False, with error() set to one line, when the file cannot be written.
  bool WriteBgr24(const std::string& path, const std::uint8_t* bgr, int width, int height);
  const std::string& error() const { return error_; }

 private:
  std::vector<std::uint8_t> rows_;        // filter byte + RGB per row
  std::vector<std::uint8_t> compressed_;  // the IDAT payload
  std::vector<std::uint8_t> png_;         // the whole file
  std::string error_;
};

}  // namespace tavrix::cli
