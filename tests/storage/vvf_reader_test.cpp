#include "storage/vvf_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "storage/block_time.h"
#include "storage/header_check.h"
#include "tests/support/unprivileged.h"
#include "tests/support/vvf_fixture.h"

namespace tavrix {
namespace {

using testing::MakeVvfImage;
using testing::StreamToFileOffset;
using testing::TempFile;
using testing::VvfImageOptions;
using testing::VvfStreamBuilder;

// A frame as the reader must deliver it.
struct Frame {
  std::uint64_t fileOffset = 0;
  bool audio = false;
  int channel = 0;
  std::vector<std::uint8_t> bytes;

  friend bool operator==(const Frame&, const Frame&) = default;
};

void PrintTo(const Frame& frame, std::ostream* out) {
  *out << (frame.audio ? "audio" : "video") << " ch" << frame.channel << " @" << frame.fileOffset << " len "
       << frame.bytes.size();
}

// Records what the builder adds, so a test can state the frames it expects.
class Recording {
 public:
  void Video(int channel, bool full, std::size_t payload) { starts_.push_back(builder_.AddVideo(channel, full, payload)); }
  void Audio(int channel, std::size_t samples) { starts_.push_back(builder_.AddAudio(channel, samples)); }
  void VideoBytes(int channel, bool full, const std::vector<std::uint8_t>& payload, int quantiser) {
    starts_.push_back(builder_.AddVideoBytes(channel, full, payload, quantiser));
  }
  VvfStreamBuilder& builder() { return builder_; }
  const std::vector<std::uint8_t>& stream() const { return builder_.stream(); }

  // The frames between consecutive start codes; the one after the last
  // start is never complete.
  std::vector<Frame> Expected() const {
    const auto& stream = builder_.stream();
    std::vector<Frame> frames;
    for (std::size_t i = 0; i + 1 < starts_.size(); ++i) {
      const std::size_t begin = starts_[i];
      const std::uint8_t code = stream[begin + 3];
      Frame frame;
      frame.fileOffset = StreamToFileOffset(begin);
      frame.audio = IsAudioCode(code);
      frame.channel = frame.audio ? code - kFirstAudioCode : stream[begin + 4] & 0x0F;
      const std::size_t skip = frame.audio ? kAudioFrameHeaderSize : 0;
      frame.bytes.assign(stream.begin() + static_cast<std::ptrdiff_t>(begin + skip),
                         stream.begin() + static_cast<std::ptrdiff_t>(starts_[i + 1]));
      frames.push_back(frame);
    }
    return frames;
  }

  void Terminate() { starts_.push_back(builder_.stream().size()), builder_.AddTerminator(); }

 private:
  VvfStreamBuilder builder_;
  std::vector<std::size_t> starts_;
};

class ReaderTest : public ::testing::Test {
 protected:
  void OpenImage(const std::vector<std::uint8_t>& image, bool isDisk = false) {
    file_ = std::make_unique<TempFile>(image);
    ASSERT_TRUE(reader_.Open(file_->path(), isDisk)) << reader_.LastError();
    reader_.SetTimeBias(0);
  }

  Frame Delivered(std::uint32_t length) const {
    const FrameInfo& info = reader_.frameInfo();
    EXPECT_EQ(info.length, length);
    return Frame{reader_.FrameOffset(), info.audio, info.channel,
                 std::vector<std::uint8_t>(buffer_.get(), buffer_.get() + length)};
  }

  // Forward until the reader stops moving.
  std::vector<Frame> ReadAllForward() {
    std::vector<Frame> frames;
    for (;;) {
      const std::uint64_t before = reader_.Position();
      const std::uint32_t length = reader_.ReadNext(buffer_.get());
      if (length > 0) {
        frames.push_back(Delivered(length));
      } else if (reader_.Position() == before) {
        return frames;
      }
    }
  }

  std::vector<Frame> ReadAllBackward() {
    std::vector<Frame> frames;
    while (reader_.Position() > 0) {
      const std::uint32_t length = reader_.ReadPrev(buffer_.get());
      if (length > 0) frames.push_back(Delivered(length));
    }
    return frames;
  }

