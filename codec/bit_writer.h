#pragma once
#include <cstdint>
#include <vector>

namespace tavrix {

// Appends bits most significant first to a byte vector.
class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  // Writes the low `count` bits of `value` (count 1..32).
  void Put(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      pending_ = static_cast<std::uint8_t>(pending_ << 1 | (value >> i & 1));
      if (++pendingBits_ == 8) {
        out_.push_back(pending_);
        pending_ = 0;
        pendingBits_ = 0;
      }
    }
  }
  // Pads the last byte with zero bits.
  void AlignToByte() {
    if (pendingBits_ > 0) Put(0, 8 - pendingBits_);
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint8_t pending_ = 0;
  int pendingBits_ = 0;
};

}  // namespace tavrix
