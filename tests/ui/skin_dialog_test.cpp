#include <QImage>
#include <QPainter>
#include <QtTest>

#include "ui/skin_background.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace tavrix {
namespace {

// A picture whose every pixel tells where it came from.
QPixmap Numbered(QSize size, int ratio = 1) {
  QImage image(size * ratio, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, (x >> 8) | ((y >> 8) << 4)));
  }
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

QRgb Source(int x, int y) {
  return qRgb(x & 0xff, y & 0xff, (x >> 8) | ((y >> 8) << 4));
}

const QColor kFill(1, 2, 3);

}  // namespace

class SkinDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // A 500 x 300 background on an 800 x 600 client: 250 x 150 quarters, the
  // right ones at x 549 and the bottom ones at y 449; strips 50 wide and 30
  // high stretched to 300; the last column and row and the centre are fill.
  void composesQuartersAndStretchedEdges() {
    const QImage out = ComposeSkinBackground(Numbered({500, 300}), {800, 600}, kFill).toImage();
    QCOMPARE(out.size(), QSize(800, 600));
    // Quarters (their first right column and bottom row lie under the edges).
    QCOMPARE(out.pixel(0, 0), Source(0, 0));
    QCOMPARE(out.pixel(249, 149), Source(249, 149));
    QCOMPARE(out.pixel(550, 0), Source(251, 0));
    QCOMPARE(out.pixel(798, 149), Source(499, 149));
    QCOMPARE(out.pixel(10, 450), Source(10, 151));
    QCOMPARE(out.pixel(798, 598), Source(499, 299));
    // The top edge: source x 250..299 stretched six times over x 250..549.
    for (int k = 0; k < 300; ++k) {
      QCOMPARE(out.pixel(250 + k, 7), Source(250 + k / 6, 7));
      QCOMPARE(out.pixel(250 + k, 460), Source(250 + k / 6, 161));
    }
    // The left edge: source y 150..179 stretched ten times over y 150..449.
    for (int k = 0; k < 300; ++k) {
      QCOMPARE(out.pixel(3, 150 + k), Source(3, 150 + k / 10));
      QCOMPARE(out.pixel(700, 150 + k), Source(401, 150 + k / 10));
    }
    // One pixel short of the right and bottom edges, and the open centre.
    QCOMPARE(out.pixel(799, 10), kFill.rgb());
    QCOMPARE(out.pixel(10, 599), kFill.rgb());
    QCOMPARE(out.pixel(400, 300), kFill.rgb());
  }

  // The same composition at 200 %: every logical pixel is two by two.
  void composesAtDoubleResolution() {
    const QPixmap composed = ComposeSkinBackground(Numbered({500, 300}, 2), {800, 600}, kFill);
    QCOMPARE(composed.devicePixelRatio(), 2.0);
    const QImage out = composed.toImage();
    QCOMPARE(out.size(), QSize(1600, 1200));
    QCOMPARE(out.pixel(2 * 560 + 1, 2 * 20), Source(2 * 261 + 1, 2 * 20));
    QCOMPARE(out.pixel(2 * 10, 2 * 450 + 1), Source(2 * 10, 2 * 151 + 1));
    QCOMPARE(out.pixel(1599, 20), kFill.rgb());
  }

  // Narrower than the bitmap: no stretched edge, and nothing mirrored.
  void skipsEdgesOfNoWidth() {
    const QImage out = ComposeSkinBackground(Numbered({500, 300}), {400, 300}, kFill).toImage();
    QCOMPARE(out.pixel(10, 10), Source(10, 10));
    QCOMPARE(out.pixel(149, 10), Source(250, 10));
  }

  void roundsTheRegionCorners() {
    const QRegion region = RoundRectRegion({800, 600}, 12, 12);
    QVERIFY(!region.contains(QPoint(0, 0)));
    QVERIFY(!region.contains(QPoint(799, 0)));
    QVERIFY(!region.contains(QPoint(0, 599)));
    QVERIFY(!region.contains(QPoint(799, 599)));
    QVERIFY(region.contains(QPoint(6, 0)));
    QVERIFY(region.contains(QPoint(0, 6)));
    QVERIFY(region.contains(QPoint(400, 300)));
    QCOMPARE(region.boundingRect(), QRect(0, 0, 800, 600));
    QCOMPARE(RoundRectRegion({50, 40}, 0, 0), QRegion(0, 0, 50, 40));
  }

  void paintsTheCompositionAndReshapesOnEveryResize() {
    SkinDialog dialog;
    dialog.SetBackground(Numbered({500, 300}));
    dialog.SetCorners(12, 12);
    dialog.resize(800, 600);
    const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot, ComposeSkinBackground(Numbered({500, 300}), {800, 600}, SkinDialog::FillColour()).toImage());
    QCOMPARE(dialog.mask(), RoundRectRegion({800, 600}, 12, 12));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(640, 480);
    QTRY_COMPARE(dialog.mask(), RoundRectRegion({640, 480}, 12, 12));
  }

  void withoutBackgroundKeepsThePlainWindow() {
    SkinDialog dialog;
    dialog.SetCorners(12, 12);
    dialog.resize(300, 200);
    QVERIFY(dialog.mask().isEmpty());
  }

  // On platforms that cannot move a window for us (the off-screen one) the
  // dialog follows the pointer itself.
  void dragsByTheBodyButNotByAButton() {
    SkinDialog dialog;
    dialog.SetBackground(Numbered({200, 100}));
    dialog.resize(300, 200);
    auto* button = new SkinButton(SkinButton::Kind::kPushButton, &dialog);
    button->setGeometry(200, 150, 40, 30);
    dialog.move(100, 100);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();

    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(&dialog, QPoint(80, 70));
    QTRY_COMPARE(dialog.pos(), start + QPoint(30, 20));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(50, 50));

    const QPoint moved = dialog.pos();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(25, 25));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(25, 25));
    QCOMPARE(dialog.pos(), moved);

    dialog.SetDrag(false);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(&dialog, QPoint(90, 90));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(90, 90));
    QCOMPARE(dialog.pos(), moved);
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::SkinDialogTest)
#include "skin_dialog_test.moc"
