#include "ui/skin_dialog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ui/artwork.h"
#include "ui/artwork_palette.h"
#include "ui/skin_background.h"

namespace tavrix {

SkinDialog::SkinDialog(QWidget* parent) : QDialog(parent) {
  setWindowFlag(Qt::FramelessWindowHint);
}

QColor SkinDialog::FillColour() {
  return palette::kOutline;
}

bool SkinDialog::SetBackground(int number) {
  QPixmap bitmap = Artwork::Picture(number, devicePixelRatioF());
  if (bitmap.isNull()) return false;
  SetBackground(bitmap);
  return true;
}

void SkinDialog::SetBackground(const QPixmap& bitmap) {
  background_ = bitmap;
  composed_ = QPixmap();
  setAttribute(Qt::WA_OpaquePaintEvent, !background_.isNull());
  UpdateRegion();
  update();
}

void SkinDialog::SetCorners(int width, int height) {
  corners_ = QSize(width, height);
  UpdateRegion();
}

void SkinDialog::UpdateRegion() {
  if (background_.isNull()) return;
  setMask(RoundRectRegion(size(), corners_.width(), corners_.height()));
}

void SkinDialog::paintEvent(QPaintEvent* event) {
  if (background_.isNull()) {
    QDialog::paintEvent(event);
    return;
  }
  if (composed_.isNull() || composed_.deviceIndependentSize().toSize() != size()) {
    composed_ = ComposeSkinBackground(background_, size(), FillColour());
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, composed_);
}

void SkinDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (background_.isNull()) return;
  composed_ = QPixmap();
  update();
  UpdateRegion();
}

void SkinDialog::mousePressEvent(QMouseEvent* event) {
  if (drag_ && event->button() == Qt::LeftButton) {
    QWindow* handle = window()->windowHandle();
    if (handle == nullptr || !handle->startSystemMove()) {
      grabOffset_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    }
    event->accept();
    return;
  }
  QDialog::mousePressEvent(event);
}

void SkinDialog::mouseMoveEvent(QMouseEvent* event) {
  if (grabOffset_ && (event->buttons() & Qt::LeftButton)) {
    window()->move(event->globalPosition().toPoint() - *grabOffset_);
    event->accept();
    return;
  }
  QDialog::mouseMoveEvent(event);
}

void SkinDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (grabOffset_ && event->button() == Qt::LeftButton) {
    grabOffset_.reset();
    event->accept();
    return;
  }
  QDialog::mouseReleaseEvent(event);
}

}  // namespace tavrix
