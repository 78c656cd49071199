#include "tests/support/unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrix::testing {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

std::string ReadToEnd(int fd) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

bool BecomeUnprivileged() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(kNobodyId) == 0 && ::setuid(kNobodyId) == 0 &&
         ::geteuid() == kNobodyId;
}

ChildOutcome RunUnprivileged(const std::function<std::string()>& body) {
  ChildOutcome outcome;
  int channel[2];
  if (::pipe(channel) != 0) {
    outcome.failure = std::string("pipe: ") + std::strerror(errno);
    return outcome;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    outcome.failure = std::string("fork: ") + std::strerror(errno);
    ::close(channel[0]);
    ::close(channel[1]);
    return outcome;
  }
  if (child == 0) {
    // _exit: the parent's atexit handlers and buffers are not the child's.
    ::close(channel[0]);
    if (!BecomeUnprivileged()) {
      WriteAll(channel[1], "cannot become nobody");
      ::_exit(2);
    }
    ::_exit(WriteAll(channel[1], body()) ? 0 : 3);
  }
  ::close(channel[1]);
  const std::string reported = ReadToEnd(channel[0]);
  ::close(channel[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  (outcome.finished ? outcome.result : outcome.failure) = reported;
  if (!outcome.finished && outcome.failure.empty()) outcome.failure = "the child process did not finish";
  return outcome;
}

}  // namespace tavrix::testing
