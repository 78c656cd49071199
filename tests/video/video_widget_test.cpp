#include "video/video_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "picture/colour_conversion.h"
#include "video/new_file.h"

namespace tavrix {
namespace {

struct Yuv {
  std::uint8_t y, cb, cr;
};

// Distinct colours, each with a darker lower half so a picture upside down
// shows.
constexpr Yuv kTop[] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {210, 16, 146},
                        {170, 166, 16}, {106, 202, 222}, {60, 60, 60}, {200, 128, 128}};
constexpr std::uint8_t kBottomLuma = 30;

CalendarTime NewYear2008() {
  CalendarTime time;
  time.year = 2008;
  time.month = 1;
  time.day = 1;
  time.hour = 10;
  return time;
}

// A picture of one colour, darker in its lower half.
std::vector<std::uint8_t> TwoToned(int width, int height, Yuv top) {
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(width * height * 3 / 2));
  std::fill_n(picture.begin(), width * height / 2, top.y);
  std::fill_n(picture.begin() + width * height / 2, width * height / 2, kBottomLuma);
  std::fill_n(picture.begin() + width * height, width * height / 4, top.cb);
  std::fill_n(picture.begin() + width * height * 5 / 4, width * height / 4, top.cr);
  return picture;
}

void Show(VideoWidget& widget, int channel, const std::vector<std::uint8_t>& picture, int width, int height,
          const CalendarTime& time = NewYear2008()) {
  const std::size_t luma = static_cast<std::size_t>(width * height);
  widget.OnPicture(channel,
                   PictureView{picture.data(), picture.data() + luma, picture.data() + luma * 5 / 4, width, height,
                               width, width / 2},
                   time);
}

// The same picture from planes of their own with padded rows, as a decoder
// with aligned rows hands them over.
void ShowStrided(VideoWidget& widget, int channel, const std::vector<std::uint8_t>& picture, int width, int height) {
  const int strideY = width + 48, strideC = width / 2 + 24;
  std::vector<std::uint8_t> y(static_cast<std::size_t>(strideY * height), 0xEE);
  std::vector<std::uint8_t> cb(static_cast<std::size_t>(strideC * height / 2), 0xEE), cr(cb);
  const std::uint8_t* in = picture.data();
  for (int row = 0; row < height; ++row, in += width) std::copy_n(in, width, y.begin() + row * strideY);
  for (auto* plane : {&cb, &cr}) {
    for (int row = 0; row < height / 2; ++row, in += width / 2) std::copy_n(in, width / 2, plane->begin() + row * strideC);
  }
  widget.OnPicture(channel, PictureView{y.data(), cb.data(), cr.data(), width, height, strideY, strideC}, NewYear2008());
}

// The colour the screen shows for a pixel: through the presentation's own
// layout when it has fewer bits than 24.
QRgb Shown(std::uint8_t y, std::uint8_t cb, std::uint8_t cr, int depth) {
  std::vector<std::uint8_t> pixel = {y, y, y, y, cb, cr};
  if (depth == 16) {
    QImage image(2, 2, QImage::Format_RGB16);
    YuvToRgb565(image.bits(), pixel.data(), 2, 2);
    return image.pixel(0, 0);
  }
  std::uint8_t bgr[12];
  YuvToBgr24(bgr, pixel.data(), 2, 2);
  return qRgb(bgr[2], bgr[1], bgr[0]);
}

QImage Grab(VideoWidget& widget) { return widget.grab().toImage(); }

QPoint Inside(const TileRect& tile, double fx, double fy) {
  return QPoint(tile.left + static_cast<int>(tile.width() * fx), tile.top + static_cast<int>(tile.height() * fy));
}

// Pixels of the area that have exactly this colour.
int Count(const QImage& image, const QRect& area, QRgb colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  }
  return count;
}

// Pixels of the area close to this colour (antialiased text blends its edges).
int CountNear(const QImage& image, const QRect& area, QRgb colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      count += std::abs(qRed(pixel) - qRed(colour)) <= 40 && std::abs(qGreen(pixel) - qGreen(colour)) <= 40 &&
               std::abs(qBlue(pixel) - qBlue(colour)) <= 40;
    }
  }
  return count;
}

QRgb At(VideoWidget& widget, QPoint point) { return Grab(widget).pixel(point) & 0xFFFFFF; }

