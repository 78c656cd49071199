#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tavrix {

namespace {

struct PathParts {
  std::string folder;  // with its trailing slash; empty for the current folder
  std::string name;
};

PathParts Split(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// mkstemp makes the file private; a finished file is an ordinary one for its user.
void GiveOrdinaryPermissions(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

// Makes the rename itself survive a crash. The file is already in place and
// complete, so a folder that cannot be synced changes nothing for the caller.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Open(const std::string& target) {
  Abandon();
  error_.clear();
  target_ = target;
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    error_ = "cannot write " + target + ": not a regular file";
    return false;
  }
  const PathParts parts = Split(target);
  const std::string pattern = parts.folder + "." + parts.name + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return Fail("cannot create " + target, errno);
  GiveOrdinaryPermissions(fd_);
  temporaryPath_ = name.data();
  return true;
}

bool AtomicFile::Write(const void* data, std::size_t length) {
  if (fd_ < 0) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (length > 0) {
    const ssize_t done = ::write(fd_, bytes, length);
    if (done < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write " + target_, errno);
    }
    bytes += done;
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

bool AtomicFile::WriteAt(std::uint64_t offset, const void* data, std::size_t length) {
  if (fd_ < 0) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (length > 0) {
    const ssize_t done = ::pwrite(fd_, bytes, length, static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write " + target_, errno);
    }
    bytes += done;
    offset += static_cast<std::uint64_t>(done);
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  // fsync reaches the data of every handle of the file, a muxer's included.
  if (::fsync(fd_) != 0) return Fail("cannot write " + target_, errno);
  if (std::rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
    return Fail("cannot put the finished file in place as " + target_, errno);
  }
  ::close(fd_);  // after fsync nothing is left for close to report
  fd_ = -1;
  temporaryPath_.clear();
  SyncFolder(Split(target_).folder);
  return true;
}

void AtomicFile::Abandon() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

bool AtomicFile::Fail(const std::string& what, int error) {
  error_ = what + ": " + std::strerror(error);
  Abandon();
  return false;
}

}  // namespace tavrix
