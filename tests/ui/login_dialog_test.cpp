#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "tests/ui/recorded_prompts.h"
#include "ui/login_dialog.h"

Q_DECLARE_METATYPE(tavrix::LoginValues)

namespace tavrix {
namespace {

LoginValues Stored(bool dynamicIp) {
  LoginValues values;
  values.dynamicIp = dynamicIp;
  values.ipAddress = "192.168.1.100";
  values.port = 8841;
  values.dvrName = "DVR000";
  values.password = "left over";
  return values;
}

}  // namespace

class LoginDialogTest : public QObject {
  Q_OBJECT

  // The dialog's parts, found the way a user sees them.
  struct Parts {
    explicit Parts(LoginDialog& dialog)
        : dynamicIp(dialog.findChild<QCheckBox*>(QStringLiteral("dynamicIp"))),
          address(dialog.findChild<QLineEdit*>(QStringLiteral("address"))),
          port(dialog.findChild<QLineEdit*>(QStringLiteral("port"))),
          password(dialog.findChild<QLineEdit*>(QStringLiteral("password"))),
          login(dialog.findChild<QPushButton*>(QStringLiteral("ok"))),
          addressLabel(dialog.findChild<QLabel*>(QStringLiteral("addressLabel"))),
          portLabel(dialog.findChild<QLabel*>(QStringLiteral("portLabel"))) {}
    QCheckBox* dynamicIp;
    QLineEdit* address;
    QLineEdit* port;
    QLineEdit* password;
    QPushButton* login;
    QLabel* addressLabel;
    QLabel* portLabel;
  };

 private slots:
  void showsTheCallersVariant_data() {
    QTest::addColumn<bool>("dynamicIp");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("address");
    QTest::newRow("direct") << false << "IP address:" << "192.168.1.100";
    QTest::newRow("dynamic ip") << true << "Select DVR" << "DVR000";
  }

  void showsTheCallersVariant() {
    QFETCH(bool, dynamicIp);
    QFETCH(QString, label);
    QFETCH(QString, address);
    LoginDialog dialog(Stored(dynamicIp));
    dialog.show();
    Parts parts(dialog);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Login"));
    QCOMPARE(parts.login->text(), QStringLiteral("Login"));
    QVERIFY(!parts.dynamicIp->isVisible());
    QCOMPARE(parts.dynamicIp->isChecked(), dynamicIp);
    QCOMPARE(parts.addressLabel->text(), label);
    QCOMPARE(parts.address->text(), address);
    QCOMPARE(parts.port->isVisible(), !dynamicIp);
    QCOMPARE(parts.portLabel->isVisible(), !dynamicIp);
    QCOMPARE(parts.port->text(), QStringLiteral("8841"));
    QVERIFY(parts.password->text().isEmpty());  // never the caller's
    QCOMPARE(parts.password->echoMode(), QLineEdit::Password);
  }

  void loginGivesTheEntriesBack_data() {
    QTest::addColumn<bool>("dynamicIp");
    QTest::addColumn<QString>("port");
    QTest::addColumn<LoginValues>("expected");
    LoginValues direct = Stored(false);
    direct.ipAddress = "dvr.example.net";
    direct.port = 9000;
    direct.password = "s3cret";
    LoginValues dynamic = Stored(true);
    dynamic.dvrName = "dvr.example.net";
    dynamic.password = "s3cret";
    QTest::newRow("direct") << false << "9000" << direct;
    // The hidden port is neither judged nor taken: the caller's passes through.
    QTest::newRow("dynamic ip") << true << "junk" << dynamic;
  }

  void loginGivesTheEntriesBack() {
    QFETCH(bool, dynamicIp);
    QFETCH(QString, port);
    QFETCH(LoginValues, expected);
    RecordedPrompts recorded;
    LoginDialog dialog(Stored(dynamicIp));
    dialog.SetPrompts(recorded.prompts());
    dialog.show();
    Parts parts(dialog);
    parts.address->setText(QStringLiteral("dvr.example.net"));
    parts.port->setText(port);
    QTest::keyClicks(parts.password, QStringLiteral("s3cret"));
    QTest::mouseClick(parts.login, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(recorded.warnings.isEmpty());
    QCOMPARE(dialog.values(), expected);
  }

  void portOutsideItsRangeIsRefused_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("port");  // 0: refused
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "http" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("above 65535") << "70000" << 0;  // must never wrap to 4464
    QTest::newRow("huge") << "99999999999999999999" << 0;
    QTest::newRow("trailing letters") << "8841x" << 0;
    QTest::newRow("lowest") << "1" << 1;
    QTest::newRow("highest") << "65535" << 65535;
    QTest::newRow("blanks around") << " 80 " << 80;
  }

  void portOutsideItsRangeIsRefused() {
    QFETCH(QString, entry);
    QFETCH(int, port);
    RecordedPrompts recorded;
    LoginDialog dialog(Stored(false));
    dialog.SetPrompts(recorded.prompts());
    dialog.show();
    Parts parts(dialog);
    parts.port->setText(entry);
    parts.login->setFocus();
    QTest::mouseClick(parts.login, Qt::LeftButton);
    if (port == 0) {
      QCOMPARE(recorded.warnings, QStringList{QStringLiteral("Please enter a whole number from 1 to 65535.")});
      QVERIFY(dialog.isVisible());
      QCOMPARE(dialog.focusWidget(), parts.port);
      QCOMPARE(dialog.values().port, 8841);
    } else {
      QVERIFY(recorded.warnings.isEmpty());
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(dialog.values().port, port);
    }
  }

  // The switch exists though it is hidden: it shows the stored address of
  // the other variant, dropping what was typed, and hides or shows the port.
  void switchingVariantShowsTheStoredAddress() {
    LoginDialog dialog(Stored(false));
    dialog.show();
    Parts parts(dialog);
    parts.address->setText(QStringLiteral("typed"));
    parts.dynamicIp->setChecked(true);
    QCOMPARE(parts.addressLabel->text(), QStringLiteral("Select DVR"));
    QCOMPARE(parts.address->text(), QStringLiteral("DVR000"));
    QVERIFY(!parts.port->isVisible());
    parts.dynamicIp->setChecked(false);
    QCOMPARE(parts.addressLabel->text(), QStringLiteral("IP address:"));
    QCOMPARE(parts.address->text(), QStringLiteral("192.168.1.100"));
    QVERIFY(parts.port->isVisible());
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::LoginDialogTest)
#include "login_dialog_test.moc"
