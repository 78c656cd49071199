#include "app/display_check.h"

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdlib>

namespace tavrix {
namespace {

bool X11DisplayAnswers(const std::string& display) {
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  const bool answered = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return answered;
}

bool WaylandPluginInstalled() {
  const QString platforms = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/";
  return QFileInfo::exists(platforms + "libqwayland-generic.so") || QFileInfo::exists(platforms + "libqwayland-egl.so");
}

bool WaylandSocketExists(const std::string& display, const std::string& runtimeDir) {
  const std::string path = display.starts_with('/') ? display : runtimeDir + "/" + display;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

std::optional<std::string> DisplayProblem(const EnvironmentLookup& environment) {
  const std::string x11 = environment("DISPLAY");
  const std::string wayland = environment("WAYLAND_DISPLAY");
  std::string platforms = environment("QT_QPA_PLATFORM");
  if (platforms.empty()) {
    platforms = environment("XDG_SESSION_TYPE") == "wayland" && !wayland.empty() ? "wayland;xcb" : "xcb";
  }
  // Qt tries the platforms of the list in turn; one that starts is enough.
  for (const QString& entry : QString::fromStdString(platforms).split(';', Qt::SkipEmptyParts)) {
    const QString name = entry.section(':', 0, 0).trimmed();
    if (name == "xcb") {
      if (!x11.empty() && X11DisplayAnswers(x11)) return std::nullopt;
    } else if (name.startsWith("wayland")) {
      if (!wayland.empty() && WaylandPluginInstalled() && WaylandSocketExists(wayland, environment("XDG_RUNTIME_DIR"))) {
        return std::nullopt;
      }
    } else {
      // offscreen, vnc, linuxfb, eglfs ...: they need no display server.
      return std::nullopt;
    }
  }
  if (x11.empty() && wayland.empty()) return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
  if (!x11.empty()) return "cannot open the display \"" + x11 + "\"";
  return "cannot open the Wayland display \"" + wayland + "\"";
}

std::string ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace tavrix
