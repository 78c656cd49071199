// Starting tavrix-viewer where no window can be shown: one line, exit 1,
// and never an abort inside Qt.
#include <QProcess>
#include <QTest>
#include <map>

#include "app/display_check.h"

namespace tavrix {

class ViewerStartTest : public QObject {
  Q_OBJECT

 private slots:
  void DisplayProblems_data() {
    QTest::addColumn<QStringList>("environment");  // NAME=value pairs
    QTest::addColumn<QString>("problem");          // part of the line; empty: none
    QTest::newRow("nothing set") << QStringList{} << "neither DISPLAY nor WAYLAND_DISPLAY";
    QTest::newRow("off-screen needs no display") << QStringList{"QT_QPA_PLATFORM=offscreen"} << "";
    QTest::newRow("a platform with options") << QStringList{"QT_QPA_PLATFORM=vnc:size=800x600"} << "";
    QTest::newRow("x11 without DISPLAY") << QStringList{"QT_QPA_PLATFORM=xcb"} << "neither DISPLAY";
    QTest::newRow("a fallback Qt will reach") << QStringList{"QT_QPA_PLATFORM=xcb;offscreen"} << "";
    QTest::newRow("a display nobody serves") << QStringList{"DISPLAY=:4711"} << "cannot open the display \":4711\"";
    QTest::newRow("a Wayland socket that is not there")
        << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-4711", "XDG_RUNTIME_DIR=/nonexistent"}
        << "cannot open the Wayland display \"wayland-4711\"";
  }
  void DisplayProblems() {
    QFETCH(QStringList, environment);
    QFETCH(QString, problem);
    std::map<std::string, std::string> values;
    for (const QString& pair : environment) values[pair.section('=', 0, 0).toStdString()] = pair.section('=', 1).toStdString();
    const auto found = DisplayProblem([&](const char* name) {
      const auto value = values.find(name);
      return value == values.end() ? std::string() : value->second;
    });
    if (problem.isEmpty()) {
      QVERIFY2(!found, found ? found->c_str() : "");
    } else {
      QVERIFY(found.has_value());
      QVERIFY2(QString::fromStdString(*found).contains(problem), found->c_str());
    }
  }

  void WithoutADisplayTheViewerSaysSoAndEnds_data() {
    QTest::addColumn<QString>("display");
    QTest::newRow("no display") << "";
    QTest::newRow("a display nobody serves") << ":4711";
  }
  void WithoutADisplayTheViewerSaysSoAndEnds() {
    QFETCH(QString, display);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"}) environment.remove(name);
    if (!display.isEmpty()) environment.insert("DISPLAY", display);
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.start(TAVRIX_VIEWER, {"recording.VVF"});
    QVERIFY(viewer.waitForFinished(30'000));
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 1);
    const QString errors = QString::fromUtf8(viewer.readAllStandardError());
    QCOMPARE(errors.count('\n'), 1);
    QVERIFY2(errors.startsWith("tavrix-viewer: ") && errors.contains("display"), qPrintable(errors));
    QVERIFY(viewer.readAllStandardOutput().isEmpty());
  }

  void HelpNeedsNoDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.start(TAVRIX_VIEWER, {"--help"});
    QVERIFY(viewer.waitForFinished(30'000));
    QCOMPARE(viewer.exitCode(), 0);
    QVERIFY(viewer.readAllStandardOutput().startsWith("usage: tavrix-viewer"));
  }
};

}  // namespace tavrix

QTEST_GUILESS_MAIN(tavrix::ViewerStartTest)
#include "viewer_start_test.moc"