  static std::vector<Frame> VideoOnly(std::vector<Frame> frames) {
    std::erase_if(frames, [](const Frame& frame) { return frame.audio; });
    return frames;
  }
  static std::vector<Frame> Reversed(std::vector<Frame> frames) { return {frames.rbegin(), frames.rend()}; }

  std::unique_ptr<TempFile> file_;
  VvfReader reader_;
  std::unique_ptr<std::uint8_t[]> buffer_ = std::make_unique<std::uint8_t[]>(kMaxFrameBytes);
};

// Frames of all kinds and sizes, several crossing block headers.
Recording MixedRecording() {
  Recording recording;
  recording.builder().AddFiller(37);
  recording.Video(0, true, 5000);
  recording.Audio(1, 320);
  recording.Video(1, false, 1);
  recording.Video(2, true, 9000);
  recording.Audio(3, 4100);
  recording.Video(15, false, 300);
  recording.Audio(0, 0);  // header only: no samples
  recording.Video(3, true, 4088 * 2);
  recording.Terminate();
  return recording;
}

TEST_F(ReaderTest, DeliversEveryFrameOnceForwardAndVideoBackward) {
  const Recording recording = MixedRecording();
  const auto expected = recording.Expected();
  OpenImage(MakeVvfImage(recording.stream()));

  std::vector<Frame> withoutEmptyAudio = expected;
  std::erase_if(withoutEmptyAudio, [](const Frame& frame) { return frame.audio && frame.bytes.empty(); });
  EXPECT_EQ(ReadAllForward(), withoutEmptyAudio);

  // Backward play skips audio; the channel of audio frames is not reported.
  EXPECT_EQ(VideoOnly(ReadAllBackward()), Reversed(VideoOnly(expected)));
}

TEST_F(ReaderTest, FirstFrameWaitsForTheSecondStartCode) {
  Recording recording;
  recording.builder().AddFiller(100);
  recording.Video(2, true, 50);
  OpenImage(MakeVvfImage(recording.stream()));
  EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);
  EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);
  EXPECT_EQ(reader_.Position(), 4096u);
}

TEST_F(ReaderTest, StartCodeSplitByBlockHeaderInBothDirections) {
  for (std::size_t before = 1; before <= 3; ++before) {
    SCOPED_TRACE(before);
    Recording recording;
    recording.Video(0, true, 700);
    recording.Audio(2, 100);
    recording.builder().SplitNextStartCode(before);
    recording.Video(1, false, 800);
    recording.builder().SplitNextStartCode(before);
    recording.Video(2, true, 20);
    recording.Terminate();
    const auto expected = recording.Expected();
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_EQ(expected[2].fileOffset % kVvfBlockSize, kVvfBlockSize - before);
    OpenImage(MakeVvfImage(recording.stream()));

    EXPECT_EQ(ReadAllForward(), expected);
    EXPECT_EQ(VideoOnly(ReadAllBackward()), Reversed(VideoOnly(expected)));
  }
}

TEST_F(ReaderTest, DirectionChangesReturnTheNeighbouringFrame) {
  Recording recording;
  for (int i = 0; i < 6; ++i) recording.Video(i % 4, i == 0, 1500 + 700 * static_cast<std::size_t>(i));
  recording.Terminate();
  const auto expected = recording.Expected();
  OpenImage(MakeVvfImage(recording.stream()));

  std::vector<Frame> seen;
  auto next = [&] { seen.push_back(Delivered(reader_.ReadNext(buffer_.get()))); };
  auto prev = [&] { seen.push_back(Delivered(reader_.ReadPrev(buffer_.get()))); };
  next(), next(), next();  // 0 1 2
  prev();                  // 1
  prev();                  // 0
  next();                  // 1
  next();                  // 2
  prev();                  // 1
  const int order[] = {0, 1, 2, 1, 0, 1, 2, 1};
  ASSERT_EQ(seen.size(), std::size(order));
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], expected[order[i]]) << "read " << i;
}

