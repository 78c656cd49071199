#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "storage/vvf_block.h"

namespace tavrix {

// Whole blocks of a recording source, read a megabyte-aligned chunk at a
// time: one system call per chunk rather than per block keeps a scan of a
// large disk from being spent in the kernel. Blocks come back exactly as a
// read of the single block would give them; a source that fails part-way
// through a chunk (a bad sector) still yields every block that reads alone.
class BlockCache {
 public:
  static constexpr std::size_t kChunkSize = std::size_t{1} << 20;

  BlockCache();
  BlockCache(const BlockCache&) = delete;
  BlockCache& operator=(const BlockCache&) = delete;

  // Starts over on `fd` (not owned; -1 for none), exchanging the bytes of
  // every 16-bit word when swapWords, as DVR disks store them.
  void Reset(int fd, bool swapWords);

  // The block at `offset` (a multiple of kVvfBlockSize), valid until the
  // next call; nullptr when it cannot be read whole (end of source or error).
  const std::uint8_t* Block(std::uint64_t offset);

  // Read calls made since Reset.
  std::uint64_t reads() const { return reads_; }

 private:
  struct FreeAligned {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
  };

  bool Holds(std::uint64_t offset) const;
  // Reads [from, to) into its place in the chunk and takes the whole blocks
  // read into the valid range. False when a read failed (rather than meeting
  // the end of the source).
  bool Load(std::uint64_t from, std::uint64_t to);

  int fd_ = -1;
  bool swapWords_ = false;
  std::unique_ptr<std::uint8_t, FreeAligned> chunk_;
  std::uint64_t chunkStart_ = 0;  // file offset of chunk_[0]
  std::uint64_t validBegin_ = 0;  // file offsets of the blocks held
  std::uint64_t validEnd_ = 0;
  std::uint64_t reads_ = 0;
};

}  // namespace tavrix
