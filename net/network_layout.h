#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrix {

// Rewrites a stored video frame (header layout `variant`, a FormatVariant)
// into the live stream's QM_QMN layout: header byte A with the full-picture
// flag in bit 7 and the quantiser scale in bits 3-6, then the 16-bit
// big-endian picture number. The inverse of what the local recorder does.
// False (out empty) for a frame without a slice.
bool ToNetworkLayout(const std::uint8_t* frame, std::size_t length, int variant, std::uint16_t pictureNumber,
                     std::vector<std::uint8_t>& out);

}  // namespace tavrix
