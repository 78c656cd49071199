#include "codec/test_picture.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace tavrix {
namespace {

// Seven-segment digits: bits a (top), b, c, d (bottom), e, f, g (middle).
constexpr std::array<std::uint8_t, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

struct Colours {
  std::uint8_t cb;
  std::uint8_t cr;
};
// Red, green, blue, yellow and beyond: one scheme per channel.
constexpr std::array<Colours, 8> kChannelColours = {
    Colours{100, 190}, {80, 80}, {190, 110}, {50, 150}, {170, 170}, {150, 60}, {128, 128}, {200, 200}};

class Canvas {
 public:
  Canvas(std::uint8_t* picture, std::uint32_t width, std::uint32_t height)
      : y_(picture), width_(width), height_(height) {}

  void FillLuma(int left, int top, int w, int h, std::uint8_t value) {
    const int x0 = std::max(left, 0), x1 = std::min<int>(left + w, static_cast<int>(width_));
    const int y0 = std::max(top, 0), y1 = std::min<int>(top + h, static_cast<int>(height_));
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) y_[static_cast<std::size_t>(y) * width_ + x] = value;
    }
  }

  // A digit of size w x h with strokes `stroke` thick.
  void Digit(int digit, int left, int top, int w, int h, int stroke, std::uint8_t value) {
    const std::uint8_t on = kSegments[static_cast<std::size_t>(digit) % 10];
    const int middle = top + (h - stroke) / 2;
    if (on & 0x01) FillLuma(left, top, w, stroke, value);
    if (on & 0x02) FillLuma(left + w - stroke, top, stroke, h / 2, value);
    if (on & 0x04) FillLuma(left + w - stroke, top + h / 2, stroke, h / 2, value);
    if (on & 0x08) FillLuma(left, top + h - stroke, w, stroke, value);
    if (on & 0x10) FillLuma(left, top + h / 2, stroke, h / 2, value);
    if (on & 0x20) FillLuma(left, top, stroke, h / 2, value);
    if (on & 0x40) FillLuma(left, middle, w, stroke, value);
  }

 private:
  std::uint8_t* y_;
  std::uint32_t width_;
  std::uint32_t height_;
};

// Small deterministic texture from the position alone, -6..+6.
int Texture(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 374761393u + y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<int>((h >> 16) % 13) - 6;
}

}  // namespace

void DrawTestPicture(std::uint8_t* picture, std::uint32_t width, std::uint32_t height, int channel,
                     std::uint32_t frame, std::uint32_t clockSeconds) {
  const Colours colours = kChannelColours[static_cast<std::size_t>(channel) % kChannelColours.size()];
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const int gradient = 40 + static_cast<int>(x * 120 / width) + static_cast<int>(y * 60 / height);
      picture[std::size_t{y} * width + x] = static_cast<std::uint8_t>(std::clamp(gradient + Texture(x, y), 0, 255));
    }
  }
  std::uint8_t* cb = picture + std::size_t{width} * height;
  std::uint8_t* cr = cb + std::size_t{width} * height / 4;
  for (std::uint32_t y = 0; y < height / 2; ++y) {
    for (std::uint32_t x = 0; x < width / 2; ++x) {
      const int shade = static_cast<int>(y * 24 / (height / 2)) - 12;
      cb[std::size_t{y} * (width / 2) + x] = static_cast<std::uint8_t>(colours.cb + shade);
      cr[std::size_t{y} * (width / 2) + x] = static_cast<std::uint8_t>(colours.cr - shade);
    }
  }

  Canvas canvas(picture, width, height);
  const int h = static_cast<int>(height);
  const int w = static_cast<int>(width);
  // The channel number, 1-based as the viewer labels channels.
  const int number = channel + 1;
  const int digitHeight = h / 2;
  const int digitWidth = digitHeight / 2;
  if (number >= 10) canvas.Digit(number / 10, 24, 24, digitWidth, digitHeight, 14, 235);
  canvas.Digit(number % 10, 24 + (number >= 10 ? digitWidth + 16 : 0), 24, digitWidth, digitHeight, 14, 235);

  // A dark bar sweeping left to right, 8 pixels per frame.
  const int barWidth = 40;
  const int travel = w + barWidth;
  const int barLeft = static_cast<int>(frame * 8 % static_cast<std::uint32_t>(travel)) - barWidth;
  canvas.FillLuma(barLeft, h / 2 + 16, barWidth, h / 2 - 32, 16);

  // The clock, mm:ss, bottom right.
  const int clockHeight = 40, clockWidth = 20, gap = 8, stroke = 5;
  const int top = h - clockHeight - 12;
  int left = w - 5 * (clockWidth + gap) - 12;
  const std::uint32_t minutes = clockSeconds / 60 % 100, seconds = clockSeconds % 60;
  canvas.FillLuma(left - 6, top - 6, 5 * (clockWidth + gap) + 4, clockHeight + 12, 20);
  for (int digit : {static_cast<int>(minutes / 10), static_cast<int>(minutes % 10), -1,
                    static_cast<int>(seconds / 10), static_cast<int>(seconds % 10)}) {
    if (digit < 0) {
      canvas.FillLuma(left + clockWidth / 2 - 3, top + 10, 6, 6, 230);
      canvas.FillLuma(left + clockWidth / 2 - 3, top + clockHeight - 16, 6, 6, 230);
    } else {
      canvas.Digit(digit, left, top, clockWidth, clockHeight, stroke, 230);
    }
    left += clockWidth + gap;
  }
}

}  // namespace tavrix
