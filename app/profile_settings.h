#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/ini_document.h"

namespace tavrix {

// The viewer's persistent settings: the 18 keys of the section
// "Tavrix Viewer", loaded once at start and written when the window closes.
struct ProfileSettings {
  std::string capturePath;
  std::string localRecordingPath;
  int alwaysOnTop = 0;
  int showTime = 1;
  int repeat = 0;
  std::string timeFormat = "%Y/%m/%d %H:%M:%S";
  int volume = 0;  // 0-65535
  int mute = 0;
  std::string ipAddress = "192.168.1.100";
  int port = 8841;
  int dynamicIp = 0;
  int useDirectDraw = 1;
  int autoReconnect = 1;
  std::uint32_t timeoutMs = 7000;  // whole seconds in the profile
  std::string ddnsIp = "192.168.1.100";
  int ddnsPort = 1800;
  std::string dvrName = "DVR000";
  int mouseMode = 1;  // 0 off, 1 on with the DVR's cursor hidden, 2 shown

  // The defaults; both folders are "Capture" in the user's home folder.
  static ProfileSettings Defaults(std::string_view homeFolder);

  bool operator==(const ProfileSettings&) const = default;
};

inline constexpr std::string_view kProfileSection = "Tavrix Viewer";

// Reads the 18 keys, each with its default when it is missing. A value that
// is not a whole number or lies outside its key's range (ports 1-65535, the
// time-out 1-4,294,967 s, volume 0-65535, the mouse mode 0-2, switches 0-1)
// also gives the default; the names of such keys are appended to `badKeys`,
// separated by ", ".
ProfileSettings ReadProfileSettings(const IniDocument& document, std::string_view homeFolder, std::string& badKeys);

// Writes the 18 keys in their fixed order; the time-out as whole seconds.
void WriteProfileSettings(const ProfileSettings& settings, IniDocument& document);

}  // namespace tavrix
