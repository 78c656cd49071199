#include "codec/forward_dct.h"

#include <array>
#include <cmath>
#include <numbers>

namespace tavrix {
namespace {

// basis[u][x] = C(u)/2 x cos((2x + 1) u pi / 16), C(0) = 1/sqrt(2), else 1.
std::array<std::array<float, 8>, 8> MakeBasis() {
  std::array<std::array<float, 8>, 8> basis{};
  for (int u = 0; u < 8; ++u) {
    const double scale = u == 0 ? 0.5 / std::numbers::sqrt2 : 0.5;
    for (int x = 0; x < 8; ++x) {
      basis[u][x] = static_cast<float>(scale * std::cos((2 * x + 1) * u * std::numbers::pi / 16));
    }
  }
  return basis;
}

}  // namespace

void ForwardDct(const std::uint8_t* pixels, std::ptrdiff_t stride, float out[64]) {
  static const auto basis = MakeBasis();
  float rows[64];
  for (int y = 0; y < 8; ++y) {
    for (int u = 0; u < 8; ++u) {
      float sum = 0;
      for (int x = 0; x < 8; ++x) sum += basis[u][x] * static_cast<float>(pixels[y * stride + x]);
      rows[y * 8 + u] = sum;
    }
  }
  for (int u = 0; u < 8; ++u) {
    for (int v = 0; v < 8; ++v) {
      float sum = 0;
      for (int y = 0; y < 8; ++y) sum += basis[v][y] * rows[y * 8 + u];
      out[v * 8 + u] = sum;
    }
  }
}

}  // namespace tavrix
