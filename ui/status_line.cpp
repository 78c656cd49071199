#include "ui/status_line.h"

#include <array>

#include <QPainter>

#include "ui/artwork.h"

namespace tavrix {
namespace {

constexpr int kRow = 16;
constexpr QRect kStatusTextBox{32, 0, 200, 0};
constexpr int kTimeTextLeft = 252;

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The status font: a bold sans serif whose line fits the 17-pixel control.
  QFont bold(QStringLiteral("Arial"));
  bold.setStyleHint(QFont::SansSerif);
  bold.setPixelSize(14);
  bold.setWeight(QFont::DemiBold);
  setFont(bold);
  SetIconStrip(art::kStatusIcons);
}

bool StatusLine::SetIconStrip(int number) {
  const QPixmap strip = Artwork::Picture(number, devicePixelRatioF());
  if (strip.isNull()) return false;
  SetIconStrip(strip);
  return true;
}

void StatusLine::SetIconStrip(const QPixmap& strip) {
  strip_ = strip;
  update();
}

void StatusLine::SetMode(int mode) {
  form_ = mode == 2 ? Form::kClient : Form::kPlayer;
  update();
}

void StatusLine::SetConnectionState(int state) {
  connectionState_ = state;
  update();
}

void StatusLine::SetPlaybackState(int state) {
  playbackState_ = state;
  update();
}

void StatusLine::SetTexts(const QString& status, const QString& time) {
  statusText_ = status;
  timeText_ = time;
  update();
}

void StatusLine::SetTextColour(const QColor& colour) {
  textColour_ = colour;
  update();
}

void StatusLine::SetBackgroundColour(const QColor& colour) {
  background_ = colour;
  update();
}

int StatusLine::PlaybackIconRow(int state) {
  static constexpr std::array<int, 8> kRows = {64, 64, 16, 32, 16, 32, 48, 80};
  return state >= 0 && state < static_cast<int>(kRows.size()) ? kRows[state] : -1;
}

QSize StatusLine::sizeHint() const {
  return {400, 17};
}

void StatusLine::Copy(QPainter& painter, QPoint to, const QRect& piece) {
  const QSize strip = strip_.deviceIndependentSize().toSize();
  // A state outside the strip (a value the window never sends) shows nothing.
  if (piece.top() < 0 || !QRect(QPoint(0, 0), strip).contains(piece)) return;
  const qreal ratio = strip_.devicePixelRatio();
  const QRectF source(piece.x() * ratio, piece.y() * ratio, piece.width() * ratio, piece.height() * ratio);
  painter.drawPixmap(QRectF(QPointF(to), QSizeF(piece.size())), strip_, source);
}

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  if (form_ == Form::kClient) {
    PaintClient(painter);
  } else {
    PaintPlayer(painter);
  }
}

void StatusLine::PaintClient(QPainter& painter) {
  const auto piece = [&](int x, int width, int row) { Copy(painter, QPoint(x - kRow, 0), QRect(x, row, width, kRow)); };
  piece(16, 102, kRow * connectionState_);
  const int indicatorRow = connectionState_ == kOnline ? kRow : 0;
  for (int channel = 0; channel < 4; ++channel) piece(128 + 24 * channel, 24, indicatorRow);
  piece(356, 21, indicatorRow);
}

void StatusLine::PaintPlayer(QPainter& painter) {
  Copy(painter, QPoint(4, 0), QRect(0, PlaybackIconRow(playbackState_), kRow, kRow));
  painter.setPen(textColour_);
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
  painter.drawText(QRect(kStatusTextBox.left(), 0, kStatusTextBox.width(), height()), flags, statusText_);
  painter.drawText(QRect(kTimeTextLeft, 0, std::max(0, width() - kTimeTextLeft), height()), flags, timeText_);
}

}  // namespace tavrix
