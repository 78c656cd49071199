#include "ui/folder_path_rules.h"

#include <sys/stat.h>

namespace tavrix {
namespace {

bool IsValidName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('\0') == std::string_view::npos;
}

bool IsValidPath(std::string_view path) {
  if (path.empty() || path.size() > kMaxFolderPathBytes || path.front() != '/') return false;
  if (path.size() == 1) return true;
  std::size_t start = 1;
  while (true) {
    const std::size_t end = path.find('/', start);
    if (!IsValidName(path.substr(start, end - start))) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

std::string FolderText(std::string_view path, std::string_view ending) {
  std::string text = "The folder:\n\n";
  text += path;
  text += "\n\n";
  text += ending;
  return text;
}

}  // namespace

bool IsDirectory(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

FolderCheck CheckFolderPath(std::string_view path, bool create) {
  if (!IsValidPath(path)) return FolderCheck::kInvalid;
  if (!create) return FolderCheck::kValid;
  if (path.size() == 1) return IsDirectory("/") ? FolderCheck::kValid : FolderCheck::kCannotCreate;
  std::size_t end = 0;
  do {
    end = path.find('/', end + 1);
    const std::string level(path.substr(0, end));
    // An existing level makes mkdir fail; whether the level is a directory
    // afterwards is what counts.
    mkdir(level.c_str(), 0777);
    if (!IsDirectory(level)) return FolderCheck::kCannotCreate;
  } while (end != std::string_view::npos);
  return FolderCheck::kValid;
}

FolderDecision AcceptFolder(const std::string& path, const std::function<bool()>& confirmCreate) {
  if (CheckFolderPath(path, false) != FolderCheck::kValid) return FolderDecision::kInvalid;
  struct stat status {};
  if (stat(path.c_str(), &status) == 0) {
    return S_ISDIR(status.st_mode) ? FolderDecision::kAccepted : FolderDecision::kCannotCreate;
  }
  if (!confirmCreate()) return FolderDecision::kDeclined;
  return CheckFolderPath(path, true) == FolderCheck::kValid ? FolderDecision::kAccepted
                                                             : FolderDecision::kCannotCreate;
}

std::string InvalidFolderMessage(std::string_view path) {
  return FolderText(path, "is invalid. Please reenter.");
}

std::string UncreatableFolderMessage(std::string_view path) {
  return FolderText(path, "can not be created. Please double check.");
}

std::string CreateFolderQuestion(std::string_view path) {
  return FolderText(path, "does not exist. Do you want the folder to be created?");
}

}  // namespace tavrix
