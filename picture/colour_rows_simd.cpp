#include "picture/colour_rows.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <array>

namespace tavrix {
namespace {

// pshufb masks that gather B, G or R bytes of 16 pixels into the three
// 16-byte pieces of their 48-byte BGR24 run.
struct InterleaveMasks {
  alignas(16) std::array<std::array<std::uint8_t, 16>, 3> forComponent[3];
};

constexpr InterleaveMasks MakeInterleaveMasks() {
  InterleaveMasks masks{};
  for (int component = 0; component < 3; ++component) {
    for (int piece = 0; piece < 3; ++piece) {
      for (int i = 0; i < 16; ++i) {
        const int byte = 16 * piece + i;
        masks.forComponent[component][piece][i] =
            static_cast<std::uint8_t>(byte % 3 == component ? byte / 3 : 0x80);
      }
    }
  }
  return masks;
}
constexpr InterleaveMasks kMasks = MakeInterleaveMasks();

constexpr int GreenFactors() {
  return static_cast<int>(static_cast<std::uint16_t>(-352) |
                          static_cast<std::uint32_t>(static_cast<std::uint16_t>(-731)) << 16);
}

// ---- SSSE3: sixteen pixels per step --------------------------------------

__attribute__((target("ssse3"))) inline __m128i Mask(int component, int piece) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks.forComponent[component][piece].data()));
}

struct StoreBgr24Ssse3 {
  static constexpr int kBytesPerPixel = 3;
  __attribute__((target("ssse3"))) void operator()(std::uint8_t* out, __m128i b, __m128i g, __m128i r) const {
    for (int piece = 0; piece < 3; ++piece) {
      const __m128i bytes = _mm_or_si128(
          _mm_or_si128(_mm_shuffle_epi8(b, Mask(0, piece)), _mm_shuffle_epi8(g, Mask(1, piece))),
          _mm_shuffle_epi8(r, Mask(2, piece)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * piece), bytes);
    }
  }
};

struct StoreXrgb32Ssse3 {
  static constexpr int kBytesPerPixel = 4;
  __attribute__((target("ssse3"))) void operator()(std::uint8_t* out, __m128i b, __m128i g, __m128i r) const {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgLow = _mm_unpacklo_epi8(b, g), bgHigh = _mm_unpackhi_epi8(b, g);
    const __m128i r0Low = _mm_unpacklo_epi8(r, zero), r0High = _mm_unpackhi_epi8(r, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bgLow, r0Low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(bgLow, r0Low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), _mm_unpacklo_epi16(bgHigh, r0High));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48), _mm_unpackhi_epi16(bgHigh, r0High));
  }
};

// Y plus a chroma term per pixel, limited to 1..255 like the clamp table.
__attribute__((target("ssse3"))) inline __m128i Component(__m128i lumaLow, __m128i lumaHigh, __m128i termLow,
                                                          __m128i termHigh) {
  const __m128i packed = _mm_packus_epi16(_mm_add_epi16(lumaLow, termLow), _mm_add_epi16(lumaHigh, termHigh));
  return _mm_max_epu8(packed, _mm_set1_epi8(1));
}

// (1024 Y + 1436 (Cr - 128)) >> 10 is Y + ((1436 (Cr - 128)) >> 10), since
// 1024 Y drops out of the floor exactly: so the terms can be formed once per
// chroma sample in 16 bits. mulhi of (d << 6) and k is floor(d k / 1024).
template <typename Store>
__attribute__((target("ssse3"))) void RowPairSsse3(const std::uint8_t* luma0, const std::uint8_t* luma1,
                                                   const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* out0,
                                                   std::uint8_t* out1, int width, RowPairConverter tail) {
  const Store store{};
  const __m128i zero = _mm_setzero_si128();
  const __m128i centre = _mm_set1_epi16(128);
  const __m128i redFactor = _mm_set1_epi16(1436);
  const __m128i blueFactor = _mm_set1_epi16(1815);
  const __m128i greenFactors = _mm_set1_epi32(GreenFactors());
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m128i u = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x / 2)), zero), centre);
    const __m128i v = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x / 2)), zero), centre);
    const __m128i red = _mm_mulhi_epi16(_mm_slli_epi16(v, 6), redFactor);
    const __m128i blue = _mm_mulhi_epi16(_mm_slli_epi16(u, 6), blueFactor);
    const __m128i green =
        _mm_packs_epi32(_mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(u, v), greenFactors), 10),
                        _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(u, v), greenFactors), 10));
    // Each chroma term covers two neighbouring pixels.
    const __m128i redLow = _mm_unpacklo_epi16(red, red), redHigh = _mm_unpackhi_epi16(red, red);
    const __m128i greenLow = _mm_unpacklo_epi16(green, green), greenHigh = _mm_unpackhi_epi16(green, green);
    const __m128i blueLow = _mm_unpacklo_epi16(blue, blue), blueHigh = _mm_unpackhi_epi16(blue, blue);
    for (int row = 0; row < 2; ++row) {
      const std::uint8_t* luma = row == 0 ? luma0 : luma1;
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
      const __m128i yLow = _mm_unpacklo_epi8(y, zero), yHigh = _mm_unpackhi_epi8(y, zero);
      store((row == 0 ? out0 : out1) + Store::kBytesPerPixel * x, Component(yLow, yHigh, blueLow, blueHigh),
            Component(yLow, yHigh, greenLow, greenHigh), Component(yLow, yHigh, redLow, redHigh));
    }
  }
  if (x < width) {
    tail(luma0 + x, luma1 + x, cb + x / 2, cr + x / 2, out0 + Store::kBytesPerPixel * x,
         out1 + Store::kBytesPerPixel * x, width - x);
  }
}

