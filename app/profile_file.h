#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "app/ini_document.h"
#include "app/profile_settings.h"

namespace tavrix {

// The profile file: `<config>/tavrix/<name>.ini`, where <config> is
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path ProfilePath(std::string_view name, const char* xdgConfigHome, const char* home);
// The same from this process's environment (and the password database when
// HOME is not set).
std::filesystem::path ProfilePath(std::string_view name);
// The user's home folder by the same rules.
std::string HomeFolder();

// Reads the profile once and writes it back; what else the file holds
// (comments, other sections, unknown keys) is kept.
//
//   ProfileFile profile(ProfilePath("tavrix-viewer"));
//   std::string warning;
//   ProfileSettings settings = profile.Load(HomeFolder(), warning);
//   if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
//   ...
//   if (!profile.Save(settings, error)) ...
class ProfileFile {
 public:
  // Larger files are not profiles of ours: they are treated as damaged.
  static constexpr std::uintmax_t kMaxBytes = 1 << 20;

  explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

  const std::filesystem::path& path() const { return path_; }

  // The settings, with the defaults for whatever is missing. A file that
  // cannot be read, is too large or holds NUL bytes gives all defaults; bad
  // values give their keys' defaults. Either way `warning` gets one line
  // saying what was wrong; a missing file is no warning.
  ProfileSettings Load(std::string_view homeFolder, std::string& warning);

  // Writes the 18 keys into what was loaded and replaces the file in one
  // step (a new file beside it, then renamed over it), making the folder
  // when it is missing. False with a one-line `error` when that fails; the
  // old file is then untouched.
  bool Save(const ProfileSettings& settings, std::string& error);

 private:
  std::filesystem::path path_;
  IniDocument document_;
};

}  // namespace tavrix
