#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "storage/vvf_block.h"

namespace tavrix {

// Appends bytes to a VVF block stream: fills blocks exactly, gives every block
// it begins the header set at that moment, and lets a frame run on across any
// number of blocks. Bytes go straight to the output, in at most three pieces
// per block (rest of the current block, header, chunk); nothing is buffered.
class VvfBlockWriter {
 public:
  // Writes all of the bytes or returns false.
  using Output = std::function<bool(const std::uint8_t* bytes, std::size_t length)>;

  explicit VvfBlockWriter(Output output, bool bigEndian = false);

  void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }
  // Header of the blocks that the following Append calls begin.
  void SetHeader(const VvfBlockHeader& header) { header_ = header; }

  // False when the output failed; the stream then ends at an unknown point
  // of the block being written.
  bool Append(const std::uint8_t* bytes, std::size_t length);
  // Pads the current block with zeros to its end; nothing when the stream
  // already ends on a block boundary.
  bool Finish();

  // Bytes written to the output since construction or Restart.
  std::uint64_t written() const { return written_; }
  // Starts a new stream at offset 0 (a new recording).
  void Restart() { written_ = 0; }

 private:
  bool Put(const std::uint8_t* bytes, std::size_t length);

  Output output_;
  bool bigEndian_;
  VvfBlockHeader header_;
  std::uint64_t written_ = 0;
};

}  // namespace tavrix
