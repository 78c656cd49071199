#include "video/plain_presenter.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include "picture/colour_conversion.h"

namespace tavrix {
namespace {

constexpr int kMaxWidth = 640;
constexpr int kMaxHeight = 272;

}  // namespace

PlainPresenter::PlainPresenter() : rgb_(static_cast<std::size_t>(kMaxWidth) * kMaxHeight * 3) {}

bool PlainPresenter::Convert(const std::uint8_t* picture, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxWidth || height > kMaxHeight) return false;
  YuvToBgr24BottomUp(rgb_.data(), picture, width, height);
  width_ = width;
  height_ = height;
  return true;
}

void PlainPresenter::Draw(QPainter& painter, const TileRect& tile) const {
  if (width_ == 0) return;
  const QImage image(rgb_.data(), width_, height_, width_ * 3, QImage::Format_BGR888);
  // The bitmap's first row is the picture's bottom one: flip it over the tile.
  painter.save();
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setTransform(QTransform(static_cast<qreal>(tile.width()) / width_, 0, 0,
                                  -static_cast<qreal>(tile.height()) / height_, tile.left, tile.bottom),
                       true);
  painter.drawImage(0, 0, image);
  painter.restore();
}

}  // namespace tavrix
