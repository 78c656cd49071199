#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrix {

// Returns the offset of the first frame start code (00 00 01 C, C a frame
// code) that begins at or after `from` and lies wholly before `end`, or `end`
// when there is none.
using StartCodeSearch = std::size_t (*)(const std::uint8_t* bytes, std::size_t from, std::size_t end);

// The fastest search that this processor runs.
StartCodeSearch FastestStartCodeSearch();
// Every search that this processor runs, the byte-by-byte one first; they
// all give the same results.
std::vector<StartCodeSearch> StartCodeSearches();

}  // namespace tavrix
