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

std::uint32_t VvfForwardScan::Next(std::uint8_t* buffer) {
  for (;;) {
    const std::uint64_t before = reader_.Position();
    const std::uint32_t length = reader_.ReadNext(buffer);
    if (length > 0) return length;
    // A call that delivers nothing and does not move has met the end.
    if (reader_.Position() == before) return 0;
  }
}

}  // namespace tavrix
