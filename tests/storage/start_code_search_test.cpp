#include "storage/start_code_search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Where a start code is looked for by hand: every variant must agree.
std::size_t Expected(const Bytes& bytes, std::size_t from, std::size_t end) {
  for (std::size_t at = from; at + 4 <= end; ++at) {
    if (bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 2] == 1 && bytes[at + 3] >= 0xF8 && bytes[at + 3] <= 0xFD) {
      return at;
    }
  }
  return end;
}

void ExpectAllAgree(const Bytes& bytes, std::size_t from, std::size_t end) {
  const std::size_t expected = Expected(bytes, from, end);
  for (const StartCodeSearch search : StartCodeSearches()) {
    EXPECT_EQ(search(bytes.data(), from, end), expected) << "from " << from << " end " << end;
  }
}

// Filler that holds every near miss: 00 00 01 slice codes, 01 before a
// frame code without the zeros, and codes 0xFE and 0xFF.
Bytes NearMisses(std::size_t length) {
  static const std::uint8_t kPattern[] = {0x00, 0x00, 0x01, 0x05, 0x01, 0xF9, 0x00, 0x01, 0xF8, 0x00,
                                          0x00, 0x01, 0xFE, 0x00, 0x00, 0x01, 0xFF, 0x00, 0x00, 0x00};
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = kPattern[i % sizeof kPattern];
  return bytes;
}

TEST(StartCodeSearch, FindsEachCodeAtEveryPlaceAroundTheVectorWidths) {
  for (const std::uint8_t code : {0xF8, 0xF9, 0xFA, 0xFD}) {
    for (std::size_t place = 0; place + 4 <= 300; ++place) {
      Bytes bytes = NearMisses(300);
      bytes[place] = 0x00, bytes[place + 1] = 0x00, bytes[place + 2] = 0x01, bytes[place + 3] = code;
      // Ranges that start before, at and after it and end inside, at and past it.
      for (const std::size_t from : {std::size_t{0}, place > 0 ? place - 1 : 0, place, place + 1}) {
        for (const std::size_t end : {place + 3, place + 4, place + 70, std::size_t{300}}) {
          if (from <= end && end <= bytes.size()) ExpectAllAgree(bytes, from, end);
        }
      }
    }
  }
}

TEST(StartCodeSearch, NearMissesAreNoStartCodes) {
  const Bytes bytes = NearMisses(4096);
  for (const StartCodeSearch search : StartCodeSearches()) EXPECT_EQ(search(bytes.data(), 8, 4096), 4096u);
}

// Bytes drawn mostly from 00 and 01, with codes now often (start codes every
// few bytes) and now seldom (long runs of near misses), in ranges of every
// length and alignment.
TEST(StartCodeSearch, AgreesOnDenseRandomBytes) {
  std::mt19937 random(7);
  Bytes bytes(1200);
  for (int trial = 0; trial < 3000; ++trial) {
    const unsigned codeShare = trial % 2 == 0 ? 2 : 0;
    for (auto& byte : bytes) {
      const unsigned pick = random() % 16;
      byte = pick < 7 ? 0x00
             : pick < 11 ? 0x01
             : pick < 11 + codeShare ? static_cast<std::uint8_t>(0xF8 + random() % 8)
                                     : static_cast<std::uint8_t>(random());
    }
    const std::size_t from = random() % 400;
    const std::size_t end = from + random() % (bytes.size() - from + 1);
    ExpectAllAgree(bytes, from, end);
  }
}

}  // namespace
}  // namespace tavrix