// Bytes scanned before a seek or a change of direction are no neighbours of
// the bytes scanned after it: they never complete a start code together.
TEST_F(ReaderTest, SeeksAndDirectionChangesScanAfresh) {
  {
    SCOPED_TRACE("a seek after the end of the source");
    Recording recording;
    std::vector<std::uint8_t> payload(200, 0x22);
    payload[100] = kFullPictureCode;
    recording.VideoBytes(0, true, payload, 3);
    const std::size_t codeByte = recording.stream().size() - 100;
    recording.Video(1, false, 300);
    recording.Terminate();
    // The source ends 00 00 01, and a scan that reached the end keeps them.
    const std::size_t ending = recording.stream().size() + 3;
    recording.builder().AddFiller((kVvfPayloadSize - ending % kVvfPayloadSize) % kVvfPayloadSize);
    recording.builder().AddRaw({0x00, 0x00, 0x01});
    const auto expected = recording.Expected();
    OpenImage(MakeVvfImage(recording.stream()));

    EXPECT_EQ(ReadAllForward(), expected);
    reader_.Seek(StreamToFileOffset(codeByte));
    EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[1]);
  }
  {
    SCOPED_TRACE("forwards after backwards");
    Recording recording;
    // Header byte 01 (channel 1, quantiser 0) and then F8: after the start
    // code that a backward scan has just met, no start code.
    recording.VideoBytes(1, true, {0xF8, 0x33, 0x33, 0x33}, 0);
    recording.Video(2, false, 400);
    recording.Video(3, false, 400);
    recording.Terminate();
    const auto expected = recording.Expected();
    OpenImage(MakeVvfImage(recording.stream()));

    EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[0]);
    EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[1]);
    EXPECT_EQ(Delivered(reader_.ReadPrev(buffer_.get())), expected[0]);
    EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[1]);
  }
}

TEST_F(ReaderTest, PartialFinalBlockIsNeverRead) {
  Recording recording;
  recording.Video(0, true, 1000);
  recording.Video(1, false, 1000);
  recording.Video(2, false, 3000);  // runs into the second block
  recording.Video(3, false, 100);
  recording.Terminate();
  auto image = MakeVvfImage(recording.stream());
  image.resize(8191);
  OpenImage(image);
  EXPECT_EQ(reader_.Size(), 8191u);

  const auto expected = recording.Expected();
  EXPECT_EQ(ReadAllForward(), std::vector<Frame>(expected.begin(), expected.begin() + 2));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);
    EXPECT_EQ(reader_.Position(), 4096u);
  }
}

TEST_F(ReaderTest, DamagedBlockIsSkippedOneCallAtATime) {
  Recording recording;
  recording.Video(0, true, 1000);
  recording.Video(1, false, 1000);
  recording.Video(2, false, 3000);  // ends in block 1, which is damaged
  recording.Video(3, false, 5000);  // runs from block 1 through block 2
  recording.Video(0, false, 200);   // begins in block 2
  recording.Video(1, false, 200);
  recording.Terminate();
  const auto expected = recording.Expected();
  ASSERT_EQ(expected[4].fileOffset / kVvfBlockSize, 2u);
  auto image = MakeVvfImage(recording.stream());
  testing::CorruptCheckByte(image, 1);
  OpenImage(image);

  EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[0]);
  EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[1]);
  EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);  // the gathered frame dies with block 1
  EXPECT_EQ(reader_.Position(), 2 * kVvfBlockSize);
  // Block 2 starts inside frame 3: it is passed over up to the next start code.
  EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[4]);
  EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[5]);

  // Backward: the damaged block is one failed call, then reading goes on before it.
  reader_.Seek(2 * kVvfBlockSize + 100);
  EXPECT_EQ(reader_.ReadPrev(buffer_.get()), 0u);
  EXPECT_EQ(reader_.Position(), kVvfBlockSize);
  EXPECT_EQ(Delivered(reader_.ReadPrev(buffer_.get())), expected[1]);
  EXPECT_EQ(Delivered(reader_.ReadPrev(buffer_.get())), expected[0]);
}

TEST_F(ReaderTest, FramesLongerThanTheBufferAreCut) {
  Recording recording;
  recording.Video(1, true, 200000);
  recording.Video(2, false, 100);
  recording.Terminate();
  const auto expected = recording.Expected();
  OpenImage(MakeVvfImage(recording.stream()));

  const std::uint32_t length = reader_.ReadNext(buffer_.get());
  ASSERT_EQ(length, kMaxFrameBytes - 4);
  EXPECT_TRUE(std::equal(buffer_.get(), buffer_.get() + length, expected[0].bytes.begin()));
  EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[1]);

  // Backward the buffer keeps the frame's last bytes; nothing overflows.
  ASSERT_EQ(reader_.ReadPrev(buffer_.get()), kMaxFrameBytes);
  EXPECT_TRUE(std::equal(buffer_.get(), buffer_.get() + kMaxFrameBytes,
                         expected[0].bytes.end() - kMaxFrameBytes));
}

