#include "storage/vvf_block_writer.h"

#include <algorithm>
#include <utility>

namespace tavrix {

VvfBlockWriter::VvfBlockWriter(Output output, bool bigEndian) : output_(std::move(output)), bigEndian_(bigEndian) {}

bool VvfBlockWriter::Put(const std::uint8_t* bytes, std::size_t length) {
  if (!output_(bytes, length)) return false;
  written_ += length;
  return true;
}

bool VvfBlockWriter::Append(const std::uint8_t* bytes, std::size_t length) {
  while (length > 0) {
    std::size_t inBlock = written_ % kVvfBlockSize;
    if (inBlock == 0) {
      std::uint8_t header[kVvfHeaderSize];
      EncodeBlockHeader(header_, bigEndian_, header);
      if (!Put(header, sizeof header)) return false;
      inBlock = kVvfHeaderSize;
    }
    const std::size_t chunk = std::min(length, kVvfBlockSize - inBlock);
    if (!Put(bytes, chunk)) return false;
    bytes += chunk;
    length -= chunk;
  }
  return true;
}

bool VvfBlockWriter::Finish() {
  static constexpr std::uint8_t kZeros[kVvfBlockSize] = {};
  const std::size_t inBlock = written_ % kVvfBlockSize;
  return inBlock == 0 || Put(kZeros, kVvfBlockSize - inBlock);
}

}  // namespace tavrix
