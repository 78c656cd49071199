#include "storage/vvf_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <thread>
#include <vector>

#include "storage/header_check.h"
#include "storage/vvf_reader.h"
#include "tests/support/vvf_fixture.h"
#include "tests/support/wait_until.h"

namespace tavrix {
namespace {

using testing::ReadWholeFile;
using testing::TempDirectory;
using testing::WaitUntil;

// A network video frame: start code, header byte A (bit 7 = full picture),
// the big-endian picture number, then filler without start codes.
std::vector<std::uint8_t> NetworkFrame(std::size_t length, bool full, std::uint16_t number = 0) {
  std::vector<std::uint8_t> frame(length, 0x42);
  frame[0] = 0x00, frame[1] = 0x00, frame[2] = 0x01, frame[3] = kUpdatePictureCode;
  frame[4] = full ? 0x98 : 0x18;
  frame[5] = static_cast<std::uint8_t>(number >> 8);
  frame[6] = static_cast<std::uint8_t>(number);
  return frame;
}

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writer_.Init(2, FormatVariant::QM_QMT2, 4);
    writer_.SetClock([this] { return now_; });
    ASSERT_TRUE(writer_.Start(path_)) << writer_.LastError();
  }

  bool Video(std::size_t length, bool full, std::uint16_t number = 0) {
    auto frame = NetworkFrame(length, full, number);
    return writer_.WriteVideo(frame.data(), frame.size());
  }

  std::vector<std::uint8_t> Finished() {
    EXPECT_TRUE(writer_.Stop()) << writer_.LastError();
    return ReadWholeFile(path_);
  }

  TempDirectory directory_;
  std::string path_ = directory_.path() + "/local.vvf";
  std::time_t now_ = 1264054784;
  VvfWriter writer_;
};

