#include <cstdint>

#include "codec/idct.h"
#include "codec/idct_constants.h"

namespace tavrix {
namespace {

// 32-bit two's-complement product: the rotation by pi/4 can leave 32 bits on
// extreme coefficient combinations, and the result must not depend on the
// compiler (nor trip the undefined-behaviour sanitizer).
inline std::int32_t Wrap(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

inline std::uint8_t Clamp(std::int32_t value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

void RowPass(std::int16_t* row) {
  const std::int32_t c0 = row[0], c1 = row[1], c2 = row[2], c3 = row[3];
  const std::int32_t c4 = row[4], c5 = row[5], c6 = row[6], c7 = row[7];
  if (!(c1 | c2 | c3 | c4 | c5 | c6 | c7)) {
    const auto dc = static_cast<std::int16_t>(c0 * 8);
    for (int i = 0; i < 8; ++i) row[i] = dc;
    return;
  }
  const std::int32_t a = c0 * 2048 + 128;
  const std::int32_t b = c4 * 2048;
  std::int32_t t = kW7 * (c1 + c7);
  const std::int32_t o1 = t + (kW1 - kW7) * c1;
  const std::int32_t o7 = t - (kW1 + kW7) * c7;
  t = kW3 * (c5 + c3);
  const std::int32_t o5 = t - (kW3 - kW5) * c5;
  const std::int32_t o3 = t - (kW3 + kW5) * c3;
  const std::int32_t e0 = a + b;
  const std::int32_t e1 = a - b;
  t = kW6 * (c2 + c6);
  const std::int32_t e2 = t - (kW2 + kW6) * c6;
  const std::int32_t e3 = t + (kW2 - kW6) * c2;
  const std::int32_t s1 = o1 + o5, s4 = o1 - o5, s6 = o7 + o3, s5 = o7 - o3;
  const std::int32_t f7 = e0 + e3, f8 = e0 - e3, f3 = e1 + e2, f0 = e1 - e2;
  const std::int32_t g2 = Wrap(std::int64_t{kRotation} * (s4 + s5) + 128) >> 8;
  const std::int32_t g4 = Wrap(std::int64_t{kRotation} * (s4 - s5) + 128) >> 8;
  row[0] = static_cast<std::int16_t>((f7 + s1) >> 8);
  row[1] = static_cast<std::int16_t>((f3 + g2) >> 8);
  row[2] = static_cast<std::int16_t>((f0 + g4) >> 8);
  row[3] = static_cast<std::int16_t>((f8 + s6) >> 8);
  row[4] = static_cast<std::int16_t>((f8 - s6) >> 8);
  row[5] = static_cast<std::int16_t>((f0 - g4) >> 8);
  row[6] = static_cast<std::int16_t>((f3 - g2) >> 8);
  row[7] = static_cast<std::int16_t>((f7 - s1) >> 8);
}

void ColumnPass(const std::int16_t* block, int column, std::uint8_t* out, std::ptrdiff_t stride) {
  const std::int32_t c0 = block[column], c1 = block[8 + column], c2 = block[16 + column];
  const std::int32_t c3 = block[24 + column], c4 = block[32 + column], c5 = block[40 + column];
  const std::int32_t c6 = block[48 + column], c7 = block[56 + column];
  std::uint8_t values[8];
  if (!(c1 | c2 | c3 | c4 | c5 | c6 | c7)) {
    const std::uint8_t dc = Clamp((c0 + 32) >> 6);
    for (auto& value : values) value = dc;
  } else {
    const std::int32_t a = c0 * 256 + 8192;
    const std::int32_t b = c4 * 256;
    std::int32_t t = kW7 * (c1 + c7) + 4;
    const std::int32_t o1 = (t + (kW1 - kW7) * c1) >> 3;
    const std::int32_t o7 = (t - (kW1 + kW7) * c7) >> 3;
    t = kW3 * (c5 + c3) + 4;
    const std::int32_t o5 = (t - (kW3 - kW5) * c5) >> 3;
    const std::int32_t o3 = (t - (kW3 + kW5) * c3) >> 3;
    const std::int32_t e0 = a + b;
    const std::int32_t e1 = a - b;
    t = kW6 * (c2 + c6) + 4;
    const std::int32_t e2 = (t - (kW2 + kW6) * c6) >> 3;
    const std::int32_t e3 = (t + (kW2 - kW6) * c2) >> 3;
    const std::int32_t s1 = o1 + o5, s4 = o1 - o5, s6 = o7 + o3, s5 = o7 - o3;
    const std::int32_t f7 = e0 + e3, f8 = e0 - e3, f3 = e1 + e2, f0 = e1 - e2;
    const std::int32_t g2 = Wrap(std::int64_t{kRotation} * (s4 + s5) + 128) >> 8;
    const std::int32_t g4 = Wrap(std::int64_t{kRotation} * (s4 - s5) + 128) >> 8;
    values[0] = Clamp((f7 + s1) >> 14);
    values[1] = Clamp((f3 + g2) >> 14);
    values[2] = Clamp((f0 + g4) >> 14);
    values[3] = Clamp((f8 + s6) >> 14);
    values[4] = Clamp((f8 - s6) >> 14);
    values[5] = Clamp((f0 - g4) >> 14);
    values[6] = Clamp((f3 - g2) >> 14);
    values[7] = Clamp((f7 - s1) >> 14);
  }
  for (int y = 0; y < 8; ++y) out[y * stride + column] = values[y];
}

}  // namespace

void IdctPutPortable(std::int16_t* block, std::uint8_t* out, std::ptrdiff_t stride) {
  for (int row = 0; row < 8; ++row) RowPass(block + 8 * row);
  for (int column = 0; column < 8; ++column) ColumnPass(block, column, out, stride);
}

}  // namespace tavrix
