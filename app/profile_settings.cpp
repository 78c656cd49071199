#include "app/profile_settings.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <variant>

namespace tavrix {
namespace {

constexpr std::int64_t kMaxTimeoutSeconds = 4'294'967;

// One key of the profile: its name, where it lives in ProfileSettings and,
// for numbers, the values it accepts.
struct StringKey {
  std::string_view name;
  std::string ProfileSettings::*field;
};
struct IntKey {
  std::string_view name;
  int ProfileSettings::*field;
  std::int64_t minimum, maximum;
};
struct TimeoutKey {
  std::string_view name;
};
using Key = std::variant<StringKey, IntKey, TimeoutKey>;

// In the order they are written.
constexpr Key kKeys[] = {
    StringKey{"Capture Path", &ProfileSettings::capturePath},
    StringKey{"Local Recording Path", &ProfileSettings::localRecordingPath},
    IntKey{"AlwaysOnTop", &ProfileSettings::alwaysOnTop, 0, 1},
    IntKey{"Show Time", &ProfileSettings::showTime, 0, 1},
    IntKey{"Repeat", &ProfileSettings::repeat, 0, 1},
    StringKey{"Time Format", &ProfileSettings::timeFormat},
    IntKey{"Volume", &ProfileSettings::volume, 0, 65535},
    IntKey{"Mute", &ProfileSettings::mute, 0, 1},
    StringKey{"IP Address", &ProfileSettings::ipAddress},
    IntKey{"Port", &ProfileSettings::port, 1, 65535},
    IntKey{"DynamicIp", &ProfileSettings::dynamicIp, 0, 1},
    IntKey{"Use DDraw", &ProfileSettings::useDirectDraw, 0, 1},
    IntKey{"Auto Reconnection", &ProfileSettings::autoReconnect, 0, 1},
    TimeoutKey{"Timeout"},
    StringKey{"Ddns Ip", &ProfileSettings::ddnsIp},
    IntKey{"Ddns Port", &ProfileSettings::ddnsPort, 1, 65535},
    StringKey{"DvrName", &ProfileSettings::dvrName},
    IntKey{"Enable && Hidden cusor on DVR side", &ProfileSettings::mouseMode, 0, 2},
};

// A whole decimal number in [minimum, maximum], or nothing.
std::optional<std::int64_t> ParseNumber(const std::string& text, std::int64_t minimum, std::int64_t maximum) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  std::int64_t value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || stop != end || value < minimum || value > maximum) return std::nullopt;
  return value;
}

void NoteBadKey(std::string& badKeys, std::string_view name) {
  if (!badKeys.empty()) badKeys += ", ";
  badKeys += '"';
  badKeys += name;
  badKeys += '"';
}

}  // namespace

ProfileSettings ProfileSettings::Defaults(std::string_view homeFolder) {
  ProfileSettings settings;
  std::string capture(homeFolder);
  if (!capture.empty() && capture.back() != '/') capture += '/';
  capture += "Capture";
  settings.capturePath = capture;
  settings.localRecordingPath = capture;
  return settings;
}

ProfileSettings ReadProfileSettings(const IniDocument& document, std::string_view homeFolder, std::string& badKeys) {
  ProfileSettings settings = ProfileSettings::Defaults(homeFolder);
  for (const Key& key : kKeys) {
    std::visit(
        [&](const auto& entry) {
          const auto text = document.Get(kProfileSection, entry.name);
          if (!text) return;
          using Entry = std::decay_t<decltype(entry)>;
          if constexpr (std::is_same_v<Entry, StringKey>) {
            settings.*entry.field = *text;
          } else if constexpr (std::is_same_v<Entry, IntKey>) {
            const auto value = ParseNumber(*text, entry.minimum, entry.maximum);
            if (value) settings.*entry.field = static_cast<int>(*value);
            else NoteBadKey(badKeys, entry.name);
          } else {
            const auto seconds = ParseNumber(*text, 1, kMaxTimeoutSeconds);
            if (seconds) settings.timeoutMs = static_cast<std::uint32_t>(*seconds * 1000);
            else NoteBadKey(badKeys, entry.name);
          }
        },
        key);
  }
  return settings;
}

void WriteProfileSettings(const ProfileSettings& settings, IniDocument& document) {
  for (const Key& key : kKeys) {
    std::visit(
        [&](const auto& entry) {
          using Entry = std::decay_t<decltype(entry)>;
          if constexpr (std::is_same_v<Entry, StringKey>) {
            document.Set(kProfileSection, entry.name, settings.*entry.field);
          } else if constexpr (std::is_same_v<Entry, IntKey>) {
            document.Set(kProfileSection, entry.name, std::to_string(settings.*entry.field));
          } else {
            document.Set(kProfileSection, entry.name, std::to_string(settings.timeoutMs / 1000));
          }
        },
        key);
  }
}

}  // namespace tavrix