TEST_F(ReaderTest, ReadAtTargetStartsAtTheTargetsBlock) {
  Recording recording;
  recording.Video(0, true, 3000);
  recording.Video(1, false, 3000);  // begins in block 0, ends in block 1
  recording.Audio(0, 500);          // begins in block 1
  recording.Video(2, false, 100);
  recording.Video(3, false, 5000);
  recording.Terminate();
  const auto expected = recording.Expected();
  ASSERT_EQ(expected[2].fileOffset / kVvfBlockSize, 1u);
  OpenImage(MakeVvfImage(recording.stream()));

  // A target late in block 1 still starts the scan at block 1's payload: the
  // audio frame there is passed over and the next video frame delivered.
  ASSERT_TRUE(reader_.SetSeekTarget(2 * kVvfBlockSize - 1));
  EXPECT_EQ(Delivered(reader_.ReadAtTarget(buffer_.get())), expected[3]);
  EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[4]);

  ASSERT_TRUE(reader_.SetSeekTarget(10));
  EXPECT_EQ(Delivered(reader_.ReadAtTarget(buffer_.get())), expected[0]);

  // Past the last start code there is no complete frame.
  ASSERT_TRUE(reader_.SetSeekTarget(reader_.Size() - 2));
  EXPECT_EQ(reader_.ReadAtTarget(buffer_.get()), 0u);
  ASSERT_TRUE(reader_.SetSeekTarget(reader_.Size() - 1));
  EXPECT_EQ(reader_.ReadAtTarget(buffer_.get()), 0u);
  EXPECT_FALSE(reader_.SetSeekTarget(reader_.Size()));

  // A refused target leaves the one before it in force.
  ASSERT_TRUE(reader_.SetSeekTarget(10));
  EXPECT_FALSE(reader_.SetSeekTarget(reader_.Size() + 4096));
  EXPECT_EQ(Delivered(reader_.ReadAtTarget(buffer_.get())), expected[0]);
}

TEST_F(ReaderTest, AudioFramesTooShortForTheirHeaderDeliverNothing) {
  VvfStreamBuilder builder;
  builder.AddVideo(0, true, 300);
  builder.AddRaw({0x00, 0x00, 0x01, 0xFB, 0x07});  // an audio frame of 5 bytes: no samples
  const std::size_t videoStart = builder.AddVideo(2, false, 400);
  builder.AddTerminator();
  OpenImage(MakeVvfImage(builder.stream()));

  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(reader_.ReadNext(buffer_.get()), 305u);
    EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);
    EXPECT_EQ(reader_.ReadNext(buffer_.get()), 405u);
    EXPECT_EQ(reader_.FrameOffset(), StreamToFileOffset(videoStart));
    EXPECT_FALSE(reader_.frameInfo().audio);

    EXPECT_EQ(reader_.ReadPrev(buffer_.get()), 0u);  // backward: the short audio frame
    EXPECT_EQ(reader_.ReadPrev(buffer_.get()), 305u);
    reader_.Seek(0);
  }
}

TEST_F(ReaderTest, DiskImagesAreReadWordSwapped) {
  const Recording recording = MixedRecording();
  auto image = MakeVvfImage(recording.stream());
  testing::SwapToDiskOrder(image);
  OpenImage(image, /*isDisk=*/true);
  const auto frames = ReadAllForward();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front(), recording.Expected().front());
  EXPECT_EQ(frames.size(), recording.Expected().size() - 1);  // less the empty audio frame

  // The same image read as a file: every header fails its check.
  int rejected = 0;
  reader_.SetBlockObserver([&](std::uint64_t, const VvfBlockHeader&, bool valid) { rejected += valid ? 0 : 1; });
  ASSERT_TRUE(reader_.Open(file_->path(), false));
  EXPECT_TRUE(ReadAllForward().empty());
  EXPECT_EQ(rejected, static_cast<int>(image.size() / kVvfBlockSize));
}

