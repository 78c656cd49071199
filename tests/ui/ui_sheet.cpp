// Renders the skinned controls and every picture of the artwork catalogue
// into one PNG for people to look at: two windows as the viewer lays them out
// (player and client rows), then each picture at 100 % and at 200 %.
//
//   tavrix_ui_sheet [out/ui-sheet.png]
//   QT_SCALE_FACTOR=2 tavrix_ui_sheet out/ui-sheet-200.png

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include "ui/artwork.h"
#include "ui/bitmap_slider.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"
#include "ui/status_line.h"
#include "ui/transparent_label.h"

namespace tavrix {
namespace {

constexpr int kReferenceWidth = 608;
constexpr int kReferenceHeight = 300;

struct Place {
  int number;
  int kind;  // anchor: 0 top-left, 2 top-right, 3 bottom-left, 5 bottom-right
  int x, y;
  SkinButton::Kind buttonKind = SkinButton::Kind::kPushButton;
};

QPoint Anchor(const Place& place, QSize window) {
  const int dx = place.kind == 2 || place.kind == 5 ? window.width() - kReferenceWidth : 0;
  const int dy = place.kind == 3 || place.kind == 5 ? window.height() - kReferenceHeight : 0;
  return {place.x + dx, place.y + dy};
}

// A stand-in for the viewer window with the controls of one mode.
std::unique_ptr<SkinDialog> DemoWindow(int mode, bool connected) {
  auto window = std::make_unique<SkinDialog>();
  window->SetBackground(art::kBackground);
  window->SetCorners(12, 12);
  const QSize size(645, 548);
  window->resize(size);

  std::vector<Place> places = {
      {art::kIconButton, 0, 5, 5},
      {art::kMinimize, 2, 560, 2},
      {art::kClose, 2, 582, 2},
      {art::kPlayerMode, 0, 160, 2, SkinButton::Kind::kCheckBox},
      {art::kClientMode, 0, 240, 2, SkinButton::Kind::kCheckBox},
      {art::kSaveAvi, 0, 360, 2},
      {art::kMute, 5, 500, 262, SkinButton::Kind::kCheckBox},
  };
  if (mode == 1) {
    const int row[] = {art::kOpen, art::kFastRewind, art::kPlayReverse, art::kPreviousFrame, art::kPause,
                       art::kNextFrame, art::kPlay, art::kFastForward, art::kStillCapture};
    const int xs[] = {10, 49, 80, 111, 142, 173, 204, 235, 274};
    for (int i = 0; i < 9; ++i) places.push_back({row[i], 3, xs[i], 262});
    places.push_back({art::kSplit1, 3, 336, 262});
    places.push_back({art::kSplit4, 3, 367, 262});
  } else {
    const int row[] = {connected ? art::kDisconnect : art::kConnect, art::kPause, art::kFastRewind, art::kPlay,
                       art::kFastForward, art::kDvrStop, art::kDvrRecord, art::kChannel1, art::kChannel1 + 1,
                       art::kChannel1 + 2, art::kChannel1 + 3, art::kSplit4, art::kMenu, art::kUp, art::kDown,
                       art::kSelect};
    const int xs[] = {10, 49, 80, 111, 142, 173, 204, 243, 274, 305, 336, 367, 406, 437, 468, 499};
    for (int i = 0; i < 16; ++i) places.push_back({row[i], 3, xs[i], 262});
  }
  for (const Place& place : places) {
    auto* button = new SkinButton(place.buttonKind, window.get());
    button->SetStrip(place.number);
    button->move(Anchor(place, size));
    if (place.number == (mode == 1 ? art::kPlayerMode : art::kClientMode)) button->SetCheck(true);
  }

  auto* title = new TransparentLabel(QStringLiteral("Tavrix Viewer 2.81"), window.get());
  title->setGeometry(22, 4, 136, 18);

  auto* status = new StatusLine(window.get());
  status->setGeometry(13, size.height() - 74, size.width() - 116, 17);
  status->SetMode(mode);
  if (mode == 1) {
    status->SetPlaybackState(2);
    status->SetTexts(QStringLiteral("Play x 1.0   "), QStringLiteral("2008/01/01 12:34:56"));
    auto* position = new BitmapSlider(Qt::Horizontal, window.get());
    position->SetStretchTrack(true);
    position->SetTrackBitmaps(art::kPositionTrack, art::kPositionActiveTrack, false);
    position->SetThumbBitmaps(art::kPositionThumb, art::kPositionActiveThumb, true);
    position->SetDrawFocusRect(false);
    position->setGeometry(13, size.height() - 52, size.width() - 26, position->height());
    position->SetRange(0, 1000);
    position->SetPosition(380);
  } else {
    status->SetConnectionState(connected ? StatusLine::kOnline : 1);
  }

  auto* volume = new BitmapSlider(Qt::Horizontal, window.get());
  volume->SetTrackBitmaps(art::kVolumeTrack, art::kVolumeActiveTrack, true);
  volume->SetThumbBitmaps(art::kVolumeThumb, art::kVolumeActiveThumb, true);
  volume->SetDrawFocusRect(false);
  volume->SetMargin(4, 1, 4, 0);
  volume->SetRange(0, 0xFFFF);
  volume->SetPosition(0xA000);
  volume->move(Anchor({0, 5, 532, 269}, size));
  return window;
}

void Caption(QPainter& painter, QPoint at, const QString& text) {
  painter.setPen(QColor(0xc8, 0xcc, 0xd2));
  painter.drawText(at, text);
}

// One row per picture: its number and name, then the picture at 100 % and
// its 200 % rendering pixel for pixel.
int PaintCatalogue(QPainter& painter, int top, int width) {
  int y = top;
  int x = 16;
  int rowHeight = 0;
  for (int number : Artwork::Numbers()) {
    QPixmap single = Artwork::Picture(number, 1);
    QPixmap doubled = Artwork::Picture(number, 2);
    doubled.setDevicePixelRatio(1);
    const int cellWidth = std::max(200, single.width() + doubled.width() + 24);
    const int cellHeight = doubled.height() + 22;
    if (x + cellWidth > width) {
      x = 16;
      y += rowHeight + 10;
      rowHeight = 0;
    }
    Caption(painter, QPoint(x, y + 12), QStringLiteral("%1  %2").arg(number).arg(Artwork::Name(number)));
    painter.drawPixmap(x, y + 18, single);
    painter.drawPixmap(x + single.width() + 12, y + 18, doubled);
    x += cellWidth + 16;
    rowHeight = std::max(rowHeight, cellHeight);
  }
  return y + rowHeight + 10;
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("out/ui-sheet.png");
  QDir().mkpath(QFileInfo(path).absolutePath());

  auto player = tavrix::DemoWindow(1, false);
  auto client = tavrix::DemoWindow(2, true);
  // Pixel for pixel, so that a run with QT_SCALE_FACTOR=2 shows the windows
  // as a 200 % screen does.
  QPixmap playerShot = player->grab();
  QPixmap clientShot = client->grab();
  playerShot.setDevicePixelRatio(1);
  clientShot.setDevicePixelRatio(1);

  const int width = playerShot.width() * 2 + 48;
  QImage sheet(width, 6000, QImage::Format_RGB32);
  sheet.fill(QColor(0x5a, 0x5e, 0x66));
  QPainter painter(&sheet);
  tavrix::Caption(painter, QPoint(16, 20), QStringLiteral("Player mode"));
  tavrix::Caption(painter, QPoint(playerShot.width() + 32, 20), QStringLiteral("Client mode, online"));
  painter.drawPixmap(16, 28, playerShot);
  painter.drawPixmap(playerShot.width() + 32, 28, clientShot);
  const int bottom = tavrix::PaintCatalogue(painter, playerShot.height() + 44, width);
  painter.end();

  if (!sheet.copy(0, 0, width, bottom).save(path)) {
    std::fprintf(stderr, "tavrix_ui_sheet: cannot write %s\n", qPrintable(path));
    return 1;
  }
  std::printf("%s\n", qPrintable(path));
  return 0;
}
