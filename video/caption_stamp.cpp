#include "video/caption_stamp.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace tavrix {
namespace {

QColor FromColorRef(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace

QFont CaptionStamp::MakeFont(const OsdFont& font) {
  QFont made(QString::fromStdString(font.face));
  made.setStyleHint(QFont::SansSerif);
  const int height = font.height == 0 ? 16 : std::abs(font.height);
  made.setPixelSize(height);
  if (font.height > 0) {
    // A positive height is the whole cell, leading included.
    const int cell = QFontMetrics(made).height();
    if (cell > 0) made.setPixelSize(std::max(1, height * height / cell));
  }
  made.setWeight(font.weight == 0 ? QFont::Normal : static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
  made.setItalic(font.italic);
  if (font.width > 0) {
    const int average = QFontMetrics(made).averageCharWidth();
    if (average > 0) made.setStretch(std::clamp(100 * font.width / average, 1, 4000));
  }
  return made;
}

void CaptionStamp::Render(const QString& text, const OsdFont& font, std::uint32_t textColour,
                          std::uint32_t outlineColour) {
  const QFont made = MakeFont(font);
  const QFontMetrics metrics(made);
  // The ink may reach past the advance (italics); one pixel of outline on each side.
  const QRect ink = metrics.boundingRect(text);
  const int width = std::max(metrics.horizontalAdvance(text), ink.right() + 1) + 2;
  const int height = metrics.height() + 2;
  image_ = QImage(std::max(width, 1), height, QImage::Format_ARGB32_Premultiplied);
  image_.fill(Qt::transparent);
  QPainter painter(&image_);
  painter.setFont(made);
  const int baseline = 1 + metrics.ascent();
  painter.setPen(FromColorRef(outlineColour));
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (dx != 0 || dy != 0) painter.drawText(1 + dx, baseline + dy, text);
    }
  }
  painter.setPen(FromColorRef(textColour));
  painter.drawText(1, baseline, text);

  text_ = text;
  font_ = font;
  textColour_ = textColour;
  outlineColour_ = outlineColour;
}

void CaptionStamp::Draw(QPainter& painter, int x, int y, const std::string& text, const OsdFont& font,
                        std::uint32_t textColour, std::uint32_t outlineColour) {
  const QString caption = QString::fromStdString(text);
  if (image_.isNull() || caption != text_ || !(font == font_) || textColour != textColour_ ||
      outlineColour != outlineColour_) {
    Render(caption, font, textColour, outlineColour);
  }
  const QPainter::CompositionMode mode = painter.compositionMode();
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(x - 1, y - 1, image_);
  painter.setCompositionMode(mode);
}

}  // namespace tavrix
