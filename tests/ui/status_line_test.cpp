#include <QtTest>

#include "ui/artwork.h"
#include "ui/status_line.h"

namespace tavrix {
namespace {

// A 384 x 112 strip whose every pixel tells where it came from.
QPixmap NumberedStrip() {
  QImage image(384, 112, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x & 0xff, y, 0x80 | (x >> 8)));
  }
  return QPixmap::fromImage(image);
}

QRgb Strip(int x, int y) {
  return qRgb(x & 0xff, y, 0x80 | (x >> 8));
}

// Whether the area shows the green text colour anywhere.
bool HasText(const QImage& shot, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor colour = shot.pixelColor(x, y);
      if (colour.green() > 128 && colour.red() < 64 && colour.blue() < 64) return true;
    }
  }
  return false;
}

struct Fixture {
  StatusLine line;
  Fixture() {
    line.SetIconStrip(NumberedStrip());
    line.resize(529, 17);
  }
  QImage Shot() { return line.grab().toImage(); }
};

}  // namespace

class StatusLineTest : public QObject {
  Q_OBJECT

 private slots:
  void startsInTheClientFormWithTheCatalogueStrip() {
    StatusLine line;
    QCOMPARE(line.form(), StatusLine::Form::kClient);
    line.SetMode(1);
    QCOMPARE(line.form(), StatusLine::Form::kPlayer);
    line.SetMode(2);
    QCOMPARE(line.form(), StatusLine::Form::kClient);
  }

  void playerFormShowsTheStateIcon_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("row");
    const int rows[] = {64, 64, 16, 32, 16, 32, 48, 80};
    for (int state = 0; state < 8; ++state) QTest::addRow("state %d", state) << state << rows[state];
  }

  void playerFormShowsTheStateIcon() {
    QFETCH(int, state);
    QFETCH(int, row);
    Fixture fixture;
    fixture.line.SetMode(1);
    fixture.line.SetPlaybackState(state);
    const QImage shot = fixture.Shot();
    for (const QPoint& at : {QPoint(0, 0), QPoint(15, 15), QPoint(7, 3)}) {
      QCOMPARE(shot.pixel(4 + at.x(), at.y()), Strip(at.x(), row + at.y()));
    }
    QCOMPARE(shot.pixelColor(3, 5), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(20, 5), QColor(Qt::black));
  }

  void playerFormWritesBothTextsInTheirBoxes() {
    Fixture fixture;
    fixture.line.SetMode(1);
    fixture.line.SetPlaybackState(6);
    fixture.line.SetTexts(QStringLiteral("Pause"), QString());
    QImage shot = fixture.Shot();
    QVERIFY(HasText(shot, QRect(32, 0, 200, 17)));
    QVERIFY(!HasText(shot, QRect(232, 0, 297, 17)));

    fixture.line.SetTexts(QStringLiteral("Play x 32.0   "), QStringLiteral("2008/01/01 00:00:00"));
    QCOMPARE(fixture.line.timeText(), QStringLiteral("2008/01/01 00:00:00"));
    shot = fixture.Shot();
    QVERIFY(HasText(shot, QRect(252, 0, 277, 17)));
    QVERIFY(!HasText(shot, QRect(0, 0, 32, 17)));
  }

  void clientFormShowsConnectionAndLitChannelsWhileOnline() {
    Fixture fixture;
    fixture.line.SetConnectionState(StatusLine::kOnline);
    fixture.line.SetTexts(QStringLiteral("Play"), QStringLiteral("2008/01/01 00:00:00"));
    QImage shot = fixture.Shot();
    // Every piece lands 16 pixels left of its place in the strip.
    QCOMPARE(shot.pixel(0, 0), Strip(16, 48));
    QCOMPARE(shot.pixel(101, 15), Strip(117, 63));
    for (int channel = 0; channel < 4; ++channel) {
      QCOMPARE(shot.pixel(112 + 24 * channel, 2), Strip(128 + 24 * channel, 16 + 2));
      QCOMPARE(shot.pixel(112 + 24 * channel + 23, 2), Strip(128 + 24 * channel + 23, 16 + 2));
    }
    QCOMPARE(shot.pixel(340, 4), Strip(356, 16 + 4));
    QCOMPARE(shot.pixel(360, 4), Strip(376, 16 + 4));
    QCOMPARE(shot.pixelColor(361, 4), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(105, 4), QColor(Qt::black));
    QVERIFY(!HasText(shot, shot.rect()));

    fixture.line.SetConnectionState(1);
    shot = fixture.Shot();
    QCOMPARE(shot.pixel(0, 0), Strip(16, 16));
    QCOMPARE(shot.pixel(112, 2), Strip(128, 2));
    QCOMPARE(shot.pixel(340, 4), Strip(356, 4));
  }

  // A state beyond the strip draws no piece rather than reading outside it.
  void statesOutsideTheStripDrawNothing() {
    Fixture fixture;
    fixture.line.SetConnectionState(9);
    QCOMPARE(fixture.Shot().pixelColor(0, 0), QColor(Qt::black));
    fixture.line.SetMode(1);
    fixture.line.SetPlaybackState(-1);
    QCOMPARE(fixture.Shot().pixelColor(4, 0), QColor(Qt::black));
    fixture.line.SetPlaybackState(8);
    QCOMPARE(fixture.Shot().pixelColor(4, 0), QColor(Qt::black));
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::StatusLineTest)
#include "status_line_test.moc"
