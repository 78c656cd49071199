#pragma once
#include <array>
#include <cstdint>

namespace tavrix {

// Chroma contributions of full-range ITU-R BT.601 (as JFIF uses it) in units
// of 1/1024, for every 8-bit chroma value. Built at compile time: read-only,
// shared by every thread.
struct ColourTables {
  std::array<std::int32_t, 256> crToRed;
  std::array<std::int32_t, 256> cbToGreen;
  std::array<std::int32_t, 256> crToGreen;
  std::array<std::int32_t, 256> cbToBlue;
};

constexpr ColourTables MakeColourTables() {
  ColourTables tables{};
  for (int v = 0; v < 256; ++v) {
    tables.crToRed[v] = 1436 * (v - 128);
    tables.cbToGreen[v] = 352 * (v - 128);
    tables.crToGreen[v] = 731 * (v - 128);
    tables.cbToBlue[v] = 1815 * (v - 128);
  }
  return tables;
}
inline constexpr ColourTables kColourTables = MakeColourTables();

// Limits a colour component to 1..255 for indices -320..575: black comes out
// as 1, never 0.
struct ClampTable {
  static constexpr int kLowest = -320;
  static constexpr int kHighest = 575;
  std::array<std::uint8_t, kHighest - kLowest + 1> entries;

  constexpr std::uint8_t operator[](int index) const { return entries[static_cast<std::size_t>(index - kLowest)]; }
};

constexpr ClampTable MakeClampTable() {
  ClampTable table{};
  for (int i = ClampTable::kLowest; i <= ClampTable::kHighest; ++i) {
    table.entries[static_cast<std::size_t>(i - ClampTable::kLowest)] =
        static_cast<std::uint8_t>(i <= 0 ? 1 : i > 255 ? 255 : i);
  }
  return table;
}
inline constexpr ClampTable kClampTable = MakeClampTable();

}  // namespace tavrix
