#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "ui/disk_select_dialog.h"

namespace tavrix {
namespace {

DiskEntry Disk(int number, const std::string& device, std::uint64_t bytes) {
  DiskEntry disk;
  disk.number = number;
  disk.devicePath = device;
  disk.mediaType = "Fixed";
  disk.sizeBytes = bytes;
  disk.readable = true;
  return disk;
}

std::vector<DiskEntry> TwoDisks() {
  return {Disk(3, "/dev/sdc", 80'026'361'856), Disk(7, "/dev/sdh", 1ull << 30)};
}

QPushButton* Button(QDialog& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

}  // namespace

class DiskSelectDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void noDrivesGiveAnEmptyPath() {
    DiskSelectDialog dialog({});
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Disk Select"));
    QCOMPARE(dialog.findChild<QListWidget*>()->count(), 0);
    QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.devicePath().empty());
  }

  void listsTheDisksItIsGiven() {
    DiskSelectDialog dialog(TwoDisks());
    auto* list = dialog.findChild<QListWidget*>();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("DISK3  Fixed           76319 MB"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("DISK7  Fixed            1024 MB"));
    QCOMPARE(list->item(1)->toolTip(), QStringLiteral("/dev/sdh"));
  }

  void okGivesTheDeviceOfTheChosenLine_data() {
    QTest::addColumn<int>("row");  // -1: left as it opened
    QTest::addColumn<QString>("device");
    QTest::newRow("first line at the start") << -1 << "/dev/sdc";
    QTest::newRow("second line") << 1 << "/dev/sdh";
  }

  void okGivesTheDeviceOfTheChosenLine() {
    QFETCH(int, row);
    QFETCH(QString, device);
    DiskSelectDialog dialog(TwoDisks());
    dialog.show();
    auto* list = dialog.findChild<QListWidget*>();
    if (row >= 0) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(dialog.devicePath()), device);
  }

  void doubleClickChoosesTheLine() {
    DiskSelectDialog dialog(TwoDisks());
    dialog.show();
    auto* list = dialog.findChild<QListWidget*>();
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.devicePath(), std::string("/dev/sdh"));
  }

  void diskImageIsChosenInsteadOfADrive() {
    DiskSelectDialog dialog(TwoDisks());
    int asked = 0;
    QString answer;
    dialog.SetImagePicker([&](QWidget* parent) {
      ++asked;
      if (parent != &dialog) qFatal("the picker is not owned by the dialog");
      return answer;
    });
    dialog.show();
    QPushButton* image = Button(dialog, "openImage");
    QCOMPARE(image->text(), QStringLiteral("Open Disk Image..."));

    QTest::mouseClick(image, Qt::LeftButton);  // cancelled: still choosing
    QCOMPARE(asked, 1);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.devicePath().empty());

    answer = QStringLiteral("/home/user/dvr disk.img");
    QTest::mouseClick(image, Qt::LeftButton);
    QCOMPARE(asked, 2);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.devicePath(), std::string("/home/user/dvr disk.img"));
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::DiskSelectDialogTest)
#include "disk_select_dialog_test.moc"
