#include "video/back_buffer_presenter.h"

#include <QPainter>

#include "picture/colour_conversion.h"
#include "picture/stretch_nearest.h"

namespace tavrix {

bool BackBufferPresenter::Setup(int depth, QSize size, std::string& error) {
  Release();
  format_ = PresentationFormatForDepth(depth, error);
  if (!format_) return false;
  return Resize(size, error);
}

bool BackBufferPresenter::Resize(QSize size, std::string& error) {
  if (!format_) return false;
  backBuffer_ = QImage();
  if (size.isEmpty()) return true;
  backBuffer_ = QImage(size, format_->image);
  if (backBuffer_.isNull()) {
    error = "Failed to create back surface.";
    Release();
    return false;
  }
  backBuffer_.fill(Qt::black);
  return true;
}

void BackBufferPresenter::Release() {
  format_.reset();
  surface_ = QImage();
  backBuffer_ = QImage();
}

bool BackBufferPresenter::Convert(const std::uint8_t* picture, int width, int height, std::string& error) {
  if (!format_) return false;
  if (surface_.width() != width || surface_.height() != height) {
    surface_ = QImage(width, height, format_->image);
    // The converters write rows tightly packed.
    if (surface_.isNull() || surface_.bytesPerLine() != width * BytesPerPixel(format_->surface)) {
      surface_ = QImage();
      error = "Failed to create video surface.";
      return false;
    }
  }
  YuvToSurface(format_->surface, surface_.bits(), picture, width, height);
  return true;
}

void BackBufferPresenter::StretchInto(const TileRect& tile) {
  if (backBuffer_.isNull() || surface_.isNull() || !format_) return;
  const QRect target = QRect(tile.left, tile.top, tile.width(), tile.height()).intersected(backBuffer_.rect());
  if (target.isEmpty()) return;
  const int bytesPerPixel = BytesPerPixel(format_->surface);
  const ConstPixelPlane source{surface_.constBits(), surface_.width(), surface_.height(), surface_.bytesPerLine()};
  const PixelPlane destination{backBuffer_.bits() + target.top() * backBuffer_.bytesPerLine() + target.left() * bytesPerPixel,
                               target.width(), target.height(), backBuffer_.bytesPerLine()};
  StretchNearest(source, destination, bytesPerPixel);
}

void BackBufferPresenter::FillBlack(const TileRect& tile) {
  if (backBuffer_.isNull()) return;
  QPainter painter(&backBuffer_);
  painter.fillRect(QRect(tile.left, tile.top, tile.width(), tile.height()), Qt::black);
}

void BackBufferPresenter::FillBlack() {
  if (!backBuffer_.isNull()) backBuffer_.fill(Qt::black);
}

}  // namespace tavrix
