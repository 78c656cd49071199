#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "ui/artwork.h"
#include "ui/bitmap_slider.h"
#include "ui/slider_geometry.h"

namespace tavrix {
namespace {

const QColor kTrack(40, 40, 40);
const QColor kActiveTrack(0, 120, 255);
const QColor kThumb(230, 230, 230);
const QColor kKey(255, 0, 255);

QPixmap Solid(QSize size, const QColor& colour) {
  QPixmap pixmap(size);
  pixmap.fill(colour);
  return pixmap;
}

// A 10 x 10 thumb with magenta corners.
QPixmap KeyedThumb() {
  QPixmap thumb = Solid({10, 10}, kThumb);
  QPainter painter(&thumb);
  painter.fillRect(0, 0, 2, 2, kKey);
  painter.fillRect(8, 8, 2, 2, kKey);
  return thumb;
}

// A 200 x 10 slider over range 0-100 with a 10-pixel thumb and no margins.
struct Fixture {
  BitmapSlider slider;
  QSignalSpy moved{&slider, &BitmapSlider::moved};
  QSignalSpy released{&slider, &BitmapSlider::released};

  Fixture() {
    slider.SetTrackBitmaps(Solid({200, 10}, kTrack), Solid({200, 10}, kActiveTrack), false);
    slider.SetThumbBitmaps(KeyedThumb(), QPixmap(), true, kKey);
    slider.SetRange(0, 100);
    slider.show();
    QVERIFY(QTest::qWaitForWindowExposed(&slider));
  }

  QList<int> Values(const QSignalSpy& spy) const {
    QList<int> values;
    for (const auto& arguments : spy) values.append(arguments.at(0).toInt());
    return values;
  }
};

}  // namespace

class BitmapSliderTest : public QObject {
  Q_OBJECT

 private slots:
  void geometry_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("marginStart");
    QTest::addColumn<int>("marginEnd");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("pixel");
    QTest::newRow("middle") << 0 << 100 << 0 << 0 << 50 << 100;
    QTest::newRow("start") << 0 << 100 << 0 << 0 << 0 << 5;
    QTest::newRow("end") << 0 << 100 << 0 << 0 << 100 << 195;
    QTest::newRow("margins") << 0 << 100 << 4 << 6 << 100 << 189;
    QTest::newRow("offset range") << 1000 << 2000 << 0 << 0 << 1500 << 100;
    QTest::newRow("no extent") << 7 << 7 << 3 << 0 << 7 << 8;
  }

