// The info, frames and disks commands, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/tool_launcher.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::RunTool;
using testing::TempFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Listed {
  unsigned long long offset = 0;
  std::string kind;
  int channel = 0;
  unsigned length = 0;
  std::string time;

  friend bool operator==(const Listed&, const Listed&) = default;
};

std::vector<Listed> ParseFrames(const std::string& text) {
  std::vector<Listed> frames;
  for (const auto& line : Lines(text)) {
    std::istringstream in(line);
    Listed frame;
    std::string date, clock;
    in >> frame.offset >> frame.kind >> frame.channel >> frame.length >> date >> clock;
    EXPECT_TRUE(in) << line;
    frame.time = date;
    frame.time += " " + clock;
    frames.push_back(frame);
  }
  return frames;
}

// Three channels and two audio channels over four blocks, from
// 2010-01-21 06:19:44 UTC on, one second per block, interval 2.
std::vector<std::uint8_t> SampleImage() {
  testing::VvfStreamBuilder builder;
  builder.AddFiller(10);
  builder.AddVideo(0, true, 3000);
  builder.AddAudio(0, 400);
  builder.AddVideo(1, true, 2000);
  builder.AddVideo(0, false, 5000);
  builder.AddVideo(1, false, 100);
  builder.AddAudio(2, 200);
  builder.AddVideo(2, true, 4000);
  builder.AddTerminator();
  testing::VvfImageOptions options;
  options.firstBlockTime = 1264054784;
  options.frameInterval = 2;
  return testing::MakeVvfImage(builder.stream(), options);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(InfoCommand, SummarisesARecording) {
  const TempFile file(SampleImage());
  const auto result = RunTool({"info", file.path()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  for (const char* line : {"size             16384 bytes", "blocks           4 (0 fail the check byte)",
                           "first block time 2010-01-21 06:19:44", "last block time  2010-01-21 06:19:47",
                           "channel mask     0x000F", "video channel 0  1 full, 1 update",
                           "video channel 1  1 full, 1 update", "video channel 2  1 full, 0 update",
                           "audio channel 0  1", "audio channel 2  1", "frame intervals  2"}) {
    EXPECT_TRUE(Contains(result.out, std::string(line) + "\n")) << line << "\n" << result.out;
  }

  const auto json = RunTool({"info", file.path(), "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  for (const char* part : {R"("blocks": 4)", R"("badBlocks": 0)", R"("channelMask": 15)",
                           R"({"channel": 0, "full": 1, "update": 1})", R"({"channel": 2, "frames": 1})",
                           R"("frameIntervals": [2])", R"("firstBlockTime": "2010-01-21 06:19:44")"}) {
    EXPECT_TRUE(Contains(json.out, part)) << part << "\n" << json.out;
  }
}

TEST(InfoCommand, CountsDamagedBlocksAndReadsDiskImages) {
  auto image = SampleImage();
  testing::CorruptCheckByte(image, 2);
  testing::SwapToDiskOrder(image);
  const TempFile file(image, "disk.img");
  const auto result = RunTool({"info", file.path(), "--disk"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "blocks           4 (1 fail the check byte)\n")) << result.out;
  EXPECT_TRUE(Contains(result.out, "last block time  2010-01-21 06:19:47\n")) << result.out;

  const auto withoutDisk = RunTool({"info", file.path()});
  EXPECT_EQ(withoutDisk.status, 1);
  EXPECT_TRUE(Contains(withoutDisk.err, "no VVF blocks found")) << withoutDisk.err;
  EXPECT_TRUE(Contains(withoutDisk.err, "--disk")) << withoutDisk.err;
}

TEST(FramesCommand, ListsEveryDeliveredFrame) {
  const TempFile file(SampleImage());
  const auto result = RunTool({"frames", file.path()});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto frames = ParseFrames(result.out);
  ASSERT_EQ(frames.size(), 7u);
  EXPECT_EQ(frames[0], (Listed{18, "video", 0, 3005, "2010-01-21 06:19:44"}));
  EXPECT_EQ(frames[1], (Listed{3023, "audio", 0, 400, "2010-01-21 06:19:44"}));
  EXPECT_EQ(frames[6].kind, "video");
  EXPECT_EQ(frames[6].channel, 2);
  EXPECT_EQ(frames[6].length, 4005u);
  EXPECT_EQ(frames[6].time, "2010-01-21 06:19:47");

  // Byte bounds keep the frames that begin within them.
  const auto bounded = ParseFrames(RunTool({"frames", file.path(), "--from", "3023", "--to", "5000"}).out);
  ASSERT_EQ(bounded.size(), 2u);
  EXPECT_EQ(bounded[0], frames[1]);
  EXPECT_EQ(bounded[1], frames[2]);

  // Time bounds compare the block time of each frame.
  const auto late = RunTool({"frames", file.path(), "--from", "2010-01-21 06:19:46"});
  ASSERT_EQ(late.status, 0) << late.err;
  for (const auto& frame : ParseFrames(late.out)) EXPECT_GE(frame.time, "2010-01-21 06:19:46");
  EXPECT_EQ(ParseFrames(late.out).back(), frames.back());
  EXPECT_TRUE(RunTool({"frames", file.path(), "--to", "2010-01-21T06:19:43"}).out.empty());

  const auto json = RunTool({"frames", file.path(), "--json"});
  ASSERT_EQ(json.status, 0);
  const auto lines = Lines(json.out);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1],
            "{\"offset\": 3023, \"kind\": \"audio\", \"channel\": 0, \"length\": 400, \"time\": \"2010-01-21 06:19:44\"}");
}

TEST(StorageCommands, BadSourcesGiveOneLineAndFail) {
  const TempFile empty({});
  const TempFile text(std::vector<std::uint8_t>(9000, 'x'), "notes.txt");
  auto cut = SampleImage();
  cut.resize(cut.size() - 100);
  const TempFile truncated(cut);
  const TempFile tiny(std::vector<std::uint8_t>(cut.begin(), cut.begin() + 1000));

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"info", empty.path()}, 1, "no VVF blocks found in 0 bytes"},
      {{"frames", empty.path()}, 1, "no VVF blocks found in 0 bytes"},
      {{"info", text.path()}, 1, "no VVF blocks found in 9000 bytes"},
      {{"info", tiny.path()}, 1, "no VVF blocks found in 1000 bytes"},
      {{"info", truncated.path()}, 1, "cut short: the last 3996 bytes are not a whole block"},
      {{"frames", truncated.path()}, 1, "cut short"},
      {{"info", empty.directory()}, 1, "is a directory"},
      {{"frames", empty.directory() + "/missing.vvf"}, 1, "No such file or directory"},
      {{"frames", text.path(), "--from", "yesterday"}, 2, "--from must be a byte offset or a time"},
      {{"frames", text.path(), "--to", "2010-13-01 00:00:00"}, 2, "--to must be"},
      {{"info"}, 2, "missing source recording"},
      {{"info", text.path(), "extra"}, 2, "unexpected argument extra"},
  };
  for (const auto& c : cases) {
    const auto result = RunTool(c.args);
    EXPECT_EQ(result.status, c.status) << c.args[0] << " " << c.args[1] << ": " << result.err;
    EXPECT_TRUE(Contains(Lines(result.err).at(0), c.message)) << result.err;
  }
  // What could be read of the truncated file is still shown.
  EXPECT_EQ(ParseFrames(RunTool({"frames", truncated.path()}).out).size(), 6u);
}

TEST(StorageCommands, UnreadableSourceIsRefused) {
  testing::ToolOptions asNobody;
  asNobody.asNobody = true;
  if (RunTool({"--help"}, asNobody).status != 0) GTEST_SKIP() << "nobody cannot run the built tool here";
  const TempFile file(SampleImage());
  // The directory may be entered, the file not read.
  ASSERT_EQ(chmod(file.directory().c_str(), 0755), 0);
  ASSERT_EQ(chmod(file.path().c_str(), 0), 0);
  for (const char* command : {"info", "frames"}) {
    const auto result = RunTool({command, file.path()}, asNobody);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.err, "tavrix " + std::string(command) + ": " + file.path() + ": Permission denied\n");
  }
}

TEST(DisksCommand, ListsDisksOrSaysThereAreNone) {
  const auto result = RunTool({"disks"});
  if (result.status == 0) {
    for (const auto& line : Lines(result.out)) EXPECT_EQ(line.rfind("DISK", 0), 0u) << line;
    EXPECT_FALSE(result.out.empty());
  } else {
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "no disks found")) << result.err;
  }
}

}  // namespace
}  // namespace tavrix
