// `tavrix record` against the simulator when things go wrong: a full disk,
// a DVR that repeats a message without end, a password file others can read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "net/control_message.h"
#include "net/dvr_simulator.h"
#include "net/generated_live_source.h"
#include "storage/vvf_reader.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using namespace std::chrono_literals;
using testing::TempDirectory;

struct ToolRun {
  int status = -1;  // -1: killed, having run past the watchdog, or crashed
  std::string out;
  std::string err;
};

// Runs the tool with the output in files; a file size limit (0: none) with
// SIGXFSZ ignored makes writes past it fail as on a full disk. A run that
// does not end within `watchdog` is killed: the tool hung.
ToolRun RunRecord(const std::vector<std::string>& args, rlim_t fileSizeLimit = 0,
                  std::chrono::seconds watchdog = 60s) {
  TempDirectory directory;
  const std::string outPath = directory.File("out"), errPath = directory.File("err");
  std::vector<std::string> words = {TAVRIX_BINARY, "record"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    if (fileSizeLimit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  ToolRun run;
  if (pid < 0) return run;
  auto exited = std::async(std::launch::async, [pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
  });
  if (exited.wait_for(watchdog) != std::future_status::ready) kill(pid, SIGKILL);
  const int status = exited.get();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto out = testing::ReadWholeFile(outPath), err = testing::ReadWholeFile(errPath);
  run.out.assign(out.begin(), out.end());
  run.err.assign(err.begin(), err.end());
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::unique_ptr<DvrSimulator> OpenSimulator(DvrSimulator::Options options) {
  auto source = std::make_unique<GeneratedLiveSource>(GeneratedLiveSource::Options{});
  auto simulator = std::make_unique<DvrSimulator>(std::move(options), std::move(source));
  std::string error;
  if (!simulator->Open(error)) return nullptr;
  return simulator;
}

std::vector<std::string> Target(const DvrSimulator& simulator, const std::string& out) {
  return {"--ip", "127.0.0.1", "--port", std::to_string(simulator.port()), "--out", out};
}

int FramesIn(const std::string& path) {
  VvfReader reader;
  if (!reader.Open(path, false)) return -1;
  std::vector<std::uint8_t> frame(kMaxFrameBytes);
  int frames = 0;
  while (reader.ReadNext(frame.data()) > 0) ++frames;
  return frames;
}

// A small file system of its own where the test may mount one (root, as in
// CI); a file size limit otherwise, which fails writes the same way.
class SmallDisk {
 public:
  static constexpr rlim_t kBytes = 256 * 1024;

  SmallDisk() {
    mounted_ = ::mount("tavrix-test", directory_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                       "size=256k,mode=0700") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(directory_.path().c_str(), MNT_DETACH);
  }
  std::string File(const std::string& name) const { return directory_.File(name); }
  // The limit for the tool when there is no file system of its own.
  rlim_t FileSizeLimit() const { return mounted_ ? 0 : kBytes; }
  const char* Failure() const { return mounted_ ? "No space left on device" : "File too large"; }

 private:
  TempDirectory directory_;
  bool mounted_ = false;
};

// Without --seconds the command used to stay connected forever once the disk
// was full; now it ends at once, keeping the whole blocks written before.
TEST(RecordCommand, FullDiskEndsTheCommandWithTheReason) {
  DvrSimulator::Options options;
  options.framesPerSecond = 0;  // as fast as the disk takes it
  const auto simulator = OpenSimulator(options);
  ASSERT_NE(simulator, nullptr);
  const SmallDisk disk;
  const std::string path = disk.File("live.vvf");

  const ToolRun run = RunRecord(Target(*simulator, path), disk.FileSizeLimit());
  EXPECT_EQ(run.status, 1) << run.err;
  const auto lines = Lines(run.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(Contains(lines.back(), "writing the recording failed: ")) << run.err;
  EXPECT_TRUE(Contains(lines.back(), disk.Failure())) << run.err;
  EXPECT_TRUE(Contains(lines.back(), path)) << run.err;
  EXPECT_EQ(run.out, "");
  const auto kept = testing::ReadWholeFile(path);
  EXPECT_GT(kept.size(), 0u);
  EXPECT_EQ(kept.size() % kVvfBlockSize, 0u);
  EXPECT_GT(FramesIn(path), 0);
}

// A DVR that sends its session-closed message over and over while it goes on
// streaming: told once, then counted at most once a second, and nothing
// claims a reconnection that does not happen.
TEST(RecordCommand, RepeatedDvrMessageIsCountedNotListed) {
  DvrSimulator::Options options;
  options.floodCode = dvr::kServerClosed;
  const auto simulator = OpenSimulator(options);
  ASSERT_NE(simulator, nullptr);
  const TempDirectory directory;
  const std::string path = directory.File("live.vvf");

  const ToolRun run = RunRecord([&] {
    auto args = Target(*simulator, path);
    args.insert(args.end(), {"--seconds", "2.5"});
    return args;
  }());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GT(FramesIn(path), 10);
  EXPECT_FALSE(Contains(run.err, "reconnecting")) << run.err;

  int first = 0, repeats = 0;
  unsigned long long counted = 0;
  for (const auto& line : Lines(run.err)) {
    if (Contains(line, "the DVR sent a session-closed message but goes on sending; still recording")) ++first;
    const auto times = line.find("the DVR sent its session-closed message again x ");
    if (times == std::string::npos) continue;
    ++repeats;
    counted += std::stoull(line.substr(line.rfind(' ') + 1));
  }
  EXPECT_EQ(first, 1) << run.err;
  EXPECT_GE(repeats, 1) << run.err;
  EXPECT_LE(repeats, 4) << "one line a second at most, and one at the end\n" << run.err;
  EXPECT_GT(counted, 1000u) << run.err;
  EXPECT_LE(Lines(run.err).size(), 10u) << run.err;
}

// As ssh does for keys: a password file that others may read is used, with
// a warning.
TEST(RecordCommand, PasswordFileOthersCanReadGivesAWarning) {
  const TempDirectory directory;
  const std::string passwordFile = directory.File("password");
  const struct {
    mode_t mode;
    bool warned;
  } cases[] = {{0600, false}, {0400, false}, {0640, true}, {0604, true}, {0644, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    std::ofstream(passwordFile) << "secret\n";
    ASSERT_EQ(chmod(passwordFile.c_str(), c.mode), 0);
    // Nothing listens on port 1: the run ends after its time without a recording.
    const ToolRun run = RunRecord({"--ip", "127.0.0.1", "--port", "1", "--out", directory.File("none.vvf"),
                                   "--password-file", passwordFile, "--seconds", "0.2"});
    EXPECT_EQ(run.status, 1) << run.err;
    const auto lines = Lines(run.err);
    ASSERT_FALSE(lines.empty());
    const bool warned = Contains(lines.front(), "warning: permissions 0" + [&] {
      char octal[8];
      std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(c.mode));
      return std::string(octal);
    }() + " for the password file " + passwordFile + " are too open");
    EXPECT_EQ(warned, c.warned) << run.err;
    EXPECT_FALSE(Contains(run.err, "secret"));
  }
}

}  // namespace
}  // namespace tavrix
