#include "net/stream_cutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Ascii(const std::string& text) { return {text.begin(), text.end()}; }

const Bytes kUpdate = {0x00, 0x00, 0x01, 0xF8};
const Bytes kFull = {0x00, 0x00, 0x01, 0xF9};
const Bytes kAudio = {0x00, 0x00, 0x01, 0xFA};
const Bytes kControl = {0x00, 0x00, 0x01, 0xFE};
// A status message: length 16, code 0007, one field.
const Bytes kStatus = Cat({kControl, Ascii("001000070005")});

class RecordingSink : public StreamCutterSink {
 public:
  std::vector<Bytes> video, audio, control;
  std::vector<const FrameRecord*> videoRecords;

  void OnVideoFrame(const FrameRecord& frame) override {
    video.emplace_back(frame.payload(), frame.payload() + frame.length());
    lastVideoTime = frame.time;
    std::copy(std::begin(frame.extra), std::end(frame.extra), lastVideoExtra);
  }
  void OnAudioBlock(const FrameRecord& block) override {
    audio.emplace_back(block.payload(), block.payload() + block.length());
  }
  void OnControlMessage(std::span<const std::uint8_t> message) override {
    control.emplace_back(message.begin(), message.end());
  }
  CalendarTime lastVideoTime;
  std::uint8_t lastVideoExtra[16] = {};
};

struct CutCase {
  const char* name;
  Bytes stream;
  std::vector<Bytes> video, audio, control;
};

// Every case gives the same elements whatever the sizes of the reads.
TEST(StreamCutter, CutsElementsWhateverTheReadSplit) {
  const Bytes abc = {0xA1, 0xB2, 0xC3};
  const CutCase cases[] = {
      {"garbage before the first start code is skipped; audio then video",
       Cat({{0x11, 0x22, 0x01}, kUpdate, abc, kAudio, {0x77, 0x88, 0x50, 0x51}, kUpdate}),
       {Cat({kUpdate, abc})},
       {{0x50, 0x51}},
       {}},
      {"a full-picture start code ends the frame and begins the next",
       Cat({kUpdate, {0x01}, kFull, {0x02}, kUpdate}),
       {Cat({kUpdate, {0x01}}), Cat({kFull, {0x02}})},
       {},
       {}},
      {"a control message between two frames leaves no start code in the frame",
       Cat({kUpdate, abc, kStatus, kUpdate}),
       {Cat({kUpdate, abc})},
       {},
       {kStatus}},
      {"a control message inside a frame is cut out of it",
       Cat({kUpdate, {0x01, 0x02}, kStatus, {0x03, 0x04}, kUpdate}),
       {Cat({kUpdate, {0x01, 0x02, 0x03, 0x04}})},
       {},
       {kStatus}},
      {"a control message inside audio ends the block; the rest skips two bytes again",
       Cat({kAudio, {0x70, 0x71, 0x50, 0x51}, kStatus, {0x72, 0x73, 0x52, 0x53}, kUpdate}),
       {},
       {{0x50, 0x51}, {0x52, 0x53}},
       {kStatus}},
      {"another start code stays in a video frame but ends an audio block",
       Cat({kUpdate, {0x01}, {0x00, 0x00, 0x01, 0xF3}, {0x02}, kAudio, {0x70, 0x71, 0x50},
            {0x00, 0x00, 0x01, 0xF3}, {0x72, 0x73, 0x51}, kUpdate}),
       {Cat({kUpdate, {0x01, 0x00, 0x00, 0x01, 0xF3, 0x02}})},
       {{0x50}, {0x51}},
       {}},
      {"a start code inside the two skipped audio bytes yields no block",
       Cat({kAudio, kUpdate, {0x05}, kUpdate}),
       {Cat({kUpdate, {0x05}})},
       {},
       {}},
      {"a control message longer than its buffer is counted through and discarded",
       Cat({kControl, Ascii("08000007"), Bytes(0x800 - 12, '0'), kUpdate, {0x09}, kUpdate}),
       {Cat({kUpdate, {0x09}})},
       {},
       {}},
      {"a control message cut short by the next picture takes nothing off the frame it interrupted",
       Cat({kUpdate, {0x01, 0x02}, kControl, Ascii("001C000B"), kUpdate, {0x09}, kUpdate}),
       {Cat({kUpdate, {0x01, 0x02}}), Cat({kUpdate, {0x09}})},
       {},
       {}},
      {"nor does one cut short by sound",
       Cat({kUpdate, {0x01, 0x02}, kControl, Ascii("001C000B"), kAudio, {0x70, 0x71, 0x50}, kUpdate}),
       {Cat({kUpdate, {0x01, 0x02}})},
       {{0x50}},
       {}},
      {"a declared length below 8 completes at the eighth byte",
       Cat({kControl, Ascii("0004"), kUpdate, {0x09}, kUpdate}),
       {Cat({kUpdate, {0x09}})},
       {},
       {Cat({kControl, Ascii("0004")})}},
  };
  for (const CutCase& c : cases) {
    for (const std::size_t split : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, c.stream.size()}) {
      RecordingSink sink;
      StreamCutter cutter(sink);
      for (std::size_t at = 0; at < c.stream.size(); at += split) {
        cutter.Feed({c.stream.data() + at, std::min(split, c.stream.size() - at)});
      }
      EXPECT_EQ(sink.video, c.video) << c.name << ", reads of " << split;
      EXPECT_EQ(sink.audio, c.audio) << c.name << ", reads of " << split;
      EXPECT_EQ(sink.control, c.control) << c.name << ", reads of " << split;
    }
  }
}

