#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "ui/artwork.h"
#include "ui/skin_button.h"

namespace tavrix {
namespace {

const QColor kNormal(200, 0, 0);
const QColor kPressed(0, 200, 0);
const QColor kHover(0, 0, 200);
const QColor kDisabled(90, 90, 90);
const QColor kParentBackground(250, 250, 0);

// A 120 x 20 strip: four plain slices and a mask whose black square leaves
// a 4-pixel white border, where the parent's background must show.
QPixmap MaskedStrip() {
  QPixmap strip(120, 20);
  QPainter painter(&strip);
  const QColor slices[] = {kNormal, kPressed, kHover, kDisabled};
  for (int index = 0; index < 4; ++index) painter.fillRect(index * 24, 0, 24, 20, slices[index]);
  painter.fillRect(96, 0, 24, 20, Qt::white);
  painter.fillRect(100, 4, 16, 12, Qt::black);
  return strip;
}

// A parent with a plain background and one button at (10, 10).
struct Fixture {
  QWidget parent;
  SkinButton* button;

  explicit Fixture(SkinButton::Kind kind = SkinButton::Kind::kPushButton) {
    parent.resize(100, 60);
    parent.setAutoFillBackground(true);
    QPalette colours = parent.palette();
    colours.setColor(QPalette::Window, kParentBackground);
    parent.setPalette(colours);
    button = new SkinButton(kind, &parent);
    button->move(10, 10);
    button->SetStrip(MaskedStrip());
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
  }

  // The colour in the middle of the button as it is painted now.
  QColor Shown() { return parent.grab().toImage().pixelColor(10 + 12, 10 + 10); }
};

}  // namespace

class SkinButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void slicesTheStripAndTakesTheSizeOfOneSlice() {
    Fixture fixture;
    QCOMPARE(fixture.button->sliceSize(), QSize(24, 20));
    QCOMPARE(fixture.button->size(), QSize(24, 20));
    QCOMPARE(fixture.button->pos(), QPoint(10, 10));

    SkinButton plain;
    plain.SetStrip(MaskedStrip(), false, -3, false);
    QCOMPARE(plain.size(), QSize(30, 20));

    SkinButton play;
    QVERIFY(play.SetStrip(art::kPlay));
    QCOMPARE(play.size(), QSize(29, 26));
    QVERIFY(!play.SetStrip(99999));
  }

  void theMaskLetsTheBackgroundShowThrough() {
    Fixture fixture;
    const QImage shot = fixture.parent.grab().toImage();
    QCOMPARE(shot.pixelColor(10 + 12, 10 + 10), kNormal);
    QCOMPARE(shot.pixelColor(10 + 1, 10 + 1), kParentBackground);
    QCOMPARE(shot.pixelColor(10 + 22, 10 + 18), kParentBackground);
  }

  void showsTheSliceOfItsState() {
    Fixture fixture;
    SkinButton* button = fixture.button;
    QCOMPARE(fixture.Shown(), kNormal);

    QTest::mouseMove(button, QPoint(12, 10));
    QTRY_VERIFY(button->isHovered());
    QCOMPARE(fixture.Shown(), kHover);

    // A press ends the hover and shows the pressed slice.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 10));
    QVERIFY(!button->isHovered());
    QCOMPARE(fixture.Shown(), kPressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(12, 10));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QVERIFY(!button->isHovered());
    QCOMPARE(fixture.Shown(), kNormal);

    button->setEnabled(false);
    QCOMPARE(fixture.Shown(), kDisabled);
  }

  // Dragging off shows the normal slice, back on the pressed one, and only a
  // release on the button clicks it.
  void clicksOnlyWhenReleasedOnTheButton() {
    Fixture fixture;
    SkinButton* button = fixture.button;
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(button->currentSlice(), SkinButton::kPressedSlice);
    QTest::mouseMove(button, QPoint(60, 10));
    QCOMPARE(button->currentSlice(), SkinButton::kNormalSlice);
    QCOMPARE(fixture.Shown(), kNormal);
    QTest::mouseMove(button, QPoint(12, 10));
    QCOMPARE(button->currentSlice(), SkinButton::kPressedSlice);
    QTest::mouseMove(button, QPoint(60, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(60, 10));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(button->currentSlice(), SkinButton::kNormalSlice);

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(clicks.count(), 1);
  }

  void aCheckBoxTogglesOnEveryClickAndOnSpace() {
    Fixture fixture(SkinButton::Kind::kCheckBox);
    SkinButton* box = fixture.button;
    QSignalSpy clicks(box, &QAbstractButton::clicked);

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(12, 10));
    QVERIFY(box->GetCheck());
    // The click arrives with the new state already set.
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toBool(), true);
    QCOMPARE(fixture.Shown(), kPressed);

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(12, 10));
    QVERIFY(!box->GetCheck());
    QCOMPARE(fixture.Shown(), kNormal);

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(box->GetCheck());

    box->SetCheck(false);
    QVERIFY(!box->GetCheck());
    QCOMPARE(fixture.Shown(), kNormal);
  }

  void aPushButtonStaysUnchecked() {
    Fixture fixture;
    fixture.button->SetCheck(true);
    QVERIFY(!fixture.button->GetCheck());
    QTest::mouseClick(fixture.button, Qt::LeftButton, {}, QPoint(12, 10));
    QVERIFY(!fixture.button->GetCheck());
  }

  // A radio button unchecks the other radio buttons of its parent, and
  // only those.
  void aRadioButtonUnchecksTheOthersOfItsGroup() {
    QWidget group;
    QWidget otherGroup;
    SkinButton* radios[3];
    for (int index = 0; index < 3; ++index) {
      radios[index] = new SkinButton(SkinButton::Kind::kRadioButton, &group);
      radios[index]->SetStrip(MaskedStrip());
      radios[index]->move(30 * index, 0);
    }
    auto* box = new SkinButton(SkinButton::Kind::kCheckBox, &group);
    box->SetCheck(true);
    auto* elsewhere = new SkinButton(SkinButton::Kind::kRadioButton, &otherGroup);
    elsewhere->SetCheck(true);
    group.show();

    radios[0]->SetCheck(true);
    QTest::mouseClick(radios[2], Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!radios[0]->GetCheck());
    QVERIFY(!radios[1]->GetCheck());
    QVERIFY(radios[2]->GetCheck());
    QVERIFY(box->GetCheck());
    QVERIFY(elsewhere->GetCheck());

    // Clicking the checked one keeps it checked; it can be unchecked in code.
    QTest::mouseClick(radios[2], Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(radios[2]->GetCheck());
    radios[2]->SetCheck(false);
    QVERIFY(!radios[2]->GetCheck());
  }

  void losingTheFocusEndsAPress() {
    Fixture fixture;
    auto* other = new QWidget(&fixture.parent);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    fixture.button->setFocusPolicy(Qt::StrongFocus);
    fixture.parent.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.parent));
    fixture.button->setFocus();
    QSignalSpy clicks(fixture.button, &QAbstractButton::clicked);
    QTest::mousePress(fixture.button, Qt::LeftButton, {}, QPoint(12, 10));
    QVERIFY(fixture.button->isDown());
    other->setFocus();
    QTRY_VERIFY(!fixture.button->isDown());
    QTest::mouseRelease(fixture.button, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(clicks.count(), 0);
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::SkinButtonTest)
#include "skin_button_test.moc"