TEST_F(WriterTest, FramesRunOnAcrossBlocksAndStopPadsTheLast) {
  ASSERT_TRUE(Video(3992, true));  // written = 4000
  ASSERT_TRUE(Video(10000, false));
  const auto file = Finished();
  ASSERT_EQ(file.size(), 16384u);

  // 96 bytes complete block 0, then header + 4088, header + 4088, header + 1728.
  for (std::size_t block = 0; block < 4; ++block) {
    const std::uint8_t* header = file.data() + block * kVvfBlockSize;
    VvfBlockHeader decoded;
    ASSERT_TRUE(DecodeBlockHeader(header, false, decoded)) << block;
    EXPECT_EQ(decoded.blockTime, 1264054784u);
    EXPECT_EQ(decoded.channelMask, 1);
  }
  EXPECT_EQ(file[4000 + 3], kUpdatePictureCode);
  EXPECT_EQ(file[12288 + 8 + 1727], 0x42);
  EXPECT_TRUE(std::all_of(file.begin() + 14024, file.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(std::count(file.begin() + 4000, file.begin() + 4096, 0x42), 96 - 7);
}

TEST_F(WriterTest, AudioStartCodeMayStraddleABlockHeader) {
  ASSERT_TRUE(Video(4086, true));  // written = 4094
  std::vector<std::uint8_t> samples(100, 0xD5);
  ASSERT_TRUE(writer_.WriteAudio(samples.data(), samples.size()));
  const auto file = Finished();
  ASSERT_EQ(file.size(), 8192u);
  EXPECT_EQ(file[4094], 0x00);
  EXPECT_EQ(file[4095], 0x00);
  const std::vector<std::uint8_t> rest(file.begin() + 4104, file.begin() + 4108);
  EXPECT_EQ(rest, (std::vector<std::uint8_t>{0x01, 0xFA, 0x00, 0x00}));
  EXPECT_TRUE(std::all_of(file.begin() + 4108, file.begin() + 4208, [](std::uint8_t b) { return b == 0xD5; }));
  EXPECT_EQ(file[4208], 0x00);
}

TEST_F(WriterTest, NothingIsStoredBeforeTheFirstFullPicture) {
  std::vector<std::uint8_t> samples(50, 0xD5);
  EXPECT_FALSE(Video(500, false));
  EXPECT_FALSE(writer_.WriteAudio(samples.data(), samples.size()));
  EXPECT_TRUE(writer_.IsRecording());
  EXPECT_TRUE(Finished().empty());
  EXPECT_FALSE(writer_.IsRecording());
  EXPECT_FALSE(writer_.Stop());
}

TEST_F(WriterTest, FrameIntervalFromPictureNumbers) {
  struct Case {
    std::uint16_t previous, current;
    int interval;
  };
  const Case cases[] = {
      {100, 103, 3}, {7, 7, 1}, {65535, 0, 1}, {5, 6, 1},
      {1000, 931, 1},   // the stream restarted: no long pause
      {0, 1000, 127},   // the header holds seven bits
      {10, 137, 127}, {10, 136, 126},
  };
  for (const auto& c : cases) {
    Video(100, true, c.previous);
    ASSERT_TRUE(Video(100, true, c.current));
    EXPECT_EQ(writer_.FrameInterval(), c.interval) << c.previous << " -> " << c.current;
  }
  // Every block header carries the interval of the call that began it.
  const auto file = Finished();
  VvfBlockHeader header;
  ASSERT_TRUE(DecodeBlockHeader(file.data(), false, header));
  EXPECT_EQ(header.frameInterval, 100);  // from the call that began it: 0 -> 100
}

TEST_F(WriterTest, RecordingReadsBackFrameForFrame) {
  std::vector<std::vector<std::uint8_t>> expected;  // video from its start code, audio as samples
  for (int i = 0; i < 40; ++i) {
    auto frame = NetworkFrame(100 + static_cast<std::size_t>(i) * 397, i % 10 == 0, static_cast<std::uint16_t>(2 * i));
    ASSERT_TRUE(writer_.WriteVideo(frame.data(), frame.size()));
    expected.push_back(frame);  // as converted in place
    std::vector<std::uint8_t> samples(160 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(0xD0 + i % 8));
    ASSERT_TRUE(writer_.WriteAudio(samples.data(), samples.size()));
    expected.push_back(samples);
  }
  Finished();

  VvfReader reader;
  ASSERT_TRUE(reader.Open(path_, false));
  std::vector<std::uint8_t> buffer(kMaxFrameBytes);
  std::size_t index = 0;
  for (std::uint32_t length = reader.ReadNext(buffer.data()); length > 0;
       length = reader.ReadNext(buffer.data()), ++index) {
    ASSERT_LT(index, expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + length), expected[index]) << index;
    EXPECT_EQ(reader.frameInfo().audio, index % 2 == 1);
  }
  EXPECT_EQ(index, expected.size() - 1);  // the last frame has no start code after it
}

TEST(WriterLayout, NetworkHeaderIsConvertedToTheStoredLayout) {
  struct Case {
    FormatVariant variant;
    int splitCount;
    std::uint8_t code, byte4, byte5;
  };
  const Case cases[] = {
      {FormatVariant::QM_QMT2, 4, kFullPictureCode, 0x30, 0x12},
      {FormatVariant::QM_QMC, 4, kFullPictureCode, 0x30, 0x12},
      {FormatVariant::QM_QMN, 4, kUpdatePictureCode, 0x98, 0x12},
      {FormatVariant::QM_QMT2, 16, kFullPictureCode, 0x30, 0x12 & 0x07},
  };
  for (const auto& c : cases) {
    TempDirectory directory;
    const std::string path = directory.path() + "/local.vvf";
    VvfWriter writer;
    writer.Init(2, c.variant, c.splitCount);
    ASSERT_TRUE(writer.Start(path));
    auto frame = NetworkFrame(20, true, 0x1234);
    ASSERT_TRUE(writer.WriteVideo(frame.data(), frame.size()));
    EXPECT_EQ(frame[3], c.code);
    EXPECT_EQ(frame[4], c.byte4);
    EXPECT_EQ(frame[5], c.byte5);
    ASSERT_TRUE(writer.Stop());
    const auto file = ReadWholeFile(path);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), file.begin() + 8));
  }
}

