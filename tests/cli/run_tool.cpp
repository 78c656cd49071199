#include "tests/cli/run_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "tests/support/vvf_fixture.h"

extern char** environ;

namespace tavrix::testing {

namespace {

ToolResult Run(std::vector<std::string> words) {
  TempDirectory directory;
  const std::string outPath = directory.path() + "/out", errPath = directory.path() + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = {"TZ=UTC0"};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (std::string(*variable).rfind("TZ=", 0) != 0) environment.emplace_back(*variable);
  }
  std::vector<char*> envp;
  for (auto& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot run " + words[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ToolResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto out = ReadWholeFile(outPath), err = ReadWholeFile(errPath);
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}

std::vector<std::string> ToolWords(const std::vector<std::string>& args) {
  std::vector<std::string> words = {TAVRIX_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  return words;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args) { return Run(ToolWords(args)); }

ToolResult RunToolUnprivileged(const std::vector<std::string>& args) {
  if (geteuid() != 0) return RunTool(args);
  std::vector<std::string> words = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  const auto tool = ToolWords(args);
  words.insert(words.end(), tool.begin(), tool.end());
  return Run(words);
}

}  // namespace tavrix::testing
