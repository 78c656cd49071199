#include "codec/coefficient_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace tavrix {
namespace {

// Every code, followed by any bits at all, must look up to its own run,
// level and length: the sub-table split by leading zeros is easy to get wrong.
TEST(CoefficientCodes, EveryCodeLooksUpToItselfWhateverFollows) {
  std::vector<CoefficientCode> all(RunLevelCodes().begin(), RunLevelCodes().end());
  all.push_back(kEndOfBlockCode);
  all.push_back(kEscapeCode);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const CoefficientCode& code = all[i];
    const int spare = 16 - code.length;
    const std::uint32_t mask = (1u << spare) - 1;
    for (std::uint32_t tail : {0u, 1u & mask, mask, 0x5555u & mask}) {
      const std::uint32_t next16 = std::uint32_t{code.bits} << spare | tail;
      ASSERT_GE(next16, 16u);
      const CoefficientEntry& entry = LookupCoefficient(next16);
      EXPECT_EQ(entry.length, code.length) << "code " << i;
      if (i == all.size() - 2) {
        EXPECT_EQ(entry.run, kEndOfBlockRun);
      } else if (i == all.size() - 1) {
        EXPECT_EQ(entry.run, kEscapeRun);
      } else {
        EXPECT_EQ(entry.run, code.run) << "code " << i;
        EXPECT_EQ(entry.level, code.level) << "code " << i;
      }
    }
  }
}

TEST(CoefficientCodes, RunLevelPairsAreTheStandardSet) {
  std::set<std::pair<int, int>> pairs;
  for (const auto& code : RunLevelCodes()) pairs.insert({code.run, code.level});
  EXPECT_EQ(pairs.size(), 111u);
  // Spot checks of the corners of the table: longest runs and largest levels.
  for (auto expected : {std::pair{0, 40}, {1, 18}, {31, 1}, {16, 2}, {6, 3}, {0, 1}, {1, 1}}) {
    EXPECT_TRUE(pairs.count(expected)) << expected.first << "," << expected.second;
  }
  EXPECT_FALSE(pairs.count({0, 41}));
  EXPECT_FALSE(pairs.count({32, 1}));
}

}  // namespace
}  // namespace tavrix
