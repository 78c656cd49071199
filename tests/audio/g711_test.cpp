#include "audio/g711.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tavrix {
namespace {

TEST(G711, ExpansionTablesHoldTheStandardValues) {
  struct Case {
    std::uint8_t code;
    std::int16_t value;
  };
  // A-law 0xD5/0x55 are the smallest steps, 0xAA/0x2A the largest, 0x80/0x00
  // sit in segment 5; mu-law has two zeros and its extremes at 0x80/0x00.
  for (const Case c : {Case{0xD5, 8}, Case{0x55, -8}, Case{0xAA, 32256}, Case{0x2A, -32256},
                       Case{0x80, 5504}, Case{0x00, -5504}}) {
    EXPECT_EQ(ExpandALaw(c.code), c.value) << "A-law 0x" << std::hex << int{c.code};
  }
  for (const Case c : {Case{0xFF, 0}, Case{0x7F, 0}, Case{0x80, 32124}, Case{0x00, -32124},
                       Case{0xD5, 716}}) {
    EXPECT_EQ(ExpandMuLaw(c.code), c.value) << "mu-law 0x" << std::hex << int{c.code};
  }
}

TEST(G711, ExpansionIsSymmetricAndMonotonic) {
  // Ordering the codes by their magnitude bits must give increasing values;
  // a wrong segment shift breaks this somewhere in the middle of the table.
  for (int magnitude = 1; magnitude < 128; ++magnitude) {
    const auto aPositive = static_cast<std::uint8_t>((0x80 | magnitude) ^ 0x55);
    const auto aBelow = static_cast<std::uint8_t>((0x80 | (magnitude - 1)) ^ 0x55);
    EXPECT_GT(ExpandALaw(aPositive), ExpandALaw(aBelow)) << magnitude;
    EXPECT_EQ(ExpandALaw(aPositive), -ExpandALaw(aPositive ^ 0x80)) << magnitude;
    const auto muPositive = static_cast<std::uint8_t>(~magnitude & 0xFF);
    const auto muBelow = static_cast<std::uint8_t>(~(magnitude - 1) & 0xFF);
    EXPECT_GT(ExpandMuLaw(muPositive), ExpandMuLaw(muBelow)) << magnitude;
    EXPECT_EQ(ExpandMuLaw(muPositive), -ExpandMuLaw(muPositive ^ 0x80)) << magnitude;
  }
}

TEST(G711, CompressionInvertsExpansion) {
  for (int code = 0; code < 256; ++code) {
    const auto byte = static_cast<std::uint8_t>(code);
    EXPECT_EQ(CompressALaw(ExpandALaw(byte)), byte) << code;
    // 0x7F is mu-law's negative zero; linear 0 compresses to 0xFF.
    if (code != 0x7F) {
      EXPECT_EQ(CompressMuLaw(ExpandMuLaw(byte)), byte) << code;
    }
  }
}

TEST(G711, CompressionPicksTheNearestStepOverTheWholeRange) {
  // Every 16-bit value must come back within half of its quantisation step;
  // the step of a code is the gap to its neighbours in the table.
  for (int value = -32768; value <= 32767; value += 7) {
    const auto sample = static_cast<std::int16_t>(value);
    for (const bool aLaw : {true, false}) {
      const std::uint8_t code = aLaw ? CompressALaw(sample) : CompressMuLaw(sample);
      const int back = aLaw ? ExpandALaw(code) : ExpandMuLaw(code);
      // Both laws step by 1024 in their top segment and clip at their largest level.
      const int limit = aLaw ? 32256 : 32124;
      const int expected = std::abs(value) > limit ? (value < 0 ? -limit : limit) : value;
      EXPECT_LE(std::abs(back - expected), 1024 / 2 + 8) << (aLaw ? "A-law " : "mu-law ") << value;
      EXPECT_TRUE(back == 0 || expected == 0 || (back > 0) == (expected > 0)) << value;
    }
  }
}

}  // namespace
}  // namespace tavrix
