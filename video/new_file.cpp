#include "video/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace tavrix {
namespace {

// Gives up after this many taken names rather than looping forever.
constexpr int kMaxNumber = 9999;

std::string Failure(const std::string& path, int error) { return "cannot write " + path + ": " + std::strerror(error); }

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Creates "<prefix><random>" exclusively. Unlike mkstemp it honours the
// umask, so the capture is an ordinary file for its user.
int CreateTemporary(const std::string& prefix, std::string& name) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", random());
    name = prefix + suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Moves `from` to `to` unless `to` exists. Where the file system cannot
// rename without replacing, a hard link does the same.
int MoveIfFree(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

std::string NumberedName(const std::string& path, int number) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = path.find_last_of('.');
  // A leading dot names a hidden file; it starts no extension.
  if (dot == std::string::npos || dot <= nameStart) dot = path.size();
  return path.substr(0, dot) + "-" + std::to_string(number) + path.substr(dot);
}

WrittenFile WriteNewFile(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
  const std::size_t slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return {path, "cannot write " + path + ": no file name"};

  std::string temporary;
  // An empty directory part ("/name") is the root.
  const int fd = CreateTemporary(directory + "/." + name + ".", temporary);
  if (fd < 0) return {path, Failure(path, errno)};
  const bool written = WriteAll(fd, bytes, size);
  const int writeError = errno;
  if (::close(fd) != 0 || !written) {
    const int error = written ? errno : writeError;
    ::unlink(temporary.c_str());
    return {path, Failure(path, error)};
  }

  for (int number = 0; number <= kMaxNumber; ++number) {
    const std::string target = number == 0 ? path : NumberedName(path, number);
    const int error = MoveIfFree(temporary, target);
    if (error == 0) return {target, {}};
    if (error != EEXIST) {
      ::unlink(temporary.c_str());
      return {path, Failure(target, error)};
    }
  }
  ::unlink(temporary.c_str());
  return {path, "cannot write " + path + ": every numbered name up to " + NumberedName(path, kMaxNumber) + " is taken"};
}

}  // namespace tavrix
