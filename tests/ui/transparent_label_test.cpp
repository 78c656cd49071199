#include <QtTest>

#include "ui/transparent_label.h"

namespace tavrix {
namespace {

const QColor kBackground(30, 60, 90);

struct Fixture {
  QWidget parent;
  TransparentLabel* label;
  Fixture() {
    parent.resize(200, 40);
    parent.setAutoFillBackground(true);
    QPalette colours = parent.palette();
    colours.setColor(QPalette::Window, kBackground);
    parent.setPalette(colours);
    label = new TransparentLabel(QStringLiteral("Tavrix Viewer 2.81"), &parent);
    label->setGeometry(10, 10, 180, 20);
  }
  QImage Shot() { return parent.grab(QRect(10, 10, 180, 20)).toImage(); }
};

// Pixels of exactly `colour`, and pixels of neither it nor the background.
int Count(const QImage& shot, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) count += shot.pixelColor(x, y) == colour;
  }
  return count;
}

}  // namespace

class TransparentLabelTest : public QObject {
  Q_OBJECT

 private slots:
  // Around its text the label shows its parent's background; the text is
  // white at first and takes the colour it is given.
  void drawsItsTextOverTheParentsBackground() {
    Fixture fixture;
    QCOMPARE(fixture.label->textColour(), QColor(Qt::white));
    QImage shot = fixture.Shot();
    QCOMPARE(shot.pixelColor(0, 0), kBackground);
    QCOMPARE(shot.pixelColor(179, 19), kBackground);
    QVERIFY(Count(shot, Qt::white) > 10);

    fixture.label->SetTextColour(Qt::red);
    shot = fixture.Shot();
    QCOMPARE(Count(shot, Qt::white), 0);
    QVERIFY(Count(shot, Qt::red) > 10);
  }

  void repaintsWhenItsTextChanges() {
    Fixture fixture;
    const QImage before = fixture.Shot();
    fixture.label->setText(QStringLiteral("/recordings/2008-01-01/channel-four.VVF"));
    QVERIFY(fixture.Shot() != before);
    fixture.label->setText(QString());
    QCOMPARE(Count(fixture.Shot(), kBackground), 180 * 20);
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::TransparentLabelTest)
#include "transparent_label_test.moc"
