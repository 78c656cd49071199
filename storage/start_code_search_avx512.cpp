// Built with AVX-512BW enabled; called only where the processor has it.
#include <immintrin.h>

#include "storage/start_code_stretches.h"

namespace tavrix::start_code {
namespace {

inline ByteClasses ClassifyAvx512(const std::uint8_t* at) {
  const __m512i bytes = _mm512_loadu_si512(at);
  return {_mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(1)),
          _mm512_cmpeq_epi8_mask(_mm512_adds_epu8(bytes, _mm512_set1_epi8(kCodeLift)), _mm512_set1_epi8(-1))};
}

}  // namespace

std::size_t SearchAvx512(const std::uint8_t* bytes, std::size_t from, std::size_t end) {
  return SearchStretches<ClassifyAvx512>(bytes, from, end);
}

}  // namespace tavrix::start_code
