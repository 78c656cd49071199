#include <cstring>

#include "codec/video_decoder.h"

namespace tavrix {

void SplitDualPicture(std::uint32_t width, const std::uint8_t* dual, std::uint32_t height, std::uint8_t* left,
                      std::uint8_t* right) {
  const std::size_t half = width / 2;
  for (std::size_t y = 0; y < height; ++y) {
    std::memcpy(left + y * half, dual + y * width, half);
    std::memcpy(right + y * half, dual + y * width + half, half);
  }
  // Cb and Cr follow each other with the same row length, so one loop over
  // height/2 + height/2 chroma rows splits both planes (one row fewer than
  // the luma rows when the height is odd).
  const std::size_t quarter = width / 4;
  const std::size_t chromaRows = 2 * std::size_t{height / 2};
  const std::uint8_t* chroma = dual + std::size_t{width} * height;
  std::uint8_t* leftChroma = left + half * height;
  std::uint8_t* rightChroma = right + half * height;
  for (std::size_t y = 0; y < chromaRows; ++y) {
    std::memcpy(leftChroma + y * quarter, chroma + y * half, quarter);
    std::memcpy(rightChroma + y * quarter, chroma + y * half + quarter, quarter);
  }
}

}  // namespace tavrix
