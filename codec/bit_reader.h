#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

namespace tavrix {

// Most-significant-bit-first reader over one compressed frame. Past the end of
// the frame it reads zero bits, so damaged data can never make it read beyond
// the caller's buffer (and a block running off the end fails on its code).
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::uint32_t length, std::uint32_t offset)
      : data_(data), length_(length), position_(offset < length ? offset : length) {
    Refill();
  }

  // The next `count` bits (1..24) without consuming them.
  std::uint32_t Peek(int count) const { return static_cast<std::uint32_t>(window_ >> (64 - count)); }
  void Skip(int count) {
    window_ <<= count;
    valid_ -= count;
    if (valid_ < 32) Refill();
  }
  std::uint32_t Read(int count) {
    const std::uint32_t value = Peek(count);
    Skip(count);
    return value;
  }

 private:
  // Tops the window up to at least 57 valid bits; bits below them stay zero.
  void Refill() {
    if (std::uint64_t{position_} + 8 <= length_) {
      std::uint64_t word = 0;
      std::memcpy(&word, data_ + position_, 8);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
      const int take = (64 - valid_) >> 3;
      const int unused = 64 - valid_ - take * 8;
      window_ |= (word >> valid_) >> unused << unused;
      position_ += take;
      valid_ += take * 8;
      return;
    }
    while (valid_ <= 56) {
      const std::uint64_t byte = position_ < length_ ? data_[position_++] : 0;
      window_ |= byte << (56 - valid_);
      valid_ += 8;
    }
  }

  const std::uint8_t* data_;
  std::uint32_t length_;
  std::uint32_t position_;
  std::uint64_t window_ = 0;
  int valid_ = 0;
};

}  // namespace tavrix