// The presentation paths a test runs on: accelerated at the screen's depth,
// accelerated at 16 bits, plain.
void AddPathRows(bool withSixteen = true) {
  QTest::addColumn<bool>("accelerated");
  QTest::addColumn<int>("depth");
  QTest::newRow("accelerated") << true << 32;
  if (withSixteen) QTest::newRow("accelerated 16-bit") << true << 16;
  QTest::newRow("plain") << false << 32;
}

void UsePath(VideoWidget& widget) {
  QFETCH(bool, accelerated);
  QFETCH(int, depth);
  widget.SetSurfaceDepth(depth);
  widget.SetUseDirectDraw(accelerated);
  QCOMPARE(widget.IsAccelerated(), accelerated);
}

std::vector<std::uint8_t> ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

}  // namespace

class VideoWidgetTest : public QObject {
  Q_OBJECT

 private slots:
  void picturesLandInTheirTiles_data() { AddPathRows(); }
  void picturesLandInTheirTiles();
  void emptyTilesAreBlack_data() { AddPathRows(false); }
  void emptyTilesAreBlack();
  void pagesSwitch_data() { AddPathRows(false); }
  void pagesSwitch();
  void captionsDrawn_data() { AddPathRows(false); }
  void captionsDrawn();
  void doubleClickSwitchesLayout();
  void mouseRecordedForTheDvr();
  void snapshotWritesBmp();
  void snapshotNeverReplacesAFile();
  void fallsBackToThePlainPath();
  void refreshPathsNeverLockTwice();
  void picturesFromAnotherThread();
};

void VideoWidgetTest::picturesLandInTheirTiles() {
  QFETCH(int, depth);
  VideoWidget widget;
  widget.resize(640, 448);
  widget.show();
  UsePath(widget);
  widget.SetChannelCount(4);
  widget.SetSplit(4, 0);
  // Channel 3 sends half-size pictures, as dual pictures arrive; channel 2
  // planes with padded rows.
  for (int channel = 0; channel < 4; ++channel) {
    const int width = channel == 3 ? 320 : 640, height = channel == 3 ? 112 : 224;
    if (channel == 2) {
      ShowStrided(widget, channel, TwoToned(width, height, kTop[channel]), width, height);
    } else {
      Show(widget, channel, TwoToned(width, height, kTop[channel]), width, height);
    }
  }
  for (int channel = 0; channel < 4; ++channel) {
    const TileRect tile = widget.model().TileOf(channel);
    const Yuv top = kTop[channel];
    QTRY_COMPARE(At(widget, Inside(tile, 0.5, 0.25)), Shown(top.y, top.cb, top.cr, depth) & 0xFFFFFF);
    QCOMPARE(At(widget, Inside(tile, 0.5, 0.75)), Shown(kBottomLuma, top.cb, top.cr, depth) & 0xFFFFFF);
  }
  // Every row of the padded picture arrived, not only the sampled ones.
  const TileRect padded = widget.model().TileOf(2);
  const QRect upperHalf(padded.left, padded.top, padded.width(), padded.height() / 2 - 1);
  QCOMPARE(Count(Grab(widget), upperHalf, Shown(kTop[2].y, kTop[2].cb, kTop[2].cr, depth)),
           upperHalf.width() * upperHalf.height());
  // A new picture replaces the old one in its own tile only.
  Show(widget, 1, TwoToned(640, 224, kTop[5]), 640, 224);
  const Yuv now = kTop[5];
  QTRY_COMPARE(At(widget, Inside(widget.model().TileOf(1), 0.5, 0.25)), Shown(now.y, now.cb, now.cr, depth) & 0xFFFFFF);
  QCOMPARE(At(widget, Inside(widget.model().TileOf(0), 0.5, 0.25)), Shown(kTop[0].y, kTop[0].cb, kTop[0].cr, depth) & 0xFFFFFF);
}

void VideoWidgetTest::emptyTilesAreBlack() {
  VideoWidget widget;
  widget.resize(640, 448);
  widget.show();
  UsePath(widget);
  widget.SetChannelCount(4);
  widget.SetSplit(4, 0);
  Show(widget, 0, TwoToned(640, 224, kTop[0]), 640, 224);
  const TileRect first = widget.model().TileOf(0);
  QTRY_VERIFY(At(widget, Inside(first, 0.5, 0.25)) != 0);
  const QImage shown = Grab(widget);
  for (int channel = 1; channel < 4; ++channel) {
    const TileRect tile = widget.model().TileOf(channel);
    QCOMPARE(Count(shown, QRect(tile.left, tile.top, tile.width(), tile.height()), qRgb(0, 0, 0)),
             tile.width() * tile.height());
  }
  // A new source: every tile goes black.
  widget.OnPicturesCleared();
  QTRY_COMPARE(At(widget, Inside(first, 0.5, 0.25)), 0u);
  QCOMPARE(Count(Grab(widget), widget.rect(), qRgb(0, 0, 0)), 640 * 448);
}

