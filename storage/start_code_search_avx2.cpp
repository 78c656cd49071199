// Built with AVX2 enabled; called only where the processor has it.
#include <immintrin.h>

#include "storage/start_code_stretches.h"

namespace tavrix::start_code {
namespace {

inline ByteClasses ClassifyAvx2(const std::uint8_t* at) {
  const __m256i one = _mm256_set1_epi8(1), lift = _mm256_set1_epi8(kCodeLift), full = _mm256_set1_epi8(-1);
  ByteClasses classes{0, 0};
  for (int half = 0; half < 2; ++half) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32 * half));
    const auto ones = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, one)));
    const auto codes =
        static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_adds_epu8(bytes, lift), full)));
    classes.ones |= std::uint64_t{ones} << (32 * half);
    classes.codes |= std::uint64_t{codes} << (32 * half);
  }
  return classes;
}

}  // namespace

std::size_t SearchAvx2(const std::uint8_t* bytes, std::size_t from, std::size_t end) {
  return SearchStretches<ClassifyAvx2>(bytes, from, end);
}

}  // namespace tavrix::start_code
