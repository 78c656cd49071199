// Grabs each dialog into its own PNG for people to look at, filled with
// typical values: dialogs-login.png, dialogs-login-dynamic.png,
// dialogs-options.png, dialogs-network-options.png, dialogs-disk-select.png,
// dialogs-folder-chooser.png and dialogs-about.png.
//
//   tavrix_dialog_sheet [out-folder]

#include <cstdio>
#include <functional>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTreeView>

#include "ui/about_dialog.h"
#include "ui/disk_select_dialog.h"
#include "ui/folder_chooser.h"
#include "ui/login_dialog.h"
#include "ui/network_options_dialog.h"
#include "ui/options_dialog.h"

namespace tavrix {
namespace {

bool Save(QDialog& dialog, const QDir& folder, const char* name) {
  dialog.show();
  QApplication::processEvents();
  const QString file = folder.filePath(QStringLiteral("dialogs-%1.png").arg(QString::fromLatin1(name)));
  if (dialog.grab().save(file)) return true;
  std::fprintf(stderr, "dialog_sheet: cannot write %s\n", qPrintable(file));
  return false;
}

// The tree fills in the background and then brings the chosen folder into
// view; give it a moment to get there.
void LetTheTreeLoad(FolderChooser& chooser) {
  auto* tree = chooser.findChild<QTreeView*>();
  const auto shown = [tree] {
    const QRect row = tree->visualRect(tree->currentIndex());
    return row.isValid() && tree->viewport()->rect().contains(row.center()) && row.top() > tree->viewport()->height() / 4;
  };
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 3000 && !shown()) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  using namespace tavrix;
  QApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  if (!folder.exists() && !QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "dialog_sheet: cannot make %s\n", qPrintable(folder.path()));
    return 1;
  }
  bool saved = true;

  LoginValues login{false, "192.168.1.100", 8841, "DVR000", {}};
  LoginDialog direct(login);
  saved &= Save(direct, folder, "login");
  login.dynamicIp = true;
  LoginDialog dynamic(login);
  saved &= Save(dynamic, folder, "login-dynamic");

  OptionsDialog options({false, true, true, true, "/home/user/Capture", "%Y/%m/%d %H:%M:%S"});
  saved &= Save(options, folder, "options");

  NetworkOptionsDialog network({true, true, true, 7000, "/home/user/Capture", "192.168.1.100", 1800, 1});
  saved &= Save(network, folder, "network-options");

  DiskEntry fixed{0, "/dev/sda", "Fixed", 80'026'361'856, true};
  DiskEntry removable{1, "/dev/sdb", "Removable", 250'059'350'016, false};
  DiskSelectDialog disks({fixed, removable});
  saved &= Save(disks, folder, "disk-select");

  FolderChooser chooser(QString::fromLatin1(FolderChooser::kCaption), QString::fromLatin1(FolderChooser::kPrompt),
                        QStringLiteral("/usr/share"));
  chooser.show();
  LetTheTreeLoad(chooser);
  saved &= Save(chooser, folder, "folder-chooser");

  AboutDialog about;
  saved &= Save(about, folder, "about");
  return saved ? 0 : 1;
}