void VideoWidgetTest::pagesSwitch() {
  VideoWidget widget;
  widget.resize(640, 448);
  widget.show();
  UsePath(widget);
  widget.SetChannelCount(8);
  widget.SetSplit(4, 0);
  for (int channel = 0; channel < 6; ++channel) Show(widget, channel, TwoToned(640, 224, kTop[channel]), 640, 224);
  const TileRect firstPosition = widget.model().TileOf(0);
  const auto topOf = [&](int position) {
    return At(widget, Inside(widget.model().TileOf(position), 0.5, 0.25));
  };
  QTRY_COMPARE(topOf(0), Shown(kTop[0].y, kTop[0].cb, kTop[0].cr, 32) & 0xFFFFFF);

  QVERIFY(widget.SetSplit(4, -1));
  QCOMPARE(widget.GetPage(), 1);
  // Channels 4 to 7 take the four positions; 6 and 7 have no pictures.
  QCOMPARE(widget.model().TileOf(4), firstPosition);
  QTRY_COMPARE(topOf(4), Shown(kTop[4].y, kTop[4].cb, kTop[4].cr, 32) & 0xFFFFFF);
  QCOMPARE(topOf(5), Shown(kTop[5].y, kTop[5].cb, kTop[5].cr, 32) & 0xFFFFFF);
  QCOMPARE(topOf(6), 0u);
  QCOMPARE(topOf(7), 0u);
  // A picture of a channel on the other page changes nothing here.
  Show(widget, 0, TwoToned(640, 224, kTop[7]), 640, 224);
  QCoreApplication::processEvents();
  QCOMPARE(topOf(4), Shown(kTop[4].y, kTop[4].cb, kTop[4].cr, 32) & 0xFFFFFF);

  QVERIFY(widget.SetSplit(4, -1));  // wraps to the first page
  QCOMPARE(widget.GetPage(), 0);
  QTRY_COMPARE(topOf(0), Shown(kTop[7].y, kTop[7].cb, kTop[7].cr, 32) & 0xFFFFFF);
}

void VideoWidgetTest::captionsDrawn() {
  VideoWidget widget;
  widget.resize(640, 448);
  widget.show();
  UsePath(widget);
  widget.SetChannelCount(1);
  widget.SetSplit(1, 0);
  widget.SetPlayerFlag(true);
  widget.SetShowTime(true);
  widget.SetOsdColours(0x80FFFF, 0);  // an outline of 0 is drawn as 0x050505
  std::vector<std::uint8_t> white(640 * 224 * 3 / 2, 128);
  std::fill_n(white.begin(), 640 * 224, 255);
  Show(widget, 0, white, 640, 224);

  const QRgb text = qRgb(0xFF, 0xFF, 0x80), outline = qRgb(5, 5, 5);
  const QRect label(0, 0, 400, 30), clear(0, 40, 640, 400);
  // "CH1" alone ends well before x = 60; the time follows it directly.
  const QRect timePart(60, 0, 340, 30);
  QTRY_COMPARE(At(widget, QPoint(320, 200)), 0xFFFFFFu);
  const QImage shown = Grab(widget);
  QVERIFY(CountNear(shown, label, text) > 20);
  QVERIFY(CountNear(shown, label, outline) > 20);
  QVERIFY(Count(shown, label, outline) > 0);
  QCOMPARE(Count(shown, label, qRgb(0, 0, 0)), 0);
  QVERIFY(CountNear(shown, timePart, text) > 20);
  QCOMPARE(Count(shown, clear, qRgb(255, 255, 255)), clear.width() * clear.height());

  widget.SetShowTime(false);
  QTRY_COMPARE(CountNear(Grab(widget), timePart, outline), 0);
  QVERIFY(CountNear(Grab(widget), label, text) > 20);

  // Off in client mode: the picture alone.
  widget.SetPlayerFlag(false);
  QTRY_COMPARE(Count(Grab(widget), label, qRgb(255, 255, 255)), label.width() * label.height());
}

