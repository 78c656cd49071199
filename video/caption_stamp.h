#pragma once
#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>

#include "video/view_model.h"

class QPainter;

namespace tavrix {

// One tile's caption as the view draws it: the text in the caption colour
// over its outline, the same text one pixel away in each of the eight
// directions, on a transparent background. Kept as a small image and drawn
// again only when the text, the font or a colour changes, so presenting a
// picture costs one blend rather than nine text layouts.
class CaptionStamp {
 public:
  // Draws `text` with its top-left corner at (x, y). Colours are 0x00BBGGRR.
  void Draw(QPainter& painter, int x, int y, const std::string& text, const OsdFont& font, std::uint32_t textColour,
            std::uint32_t outlineColour);

  // The font the view makes of an OsdFont: the height in pixels (a negative
  // height counts without the internal leading, as the window system's font
  // call does), the weight on the 1-1000 scale, italic and the face; a width
  // narrows or widens the glyphs.
  static QFont MakeFont(const OsdFont& font);

 private:
  void Render(const QString& text, const OsdFont& font, std::uint32_t textColour, std::uint32_t outlineColour);

  QImage image_;
  QString text_;
  OsdFont font_;
  std::uint32_t textColour_ = 0;
  std::uint32_t outlineColour_ = 0;
};

}  // namespace tavrix
