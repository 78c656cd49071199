#include "storage/block_cache.h"

#include <unistd.h>

#include <cerrno>
#include <new>

namespace tavrix {
namespace {

constexpr std::uint64_t kChunkMask = ~static_cast<std::uint64_t>(BlockCache::kChunkSize - 1);

}  // namespace

BlockCache::BlockCache() : chunk_(static_cast<std::uint8_t*>(std::aligned_alloc(kVvfBlockSize, kChunkSize))) {
  if (!chunk_) throw std::bad_alloc();
}

void BlockCache::Reset(int fd, bool swapWords) {
  fd_ = fd;
  swapWords_ = swapWords;
  chunkStart_ = validBegin_ = validEnd_ = 0;
  reads_ = 0;
}

bool BlockCache::Holds(std::uint64_t offset) const {
  return offset >= validBegin_ && offset < validEnd_ && validEnd_ - offset >= kVvfBlockSize;
}

const std::uint8_t* BlockCache::Block(std::uint64_t offset) {
  if (fd_ < 0) return nullptr;
  if (!Holds(offset)) {
    const std::uint64_t chunk = offset & kChunkMask;
    if (chunk != chunkStart_) {
      chunkStart_ = chunk;
      validBegin_ = validEnd_ = chunk;
    }
    // Forward through a chunk the blocks already held are not read again
    // (the end of a growing file, say); otherwise the whole chunk is read.
    const bool continues = validEnd_ > validBegin_ && offset >= validEnd_;
    const bool failed = !Load(continues ? offset : chunk, chunk + kChunkSize);
    // A read that failed before reaching the block (a bad sector) says
    // nothing about the block itself.
    if (failed && !Holds(offset)) Load(offset, offset + kVvfBlockSize);
    if (!Holds(offset)) return nullptr;
  }
  return chunk_.get() + (offset - chunkStart_);
}

bool BlockCache::Load(std::uint64_t from, std::uint64_t to) {
  std::uint8_t* const start = chunk_.get() + (from - chunkStart_);
  const std::size_t wanted = static_cast<std::size_t>(to - from);
  std::size_t got = 0;
  bool failed = false;
  while (got < wanted) {
    ++reads_;
    const ssize_t n = pread(fd_, start + got, wanted - got, static_cast<off_t>(from + got));
    if (n < 0 && errno == EINTR) continue;
    failed = n < 0;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  const std::size_t whole = got - got % kVvfBlockSize;
  if (whole == 0) return !failed;
  if (swapWords_) SwapWordBytes(start, whole);
  if (from == validEnd_ && validEnd_ > validBegin_) {
    validEnd_ += whole;
  } else {
    validBegin_ = from;
    validEnd_ = from + whole;
  }
  return !failed;
}

}  // namespace tavrix
