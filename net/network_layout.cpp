#include "net/network_layout.h"

namespace tavrix {
namespace {

constexpr int kQm4 = 0;
constexpr int kQmn = 2;
constexpr std::uint8_t kFullPictureCode = 0xF9;

}  // namespace

bool ToNetworkLayout(const std::uint8_t* frame, std::size_t length, int variant, std::uint16_t pictureNumber,
                     std::vector<std::uint8_t>& out) {
  out.clear();
  // Whatever lies between header byte A and the first slice (a QM_QMT3 byte
  // B, or the picture number a recording made from the network kept) gives
  // way to the new picture number.
  std::size_t firstSlice = 5;
  while (firstSlice + 2 < length &&
         !(frame[firstSlice] == 0 && frame[firstSlice + 1] == 0 && frame[firstSlice + 2] == 1)) {
    ++firstSlice;
  }
  if (firstSlice + 2 >= length) return false;
  const std::uint8_t a = frame[4];
  std::uint8_t networkA = 0;
  if (variant == kQmn) {
    networkA = a;
  } else if (variant == kQm4) {
    networkA = a & 0xF8;  // the network layout has no channel bits
  } else {
    const bool full = frame[3] == kFullPictureCode;
    networkA = static_cast<std::uint8_t>((full ? 0x80 : 0) | ((a >> 4) << 3));
  }
  out.reserve(7 + length - firstSlice);
  out.insert(out.end(), frame, frame + 4);
  out.push_back(networkA);
  out.push_back(static_cast<std::uint8_t>(pictureNumber >> 8));
  out.push_back(static_cast<std::uint8_t>(pictureNumber));
  out.insert(out.end(), frame + firstSlice, frame + length);
  return true;
}

}  // namespace tavrix
