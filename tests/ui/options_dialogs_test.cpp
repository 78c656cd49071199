#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "tests/ui/recorded_prompts.h"
#include "ui/folder_field.h"
#include "ui/network_options_dialog.h"
#include "ui/options_dialog.h"

namespace tavrix {
namespace {

template <typename Widget>
Widget* Find(QWidget& dialog, const char* name) {
  auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget named %s", name);
  return widget;
}

void PressOk(QWidget& dialog) {
  QPushButton* ok = Find<QPushButton>(dialog, "ok");
  ok->setFocus();
  QTest::mouseClick(ok, Qt::LeftButton);
}

NetworkOptionsValues NetworkStored() {
  NetworkOptionsValues values;
  values.alwaysOnTop = true;
  values.useDirectDraw = false;
  values.autoReconnect = true;
  values.timeoutMs = 7000;
  values.recordingPath = "/home/user/Capture";
  values.ddnsAddress = "10.1.2.3";
  values.ddnsPort = 1800;
  values.mouseMode = 2;
  return values;
}

// A folder picker that answers `answer` and writes down where it started.
struct RecordedPicker {
  std::optional<QString> answer;
  QStringList starts;
  FolderPicker picker() {
    return [this](QWidget*, const QString& initial) {
      starts << initial;
      return answer;
    };
  }
};

}  // namespace

class OptionsDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void optionsShowAndGiveBackTheirValues() {
    OptionsValues given;
    given.showTime = true;
    given.useDirectDraw = true;
    given.capturePath = "/home/user/Capture";
    given.timeFormat = "%H:%M";
    OptionsDialog dialog(given);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    QVERIFY(!Find<QCheckBox>(dialog, "alwaysOnTop")->isChecked());
    QVERIFY(Find<QCheckBox>(dialog, "showTime")->isChecked());
    QVERIFY(!Find<QCheckBox>(dialog, "repeat")->isChecked());
    QVERIFY(Find<QCheckBox>(dialog, "useDirectDraw")->isChecked());
    QCOMPARE(Find<FolderField>(dialog, "capturePath")->edit()->text(), QStringLiteral("/home/user/Capture"));

    for (const char* name : {"alwaysOnTop", "showTime", "repeat", "useDirectDraw"}) {
      Find<QCheckBox>(dialog, name)->click();
    }
    Find<FolderField>(dialog, "capturePath")->edit()->setText(QStringLiteral("/srv/stills"));
    PressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    OptionsValues expected{true, false, true, false, "/srv/stills", "%H:%M"};
    QVERIFY(dialog.values() == expected);
  }

  void browseStartsAtTheFieldAndTakesTheChoice() {
    RecordedPicker picked;
    OptionsDialog dialog(OptionsValues{});
    dialog.SetFolderPicker(picked.picker());
    auto* field = Find<FolderField>(dialog, "capturePath");
    QCOMPARE(field->title(), QStringLiteral("Path for still capture"));
    QCOMPARE(field->browseButton()->text(), QStringLiteral("Browse..."));

    field->edit()->setText(QStringLiteral("/typed/before"));
    QTest::mouseClick(field->browseButton(), Qt::LeftButton);  // cancelled
    QCOMPARE(field->edit()->text(), QStringLiteral("/typed/before"));

    picked.answer = QStringLiteral("/chosen/folder");
    QTest::mouseClick(field->browseButton(), Qt::LeftButton);
    QCOMPARE(picked.starts, (QStringList{"/typed/before", "/typed/before"}));
    QCOMPARE(field->edit()->text(), QStringLiteral("/chosen/folder"));
    dialog.accept();
    QCOMPARE(dialog.values().capturePath, std::string("/chosen/folder"));
  }

  void networkOptionsShowTheTimeoutInSeconds() {
    NetworkOptionsDialog dialog(NetworkStored());
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Network Options"));
    QCOMPARE(Find<QLineEdit>(dialog, "timeoutSeconds")->text(), QStringLiteral("7"));
    QVERIFY(Find<QCheckBox>(dialog, "alwaysOnTop")->isChecked());
    QVERIFY(!Find<QCheckBox>(dialog, "useDirectDraw")->isChecked());
    QVERIFY(Find<QCheckBox>(dialog, "autoReconnect")->isChecked());
    QCOMPARE(Find<FolderField>(dialog, "recordingPath")->edit()->text(), QStringLiteral("/home/user/Capture"));
    QVERIFY(Find<QRadioButton>(dialog, "mouseMode2")->isChecked());
    QCOMPARE(Find<QRadioButton>(dialog, "mouseMode1")->text(), QStringLiteral("Enable && Hidden cusor on DVR side"));
    QVERIFY(!Find<QCheckBox>(dialog, "repeat")->isEnabled());
  }

  void networkOptionsGiveBackTheirValues() {
    RecordedPrompts recorded;
    NetworkOptionsDialog dialog(NetworkStored());
    dialog.SetPrompts(recorded.prompts());
    dialog.show();
    auto* timeout = Find<QLineEdit>(dialog, "timeoutSeconds");
    timeout->selectAll();
    QTest::keyClicks(timeout, QStringLiteral("12"));
    Find<QCheckBox>(dialog, "useDirectDraw")->click();
    Find<QCheckBox>(dialog, "autoReconnect")->click();
    Find<QCheckBox>(dialog, "repeat")->click();  // disabled: no effect
    Find<QRadioButton>(dialog, "mouseMode0")->click();
    QVERIFY(!Find<QRadioButton>(dialog, "mouseMode2")->isChecked());
    Find<FolderField>(dialog, "recordingPath")->edit()->setText(QStringLiteral("/srv/live"));
    PressOk(dialog);
    QVERIFY(recorded.warnings.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    NetworkOptionsValues expected = NetworkStored();
    expected.timeoutMs = 12000;
    expected.useDirectDraw = true;
    expected.autoReconnect = false;
    expected.mouseMode = 0;
    expected.recordingPath = "/srv/live";
    QVERIFY(dialog.values() == expected);  // the dynamic-IP server passed through
  }

  void timeoutOutsideItsRangeIsRefused_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<qint64>("timeoutMs");  // -1: refused
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("zero") << "0" << qint64(-1);
    QTest::newRow("negative") << "-1" << qint64(-1);
    QTest::newRow("fraction") << "1.5" << qint64(-1);
    QTest::newRow("one past the top") << "4294968" << qint64(-1);  // times 1000 overflows 32 bits
    QTest::newRow("32-bit wrap") << "4294967297" << qint64(-1);
    QTest::newRow("one second") << "1" << qint64(1000);
    QTest::newRow("the top") << "4294967" << qint64(4294967000);
  }

  void timeoutOutsideItsRangeIsRefused() {
    QFETCH(QString, entry);
    QFETCH(qint64, timeoutMs);
    RecordedPrompts recorded;
    NetworkOptionsDialog dialog(NetworkStored());
    dialog.SetPrompts(recorded.prompts());
    dialog.show();
    auto* timeout = Find<QLineEdit>(dialog, "timeoutSeconds");
    timeout->setText(entry);
    PressOk(dialog);
    if (timeoutMs < 0) {
      QCOMPARE(recorded.warnings, QStringList{QStringLiteral("Please enter a whole number from 1 to 4294967.")});
      QVERIFY(dialog.isVisible());
      QCOMPARE(dialog.focusWidget(), timeout);
      QVERIFY(dialog.values() == NetworkStored());
    } else {
      QVERIFY(recorded.warnings.isEmpty());
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(qint64(dialog.values().timeoutMs), timeoutMs);
    }
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::OptionsDialogsTest)
#include "options_dialogs_test.moc"
