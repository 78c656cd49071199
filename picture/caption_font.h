#pragma once
#include <cstdint>
#include <string_view>

namespace tavrix {

// A bottom-up 24-bit B, G, R picture that captions are drawn into.
struct Bgr24Canvas {
  std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;

  // The pixel at (x, y) counted from the top-left corner.
  std::uint8_t* At(int x, int y) const {
    return pixels + (static_cast<std::ptrdiff_t>(height - 1 - y) * width + x) * 3;
  }
};

// Caption text in a small bitmap font of our own (5 x 7 glyphs drawn at
// twice their size), so exported pictures are the same on every machine.
// The digits, "C", "H", "/", ":", "-", "." and the blank have glyphs; other
// characters leave a gap.
class CaptionFont {
 public:
  static constexpr int kScale = 2;
  static constexpr int kAdvance = 6 * kScale;
  static constexpr int kHeight = 7 * kScale;
  // The view's caption colours as B, G, R: light yellow on a near-black outline.
  static constexpr std::uint32_t kTextColour = 0x80FFFF;     // COLORREF 0x00BBGGRR
  static constexpr std::uint32_t kOutlineColour = 0x050505;

  // Draws text with its top-left corner at (x, y): first in the outline colour
  // at the eight positions one pixel around, then in the text colour, as the
  // view draws its captions. Pixels outside the canvas are left alone.
  static void Draw(const Bgr24Canvas& canvas, int x, int y, std::string_view text,
                   std::uint32_t textColour = kTextColour, std::uint32_t outlineColour = kOutlineColour);
  // Whether the glyph of `c` has a dot at (column 0-4, row 0-6).
  static bool Dot(char c, int column, int row);
};

}  // namespace tavrix
