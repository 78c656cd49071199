#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tavrix {

// The rules for a folder typed into the folder chooser, apart from any
// widget. Paths are bytes in the file system's encoding.
//
// A valid folder path is absolute, at most kMaxFolderPathBytes long, and
// either "/" or "/" followed by names separated by single '/'. A name is not
// empty, holds no NUL and is not "." or ".." (which would make the confirmed
// text and the folder actually made differ). A trailing '/' after a name is
// invalid, so is "//".
inline constexpr std::size_t kMaxFolderPathBytes = 4095;

enum class FolderCheck { kValid, kInvalid, kCannotCreate };

// Checks the syntax; with `create` it then makes each level of the path that
// does not exist yet, from the top down, and fails as soon as a level is not
// a directory afterwards. An invalid path makes nothing. Levels made before a
// later one fails stay.
FolderCheck CheckFolderPath(std::string_view path, bool create);

// An existing directory (a symbolic link to one counts).
bool IsDirectory(const std::string& path);

enum class FolderDecision {
  kAccepted,      // an existing directory, or one just made on request
  kInvalid,       // the path breaks the rules above
  kCannotCreate,  // something else is in the way, or making it failed
  kDeclined,      // the folder does not exist and the user chose not to make it
};

// What the chooser's OK does with a typed path. An existing directory is
// accepted at once and an existing non-directory cannot be used; for a path
// that does not exist, `confirmCreate` is asked once and only a yes makes it.
FolderDecision AcceptFolder(const std::string& path, const std::function<bool()>& confirmCreate);

// The chooser's three messages about `path` (as it should be shown).
std::string InvalidFolderMessage(std::string_view path);
std::string UncreatableFolderMessage(std::string_view path);
std::string CreateFolderQuestion(std::string_view path);

}  // namespace tavrix
