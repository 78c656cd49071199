#include <algorithm>
#include <functional>

#include <QtTest>

#include "ui/artwork.h"

namespace tavrix {
namespace {

const QRgb kKey = qRgb(255, 0, 255);

QImage Physical(int number, qreal ratio) {
  return Artwork::Picture(number, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

class ArtworkTest : public QObject {
  Q_OBJECT

 private slots:
  // The sizes the window's layout is built on, in logical pixels.
  void picturesHaveTheirDocumentedSizes_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QSize>("size");
    QTest::newRow("application icon") << art::kApplicationIcon << QSize(32, 32);
    QTest::newRow("background") << art::kBackground << QSize(320, 240);
    QTest::newRow("status icons") << art::kStatusIcons << QSize(384, 112);
    QTest::newRow("position track") << art::kPositionTrack << QSize(64, 12);
    QTest::newRow("position active track") << art::kPositionActiveTrack << QSize(64, 12);
    QTest::newRow("position thumb") << art::kPositionThumb << QSize(11, 12);
    QTest::newRow("position active thumb") << art::kPositionActiveThumb << QSize(11, 12);
    QTest::newRow("volume track") << art::kVolumeTrack << QSize(64, 12);
    QTest::newRow("volume active track") << art::kVolumeActiveTrack << QSize(64, 12);
    QTest::newRow("volume thumb") << art::kVolumeThumb << QSize(8, 11);
    QTest::newRow("volume active thumb") << art::kVolumeActiveThumb << QSize(8, 11);
    QTest::newRow("icon button") << art::kIconButton << QSize(5 * 16, 16);
    QTest::newRow("minimize") << art::kMinimize << QSize(5 * 20, 18);
    QTest::newRow("close") << art::kClose << QSize(5 * 22, 18);
    QTest::newRow("player mode") << art::kPlayerMode << QSize(5 * 76, 20);
    QTest::newRow("client mode") << art::kClientMode << QSize(5 * 76, 20);
    QTest::newRow("save AVI") << art::kSaveAvi << QSize(5 * 60, 20);
    QTest::newRow("stop AVI") << art::kStopAvi << QSize(5 * 60, 20);
    for (int number : {art::kOpen, art::kFastRewind, art::kPlayReverse, art::kPreviousFrame, art::kPause,
                       art::kNextFrame, art::kPlay, art::kFastForward, art::kStillCapture, art::kSplit1, art::kSplit4,
                       art::kSplit9, art::kSplit16, art::kMute, art::kConnect, art::kDisconnect, art::kDvrStop,
                       art::kDvrRecord, art::kChannel1, art::kChannel1 + 3, art::kMenu, art::kUp, art::kDown,
                       art::kSelect}) {
      QTest::addRow("strip %d", number) << number << QSize(5 * 29, 26);
    }
  }

  void picturesHaveTheirDocumentedSizes() {
    QFETCH(int, number);
    QFETCH(QSize, size);
    for (qreal ratio : {1.0, 1.25, 2.0}) {
      const QPixmap picture = Artwork::Picture(number, ratio);
      QCOMPARE(picture.deviceIndependentSize().toSize(), size);
    }
    QCOMPARE(Artwork::Picture(number, 2).size(), size * 2);
  }

  void everyNumberHasAPictureAndAName() {
    const QList<int> numbers = Artwork::Numbers();
    // Ascending, and no number given twice.
    QVERIFY(std::adjacent_find(numbers.begin(), numbers.end(), std::greater_equal<int>()) == numbers.end());
    for (int number : numbers) {
      QVERIFY2(!Artwork::Picture(number).isNull(), qPrintable(QString::number(number)));
      QVERIFY(!Artwork::Name(number).isEmpty());
    }
    QVERIFY(Artwork::Picture(0).isNull());
    QVERIFY(Artwork::Name(9999).isEmpty());
    QVERIFY(!Artwork::ApplicationIcon().pixmap(QSize(48, 48)).isNull());
  }

  // The mask slice is black on the button and white off it, at both scales.
  void buttonMasksCoverTheFace() {
    for (int ratio : {1, 2}) {
      const QImage strip = Physical(art::kPlay, ratio);
      const int slice = strip.width() / 5;
      QCOMPARE(strip.pixel(4 * slice + slice / 2, strip.height() / 2), qRgb(0, 0, 0));
      QCOMPARE(strip.pixel(4 * slice, 0), qRgb(255, 255, 255));
      QCOMPARE(strip.pixel(5 * slice - 1, strip.height() - 1), qRgb(255, 255, 255));
    }
  }

  // The slices differ from one another: a state never looks like another.
  void buttonStatesLookDifferent() {
    const QImage strip = Physical(art::kPlay, 1);
    const int slice = strip.width() / 5;
    QList<QImage> faces;
    for (int index = 0; index < 4; ++index) faces.append(strip.copy(index * slice, 0, slice, strip.height()));
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) QVERIFY2(faces[a] != faces[b], qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
    }
  }

  // The thumbs and the volume skins stand on the exact key colour; the
  // stretched position track is opaque and has none.
  void sliderSkinsUseTheColourKey() {
    for (int number : {art::kPositionThumb, art::kPositionActiveThumb, art::kVolumeThumb, art::kVolumeActiveThumb,
                       art::kVolumeTrack, art::kVolumeActiveTrack}) {
      for (int ratio : {1, 2}) {
        const QImage picture = Physical(number, ratio);
        QCOMPARE(picture.pixel(0, 0), kKey);
        QVERIFY(picture.pixel(picture.width() / 2, picture.height() / 2) != kKey);
      }
    }
    const QImage volume = Physical(art::kVolumeTrack, 1);
    QCOMPARE(volume.pixel(10, 2), kKey);  // above the thin end of the wedge
    QVERIFY(volume.pixel(58, 4) != kKey);  // inside its tall end
    const QImage track = Physical(art::kPositionTrack, 1);
    for (int y = 0; y < track.height(); ++y) QVERIFY(track.pixel(0, y) != kKey);
  }

  // Strips that the dialog stretches must be uniform along the stretch.
  void backgroundEdgesAreUniformAlongTheirStretch() {
    const QImage background = Physical(art::kBackground, 1);
    const int w = background.width();
    const int h = background.height();
    for (int y = 0; y < h; ++y) {
      for (int x = w / 2; x < w / 2 + w / 10; ++x) QCOMPARE(background.pixel(x, y), background.pixel(w / 2, y));
    }
    for (int x = 0; x < w; ++x) {
      for (int y = h / 2; y < h / 2 + h / 10; ++y) QCOMPARE(background.pixel(x, y), background.pixel(x, h / 2));
    }
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::ArtworkTest)
#include "artwork_test.moc"
