#include "tests/support/tool_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <thread>

#include "tests/support/unprivileged.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix::testing {
namespace {

// The test's environment with TZ=UTC0 and the options' entries put over it.
std::vector<std::string> ToolEnvironment(const std::vector<std::string>& overrides) {
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
  const auto put = [&environment](const std::string& entry) {
    const std::string prefix = entry.substr(0, entry.find('=')) + "=";
    std::erase_if(environment, [&](const std::string& kept) { return kept.starts_with(prefix); });
    environment.push_back(entry);
  };
  put("TZ=UTC0");
  for (const auto& entry : overrides) put(entry);
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  pointers.reserve(words.size() + 1);
  for (auto& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Waits for the child, killing it once `limit` (when not zero) has passed.
int WaitForExit(pid_t child, std::chrono::milliseconds limit, bool& timedOut) {
  int status = 0;
  if (limit.count() == 0) {
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) return status;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  timedOut = true;
  ::kill(child, SIGKILL);
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options) {
  TempDirectory directory;
  const std::string outPath = directory.File("out"), errPath = directory.File("err");
  std::vector<std::string> words = {TAVRIX_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<std::string> environment = ToolEnvironment(options.environment);
  // Everything the child needs is made before the fork: it only makes
  // system calls until it runs the tool.
  std::vector<char*> argv = Pointers(words), envp = Pointers(environment);
  const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const auto closeAll = [&] {
    for (const int fd : {out, err, in}) {
      if (fd >= 0) ::close(fd);
    }
  };
  if (out < 0 || err < 0 || in < 0) {
    closeAll();
    throw std::runtime_error("cannot prepare the output files of " + words[0]);
  }

  const pid_t child = ::fork();
  if (child == 0) {
    static constexpr char kNoUser[] = "cannot become nobody\n";
    static constexpr char kNoTool[] = "cannot run the tool\n";
    if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    if (options.asNobody && !BecomeUnprivileged()) {
      (void)!::write(2, kNoUser, sizeof kNoUser - 1);
      ::_exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    (void)!::write(2, kNoTool, sizeof kNoTool - 1);
    ::_exit(127);
  }
  closeAll();
  if (child < 0) throw std::runtime_error("cannot start " + words[0]);

  ToolResult result;
  const int status = WaitForExit(child, options.timeLimit, result.timedOut);
  result.status = !result.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto printed = ReadWholeFile(outPath), complained = ReadWholeFile(errPath);
  result.out.assign(printed.begin(), printed.end());
  result.err.assign(complained.begin(), complained.end());
  return result;
}

}  // namespace tavrix::testing
