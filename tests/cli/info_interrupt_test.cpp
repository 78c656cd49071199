// `tavrix info` stopped by an interrupt part-way through a large source.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::TempDirectory;
using testing::TempFile;

struct Interrupted {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `tavrix info` with a SIGINT already waiting for it: the signal is
// blocked and raised before the tool starts, and stays pending across exec,
// so the tool meets it at its first look and never at an arbitrary moment.
Interrupted RunInfoInterrupted(const std::vector<std::string>& args) {
  TempDirectory directory;
  const std::string outPath = directory.File("out"), errPath = directory.File("err");
  std::vector<std::string> words = {TAVRIX_CLI_PATH, "info"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, nullptr);
    kill(getpid(), SIGINT);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Interrupted result;
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto out = testing::ReadWholeFile(outPath), err = testing::ReadWholeFile(errPath);
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(InfoCommand, InterruptGivesThePartialSummary) {
  testing::VvfStreamBuilder builder;
  for (int frame = 0; builder.stream().size() < 3 * 1024 * 1024; ++frame) builder.AddVideo(frame % 4, true, 3000);
  builder.AddTerminator();
  const TempFile file(testing::MakeVvfImage(builder.stream()));
  const std::string size = std::to_string(testing::ReadWholeFile(file.path()).size());

  const Interrupted text = RunInfoInterrupted({file.path()});
  EXPECT_EQ(text.status, 130) << text.err;
  // The scan stops at its first look, after its first megabyte.
  EXPECT_TRUE(Contains(text.out, "size             " + size + " bytes\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, "partial          interrupted: only the first 1048576 bytes were scanned\n"))
      << text.out;
  EXPECT_TRUE(Contains(text.out, "blocks           256 (0 fail the check byte)\n")) << text.out;
  EXPECT_TRUE(Contains(text.out, "video channel 3 ")) << text.out;
  EXPECT_EQ(text.err, "tavrix info: interrupted after 1048576 of " + size + " bytes; the summary is partial\n");

  const Interrupted json = RunInfoInterrupted({file.path(), "--json"});
  EXPECT_EQ(json.status, 130) << json.err;
  EXPECT_TRUE(Contains(json.out, "\"partial\": true, \"scannedBytes\": 1048576, \"blocks\": 256,")) << json.out;
}

}  // namespace
}  // namespace tavrix
