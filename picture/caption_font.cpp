#include "picture/caption_font.h"

#include <array>

namespace tavrix {

namespace {

struct Glyph {
  char character;
  std::array<std::uint8_t, 7> rows;  // bit 4 is the leftmost column
};

constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
};

const Glyph* FindGlyph(char c) {
  for (const auto& glyph : kGlyphs) {
    if (glyph.character == c) return &glyph;
  }
  return nullptr;
}

void Paint(const Bgr24Canvas& canvas, int x, int y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
  std::uint8_t* pixel = canvas.At(x, y);
  pixel[0] = static_cast<std::uint8_t>(colour >> 16);  // blue
  pixel[1] = static_cast<std::uint8_t>(colour >> 8);   // green
  pixel[2] = static_cast<std::uint8_t>(colour);        // red
}

// Calls paint(x, y) for every canvas pixel the text covers.
template <typename Paint>
void ForEachDot(int x, int y, std::string_view text, Paint paint) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph* glyph = FindGlyph(text[i]);
    if (!glyph) continue;
    const int left = x + static_cast<int>(i) * CaptionFont::kAdvance;
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if (!(glyph->rows[row] & (0x10 >> column))) continue;
        for (int dy = 0; dy < CaptionFont::kScale; ++dy) {
          for (int dx = 0; dx < CaptionFont::kScale; ++dx) {
            paint(left + column * CaptionFont::kScale + dx, y + row * CaptionFont::kScale + dy);
          }
        }
      }
    }
  }
}

}  // namespace

bool CaptionFont::Dot(char c, int column, int row) {
  const Glyph* glyph = FindGlyph(c);
  if (!glyph || column < 0 || column > 4 || row < 0 || row > 6) return false;
  return glyph->rows[row] & (0x10 >> column);
}

void CaptionFont::Draw(const Bgr24Canvas& canvas, int x, int y, std::string_view text, std::uint32_t textColour,
                       std::uint32_t outlineColour) {
  ForEachDot(x, y, text, [&](int px, int py) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (dx != 0 || dy != 0) Paint(canvas, px + dx, py + dy, outlineColour);
      }
    }
  });
  ForEachDot(x, y, text, [&](int px, int py) { Paint(canvas, px, py, textColour); });
}

}  // namespace tavrix
