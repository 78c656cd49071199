#pragma once
#include <bitset>
#include <cstdint>
#include <functional>
#include <utility>

#include "storage/vvf_reader.h"

namespace tavrix {

// One forward pass over a whole source with an open reader: every frame that
// ReadNext delivers, and what the block headers passed on the way say. Each
// block is counted once, even when the scan steps back into it.
class VvfForwardScan {
 public:
  struct BlockSummary {
    std::uint64_t blocks = 0;    // whole blocks examined
    std::uint64_t rejected = 0;  // of those, blocks whose check byte failed
    std::uint32_t firstTime = 0; // blockTime of the first and last valid block
    std::uint32_t lastTime = 0;
    std::uint16_t channelMask = 0;     // OR over the valid blocks
    std::bitset<128> frameIntervals;   // values seen in valid blocks

    std::uint64_t valid() const { return blocks - rejected; }
  };

  // Installs itself as the reader's block observer for its lifetime.
  explicit VvfForwardScan(VvfReader& reader);
  VvfForwardScan(const VvfForwardScan&) = delete;
  VvfForwardScan& operator=(const VvfForwardScan&) = delete;
  ~VvfForwardScan();

  // Called with the file offset reached after every megabyte of blocks, also
  // across long stretches that hold no frames (unused disk space).
  void SetProgressCallback(std::function<void(std::uint64_t offset)> callback) { progress_ = std::move(callback); }

  // The next frame, as ReadNext delivers it; 0 once the source is exhausted
  // or the pass was stopped.
  std::uint32_t Next(std::uint8_t* buffer);
  // The same frame as Next, described by the reader but not copied.
  std::uint32_t Skip();

  // Ends the pass early, from the progress callback for instance: the frame
  // being read is still returned, then Next and Skip return 0.
  void Stop() { stopped_ = true; }
  bool stopped() const { return stopped_; }

  const BlockSummary& blocks() const { return summary_; }
  // The blocks before this file offset have been examined.
  std::uint64_t examinedTo() const { return nextUncounted_; }

 private:
  void CountBlock(std::uint64_t offset, const VvfBlockHeader& header, bool valid);
  template <typename Read>
  std::uint32_t Advance(Read read);

  VvfReader& reader_;
  BlockSummary summary_;
  std::uint64_t nextUncounted_ = 0;  // blocks below this offset are counted
  std::function<void(std::uint64_t)> progress_;
  bool stopped_ = false;
};

}  // namespace tavrix
