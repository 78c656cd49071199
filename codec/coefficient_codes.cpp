#include "codec/coefficient_codes.h"

#include <algorithm>
#include <array>

namespace tavrix {
namespace {

constexpr std::uint16_t Value(const char* text) {
  std::uint16_t value = 0;
  for (; *text; ++text) {
    if (*text != ' ') value = static_cast<std::uint16_t>(value << 1 | (*text == '1'));
  }
  return value;
}

constexpr std::uint8_t Bits(const char* text) {
  std::uint8_t count = 0;
  for (; *text; ++text) count += *text != ' ';
  return count;
}

struct Spelled {
  std::uint8_t run;
  std::uint8_t level;
  const char* code;
};

// Written out as the standard prints it, so the table can be checked by eye.
constexpr Spelled kSpelled[] = {
    {0, 1, "11"},
    {1, 1, "011"},
    {0, 2, "0100"},
    {2, 1, "0101"},
    {0, 3, "0010 1"},
    {3, 1, "0011 1"},
    {4, 1, "0011 0"},
    {1, 2, "0001 10"},
    {5, 1, "0001 11"},
    {6, 1, "0001 01"},
    {7, 1, "0001 00"},
    {0, 4, "0000 110"},
    {2, 2, "0000 100"},
    {8, 1, "0000 111"},
    {9, 1, "0000 101"},
    {0, 5, "0010 0110"},
    {0, 6, "0010 0001"},
    {1, 3, "0010 0101"},
    {3, 2, "0010 0100"},
    {10, 1, "0010 0111"},
    {11, 1, "0010 0011"},
    {12, 1, "0010 0010"},
    {13, 1, "0010 0000"},
    {0, 7, "0000 0010 10"},
    {1, 4, "0000 0011 00"},
    {2, 3, "0000 0010 11"},
    {4, 2, "0000 0011 11"},
    {5, 2, "0000 0010 01"},
    {14, 1, "0000 0011 10"},
    {15, 1, "0000 0011 01"},
    {16, 1, "0000 0010 00"},
    {0, 8, "0000 0001 1101"},
    {0, 9, "0000 0001 1000"},
    {0, 10, "0000 0001 0011"},
    {0, 11, "0000 0001 0000"},
    {1, 5, "0000 0001 1011"},
    {2, 4, "0000 0001 0100"},
    {3, 3, "0000 0001 1100"},
    {4, 3, "0000 0001 0010"},
    {6, 2, "0000 0001 1110"},
    {7, 2, "0000 0001 0101"},
    {8, 2, "0000 0001 0001"},
    {17, 1, "0000 0001 1111"},
    {18, 1, "0000 0001 1010"},
    {19, 1, "0000 0001 1001"},
    {20, 1, "0000 0001 0111"},
    {21, 1, "0000 0001 0110"},
    {0, 12, "0000 0000 1101 0"},
    {0, 13, "0000 0000 1100 1"},
    {0, 14, "0000 0000 1100 0"},
    {0, 15, "0000 0000 1011 1"},
    {1, 6, "0000 0000 1011 0"},
    {1, 7, "0000 0000 1010 1"},
    {2, 5, "0000 0000 1010 0"},
    {3, 4, "0000 0000 1001 1"},
    {5, 3, "0000 0000 1001 0"},
    {9, 2, "0000 0000 1000 1"},
    {10, 2, "0000 0000 1000 0"},
    {22, 1, "0000 0000 1111 1"},
    {23, 1, "0000 0000 1111 0"},
    {24, 1, "0000 0000 1110 1"},
    {25, 1, "0000 0000 1110 0"},
    {26, 1, "0000 0000 1101 1"},
    {0, 16, "0000 0000 0111 11"},
    {0, 17, "0000 0000 0111 10"},
    {0, 18, "0000 0000 0111 01"},
    {0, 19, "0000 0000 0111 00"},
    {0, 20, "0000 0000 0110 11"},
    {0, 21, "0000 0000 0110 10"},
    {0, 22, "0000 0000 0110 01"},
    {0, 23, "0000 0000 0110 00"},
    {0, 24, "0000 0000 0101 11"},
    {0, 25, "0000 0000 0101 10"},
    {0, 26, "0000 0000 0101 01"},
    {0, 27, "0000 0000 0101 00"},
    {0, 28, "0000 0000 0100 11"},
    {0, 29, "0000 0000 0100 10"},
    {0, 30, "0000 0000 0100 01"},
    {0, 31, "0000 0000 0100 00"},
    {0, 32, "0000 0000 0011 000"},
    {0, 33, "0000 0000 0010 111"},
    {0, 34, "0000 0000 0010 110"},
    {0, 35, "0000 0000 0010 101"},
    {0, 36, "0000 0000 0010 100"},
    {0, 37, "0000 0000 0010 011"},
    {0, 38, "0000 0000 0010 010"},
    {0, 39, "0000 0000 0010 001"},
    {0, 40, "0000 0000 0010 000"},
    {1, 8, "0000 0000 0011 111"},
    {1, 9, "0000 0000 0011 110"},
    {1, 10, "0000 0000 0011 101"},
    {1, 11, "0000 0000 0011 100"},
    {1, 12, "0000 0000 0011 011"},
    {1, 13, "0000 0000 0011 010"},
    {1, 14, "0000 0000 0011 001"},
    {1, 15, "0000 0000 0001 0011"},
    {1, 16, "0000 0000 0001 0010"},
    {1, 17, "0000 0000 0001 0001"},
    {1, 18, "0000 0000 0001 0000"},
    {6, 3, "0000 0000 0001 0100"},
    {11, 2, "0000 0000 0001 1010"},
    {12, 2, "0000 0000 0001 1001"},
    {13, 2, "0000 0000 0001 1000"},
    {14, 2, "0000 0000 0001 0111"},
    {15, 2, "0000 0000 0001 0110"},
    {16, 2, "0000 0000 0001 0101"},
    {27, 1, "0000 0000 0001 1111"},
    {28, 1, "0000 0000 0001 1110"},
    {29, 1, "0000 0000 0001 1101"},
    {30, 1, "0000 0000 0001 1100"},
    {31, 1, "0000 0000 0001 1011"},
};
constexpr std::size_t kCodeCount = std::size(kSpelled);
static_assert(kCodeCount == 111);

constexpr std::array<CoefficientCode, kCodeCount> MakeCodes() {
  std::array<CoefficientCode, kCodeCount> codes{};
  for (std::size_t i = 0; i < kCodeCount; ++i) {
    codes[i] = {kSpelled[i].run, kSpelled[i].level, Bits(kSpelled[i].code), Value(kSpelled[i].code)};
  }
  return codes;
}
constexpr std::array<CoefficientCode, kCodeCount> kCodes = MakeCodes();

// Eight sub-tables in one array, chosen by the leading zeros of the next 16
// bits and indexed by those bits shifted right, minus an offset.
struct SubTable {
  int shift;
  int minus;
  int base;
};
constexpr SubTable kSubTables[12] = {
    {12, 4, 0},   {12, 4, 0},   {8, 4, 12},   {8, 4, 12},  {8, 4, 12},   {8, 4, 12},
    {6, 8, 72},   {4, 16, 80},  {3, 16, 96},  {2, 16, 112}, {1, 16, 128}, {0, 16, 144},
};
constexpr std::size_t kLookupSize = 160;

constexpr int LeadingZeros(std::uint32_t bits, int length) {
  int zeros = 0;
  while (zeros < length && !(bits >> (length - 1 - zeros) & 1)) ++zeros;
  return zeros;
}

constexpr void Place(std::array<CoefficientEntry, kLookupSize>& table, const CoefficientCode& code,
                     std::uint8_t run) {
  const SubTable& sub = kSubTables[LeadingZeros(code.bits, code.length)];
  const int width = 16 - sub.shift;
  const int spare = width - code.length;
  const int first = (code.bits << spare) - sub.minus + sub.base;
  for (int k = 0; k < (1 << spare); ++k) {
    // Two codes claiming one entry would not be prefix-free: refuse to compile.
    if (table[first + k].length != 0) throw "overlapping coefficient codes";
    table[first + k] = {run, code.level, code.length};
  }
}

constexpr std::array<CoefficientEntry, kLookupSize> MakeLookup() {
  std::array<CoefficientEntry, kLookupSize> table{};
  for (const auto& code : kCodes) Place(table, code, code.run);
  Place(table, kEndOfBlockCode, kEndOfBlockRun);
  Place(table, kEscapeCode, kEscapeRun);
  return table;
}
constexpr std::array<CoefficientEntry, kLookupSize> kLookup = MakeLookup();

// Every pattern with fewer than twelve leading zeros starts a code.
constexpr bool Complete() {
  return std::ranges::all_of(kLookup, [](const CoefficientEntry& entry) { return entry.length != 0; });
}
static_assert(Complete());

}  // namespace

std::span<const CoefficientCode> RunLevelCodes() { return kCodes; }

const CoefficientEntry& LookupCoefficient(std::uint32_t next16) {
  const SubTable& sub = kSubTables[__builtin_clz(next16) - 16];
  return kLookup[(next16 >> sub.shift) - sub.minus + sub.base];
}

}  // namespace tavrix
