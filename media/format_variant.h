#pragma once

namespace tavrix {

// The recorder's build-time video format. It selects the header layout of
// video frames, the byte order of VVF block headers (big-endian only for
// QM_QMC) and the conversion the local recorder applies.
enum class FormatVariant : int {
  QM_QM4 = 0,
  QM_QM9 = 1,
  QM_QMN = 2,
  QM_QMT = 3,
  QM_QMT2 = 4,
  QM_QMT3 = 5,
  QM_QMC = 6,
};

// Block headers of QM_QMC recordings store their multi-byte fields big-endian.
constexpr bool IsKnownFormatVariant(int index) {
  return index >= static_cast<int>(FormatVariant::QM_QM4) && index <= static_cast<int>(FormatVariant::QM_QMC);
}

constexpr bool UsesBigEndianHeaders(FormatVariant variant) { return variant == FormatVariant::QM_QMC; }

}  // namespace tavrix