void VideoWidgetTest::doubleClickSwitchesLayout() {
  VideoWidget widget;
  widget.resize(640, 448);
  widget.show();
  widget.SetChannelCount(4);
  widget.SetSplit(4, 0);
  for (int channel = 0; channel < 4; ++channel) Show(widget, channel, TwoToned(640, 224, kTop[channel]), 640, 224);
  QSignalSpy layoutChanged(&widget, &VideoWidget::layoutChanged);

  QTest::mouseDClick(&widget, Qt::LeftButton, {}, Inside(widget.model().TileOf(2), 0.5, 0.5));
  QCOMPARE(layoutChanged.count(), 1);
  QCOMPARE(widget.GetSplit(), 1);
  QCOMPARE(widget.GetPage(), 2);
  // Channel 2 fills the view.
  const QRgb two = Shown(kTop[2].y, kTop[2].cb, kTop[2].cr, 32) & 0xFFFFFF;
  QTRY_COMPARE(At(widget, QPoint(20, 20)), two);
  QCOMPARE(At(widget, QPoint(620, 200)), two);

  QTest::mouseDClick(&widget, Qt::LeftButton, {}, QPoint(10, 10));
  QCOMPARE(layoutChanged.count(), 2);
  QCOMPARE(widget.GetSplit(), 4);
  QCOMPARE(widget.GetPage(), 0);
  QTRY_COMPARE(At(widget, Inside(widget.model().TileOf(0), 0.5, 0.25)),
               Shown(kTop[0].y, kTop[0].cb, kTop[0].cr, 32) & 0xFFFFFF);
}

void VideoWidgetTest::mouseRecordedForTheDvr() {
  VideoWidget widget;
  widget.resize(400, 300);
  widget.show();
  struct Step {
    QEvent::Type type;
    Qt::MouseButton button;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    QPoint at;
    int expectedButtons;  // -1: nothing recorded
  };
  const Step steps[] = {
      {QEvent::MouseMove, Qt::NoButton, Qt::NoButton, Qt::NoModifier, {10, 20}, MouseReport::kNone},
      {QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, {11, 21}, MouseReport::kLeft},
      // Left button with Shift: the buttons stay, the position moves.
      {QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier, {50, 60}, MouseReport::kLeft},
      {QEvent::MouseMove, Qt::NoButton, Qt::RightButton, Qt::NoModifier, {51, 61}, MouseReport::kRight},
      {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, {52, 62}, MouseReport::kNone},
      {QEvent::MouseButtonDblClick, Qt::RightButton, Qt::RightButton, Qt::NoModifier, {53, 63},
       MouseReport::kRightDouble},
      {QEvent::MouseMove, Qt::NoButton, Qt::NoButton, Qt::NoModifier, {400, 10}, -1},  // outside the view
  };
  for (const Step& step : steps) {
    QMouseEvent event(step.type, QPointF(step.at), widget.mapToGlobal(QPointF(step.at)), step.button, step.buttons,
                      step.modifiers);
    QApplication::sendEvent(&widget, &event);
    const std::optional<MouseReport::State> report = widget.mouseReport().TakePending();
    if (step.expectedButtons < 0) {
      QVERIFY(!report.has_value());
      continue;
    }
    QVERIFY(report.has_value());
    QCOMPARE(report->buttons, step.expectedButtons);
    QCOMPARE(report->x, step.at.x());
    QCOMPARE(report->y, step.at.y());
    QCOMPARE(report->viewWidth, 400);
    QCOMPARE(report->viewHeight, 300);
  }
}

