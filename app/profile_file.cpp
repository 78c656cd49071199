#include "app/profile_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tavrix {
namespace {

std::string Describe(const std::filesystem::path& path, std::string_view problem) {
  return "profile " + path.string() + ": " + std::string(problem);
}

// Writes all of `text` to the descriptor, then flushes it to the disk.
bool WriteAll(int descriptor, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(descriptor, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return ::fsync(descriptor) == 0;
}

}  // namespace

std::filesystem::path ProfilePath(std::string_view name, const char* xdgConfigHome, const char* home) {
  std::filesystem::path config;
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    config = xdgConfigHome;
  } else {
    config = std::filesystem::path(home != nullptr ? home : "") / ".config";
  }
  return config / "tavrix" / (std::string(name) + ".ini");
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return {};
}

std::filesystem::path ProfilePath(std::string_view name) {
  const std::string home = HomeFolder();
  return ProfilePath(name, std::getenv("XDG_CONFIG_HOME"), home.c_str());
}

ProfileSettings ProfileFile::Load(std::string_view homeFolder, std::string& warning) {
  document_ = IniDocument();
  std::string badKeys;
  std::error_code error;
  if (!std::filesystem::exists(path_, error)) {
    if (error) warning = Describe(path_, error.message() + "; using the defaults");
    return ProfileSettings::Defaults(homeFolder);
  }
  const auto size = std::filesystem::file_size(path_, error);
  std::ifstream file(path_, std::ios::binary);
  if (error || !std::filesystem::is_regular_file(path_) || !file) {
    warning = Describe(path_, "cannot be read; using the defaults");
    return ProfileSettings::Defaults(homeFolder);
  }
  if (size > kMaxBytes) {
    warning = Describe(path_, "too large to be a profile; using the defaults");
    return ProfileSettings::Defaults(homeFolder);
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  const std::string text = contents.str();
  if (file.bad()) {
    warning = Describe(path_, "cannot be read; using the defaults");
    return ProfileSettings::Defaults(homeFolder);
  }
  if (text.find('\0') != std::string::npos) {
    warning = Describe(path_, "damaged (not a text file); using the defaults");
    return ProfileSettings::Defaults(homeFolder);
  }
  document_ = IniDocument(text);
  ProfileSettings settings = ReadProfileSettings(document_, homeFolder, badKeys);
  if (!badKeys.empty()) warning = Describe(path_, "bad values for " + badKeys + "; using their defaults");
  return settings;
}

bool ProfileFile::Save(const ProfileSettings& settings, std::string& error) {
  WriteProfileSettings(settings, document_);
  std::error_code code;
  std::filesystem::create_directories(path_.parent_path(), code);
  if (code) {
    error = Describe(path_, "cannot create its folder: " + code.message());
    return false;
  }
  std::string temporary = path_.string() + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) {
    error = Describe(path_, std::string("cannot write: ") + std::strerror(errno));
    return false;
  }
  int failure = WriteAll(descriptor, document_.Text()) ? 0 : errno;
  if (::close(descriptor) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temporary.c_str(), path_.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temporary.c_str());
    error = Describe(path_, std::string("cannot write: ") + std::strerror(failure));
    return false;
  }
  return true;
}

}  // namespace tavrix
