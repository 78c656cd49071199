#include "storage/block_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include <fstream>
#include <vector>

#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::TempFile;

// Every byte tells its block and place, so a block from the wrong offset shows.
std::vector<std::uint8_t> NumberedBlocks(std::size_t blocks, std::size_t extra = 0) {
  std::vector<std::uint8_t> bytes(blocks * kVvfBlockSize + extra);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / kVvfBlockSize * 7 + i);
  return bytes;
}

class BlockCacheTest : public ::testing::Test {
 protected:
  void Open(const std::vector<std::uint8_t>& bytes, bool swapWords = false) {
    file_ = std::make_unique<TempFile>(bytes);
    fd_ = ::open(file_->path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd_, 0);
    cache_.Reset(fd_, swapWords);
  }
  void TearDown() override {
    if (fd_ >= 0) ::close(fd_);
  }

  // The block as the cache gives it, empty when it gives none.
  std::vector<std::uint8_t> BlockAt(std::size_t index) {
    const std::uint8_t* block = cache_.Block(index * kVvfBlockSize);
    return block ? std::vector<std::uint8_t>(block, block + kVvfBlockSize) : std::vector<std::uint8_t>{};
  }
  static std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t index) {
    return {bytes.begin() + static_cast<long>(index * kVvfBlockSize),
            bytes.begin() + static_cast<long>((index + 1) * kVvfBlockSize)};
  }

  std::unique_ptr<TempFile> file_;
  int fd_ = -1;
  BlockCache cache_;
};

constexpr std::size_t kBlocksPerChunk = BlockCache::kChunkSize / kVvfBlockSize;

TEST_F(BlockCacheTest, ForwardAndBackwardPassesReadAMegabyteAtATime) {
  const std::size_t blocks = 3 * kBlocksPerChunk + 10;
  const auto bytes = NumberedBlocks(blocks, 1000);  // a partial block at the end
  Open(bytes);
  for (std::size_t index = 0; index < blocks; ++index) ASSERT_EQ(BlockAt(index), Slice(bytes, index)) << index;
  EXPECT_TRUE(BlockAt(blocks).empty()) << "a partial block is never given";
  // Four chunks, the last one short (its end met once more for the partial
  // block), where a read per block would take 780.
  EXPECT_LE(cache_.reads(), 7u);

  cache_.Reset(fd_, false);
  for (std::size_t index = blocks; index-- > 0;) ASSERT_EQ(BlockAt(index), Slice(bytes, index)) << index;
  EXPECT_LE(cache_.reads(), 5u);
}

TEST_F(BlockCacheTest, DiskBlocksComeWordSwappedOnce) {
  const auto bytes = NumberedBlocks(kBlocksPerChunk + 2);
  Open(bytes, /*swapWords=*/true);
  for (const std::size_t index : {std::size_t{1}, kBlocksPerChunk + 1, std::size_t{0}, std::size_t{1}}) {
    auto expected = Slice(bytes, index);
    SwapWordBytes(expected.data(), expected.size());
    EXPECT_EQ(BlockAt(index), expected) << index;
  }
}

// A recording still being written: blocks past the end seen first are read
// once they are there, and the blocks read before stay as they were.
TEST_F(BlockCacheTest, BlocksAddedToTheFileAreFound) {
  auto bytes = NumberedBlocks(5);
  Open(bytes);
  EXPECT_EQ(BlockAt(4), Slice(bytes, 4));
  EXPECT_TRUE(BlockAt(5).empty());

  const auto grown = NumberedBlocks(9);
  std::ofstream(file_->path(), std::ios::binary | std::ios::app)
      .write(reinterpret_cast<const char*>(grown.data() + 5 * kVvfBlockSize), 4 * kVvfBlockSize);
  EXPECT_EQ(BlockAt(5), Slice(grown, 5));
  EXPECT_EQ(BlockAt(8), Slice(grown, 8));
  EXPECT_EQ(BlockAt(2), Slice(grown, 2));
  EXPECT_TRUE(BlockAt(9).empty());
}

// A disk with a bad sector: the process's own memory read through
// /proc/self/mem, where a page taken away fails to read as a sector does.
TEST(BlockCacheErrors, BlocksAroundAnUnreadableOneStillReadAlone) {
  const std::size_t span = 2 * BlockCache::kChunkSize;
  void* mapping = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapping, MAP_FAILED);
  const auto address = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t chunk = (address + BlockCache::kChunkSize - 1) / BlockCache::kChunkSize * BlockCache::kChunkSize;
  auto* bytes = reinterpret_cast<std::uint8_t*>(chunk);
  const auto numbered = NumberedBlocks(8);
  std::copy(numbered.begin(), numbered.end(), bytes);
  ASSERT_EQ(munmap(bytes + 5 * kVvfBlockSize, kVvfBlockSize), 0);
  const int fd = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);

  BlockCache cache;
  cache.Reset(fd, false);
  for (const std::size_t index : {std::size_t{6}, std::size_t{1}, std::size_t{5}, std::size_t{7}, std::size_t{4}}) {
    const std::uint8_t* block = cache.Block(chunk + index * kVvfBlockSize);
    if (index == 5) {
      EXPECT_EQ(block, nullptr);
      continue;
    }
    ASSERT_NE(block, nullptr) << index;
    EXPECT_TRUE(std::equal(block, block + kVvfBlockSize, numbered.begin() + static_cast<long>(index * kVvfBlockSize)))
        << index;
  }
  ::close(fd);
  munmap(mapping, span);
}

TEST_F(BlockCacheTest, NothingWithoutASource) {
  EXPECT_EQ(cache_.Block(0), nullptr);
  Open(NumberedBlocks(2));
  cache_.Reset(-1, false);
  EXPECT_EQ(cache_.Block(0), nullptr);
}

}  // namespace
}  // namespace tavrix