void Bgr24RowPairSsse3(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                       const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width) {
  RowPairSsse3<StoreBgr24Ssse3>(luma0, luma1, cb, cr, out0, out1, width, Bgr24RowPairPortable);
}

void Xrgb32RowPairSsse3(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                        const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width) {
  RowPairSsse3<StoreXrgb32Ssse3>(luma0, luma1, cb, cr, out0, out1, width, Xrgb32RowPairPortable);
}

// ---- AVX2: thirty-two pixels per step ------------------------------------
// Two runs of sixteen pixels side by side, one per 128-bit lane: every
// in-lane unpack and pack keeps pixels 0-15 in the low lane and 16-31 in the
// high one, so the SSSE3 steps carry over unchanged.

struct StoreBgr24Avx2 {
  static constexpr int kBytesPerPixel = 3;
  __m256i masks[3][3];

  __attribute__((target("avx2"))) StoreBgr24Avx2() {
    for (int component = 0; component < 3; ++component) {
      for (int piece = 0; piece < 3; ++piece) {
        masks[component][piece] = _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks.forComponent[component][piece].data())));
      }
    }
  }

  __attribute__((target("avx2"))) void operator()(std::uint8_t* out, __m256i b, __m256i g, __m256i r) const {
    for (int piece = 0; piece < 3; ++piece) {
      const __m256i bytes = _mm256_or_si256(
          _mm256_or_si256(_mm256_shuffle_epi8(b, masks[0][piece]), _mm256_shuffle_epi8(g, masks[1][piece])),
          _mm256_shuffle_epi8(r, masks[2][piece]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * piece), _mm256_castsi256_si128(bytes));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48 + 16 * piece), _mm256_extracti128_si256(bytes, 1));
    }
  }
};

struct StoreXrgb32Avx2 {
  static constexpr int kBytesPerPixel = 4;
  // Each unpack leaves a quarter of each lane's run; the lane permutes put the
  // quarters back in pixel order.
  __attribute__((target("avx2"))) void operator()(std::uint8_t* out, __m256i b, __m256i g, __m256i r) const {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bgLow = _mm256_unpacklo_epi8(b, g), bgHigh = _mm256_unpackhi_epi8(b, g);
    const __m256i r0Low = _mm256_unpacklo_epi8(r, zero), r0High = _mm256_unpackhi_epi8(r, zero);
    const __m256i q0 = _mm256_unpacklo_epi16(bgLow, r0Low);   // pixels 0-3 | 16-19
    const __m256i q1 = _mm256_unpackhi_epi16(bgLow, r0Low);   // 4-7 | 20-23
    const __m256i q2 = _mm256_unpacklo_epi16(bgHigh, r0High); // 8-11 | 24-27
    const __m256i q3 = _mm256_unpackhi_epi16(bgHigh, r0High); // 12-15 | 28-31
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(q0, q1, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(q2, q3, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), _mm256_permute2x128_si256(q0, q1, 0x31));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 96), _mm256_permute2x128_si256(q2, q3, 0x31));
  }
};

__attribute__((target("avx2"))) inline __m256i Component(__m256i lumaLow, __m256i lumaHigh, __m256i termLow,
                                                         __m256i termHigh) {
  const __m256i packed =
      _mm256_packus_epi16(_mm256_add_epi16(lumaLow, termLow), _mm256_add_epi16(lumaHigh, termHigh));
  return _mm256_max_epu8(packed, _mm256_set1_epi8(1));
}