void VideoWidgetTest::snapshotWritesBmp() {
  QTemporaryDir directory;
  VideoWidget widget;
  widget.resize(643, 301);  // 643 x 3 bytes: each row padded by one byte
  widget.show();
  widget.SetChannelCount(1);
  widget.SetSplit(1, 0);
  Show(widget, 0, TwoToned(640, 224, kTop[1]), 640, 224);
  const QRgb top = Shown(kTop[1].y, kTop[1].cb, kTop[1].cr, 32), bottom = Shown(kBottomLuma, kTop[1].cb, kTop[1].cr, 32);
  QTRY_COMPARE(At(widget, QPoint(5, 5)), top & 0xFFFFFF);

  const std::string path = directory.filePath("snap.bmp").toStdString();
  const WrittenFile written = widget.SaveSnapshot(path);
  QVERIFY2(written.ok(), written.error.c_str());
  QCOMPARE(written.path, path);

  const std::vector<std::uint8_t> file = ReadFile(QString::fromStdString(path));
  const std::uint32_t stride = 1932, imageBytes = stride * 301;
  QCOMPARE(file.size(), std::size_t{54 + imageBytes});
  QCOMPARE(Le(file, 0, 2), 0x4D42u);  // "BM"
  QCOMPARE(Le(file, 2, 4), static_cast<std::uint32_t>(file.size()));
  QCOMPARE(Le(file, 6, 4), 0u);   // reserved
  QCOMPARE(Le(file, 10, 4), 54u); // pixels right after the two headers
  QCOMPARE(Le(file, 14, 4), 40u);
  QCOMPARE(Le(file, 18, 4), 643u);
  QCOMPARE(Le(file, 22, 4), 301u);  // positive: bottom row first
  QCOMPARE(Le(file, 26, 2), 1u);
  QCOMPARE(Le(file, 28, 2), 24u);
  QCOMPARE(Le(file, 30, 4), 0u);  // uncompressed
  QCOMPARE(Le(file, 34, 4), imageBytes);
  QCOMPARE(Le(file, 46, 4), 0u);  // no colour table
  const auto pixel = [&](int x, int y) {
    const std::size_t at = 54 + stride * static_cast<std::size_t>(300 - y) + 3 * static_cast<std::size_t>(x);
    return qRgb(file[at + 2], file[at + 1], file[at]);
  };
  QCOMPARE(pixel(5, 5), top);
  QCOMPARE(pixel(630, 295), bottom);
  for (int row = 0; row < 301; ++row) QCOMPARE(file[54 + stride * row + 1929], std::uint8_t{0});

  const QImage clipboard = QGuiApplication::clipboard()->image();
  QCOMPARE(clipboard.size(), QSize(643, 301));
  QCOMPARE(clipboard.pixel(5, 5) & 0xFFFFFF, top & 0xFFFFFF);
}