TEST_F(ReaderTest, ReportsBlockTimeIntervalAndMask) {
  Recording recording;
  recording.Video(5, true, 5000);
  recording.Video(6, true, 100);
  recording.Terminate();
  VvfImageOptions options;
  options.firstBlockTime = 1264054784;  // 2010-01-21 06:19:44 UTC
  options.secondsPerBlock = 7;
  options.channelMask = 0x0060;
  options.frameInterval = 3;
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian);
    options.bigEndian = bigEndian;
    OpenImage(MakeVvfImage(recording.stream(), options));
    reader_.SetFormatVariant(bigEndian ? FormatVariant::QM_QMC : FormatVariant::QM_QMT2);
    reader_.SetTimeBias(-3600);

    CalendarTime time;
    EXPECT_FALSE(reader_.GetBlockTime(time));
    ASSERT_GT(reader_.ReadNext(buffer_.get()), 0u);  // delivered after the scan entered block 1
    EXPECT_EQ(reader_.frameInfo().channel, 5);
    EXPECT_EQ(reader_.frameInfo().interval, 3);
    EXPECT_EQ(reader_.frameInfo().blockChannelMask, 0x0060);
    ASSERT_TRUE(reader_.GetBlockTime(time));
    EXPECT_EQ(time, BlockTimeToLocal(1264054784 + 7 + 3600, 0));
    reader_.Close();
    EXPECT_FALSE(reader_.GetBlockTime(time));
    EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);
    EXPECT_EQ(reader_.SourceName(), "");
  }
}

// A block that fails its check still reports its interval and channel mask;
// the time stays that of the last block that passed.
TEST_F(ReaderTest, DamagedBlockReportsItsIntervalAndMaskButNotItsTime) {
  Recording recording;
  recording.Video(0, true, 1000);
  recording.Video(1, false, 1000);
  recording.Video(2, false, 6000);  // runs through block 1
  recording.Terminate();
  VvfImageOptions options;
  options.frameInterval = 2;
  options.channelMask = 0x000F;
  auto image = MakeVvfImage(recording.stream(), options);
  std::uint8_t* damaged = image.data() + kVvfBlockSize;
  damaged[0] = 0xFF;  // a time that would be far from block 0's
  damaged[4] = 0x34;
  damaged[5] = 0x12;
  damaged[6] = 0x85;  // reserved bit 7 set: interval 5
  damaged[7] = static_cast<std::uint8_t>(HeaderCheck(damaged, 7) ^ 0x01);
  OpenImage(image);

  ASSERT_GT(reader_.ReadNext(buffer_.get()), 0u);
  ASSERT_GT(reader_.ReadNext(buffer_.get()), 0u);
  CalendarTime before;
  ASSERT_TRUE(reader_.GetBlockTime(before));
  EXPECT_EQ(reader_.frameInfo().interval, 2);

  EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);  // ran into block 1
  EXPECT_EQ(reader_.frameInfo().interval, 5);
  EXPECT_EQ(reader_.frameInfo().blockChannelMask, 0x1234);
  CalendarTime after;
  ASSERT_TRUE(reader_.GetBlockTime(after));
  EXPECT_EQ(after, before);
}