TEST(StreamCutter, LiveFramesCarryTheFixedTimeAndExtraFields) {
  RecordingSink sink;
  StreamCutter cutter(sink);
  const Bytes stream = Cat({kUpdate, {0x01}, kUpdate});
  cutter.Feed(stream);
  ASSERT_EQ(sink.video.size(), 1u);
  const CalendarTime expected{2008, 1, 0, 1, 10, 0, 0, 0};
  EXPECT_EQ(sink.lastVideoTime, expected);
  EXPECT_EQ(sink.lastVideoExtra[0], 0);
  EXPECT_EQ(sink.lastVideoExtra[8], 1);
  EXPECT_EQ(sink.lastVideoExtra[9], 0);
}

TEST(StreamCutter, EndlessElementsStayWithinTheirBuffers) {
  RecordingSink sink;
  StreamCutter cutter(sink);
  const Bytes filler(300000, 0x11);
  cutter.Feed(kUpdate);
  cutter.Feed(filler);
  // A control message after the buffer filled takes nothing off the frame.
  cutter.Feed(kStatus);
  cutter.Feed(Bytes(100, 0x22));
  cutter.Feed(kAudio);
  cutter.Feed(filler);
  cutter.Feed(kUpdate);
  // The ending start code did not fit, yet four bytes still come off the
  // end: what is pushed is the element's first bytes, four short of full.
  ASSERT_EQ(sink.video.size(), 1u);
  const Bytes videoStart = Cat({kUpdate, Bytes(FrameRecord::kMaxCapacity - 8, 0x11)});
  EXPECT_EQ(sink.video[0], videoStart);
  ASSERT_EQ(sink.audio.size(), 1u);
  EXPECT_EQ(sink.audio[0], Bytes(StreamCutter::kAudioCapacity - 4, 0x11));
}

TEST(StreamCutter, ResetForgetsHalfAnElement) {
  RecordingSink sink;
  StreamCutter cutter(sink);
  cutter.Feed(Cat({kUpdate, {0xEE, 0xEE}, kAudio, {0x70, 0x71, 0xEE}}));
  cutter.Reset();
  cutter.Feed(Cat({{0x00, 0x00}, kUpdate, {0x01}, kUpdate}));
  EXPECT_TRUE(sink.audio.empty());
  ASSERT_EQ(sink.video.size(), 1u);
  EXPECT_EQ(sink.video[0], Cat({kUpdate, {0x01}}));
}

}  // namespace
}  // namespace tavrix
