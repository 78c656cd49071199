#include "storage/vvf_forward_scan.h"

namespace tavrix {
namespace {

constexpr std::uint64_t kBlocksPerProgress = (1u << 20) / kVvfBlockSize;

}  // namespace

VvfForwardScan::VvfForwardScan(VvfReader& reader) : reader_(reader) {
  reader_.SetBlockObserver(
      [this](std::uint64_t offset, const VvfBlockHeader& header, bool valid) { CountBlock(offset, header, valid); });
}

VvfForwardScan::~VvfForwardScan() { reader_.SetBlockObserver(nullptr); }

void VvfForwardScan::CountBlock(std::uint64_t offset, const VvfBlockHeader& header, bool valid) {
  if (offset < nextUncounted_) return;
  nextUncounted_ = offset + kVvfBlockSize;
  ++summary_.blocks;
  if (progress_ && summary_.blocks % kBlocksPerProgress == 0) progress_(nextUncounted_);
  if (!valid) {
    ++summary_.rejected;
    return;
  }
  if (summary_.valid() == 1) summary_.firstTime = header.blockTime;
  summary_.lastTime = header.blockTime;
  summary_.channelMask |= header.channelMask;
  summary_.frameIntervals.set(header.frameInterval & 0x7F);
}

template <typename Read>
std::uint32_t VvfForwardScan::Advance(Read read) {
  while (!stopped_) {
    const std::uint64_t before = reader_.Position();
    const std::uint32_t length = read();
    if (length > 0) return length;
    // A call that delivers nothing and does not move has met the end.
    if (reader_.Position() == before) return 0;
  }
  return 0;
}

std::uint32_t VvfForwardScan::Next(std::uint8_t* buffer) {
  return Advance([&] { return reader_.ReadNext(buffer); });
}

std::uint32_t VvfForwardScan::Skip() {
  return Advance([&] { return reader_.SkipNext(); });
}

}  // namespace tavrix