// Skipping a damaged block resets the frame being gathered but not the bytes
// last scanned: a start code begun before the damaged block is completed by
// the first payload byte after it.
TEST_F(ReaderTest, StartCodeAroundADamagedBlockIsCompletedAfterIt) {
  std::vector<std::uint8_t> image(4 * kVvfBlockSize, 0x00);
  for (std::size_t block = 0; block < 4; ++block) {
    EncodeBlockHeader(VvfBlockHeader{1262054400, 0x0F, 0}, false, image.data() + block * kVvfBlockSize);
  }
  std::uint8_t* payload0 = image.data() + kVvfHeaderSize;
  const std::uint8_t firstCode[] = {0x00, 0x00, 0x01, 0xF9, 0x30};
  std::copy(std::begin(firstCode), std::end(firstCode), payload0);
  std::fill(payload0 + 5, payload0 + kVvfPayloadSize - 3, 0x11);
  payload0[kVvfPayloadSize - 1] = 0x01;  // the payload ends 00 00 01
  std::fill(image.begin() + kVvfBlockSize + kVvfHeaderSize, image.begin() + 2 * kVvfBlockSize, 0x22);
  testing::CorruptCheckByte(image, 1);
  std::uint8_t* payload2 = image.data() + 2 * kVvfBlockSize + kVvfHeaderSize;
  payload2[0] = 0xF8;
  payload2[1] = 0x33;  // channel 3
  std::fill(payload2 + 2, payload2 + 102, 0x44);
  const std::uint8_t terminator[] = {0x00, 0x00, 0x01, 0xF8};
  std::copy(std::begin(terminator), std::end(terminator), payload2 + 102);
  OpenImage(image);

  EXPECT_EQ(reader_.ReadNext(buffer_.get()), 0u);  // the frame of block 0 dies with block 1
  EXPECT_EQ(reader_.Position(), 2 * kVvfBlockSize);
  ASSERT_EQ(reader_.ReadNext(buffer_.get()), 105u);
  const std::vector<std::uint8_t> head(buffer_.get(), buffer_.get() + 6);
  EXPECT_EQ(head, (std::vector<std::uint8_t>{0x00, 0x00, 0x01, 0xF8, 0x33, 0x44}));
  EXPECT_EQ(buffer_[104], 0x44);
  EXPECT_EQ(reader_.frameInfo().channel, 3);
  EXPECT_EQ(reader_.Position(), 2 * kVvfBlockSize + kVvfHeaderSize + 102);
}

TEST_F(ReaderTest, SeekIgnoresPositionsPastTheEnd) {
  OpenImage(MakeVvfImage(std::vector<std::uint8_t>(5000, 0x11)));
  reader_.Seek(8191);
  EXPECT_EQ(reader_.Position(), 8191u);
  reader_.Seek(8192);
  EXPECT_EQ(reader_.Position(), 8191u);
}

// Several megabytes: frames cross the megabyte boundaries at which the reader
// fetches its blocks, and one is damaged on each side of the first boundary.
Recording RecordingOfMegabytes(int megabytes) {
  Recording recording;
  recording.builder().AddFiller(500);
  for (int frame = 0; recording.stream().size() < static_cast<std::size_t>(megabytes) * kVvfPayloadSize * 256;
       ++frame) {
    recording.Video(frame % 4, frame % 8 == 0, 900 + static_cast<std::size_t>(frame * 397 % 9000));
    if (frame % 5 == 4) recording.Audio(frame % 3, 800);
  }
  recording.Terminate();
  return recording;
}

TEST_F(ReaderTest, LargeRecordingsReadTheSameInBothDirectionsAcrossMegabytes) {
  const Recording recording = RecordingOfMegabytes(3);
  const auto expected = recording.Expected();
  const auto image = MakeVvfImage(recording.stream());
  ASSERT_GT(image.size(), 3u << 20);
  for (const bool disk : {false, true}) {
    SCOPED_TRACE(disk ? "disk" : "file");
    auto stored = image;
    if (disk) testing::SwapToDiskOrder(stored);
    OpenImage(stored, disk);
    EXPECT_EQ(ReadAllForward(), expected);
    EXPECT_EQ(VideoOnly(ReadAllBackward()), Reversed(VideoOnly(expected)));

    // Jumps back and forth between megabytes, as fast play and seeks do: a
    // frame read forward, then the video frame before it backward.
    for (std::size_t before : {expected.size() - 9, std::size_t{2}, expected.size() / 2, std::size_t{40}}) {
      while (expected[before].audio) ++before;
      reader_.Seek(expected[before + 1].fileOffset);
      EXPECT_EQ(Delivered(reader_.ReadNext(buffer_.get())), expected[before + 1]);
      EXPECT_EQ(Delivered(reader_.ReadPrev(buffer_.get())), expected[before]);
    }
  }
}

