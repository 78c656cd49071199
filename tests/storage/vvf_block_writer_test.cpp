#include "storage/vvf_block_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrix {
namespace {

TEST(VvfBlockWriter, EachBlockGetsTheHeaderSetWhenItBegan) {
  std::vector<std::uint8_t> out;
  VvfBlockWriter writer([&](const std::uint8_t* bytes, std::size_t length) {
    out.insert(out.end(), bytes, bytes + length);
    return true;
  });
  const std::vector<std::uint8_t> first(5000, 0x11), second(3000, 0x22);
  writer.SetHeader({100, 0x0F, 2});
  ASSERT_TRUE(writer.Append(first.data(), first.size()));
  writer.SetHeader({200, 0x0F, 2});
  ASSERT_TRUE(writer.Append(second.data(), second.size()));  // completes block 1, no new block
  EXPECT_EQ(writer.written(), 5000u + 3000u + 2 * kVvfHeaderSize);
  ASSERT_TRUE(writer.Finish());
  ASSERT_EQ(out.size(), 2 * kVvfBlockSize);

  VvfBlockHeader header;
  ASSERT_TRUE(DecodeBlockHeader(out.data(), false, header));
  EXPECT_EQ(header.blockTime, 100u);
  ASSERT_TRUE(DecodeBlockHeader(out.data() + kVvfBlockSize, false, header));
  EXPECT_EQ(header.blockTime, 100u);  // began by the first call
  EXPECT_EQ(out[kVvfBlockSize + 8 + 911], 0x11);
  EXPECT_EQ(out[kVvfBlockSize + 8 + 912], 0x22);
  EXPECT_EQ(out[kVvfBlockSize + 8 + 3911], 0x22);
  EXPECT_EQ(out[kVvfBlockSize + 8 + 3912], 0x00);

  // On a block boundary nothing is padded; the next byte begins a block.
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(out.size(), 2 * kVvfBlockSize);
  writer.SetHeader({300, 1, 0});
  const std::uint8_t one = 0x33;
  ASSERT_TRUE(writer.Append(&one, 1));
  ASSERT_TRUE(DecodeBlockHeader(out.data() + 2 * kVvfBlockSize, false, header));
  EXPECT_EQ(header.blockTime, 300u);
}

TEST(VvfBlockWriter, OutputFailureIsReturned) {
  int calls = 0;
  VvfBlockWriter writer([&](const std::uint8_t*, std::size_t) { return ++calls < 2; });
  const std::vector<std::uint8_t> bytes(10, 1);
  EXPECT_FALSE(writer.Append(bytes.data(), bytes.size()));
  EXPECT_EQ(writer.written(), kVvfHeaderSize);
}

}  // namespace
}  // namespace tavrix
