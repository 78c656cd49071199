#include "storage/start_code_search.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "storage/start_code_stretches.h"

namespace tavrix {

#if defined(__x86_64__)

namespace start_code {
namespace {

// SSE2 is part of every x86-64 processor.
inline ByteClasses ClassifySse2(const std::uint8_t* at) {
  const __m128i one = _mm_set1_epi8(1), lift = _mm_set1_epi8(kCodeLift), full = _mm_set1_epi8(-1);
  ByteClasses classes{0, 0};
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
    const auto ones = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, one)));
    const auto codes = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_adds_epu8(bytes, lift), full)));
    classes.ones |= std::uint64_t{ones} << (16 * part);
    classes.codes |= std::uint64_t{codes} << (16 * part);
  }
  return classes;
}

std::size_t SearchSse2(const std::uint8_t* bytes, std::size_t from, std::size_t end) {
  return SearchStretches<ClassifySse2>(bytes, from, end);
}

}  // namespace
}  // namespace start_code

std::vector<StartCodeSearch> StartCodeSearches() {
  std::vector<StartCodeSearch> searches = {start_code::SearchBytes, start_code::SearchSse2};
  if (__builtin_cpu_supports("avx2")) searches.push_back(start_code::SearchAvx2);
  if (__builtin_cpu_supports("avx512bw")) searches.push_back(start_code::SearchAvx512);
  return searches;
}

#else

std::vector<StartCodeSearch> StartCodeSearches() { return {start_code::SearchBytes}; }

#endif

StartCodeSearch FastestStartCodeSearch() { return StartCodeSearches().back(); }

}  // namespace tavrix