  void geometry() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, marginStart);
    QFETCH(int, marginEnd);
    QFETCH(int, position);
    QFETCH(int, pixel);
    const SliderGeometry geometry{minimum, maximum, 200, 10, marginStart, marginEnd};
    QCOMPARE(geometry.PositionToPixel(position), pixel);
    if (maximum > minimum) QCOMPARE(geometry.PixelToPosition(pixel), position);
  }

  void pixelToPositionTruncatesAndNeverDividesByZero() {
    const SliderGeometry geometry{0, 100, 200, 10, 0, 0};
    QCOMPARE(geometry.PixelToPosition(5), 0);
    QCOMPARE(geometry.PixelToPosition(195), 100);
    QCOMPARE(geometry.PixelToPosition(150), 76);  // 145 / 190 * 100 = 76.3
    const SliderGeometry full{0, 100, 10, 10, 0, 0};
    QCOMPARE(full.PixelToPosition(5), 0);
    const SliderGeometry wide{0, 0x7fffffff, 200, 10, 0, 0};
    QCOMPARE(wide.PixelToPosition(195), 0x7fffffff);
  }

  void positionsAreClampedIntoTheRange() {
    Fixture fixture;
    fixture.slider.SetPosition(150);
    QCOMPARE(fixture.slider.position(), 100);
    fixture.slider.SetPosition(-5);
    QCOMPARE(fixture.slider.position(), 0);
    fixture.slider.SetPosition(60);
    fixture.slider.SetRange(0, 40);
    QCOMPARE(fixture.slider.position(), 40);
    // A range without extent keeps the thumb at the start of its travel.
    fixture.slider.SetRange(0, 0);
    QCOMPARE(fixture.slider.ThumbCentre(), 5);
  }

  void keysMoveThePositionAndReportARelease_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("page down") << 50 << int(Qt::Key_PageDown) << 70;
    QTest::newRow("page down at 90") << 90 << int(Qt::Key_PageDown) << 100;
    QTest::newRow("page up") << 50 << int(Qt::Key_PageUp) << 30;
    QTest::newRow("page up at 10") << 10 << int(Qt::Key_PageUp) << 0;
    QTest::newRow("end") << 50 << int(Qt::Key_End) << 100;
    QTest::newRow("home") << 50 << int(Qt::Key_Home) << 0;
    QTest::newRow("right") << 50 << int(Qt::Key_Right) << 51;
    QTest::newRow("down") << 50 << int(Qt::Key_Down) << 51;
    QTest::newRow("left") << 50 << int(Qt::Key_Left) << 49;
    QTest::newRow("up") << 50 << int(Qt::Key_Up) << 49;
    QTest::newRow("left at 0") << 0 << int(Qt::Key_Left) << 0;
  }

  void keysMoveThePositionAndReportARelease() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    Fixture fixture;
    fixture.slider.SetPosition(start);
    QTest::keyClick(&fixture.slider, Qt::Key(key));
    QCOMPARE(fixture.slider.position(), expected);
    QCOMPARE(fixture.Values(fixture.released), QList<int>{expected});
    QCOMPARE(fixture.moved.count(), 0);
  }

  void otherKeysAndTabAreLeftAlone() {
    QWidget window;
    auto* first = new BitmapSlider(Qt::Horizontal, &window);
    auto* second = new BitmapSlider(Qt::Horizontal, &window);
    second->move(0, 20);
    QSignalSpy released(first, &BitmapSlider::released);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    first->SetPosition(50);
    QTest::keyClick(first, Qt::Key_A);
    QTest::keyClick(first, Qt::Key_Tab);
    QCOMPARE(first->position(), 50);
    QCOMPARE(released.count(), 0);
    QVERIFY(second->hasFocus());
  }

  // A press away from the thumb moves its centre to the pointer; each new
  // pixel reports a move, and the release reports once.
  void aPressAwayFromTheThumbJumpsAndDraggingReports() {
    Fixture fixture;
    QTest::mousePress(&fixture.slider, Qt::LeftButton, {}, QPoint(150, 5));
    QVERIFY(fixture.slider.isDragging());
    QCOMPARE(fixture.slider.position(), 76);
    QCOMPARE(fixture.Values(fixture.moved), QList<int>{76});

    QTest::mouseMove(&fixture.slider, QPoint(150, 8));  // the same pixel
    QTest::mouseMove(&fixture.slider, QPoint(5, 5));
    QTest::mouseMove(&fixture.slider, QPoint(-40, 5));  // clamped: the same pixel
    QTest::mouseMove(&fixture.slider, QPoint(195, 5));
    QTest::mouseMove(&fixture.slider, QPoint(400, 5));
    QCOMPARE(fixture.Values(fixture.moved), (QList<int>{76, 0, 100}));
    QCOMPARE(fixture.released.count(), 0);

    QTest::mouseRelease(&fixture.slider, Qt::LeftButton, {}, QPoint(400, 5));
    QVERIFY(!fixture.slider.isDragging());
    QCOMPARE(fixture.Values(fixture.released), QList<int>{100});
    QCOMPARE(fixture.moved.count(), 3);
  }

  // A press on the thumb keeps the grab point under the pointer.
  void aPressOnTheThumbKeepsTheGrabPoint() {
    Fixture fixture;
    fixture.slider.SetPosition(50);
    QCOMPARE(fixture.slider.ThumbCentre(), 100);
    QTest::mousePress(&fixture.slider, Qt::LeftButton, {}, QPoint(103, 5));
    QCOMPARE(fixture.slider.position(), 50);
    QCOMPARE(fixture.moved.count(), 0);
    QTest::mouseMove(&fixture.slider, QPoint(133, 5));
    // The thumb centre follows to 130: position (130 - 5) / 190 * 100.
    QCOMPARE(fixture.slider.position(), 65);
    QTest::mouseRelease(&fixture.slider, Qt::LeftButton, {}, QPoint(133, 5));
    QCOMPARE(fixture.Values(fixture.released), QList<int>{65});
  }

  // The active track before the thumb's centre, the plain one after it, the
  // thumb on top with its key-coloured corners showing the track.
  void paintsTracksAndTheKeyedThumb() {
    Fixture fixture;
    fixture.slider.SetPosition(50);
    QImage shot = fixture.slider.grab().toImage();
    QCOMPARE(shot.pixelColor(50, 5), kActiveTrack);
    QCOMPARE(shot.pixelColor(150, 5), kTrack);
    QCOMPARE(shot.pixelColor(100, 5), kThumb);
    QCOMPARE(shot.pixelColor(95, 0), kActiveTrack);  // the thumb's top-left key corner
    QCOMPARE(shot.pixelColor(104, 9), kTrack);       // its bottom-right one

    fixture.slider.setEnabled(false);
    shot = fixture.slider.grab().toImage();
    QCOMPARE(shot.pixelColor(50, 5), kTrack);
  }

  void aStretchedTrackSpansTheWholeWidth() {
    BitmapSlider slider;
    slider.SetStretchTrack(true);
    slider.SetTrackBitmaps(Solid({64, 10}, kTrack), Solid({64, 10}, kActiveTrack), false);
    slider.SetThumbBitmaps(KeyedThumb(), QPixmap(), true, kKey);
    slider.resize(400, 10);
    slider.SetRange(0, 100);
    slider.SetPosition(50);
    QCOMPARE(slider.ThumbCentre(), 200);
    const QImage shot = slider.grab().toImage();
    QCOMPARE(shot.pixelColor(10, 5), kActiveTrack);
    QCOMPARE(shot.pixelColor(190, 5), kActiveTrack);
    QCOMPARE(shot.pixelColor(210, 5), kTrack);
    QCOMPARE(shot.pixelColor(399, 5), kTrack);
  }

  void theKeyColourCanBeTakenFromAPixel() {
    BitmapSlider slider;
    slider.SetTrackBitmaps(Solid({100, 10}, kTrack), QPixmap(), false);
    slider.SetThumbBitmaps(KeyedThumb(), QPixmap(), true, std::nullopt, QPoint(0, 0));
    slider.SetRange(0, 100);
    const QImage shot = slider.grab().toImage();
    QCOMPARE(shot.pixelColor(0, 0), kTrack);
    QCOMPARE(shot.pixelColor(5, 5), kThumb);
  }

  void takesItsSizeFromTheTrackAndItsSkinFromTheCatalogue() {
    BitmapSlider volume;
    QVERIFY(volume.SetTrackBitmaps(art::kVolumeTrack, art::kVolumeActiveTrack, true));
    QVERIFY(volume.SetThumbBitmaps(art::kVolumeThumb, art::kVolumeActiveThumb, true));
    QCOMPARE(volume.size(), QSize(64, 12));
    QVERIFY(!volume.SetThumbBitmaps(art::kVolumeThumb, 4242, true));
    QVERIFY(volume.SetTrackBitmaps(0, 0, false));
    // Without a track the thumb travels over the slider's own width.
    volume.resize(120, 12);
    volume.SetRange(0, 100);
    volume.SetPosition(100);
    QCOMPARE(volume.ThumbCentre(), 120 - 8 / 2);
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::BitmapSliderTest)
#include "bitmap_slider_test.moc"
