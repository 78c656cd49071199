// tavrix-viewer [FILE] [/IP:addr /PORT:n]: the viewer window.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/display_check.h"
#include "app/main_dialog.h"
#include "app/profile_file.h"
#include "ui/artwork.h"

namespace {

constexpr const char* kUsage =
    "usage: tavrix-viewer [FILE] [/IP:address /PORT:port]\n"
    "Plays a VVF recording (or a DVR disk) in the viewer window.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && (words.front() == "--help" || words.front() == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // Qt ends the process when its platform cannot start: find out first.
  if (const auto problem = tavrix::DisplayProblem(tavrix::ProcessEnvironment)) {
    std::fprintf(stderr, "tavrix-viewer: %s; the viewer needs a graphical display\n", problem->c_str());
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("tavrix-viewer");
  QApplication::setWindowIcon(tavrix::Artwork::ApplicationIcon());
  // After Qt has taken its own options (-style, ...) out of the arguments.
  const tavrix::CommandLine commandLine = tavrix::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  tavrix::MainDialog window(commandLine, tavrix::ProfilePath("tavrix-viewer"));
  window.exec();
  return 0;
}