// The walk without copies meets the same frames, positions and failures as
// ReadNext, call for call, on every kind of recording.
TEST_F(ReaderTest, SkipNextMirrorsReadNext) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> image;
  };
  Recording large = RecordingOfMegabytes(2);
  auto damaged = MakeVvfImage(large.stream());
  for (const std::size_t block : {std::size_t{3}, std::size_t{255}, std::size_t{256}, std::size_t{300}}) {
    testing::CorruptCheckByte(damaged, block);
  }
  Recording longFrame;
  longFrame.Audio(0, 300);
  longFrame.Video(1, true, 200000);
  longFrame.Video(2, false, 10);
  longFrame.Terminate();
  Recording split;
  split.Video(0, true, 700);
  split.builder().SplitNextStartCode(2);
  split.Audio(1, 100);
  split.builder().SplitNextStartCode(3);
  split.Video(2, true, 20);
  split.Terminate();
  auto cut = MakeVvfImage(MixedRecording().stream());
  cut.resize(cut.size() - 100);
  const Case cases[] = {{"mixed", MakeVvfImage(MixedRecording().stream())},
                        {"damaged", damaged},
                        {"long frame", MakeVvfImage(longFrame.stream())},
                        {"split start codes", MakeVvfImage(split.stream())},
                        {"cut short", cut}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenImage(c.image);
    VvfReader skipper;
    ASSERT_TRUE(skipper.Open(file_->path(), false));
    skipper.SetTimeBias(0);
    int unchanged = 0;
    for (int call = 0; unchanged < 3; ++call) {
      SCOPED_TRACE(call);
      const std::uint64_t before = reader_.Position();
      const std::uint32_t read = reader_.ReadNext(buffer_.get());
      ASSERT_EQ(skipper.SkipNext(), read);
      ASSERT_EQ(skipper.Position(), reader_.Position());
      unchanged = reader_.Position() == before ? unchanged + 1 : 0;
      if (read == 0) continue;
      EXPECT_EQ(skipper.FrameOffset(), reader_.FrameOffset());
      EXPECT_EQ(skipper.frameInfo().audio, reader_.frameInfo().audio);
      EXPECT_EQ(skipper.frameInfo().channel, reader_.frameInfo().channel);
      EXPECT_EQ(skipper.frameInfo().length, reader_.frameInfo().length);
      EXPECT_EQ(skipper.frameInfo().time, reader_.frameInfo().time);
      const std::uint8_t code = reader_.frameInfo().audio ? skipper.FrameCode() : buffer_[3];
      EXPECT_EQ(skipper.FrameCode(), code);
    }
  }
}

TEST(ReaderOpen, RefusesWhatIsNoRecordingSource) {
  VvfReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/recording.vvf", false));
  EXPECT_NE(reader.LastError().find("No such file"), std::string::npos) << reader.LastError();
  EXPECT_FALSE(reader.Open("/tmp", false));
  EXPECT_NE(reader.LastError().find("directory"), std::string::npos) << reader.LastError();
  EXPECT_FALSE(reader.IsOpen());

  TempFile empty({});
  ASSERT_TRUE(reader.Open(empty.path(), false));
  std::vector<std::uint8_t> buffer(kMaxFrameBytes);
  EXPECT_EQ(reader.ReadNext(buffer.data()), 0u);
  EXPECT_EQ(reader.ReadPrev(buffer.data()), 0u);
  EXPECT_FALSE(reader.SetSeekTarget(0));
  EXPECT_EQ(reader.ReadAtTarget(buffer.data()), 0u);
}

TEST(ReaderOpen, UnreadableFileIsRefusedWithTheReason) {
  TempFile file({1, 2, 3});
  // The directory may be entered; root reads any file, so the reader runs
  // as an unprivileged user.
  ASSERT_EQ(chmod(file.directory().c_str(), 0755), 0);
  const auto openAsNobody = [&] {
    return testing::RunUnprivileged([&] {
      VvfReader reader;
      return reader.Open(file.path(), false) ? std::string("opened") : reader.LastError();
    });
  };
  ASSERT_EQ(chmod(file.path().c_str(), 0), 0);
  const auto refused = openAsNobody();
  ASSERT_TRUE(refused.finished) << refused.failure;
  EXPECT_NE(refused.result.find("Permission denied"), std::string::npos) << refused.result;

  // The same file readable: whatever else is wrong with it, permission is not.
  ASSERT_EQ(chmod(file.path().c_str(), 0644), 0);
  const auto readable = openAsNobody();
  ASSERT_TRUE(readable.finished) << readable.failure;
  EXPECT_EQ(readable.result.find("Permission denied"), std::string::npos) << readable.result;
}

}  // namespace
}  // namespace tavrix
