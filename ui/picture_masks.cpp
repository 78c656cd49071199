#include "ui/picture_masks.h"

#include <QImage>

namespace tavrix {

QPixmap ApplyMask(const QPixmap& picture, const QPixmap& mask) {
  QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  const QImage coverage = mask.toImage().convertToFormat(QImage::Format_RGB32);
  const int height = std::min(image.height(), coverage.height());
  const int width = std::min(image.width(), coverage.width());
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const auto* maskLine = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      const int alpha = 255 - qGray(maskLine[x]);
      line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), alpha * qAlpha(line[x]) / 255);
    }
  }
  image.setDevicePixelRatio(picture.devicePixelRatio());
  return QPixmap::fromImage(image);
}

QPixmap ApplyColourKey(const QPixmap& picture, std::optional<QColor> key, QPoint sample) {
  QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  const qreal ratio = picture.devicePixelRatio();
  const QPoint physical = (QPointF(sample) * ratio).toPoint();
  if (!key && !image.rect().contains(physical)) return picture;
  const QRgb keyColour = key ? key->rgb() : image.pixel(physical);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] & RGB_MASK) == (keyColour & RGB_MASK)) line[x] = 0;
    }
  }
  image.setDevicePixelRatio(ratio);
  return QPixmap::fromImage(image);
}

}  // namespace tavrix