template <typename Store>
__attribute__((target("avx2"))) void RowPairAvx2(const std::uint8_t* luma0, const std::uint8_t* luma1,
                                                 const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* out0,
                                                 std::uint8_t* out1, int width, RowPairConverter tail) {
  const Store store{};
  const __m256i zero = _mm256_setzero_si256();
  const __m256i centre = _mm256_set1_epi16(128);
  const __m256i redFactor = _mm256_set1_epi16(1436);
  const __m256i blueFactor = _mm256_set1_epi16(1815);
  const __m256i greenFactors = _mm256_set1_epi32(GreenFactors());
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const __m256i u = _mm256_sub_epi16(
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x / 2))), centre);
    const __m256i v = _mm256_sub_epi16(
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x / 2))), centre);
    const __m256i red = _mm256_mulhi_epi16(_mm256_slli_epi16(v, 6), redFactor);
    const __m256i blue = _mm256_mulhi_epi16(_mm256_slli_epi16(u, 6), blueFactor);
    const __m256i green = _mm256_packs_epi32(
        _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(u, v), greenFactors), 10),
        _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(u, v), greenFactors), 10));
    const __m256i redLow = _mm256_unpacklo_epi16(red, red), redHigh = _mm256_unpackhi_epi16(red, red);
    const __m256i greenLow = _mm256_unpacklo_epi16(green, green), greenHigh = _mm256_unpackhi_epi16(green, green);
    const __m256i blueLow = _mm256_unpacklo_epi16(blue, blue), blueHigh = _mm256_unpackhi_epi16(blue, blue);
    for (int row = 0; row < 2; ++row) {
      const std::uint8_t* luma = row == 0 ? luma0 : luma1;
      const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma + x));
      const __m256i yLow = _mm256_unpacklo_epi8(y, zero), yHigh = _mm256_unpackhi_epi8(y, zero);
      store((row == 0 ? out0 : out1) + Store::kBytesPerPixel * x, Component(yLow, yHigh, blueLow, blueHigh),
            Component(yLow, yHigh, greenLow, greenHigh), Component(yLow, yHigh, redLow, redHigh));
    }
  }
  if (x < width) {
    tail(luma0 + x, luma1 + x, cb + x / 2, cr + x / 2, out0 + Store::kBytesPerPixel * x,
         out1 + Store::kBytesPerPixel * x, width - x);
  }
}

void Bgr24RowPairAvx2(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                      const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width) {
  RowPairAvx2<StoreBgr24Avx2>(luma0, luma1, cb, cr, out0, out1, width, Bgr24RowPairSsse3);
}

void Xrgb32RowPairAvx2(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                       const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width) {
  RowPairAvx2<StoreXrgb32Avx2>(luma0, luma1, cb, cr, out0, out1, width, Xrgb32RowPairSsse3);
}

RowPairConverter Fastest(RowPairConverter avx2, RowPairConverter ssse3, RowPairConverter portable) {
  if (__builtin_cpu_supports("avx2")) return avx2;
  return __builtin_cpu_supports("ssse3") ? ssse3 : portable;
}

}  // namespace

RowPairConverter Bgr24RowPairSsse3Function() { return Bgr24RowPairSsse3; }
RowPairConverter Bgr24RowPairAvx2Function() { return Bgr24RowPairAvx2; }
RowPairConverter Xrgb32RowPairSsse3Function() { return Xrgb32RowPairSsse3; }
RowPairConverter Xrgb32RowPairAvx2Function() { return Xrgb32RowPairAvx2; }

RowPairConverter FastestBgr24RowPair() {
  return Fastest(Bgr24RowPairAvx2, Bgr24RowPairSsse3, Bgr24RowPairPortable);
}

RowPairConverter FastestXrgb32RowPair() {
  return Fastest(Xrgb32RowPairAvx2, Xrgb32RowPairSsse3, Xrgb32RowPairPortable);
}

}  // namespace tavrix

#else

namespace tavrix {
RowPairConverter Bgr24RowPairSsse3Function() { return nullptr; }
RowPairConverter Bgr24RowPairAvx2Function() { return nullptr; }
RowPairConverter Xrgb32RowPairSsse3Function() { return nullptr; }
RowPairConverter Xrgb32RowPairAvx2Function() { return nullptr; }
RowPairConverter FastestBgr24RowPair() { return Bgr24RowPairPortable; }
RowPairConverter FastestXrgb32RowPair() { return Xrgb32RowPairPortable; }
}  // namespace tavrix

#endif
