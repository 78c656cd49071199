#pragma once
#include <array>
#include <cstdint>
#include <span>

namespace tavrix {

// What a control message in the DVR's live stream tells the client.
struct DvrNotice {
  enum class Kind { kNone, kStatusWord, kStatusReport, kServerClosed };
  Kind kind = Kind::kNone;
  // kStatusReport: all five status words; kStatusWord: the last one only.
  std::array<std::uint16_t, 5> words{};
};

// Fields are read only as far as the message declared and delivered them:
// a message too short for the fields of its code tells nothing.
DvrNotice ReadDvrNotice(std::span<const std::uint8_t> message);

}  // namespace tavrix
