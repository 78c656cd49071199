#include "codec/idct.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "codec/idct_constants.h"

namespace tavrix {
namespace {

// The portable IDCT's arithmetic on eight lanes at once. Each pass runs
// "vertically": one register per input index, one lane per row (first pass)
// or column (second pass), so two transposes bracket the first pass. The
// products the portable code forms as W x (a + b) + W' x a are the same
// integers as the multiply-add pairs used here, so results agree bit for bit.

inline void Transpose(__m128i r[8]) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// Multiplier pair (p for the first input, q for the second) of _mm_madd_epi16.
inline __m128i PairOf(std::int32_t p, std::int32_t q) {
  return _mm_set1_epi32(static_cast<std::int32_t>((static_cast<std::uint32_t>(p) & 0xFFFF) |
                                                  (static_cast<std::uint32_t>(q) << 16)));
}

// x * 181 modulo 2^32, as the portable code's wrapping product.
inline __m128i TimesRotation(__m128i x) {
  static_assert(kRotation == 128 + 32 + 16 + 4 + 1);
  __m128i sum = _mm_add_epi32(_mm_slli_epi32(x, 7), _mm_slli_epi32(x, 5));
  sum = _mm_add_epi32(sum, _mm_slli_epi32(x, 4));
  sum = _mm_add_epi32(sum, _mm_slli_epi32(x, 2));
  return _mm_add_epi32(sum, x);
}

struct Constants {
  __m128i even0, even1, odd17a, odd17b, odd53a, odd53b, odd26a, odd26b;
  __m128i bias, round;
};

// One 1D pass on four lanes, inputs interleaved as (x0,x4), (x1,x7), (x5,x3),
// (x2,x6). `kColumn` adds the column pass's rounding of the odd part and the
// even products' shift by 3.
template <bool kColumn, int kShift>
inline void Pass(__m128i p04, __m128i p17, __m128i p53, __m128i p26, const Constants& k, __m128i out[8]) {
  const __m128i e0 = _mm_add_epi32(_mm_madd_epi16(p04, k.even0), k.bias);
  const __m128i e1 = _mm_add_epi32(_mm_madd_epi16(p04, k.even1), k.bias);
  __m128i o1 = _mm_madd_epi16(p17, k.odd17a);
  __m128i o7 = _mm_madd_epi16(p17, k.odd17b);
  __m128i o5 = _mm_madd_epi16(p53, k.odd53a);
  __m128i o3 = _mm_madd_epi16(p53, k.odd53b);
  __m128i e3 = _mm_madd_epi16(p26, k.odd26a);
  __m128i e2 = _mm_madd_epi16(p26, k.odd26b);
  if constexpr (kColumn) {
    const __m128i four = _mm_set1_epi32(4);
    o1 = _mm_srai_epi32(_mm_add_epi32(o1, four), 3);
    o7 = _mm_srai_epi32(_mm_add_epi32(o7, four), 3);
    o5 = _mm_srai_epi32(_mm_add_epi32(o5, four), 3);
    o3 = _mm_srai_epi32(_mm_add_epi32(o3, four), 3);
    e3 = _mm_srai_epi32(_mm_add_epi32(e3, four), 3);
    e2 = _mm_srai_epi32(_mm_add_epi32(e2, four), 3);
  }
  const __m128i s1 = _mm_add_epi32(o1, o5), s4 = _mm_sub_epi32(o1, o5);
  const __m128i s6 = _mm_add_epi32(o7, o3), s5 = _mm_sub_epi32(o7, o3);
  const __m128i f7 = _mm_add_epi32(e0, e3), f8 = _mm_sub_epi32(e0, e3);
  const __m128i f3 = _mm_add_epi32(e1, e2), f0 = _mm_sub_epi32(e1, e2);
  const __m128i g2 = _mm_srai_epi32(_mm_add_epi32(TimesRotation(_mm_add_epi32(s4, s5)), k.round), 8);
  const __m128i g4 = _mm_srai_epi32(_mm_add_epi32(TimesRotation(_mm_sub_epi32(s4, s5)), k.round), 8);
  out[0] = _mm_srai_epi32(_mm_add_epi32(f7, s1), kShift);
  out[1] = _mm_srai_epi32(_mm_add_epi32(f3, g2), kShift);
  out[2] = _mm_srai_epi32(_mm_add_epi32(f0, g4), kShift);
  out[3] = _mm_srai_epi32(_mm_add_epi32(f8, s6), kShift);
  out[4] = _mm_srai_epi32(_mm_sub_epi32(f8, s6), kShift);
  out[5] = _mm_srai_epi32(_mm_sub_epi32(f0, g4), kShift);
  out[6] = _mm_srai_epi32(_mm_sub_epi32(f3, g2), kShift);
  out[7] = _mm_srai_epi32(_mm_sub_epi32(f7, s1), kShift);
}

// Runs a pass over both four-lane halves of x[0..7].
template <bool kColumn, int kShift>
inline void BothHalves(const __m128i x[8], const Constants& k, __m128i low[8], __m128i high[8]) {
  Pass<kColumn, kShift>(_mm_unpacklo_epi16(x[0], x[4]), _mm_unpacklo_epi16(x[1], x[7]),
                        _mm_unpacklo_epi16(x[5], x[3]), _mm_unpacklo_epi16(x[2], x[6]), k, low);
  Pass<kColumn, kShift>(_mm_unpackhi_epi16(x[0], x[4]), _mm_unpackhi_epi16(x[1], x[7]),
                        _mm_unpackhi_epi16(x[5], x[3]), _mm_unpackhi_epi16(x[2], x[6]), k, high);
}

// Keeps the low 16 bits of each 32-bit lane, as a store to a 16-bit value does.
inline __m128i Truncate16(__m128i low, __m128i high) {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(low, 16), 16),
                         _mm_srai_epi32(_mm_slli_epi32(high, 16), 16));
}

void IdctPutSse2(std::int16_t* block, std::uint8_t* out, std::ptrdiff_t stride) {
  const Constants rowConstants{PairOf(2048, 2048), PairOf(2048, -2048), PairOf(kW1, kW7),
                               PairOf(kW7, -kW1),  PairOf(kW5, kW3),    PairOf(kW3, -kW5),
                               PairOf(kW2, kW6),   PairOf(kW6, -kW2),   _mm_set1_epi32(128),
                               _mm_set1_epi32(128)};
  Constants columnConstants = rowConstants;
  columnConstants.even0 = PairOf(256, 256);
  columnConstants.even1 = PairOf(256, -256);
  columnConstants.bias = _mm_set1_epi32(8192);

  __m128i x[8];
  for (int i = 0; i < 8; ++i) x[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(block + 8 * i));
  Transpose(x);
  __m128i low[8], high[8];
  BothHalves<false, 8>(x, rowConstants, low, high);
  for (int i = 0; i < 8; ++i) x[i] = Truncate16(low[i], high[i]);
  Transpose(x);
  BothHalves<true, 14>(x, columnConstants, low, high);
  for (int i = 0; i < 8; ++i) {
    const __m128i words = _mm_packs_epi32(low[i], high[i]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i * stride), _mm_packus_epi16(words, words));
  }
}

}  // namespace

IdctPutFunction IdctPutSse2Function() { return IdctPutSse2; }

}  // namespace tavrix

#else

namespace tavrix {
IdctPutFunction IdctPutSse2Function() { return nullptr; }
}  // namespace tavrix

#endif
