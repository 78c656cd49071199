// The viewer on a real X server (Xvfb with a white root window): what
// reaches the screen, the window mask's cut corners included. The
// screenshot stays behind as out/viewer.png.
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "app/main_dialog.h"
#include "tests/app/viewer_fixture.h"
#include "ui/status_line.h"
#include "video/video_widget.h"

namespace tavrix {

using testing::MakeSample;
using testing::ShowViewer;

namespace {

bool IsWhite(QRgb pixel) { return qRed(pixel) > 245 && qGreen(pixel) > 245 && qBlue(pixel) > 245; }
bool IsBlack(QRgb pixel) { return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16; }

// How many pixels of the area are near the colour.
int CountNear(const QImage& image, const QRect& area, QColor colour, int tolerance) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - colour.red()) <= tolerance && std::abs(pixel.green() - colour.green()) <= tolerance &&
          std::abs(pixel.blue() - colour.blue()) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

// Pixels of the area that are not black.
int CountLit(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += IsBlack(image.pixel(x, y)) ? 0 : 1;
  }
  return count;
}

}  // namespace

class ViewerScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsFourTilesWithCaptionsInARoundedWindow() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString sample = MakeSample(folder.filePath("sample.VVF"), 20);
    QVERIFY(!sample.isEmpty());
    CommandLine line;
    line.file = sample.toStdString();
    auto window = ShowViewer(folder, line);
    // Every channel has shown pictures and the status line has a time.
    for (int channel = 0; channel < 4; ++channel) {
      QTRY_VERIFY_WITH_TIMEOUT(window->view().model().ShownCount(channel) >= 3, 10'000);
    }
    QTRY_VERIFY(window->statusLine().timeText().size() > 1);

    // What the X server shows, the root window around the viewer included.
    const QRect frame = window->geometry();
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
          return CountLit(shot, QRect(2 + 160, 25 + 112, 40, 40)) > 800;
        }(),
        10'000);
    QDir().mkpath(TAVRIX_OUT_DIR);
    QVERIFY(shot.save(QString(TAVRIX_OUT_DIR) + "/viewer.png"));
    QCOMPARE(shot.size(), QSize(645, 548));

    // The mask cuts the corners: the white root shows there, the skin next to them.
    const int right = shot.width() - 1;
    const int bottom = shot.height() - 1;
    for (QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)}) {
      QVERIFY2(IsWhite(shot.pixel(corner)), qPrintable(QString("corner %1,%2").arg(corner.x()).arg(corner.y())));
    }
    for (QPoint inside : {QPoint(40, 1), QPoint(right - 40, 1), QPoint(1, 40), QPoint(1, bottom - 40)}) {
      QVERIFY2(!IsWhite(shot.pixel(inside)), qPrintable(QString("edge %1,%2").arg(inside.x()).arg(inside.y())));
    }

    // Four tiles of 320 x 224 from (2, 25), each showing its picture.
    for (int tile = 0; tile < 4; ++tile) {
      const QRect area(2 + 320 * (tile % 2) + 40, 25 + 224 * (tile / 2) + 40, 240, 144);
      QVERIFY2(CountLit(shot, area) > area.width() * area.height() / 2, qPrintable(QString("tile %1").arg(tile)));
    }
    // The caption of each tile in its light yellow at its top-left corner.
    for (int tile = 0; tile < 4; ++tile) {
      const QRect caption(2 + 320 * (tile % 2) + 4, 25 + 224 * (tile / 2) + 2, 160, 18);
      QVERIFY2(CountNear(shot, caption, QColor(0xFF, 0xFF, 0x80), 40) > 30, qPrintable(QString("caption %1").arg(tile)));
    }
    // The status line: black, with green text in its status and time boxes.
    const QRect status(13, 548 - 74, 645 - 116, 17);
    QVERIFY(CountNear(shot, QRect(status.left() + 32, status.top(), 200, 17), QColor(0, 255, 0), 60) > 20);
    QVERIFY(CountNear(shot, QRect(status.left() + 252, status.top(), status.width() - 253, 17), QColor(0, 255, 0), 60) > 40);
    QVERIFY(CountNear(shot, QRect(status.left() + 240, status.top() + 2, 8, 13), QColor(0, 0, 0), 8) > 90);
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::ViewerScreenshotTest)
#include "viewer_screenshot_test.moc"