TEST(WriterLayout, BigEndianHeadersForQmc) {
  TempDirectory directory;
  const std::string path = directory.path() + "/local.vvf";
  VvfWriter writer;
  writer.Init(2, FormatVariant::QM_QMC, 4);
  writer.SetClock([] { return std::time_t{1}; });
  ASSERT_TRUE(writer.Start(path));
  auto frame = NetworkFrame(20, true);
  ASSERT_TRUE(writer.WriteVideo(frame.data(), frame.size()));
  ASSERT_TRUE(writer.Stop());
  const auto file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), kVvfBlockSize);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 6),
            (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x01, 0x00, 0x01}));
  EXPECT_EQ(file[7], HeaderCheck(file.data(), 7));
}

TEST(WriterLayout, DateStampedBlocksSeparateVideoAndAudio) {
  TempDirectory directory;
  const std::string path = directory.path() + "/local.vvf";
  const std::time_t now = 1264054784;
  VvfWriter writer;
  writer.Init(2, FormatVariant::QM_QM4, 4);
  writer.SetClock([now] { return now; });
  ASSERT_TRUE(writer.Start(path));

  auto frame = NetworkFrame(3000, true, 1);
  ASSERT_TRUE(writer.WriteVideo(frame.data(), frame.size()));
  EXPECT_EQ(frame[3], kUpdatePictureCode);  // stored unchanged
  auto second = NetworkFrame(3000, false, 3);
  ASSERT_TRUE(writer.WriteVideo(second.data(), second.size()));  // 6000 staged: one block out
  std::vector<std::uint8_t> samples(5000, 0xD5);
  ASSERT_TRUE(writer.WriteAudio(samples.data(), samples.size()));  // one audio block out
  std::vector<std::uint8_t> tooMuch(32768, 0xD5);
  EXPECT_FALSE(writer.WriteAudio(tooMuch.data(), tooMuch.size()));  // would overflow its stage
  ASSERT_TRUE(writer.Stop());

  const auto file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), 2 * kVvfBlockSize);  // the staged rest is dropped
  std::tm local{};
  ASSERT_NE(localtime_r(&now, &local), nullptr);
  const std::vector<std::uint8_t> videoHeader = {
      static_cast<std::uint8_t>((local.tm_year + 1900 + 48) % 256), static_cast<std::uint8_t>(local.tm_mon + 1),
      static_cast<std::uint8_t>(local.tm_mday), static_cast<std::uint8_t>(local.tm_hour),
      static_cast<std::uint8_t>(local.tm_min), static_cast<std::uint8_t>(local.tm_sec), 2, 1};
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 8), videoHeader);
  EXPECT_TRUE(std::equal(frame.begin(), frame.end(), file.begin() + 8));
  EXPECT_TRUE(std::equal(second.begin(), second.begin() + 1088, file.begin() + 3008));

  auto audioHeader = videoHeader;
  audioHeader[1] |= 0x80;
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 4096, file.begin() + 4104), audioHeader);
  EXPECT_TRUE(std::all_of(file.begin() + 4104, file.end(), [](std::uint8_t b) { return b == 0xD5; }));
}

TEST(WriterFailures, StartRefusesWhileRecordingOrWhenTheFileCannotBeMade) {
  TempDirectory directory;
  VvfWriter writer;
  writer.Init(2, FormatVariant::QM_QMT2, 4);
  EXPECT_FALSE(writer.Start(directory.path() + "/missing/local.vvf"));
  EXPECT_NE(writer.LastError().find("No such file"), std::string::npos) << writer.LastError();
  EXPECT_FALSE(writer.IsRecording());

  const std::string first = directory.path() + "/first.vvf";
  ASSERT_TRUE(writer.Start(first));
  auto frame = NetworkFrame(100, true);
  ASSERT_TRUE(writer.WriteVideo(frame.data(), frame.size()));
  EXPECT_FALSE(writer.Start(directory.path() + "/second.vvf"));
  frame = NetworkFrame(100, false);
  ASSERT_TRUE(writer.WriteVideo(frame.data(), frame.size()));  // the first recording goes on
  ASSERT_TRUE(writer.Stop());
  EXPECT_EQ(ReadWholeFile(first).size(), kVvfBlockSize);
}

