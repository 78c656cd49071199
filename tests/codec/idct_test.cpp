#include "codec/idct.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "codec/video_decoder.h"

namespace tavrix {
namespace {

struct Pixels {
  std::uint8_t value[64];
};

Pixels RunIdct(IdctPutFunction idct, const std::int16_t (&coefficients)[64]) {
  alignas(16) std::int16_t block[64];
  std::memcpy(block, coefficients, sizeof block);
  Pixels pixels{};
  idct(block, pixels.value, 8);
  return pixels;
}

// Textbook inverse DCT in double precision, rounded and limited to 0..255.
Pixels ReferenceIdct(const std::int16_t (&coefficients)[64]) {
  Pixels pixels{};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
          const double cu = u == 0 ? 1 / std::numbers::sqrt2 : 1, cv = v == 0 ? 1 / std::numbers::sqrt2 : 1;
          sum += cu * cv * coefficients[v * 8 + u] * std::cos((2 * x + 1) * u * std::numbers::pi / 16) *
                 std::cos((2 * y + 1) * v * std::numbers::pi / 16);
        }
      }
      pixels.value[y * 8 + x] = static_cast<std::uint8_t>(std::clamp(std::lround(sum / 4), 0L, 255L));
    }
  }
  return pixels;
}

TEST(Idct, FlatAndClampedBlocks) {
  std::int16_t dcOnly[64] = {1016};  // DC value 127
  for (std::uint8_t pixel : RunIdct(IdctPutPortable, dcOnly).value) EXPECT_EQ(pixel, 127);

  std::int16_t darkRamp[64] = {0, -600};  // negative half of a cosine: those pixels clamp to 0
  const Pixels dark = RunIdct(IdctPutPortable, darkRamp);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dark.value[y * 8 + x], 0) << x << "," << y;
    for (int x = 4; x < 8; ++x) EXPECT_GT(dark.value[y * 8 + x], 0) << x << "," << y;
  }

  std::int16_t brightRamp[64] = {2040, 600};  // DC 255 plus a ramp: the bright side clamps to 255
  const Pixels bright = RunIdct(IdctPutPortable, brightRamp);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bright.value[y * 8 + x], 255) << x << "," << y;
    for (int x = 4; x < 8; ++x) EXPECT_LT(bright.value[y * 8 + x], 255) << x << "," << y;
  }
}

// The integer IDCT stays within one grey level of the exact transform on
// coefficients of the decoder's range: catches a wrong constant or shift.
TEST(Idct, PortableIsWithinOneLevelOfTheExactTransform) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> dc(0, 255), ac(-300, 300), which(0, 63);
  for (int trial = 0; trial < 2000; ++trial) {
    std::int16_t coefficients[64] = {};
    coefficients[0] = static_cast<std::int16_t>(dc(random) * 8);
    for (int k = 0; k < 6; ++k) coefficients[which(random)] = static_cast<std::int16_t>(ac(random));
    const Pixels ours = RunIdct(IdctPutPortable, coefficients);
    const Pixels exact = ReferenceIdct(coefficients);
    for (int i = 0; i < 64; ++i) ASSERT_LE(std::abs(ours.value[i] - exact.value[i]), 1) << "trial " << trial;
  }
}

// The SIMD IDCT against the portable one on random inputs (checkasm style),
// from sparse decoder-range blocks to the whole 16-bit range where the
// portable arithmetic wraps. They must agree bit for bit.
TEST(Idct, SimdMatchesPortableBitForBit) {
  const IdctPutFunction simd = IdctPutSse2Function();
  if (simd == nullptr) GTEST_SKIP() << "no SSE2 code in this build";
  std::mt19937 random(11);
  struct Range {
    int low, high, nonZero;
  };
  for (const Range range : {Range{-2048, 2047, 4}, Range{-2048, 2047, 64}, Range{-32768, 32767, 64},
                            Range{-32768, 32767, 3}, Range{-40, 40, 20}}) {
    std::uniform_int_distribution<int> value(range.low, range.high), which(0, 63);
    for (int trial = 0; trial < 20000; ++trial) {
      std::int16_t coefficients[64] = {};
      for (int k = 0; k < range.nonZero; ++k) coefficients[which(random)] = static_cast<std::int16_t>(value(random));
      const Pixels portable = RunIdct(IdctPutPortable, coefficients);
      const Pixels fast = RunIdct(simd, coefficients);
      ASSERT_EQ(std::memcmp(portable.value, fast.value, 64), 0)
          << "range " << range.low << ".." << range.high << " trial " << trial;
    }
  }
}

TEST(Idct, WritesOnlyItsEightByEightWindow) {
  for (IdctPutFunction idct : {IdctPutPortable, IdctPutSse2Function()}) {
    if (idct == nullptr) continue;
    std::uint8_t canvas[24 * 10];
    std::memset(canvas, 0xAB, sizeof canvas);
    alignas(16) std::int16_t block[64] = {800, 300, -200};
    idct(block, canvas + 24 + 4, 24);  // rows 1..8, columns 4..11 of a 24-wide canvas
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 24; ++x) {
        const bool inside = y >= 1 && y <= 8 && x >= 4 && x <= 11;
        if (!inside) {
          EXPECT_EQ(canvas[y * 24 + x], 0xAB) << x << "," << y;
        }
      }
    }
  }
}

TEST(IdctSelection, PortableByOptionOrEnvironment) {
  unsetenv("TAVRIX_PORTABLE_IDCT");
  EXPECT_FALSE(VideoDecoder(VideoDecoder::Idct::kPortable).usesSimdIdct());
  const bool simdAvailable = IdctPutSse2Function() != nullptr;
  EXPECT_EQ(VideoDecoder().usesSimdIdct(), simdAvailable);

  setenv("TAVRIX_PORTABLE_IDCT", "1", 1);
  VideoDecoder forced;
  EXPECT_FALSE(forced.usesSimdIdct());
  unsetenv("TAVRIX_PORTABLE_IDCT");
  // The choice is made again when the format is selected.
  forced.SelectFormat(4);
  EXPECT_EQ(forced.usesSimdIdct(), simdAvailable);
}

}  // namespace
}  // namespace tavrix