void VideoWidgetTest::snapshotNeverReplacesAFile() {
  struct Naming {
    const char* path;
    const char* second;
  };
  const Naming namings[] = {
      {"dir/snap.bmp", "dir/snap-2.bmp"}, {"dir/snap", "dir/snap-2"},
      {"a.d/snap", "a.d/snap-2"},         {"/x/.hidden", "/x/.hidden-2"},
      {"/x/.hidden.bmp", "/x/.hidden-2.bmp"},
  };
  for (const Naming& naming : namings) QCOMPARE(NumberedName(naming.path, 2), std::string(naming.second));

  QTemporaryDir directory;
  VideoWidget widget;
  widget.resize(64, 48);
  widget.show();
  const std::string path = directory.filePath("20080101100000.bmp").toStdString();
  const WrittenFile first = widget.SaveSnapshot(path);
  QVERIFY(first.ok());
  const std::vector<std::uint8_t> firstBytes = ReadFile(QString::fromStdString(path));
  Show(widget, 0, TwoToned(640, 224, kTop[0]), 640, 224);
  QTRY_VERIFY(At(widget, QPoint(5, 5)) != 0);

  const WrittenFile second = widget.SaveSnapshot(path);
  const WrittenFile third = widget.SaveSnapshot(path);
  QCOMPARE(second.path, directory.filePath("20080101100000-1.bmp").toStdString());
  QCOMPARE(third.path, directory.filePath("20080101100000-2.bmp").toStdString());
  QCOMPARE(ReadFile(QString::fromStdString(path)), firstBytes);
  QVERIFY(ReadFile(QString::fromStdString(second.path)) != firstBytes);
  // No temporary file is left beside them.
  QCOMPARE(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

  // A folder that does not exist: reported, nothing written.
  const std::string missing = directory.filePath("missing/snap.bmp").toStdString();
  const WrittenFile failed = widget.SaveSnapshot(missing);
  QVERIFY(!failed.ok());
  QVERIFY2(failed.error.find(missing) != std::string::npos, failed.error.c_str());
  QVERIFY(!QFileInfo::exists(QString::fromStdString(missing)));
}

void VideoWidgetTest::fallsBackToThePlainPath() {
  VideoWidget widget;
  widget.resize(320, 224);
  widget.show();
  widget.SetUseDirectDraw(true);
  QVERIFY(widget.IsAccelerated());
  struct Case {
    int depth;
    const char* error;
  };
  const Case cases[] = {{8, "Not support palette mode."}, {30, "Unknown pixel format"}};
  int shown = 0;
  for (const Case& c : cases) {
    widget.SetSurfaceDepth(c.depth);
    QVERIFY(!widget.IsAccelerated());
    QVERIFY(widget.GetUseDirectDraw());
    QCOMPARE(widget.GetLastError(), std::string(c.error));
    // Pictures still arrive, drawn the plain way.
    const Yuv colour = kTop[shown++];
    Show(widget, 0, TwoToned(640, 224, colour), 640, 224);
    QTRY_COMPARE(At(widget, QPoint(100, 20)), Shown(colour.y, colour.cb, colour.cr, 32) & 0xFFFFFF);
  }
  // A depth it can present in: accelerated again.
  widget.SetSurfaceDepth(24);
  QVERIFY(widget.IsAccelerated());
  QCOMPARE(At(widget, QPoint(100, 20)), Shown(kTop[1].y, kTop[1].cb, kTop[1].cr, 32) & 0xFFFFFF);
}

void VideoWidgetTest::refreshPathsNeverLockTwice() {
  // Every path that draws again under the view's lock, called with nothing
  // held, one after the other: a second lock by the holder would hang here.
  QTemporaryDir directory;
  VideoWidget widget;
  widget.resize(320, 224);
  widget.show();
  widget.SetChannelCount(4);
  for (bool accelerated : {true, false}) {
    widget.SetUseDirectDraw(accelerated);
    Show(widget, 0, TwoToned(640, 224, kTop[0]), 640, 224);
    widget.Refresh();
    QVERIFY(widget.SetSplit(4, 0));
    QVERIFY(widget.SetChannelCount(4));
    widget.SetPlayerFlag(true);
    widget.SetShowTime(false);
    widget.SetTimeFormat("%H:%M");
    widget.SetOsdFont(OsdFont{18, 0, 700, true, "Arial"});
    widget.SetOsdColours(0xFFFFFF, 0);
    widget.SetSurfaceDepth(16);
    widget.resize(330, 230);
    widget.OnPicturesCleared();
    QTest::mouseDClick(&widget, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(&widget, Qt::LeftButton, {}, QPoint(5, 5));
    widget.repaint();
    QVERIFY(widget.SaveSnapshot(directory.filePath("lock.bmp").toStdString()).ok());
    QCoreApplication::processEvents();
    widget.SetSurfaceDepth(0);
    // Still presenting.
    Show(widget, 0, TwoToned(640, 224, kTop[2]), 640, 224);
    QTRY_COMPARE(At(widget, Inside(widget.model().TileOf(0), 0.5, 0.25)),
                 Shown(kTop[2].y, kTop[2].cb, kTop[2].cr, 32) & 0xFFFFFF);
  }
}

void VideoWidgetTest::picturesFromAnotherThread() {
  VideoWidget widget;
  widget.resize(640, 448);
  widget.show();
  widget.SetChannelCount(4);
  widget.SetSplit(4, 0);
  widget.SetPlayerFlag(true);
  constexpr int kRounds = 150;
  std::atomic<bool> done{false};
  std::atomic<int> turns{0};
  std::thread engine([&] {
    std::vector<std::vector<std::uint8_t>> pictures;
    for (const Yuv& colour : kTop) pictures.push_back(TwoToned(640, 224, colour));
    CalendarTime time = NewYear2008();
    for (int round = 0; round < kRounds; ++round) {
      // Keeps pace with the window's thread, so pictures arrive while it paints.
      while (turns.load() < round / 2) std::this_thread::yield();
      time.second = static_cast<std::uint16_t>(round % 60);
      for (int channel = 0; channel < 4; ++channel) {
        // The last round shows kTop[channel + 4].
        Show(widget, channel, pictures[static_cast<std::size_t>(round % 2 * 4 + channel)], 640, 224, time);
      }
      if (round % 50 == 0) widget.OnPicturesCleared();
    }
    done = true;
  });
  // The window's thread keeps painting and changing the presentation meanwhile.
  while (!done) {
    widget.repaint();
    const int turn = ++turns;
    if (turn % 5 == 0) widget.SetUseDirectDraw(turn % 10 != 0);
    QCoreApplication::processEvents();
  }
  engine.join();
  widget.SetUseDirectDraw(true);
  for (int channel = 0; channel < 4; ++channel) {
    const Yuv last = kTop[channel + 4];
    QTRY_COMPARE(At(widget, Inside(widget.model().TileOf(channel), 0.5, 0.25)),
                 Shown(last.y, last.cb, last.cr, 32) & 0xFFFFFF);
  }
}

}  // namespace tavrix

QTEST_MAIN(tavrix::VideoWidgetTest)
#include "video_widget_test.moc"