TEST(WriterFailures, FullDiskStopsTheRecordingAndSaysSo) {
  VvfWriter writer;
  writer.Init(2, FormatVariant::QM_QMT2, 4);
  ASSERT_TRUE(writer.Start("/dev/full"));
  auto frame = NetworkFrame(100, true);
  EXPECT_FALSE(writer.WriteVideo(frame.data(), frame.size()));
  EXPECT_NE(writer.LastError().find("No space left"), std::string::npos) << writer.LastError();
  EXPECT_FALSE(writer.IsRecording());
  EXPECT_FALSE(writer.WriteVideo(frame.data(), frame.size()));
}

// A write cut short in the middle of a block leaves only whole blocks that
// read back as a valid recording.
TEST(WriterFailures, FailedWriteKeepsOnlyWholeBlocks) {
  TempDirectory directory;
  const std::string path = directory.path() + "/local.vvf";
  VvfWriter writer;
  writer.Init(2, FormatVariant::QM_QMT2, 4);
  ASSERT_TRUE(writer.Start(path));

  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = previous;
  limited.rlim_cur = 10000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool failed = false;
  for (int i = 0; i < 10 && !failed; ++i) {
    auto frame = NetworkFrame(1500, i == 0, static_cast<std::uint16_t>(i));
    failed = !writer.WriteVideo(frame.data(), frame.size());
  }
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previousHandler);

  ASSERT_TRUE(failed);
  EXPECT_FALSE(writer.IsRecording());
  EXPECT_NE(writer.LastError().find("File too large"), std::string::npos) << writer.LastError();
  const auto file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), 2 * kVvfBlockSize);
  VvfReader reader;
  ASSERT_TRUE(reader.Open(path, false));
  std::vector<std::uint8_t> buffer(kMaxFrameBytes);
  int frames = 0;
  while (reader.ReadNext(buffer.data()) > 0) ++frames;
  EXPECT_EQ(frames, 5);  // every frame whose successor's start code survived
}

// The window stops recordings while the stream thread writes.
TEST(WriterThreads, StopDuringWritesLeavesWholeBlocks) {
  TempDirectory directory;
  VvfWriter writer;
  writer.Init(2, FormatVariant::QM_QMT2, 4);
  std::atomic<bool> done{false};
  std::atomic<int> framesWritten{0};
  std::thread stream([&] {
    std::uint16_t number = 0;
    std::vector<std::uint8_t> samples(800, 0xD5);
    while (!done.load()) {
      auto frame = NetworkFrame(2500, number % 5 == 0, number);
      ++number;
      writer.WriteVideo(frame.data(), frame.size());
      writer.WriteAudio(samples.data(), samples.size());
      framesWritten.fetch_add(1);
    }
  });
  for (int i = 0; i < 20; ++i) {
    const std::string path = directory.path() + "/part" + std::to_string(i) + ".vvf";
    ASSERT_TRUE(writer.Start(path));
    // Stop while the stream thread is in the middle of this recording: a
    // few frames into it, the stop of a 4096-byte block is likely mid-frame.
    const int started = framesWritten.load();
    ASSERT_TRUE(WaitUntil([&] { return framesWritten.load() >= started + 3 + i % 4; }));
    ASSERT_TRUE(writer.Stop()) << writer.LastError();
    EXPECT_EQ(ReadWholeFile(path).size() % kVvfBlockSize, 0u) << path;
  }
  done.store(true);
  stream.join();
}

}  // namespace
}  // namespace tavrix
