#include "tests/app/viewer_fixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace tavrix::testing {

QString MakeSample(const QString& path, int seconds) {
  QProcess tool;
  tool.start(TAVRIX_CLI, {"make-sample", path, "--seconds", QString::number(seconds)});
  if (!tool.waitForFinished(600'000) || tool.exitCode() != 0 || !QFileInfo::exists(path)) {
    QTest::qFail(qPrintable("tavrix make-sample failed: " + tool.readAllStandardError()), __FILE__, __LINE__);
    return {};
  }
  return path;
}

QString ProfileIn(const QTemporaryDir& folder) { return folder.filePath("tavrix/tavrix-viewer.ini"); }

std::unique_ptr<MainDialog> ShowViewer(const QTemporaryDir& folder, const CommandLine& commandLine) {
  auto window = std::make_unique<MainDialog>(commandLine, ProfileIn(folder).toStdString());
  window->show();
  if (!QTest::qWaitForWindowExposed(window.get())) {
    QTest::qFail("the viewer window was never shown", __FILE__, __LINE__);
  }
  return window;
}

}  // namespace tavrix::testing
