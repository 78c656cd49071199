#include "storage/header_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/vvf_block.h"

namespace tavrix {
namespace {

TEST(HeaderCheck, KnownStrings) {
  const std::string abc = "abc";
  EXPECT_EQ(HeaderCheck(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size()), 0x59);
  EXPECT_EQ(HeaderCheck(nullptr, 0), 0x00);
  const std::uint8_t header[] = {0x00, 0xF2, 0x57, 0x4B, 0x01, 0x00, 0x01};
  EXPECT_EQ(HeaderCheck(header, sizeof header), 0x19);
}

TEST(BlockHeader, EncodesBothByteOrders) {
  struct Case {
    VvfBlockHeader header;
    bool bigEndian;
    std::vector<std::uint8_t> bytes;  // the first seven stored bytes
  };
  const Case cases[] = {
      {{1264054784, 1, 1}, false, {0x00, 0xF2, 0x57, 0x4B, 0x01, 0x00, 0x01}},
      {{1, 1, 0}, true, {0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00}},
      {{0x01020304, 0x0A0B, 0x85}, false, {0x04, 0x03, 0x02, 0x01, 0x0B, 0x0A, 0x05}},
  };
  for (const auto& c : cases) {
    std::uint8_t stored[kVvfHeaderSize];
    EncodeBlockHeader(c.header, c.bigEndian, stored);
    EXPECT_EQ(std::vector<std::uint8_t>(stored, stored + 7), c.bytes);
    EXPECT_EQ(stored[7], HeaderCheck(stored, 7));
    VvfBlockHeader decoded;
    ASSERT_TRUE(DecodeBlockHeader(stored, c.bigEndian, decoded));
    EXPECT_EQ(decoded.blockTime, c.header.blockTime);
    EXPECT_EQ(decoded.channelMask, c.header.channelMask);
    EXPECT_EQ(decoded.frameInterval, c.header.frameInterval & 0x7F);
  }
  std::uint8_t example[kVvfHeaderSize];
  EncodeBlockHeader({1264054784, 1, 1}, false, example);
  EXPECT_EQ(example[7], 0x19);
}

TEST(BlockHeader, ReservedIntervalBitIsIgnoredAndDamageDetected) {
  std::uint8_t stored[kVvfHeaderSize] = {0x00, 0xF2, 0x57, 0x4B, 0x01, 0x00, 0x81};
  stored[7] = HeaderCheck(stored, 7);
  VvfBlockHeader header;
  ASSERT_TRUE(DecodeBlockHeader(stored, false, header));
  EXPECT_EQ(header.frameInterval, 1);

  // Any single changed bit of the first seven bytes fails the check.
  for (int byte = 0; byte < 7; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      std::uint8_t damaged[kVvfHeaderSize];
      std::copy(stored, stored + kVvfHeaderSize, damaged);
      damaged[byte] ^= static_cast<std::uint8_t>(1 << bit);
      EXPECT_FALSE(DecodeBlockHeader(damaged, false, header)) << byte << ":" << bit;
    }
  }
}

TEST(SwapWordBytes, ExchangesEveryWord) {
  std::vector<std::uint8_t> stored = {0xF2, 0x00, 0x4B, 0x57, 0x00, 0x01, 0x01, 0x00};
  SwapWordBytes(stored.data(), stored.size());
  EXPECT_EQ(stored, (std::vector<std::uint8_t>{0x00, 0xF2, 0x57, 0x4B, 0x01, 0x00, 0x00, 0x01}));
}

}  // namespace
}  // namespace tavrix
