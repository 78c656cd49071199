#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/tool_launcher.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::RunTool;
using testing::TempFile;

class PlayCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 0); }

  void SetUp() override {
    const auto made = RunTool({"make-sample", sample_, "--seconds", "2"});
    ASSERT_EQ(made.status, 0) << made.err;
  }

  static int Lines(const std::string& text, const std::string& word) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.find(word) != std::string::npos ? 1 : 0;
    return count;
  }

  TempFile directory_{std::vector<std::uint8_t>{}, "unused"};
  std::string sample_ = directory_.directory() + "/sample.vvf";
};

TEST_F(PlayCommand, PlaysToTheEndInEitherDirection) {
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"--speed", "8"}, {"--reverse", "--speed", "8"}, {"--speed", "32"}}) {
    std::vector<std::string> args = {"play", sample_};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto played = RunTool(args);
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_NE(played.out.find("end of recording"), std::string::npos) << played.out;
    EXPECT_EQ(Lines(played.out, " paused "), 1) << played.out;
    EXPECT_EQ(Lines(played.out, "block 20"), Lines(played.out, "position ")) << "every status line has a block time";
  }
}

TEST_F(PlayCommand, PlaysADiskImageWithDisk) {
  std::vector<std::uint8_t> image = testing::ReadWholeFile(sample_);
  testing::SwapToDiskOrder(image);
  const TempFile disk(image, "disk.img");
  const auto played = RunTool({"play", disk.path(), "--disk", "--speed", "8"});
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_NE(played.out.find("end of recording"), std::string::npos) << played.out;
  // The same bytes read as a file hold no pictures.
  EXPECT_NE(RunTool({"play", disk.path(), "--speed", "8"}).err.find("no pictures found"), std::string::npos);
}

TEST_F(PlayCommand, ReportsEverySecondAndStopsWhenTimeIsUp) {
  const auto played = RunTool({"play", sample_, "--seconds", "1"});
  EXPECT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(Lines(played.out, " forward  x1 "), 1) << played.out;
  EXPECT_NE(played.out.find("stopped"), std::string::npos) << played.out;
}

TEST_F(PlayCommand, BadSourcesAndArgumentsGiveOneLineAndFail) {
  const TempFile garbage(std::vector<std::uint8_t>(9000, 0x5A), "garbage.vvf");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"play", directory_.directory() + "/missing.vvf"}, 1, "cannot open"},
      {{"play", directory_.directory()}, 1, "cannot open"},
      {{"play", garbage.path()}, 1, "no pictures found"},
      {{"play", sample_, "--speed", "12"}, 2, "16 or 32"},
      {{"play", sample_, "--speed", "0"}, 2, "--speed"},
      {{"play"}, 2, "missing source"},
  };
  for (const auto& c : cases) {
    const auto played = RunTool(c.args);
    EXPECT_EQ(played.status, c.status) << c.args.back();
    EXPECT_NE(played.err.find(c.message), std::string::npos) << played.err;
    EXPECT_EQ(Lines(played.err, "tavrix play:"), 1) << played.err;
  }
}

}  // namespace
}  // namespace tavrix
