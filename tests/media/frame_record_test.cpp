#include "media/frame_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tavrix {
namespace {

void Fill(FrameRecord& record, std::int32_t length, std::uint8_t value) {
  std::memset(record.payload(), value, static_cast<std::size_t>(length));
  record.set_length(length);
}

TEST(FrameRecord, CapacityIsAtLeastSixteen) {
  FrameRecord record(3, FrameRecord::kVideo);
  EXPECT_EQ(record.capacity(), 16);
  EXPECT_EQ(record.length(), 0);
}

TEST(FrameRecord, CopyMovesPayloadTimeAndExtraButKeepsCapacity) {
  FrameRecord source(4096, FrameRecord::kAudio);
  Fill(source, 200, 0xAB);
  source.time = CalendarTime{2008, 1, 2, 1, 10, 0, 0, 0};
  source.extra[15] = 7;
  FrameRecord target(131072, FrameRecord::kTransfer);

  ASSERT_TRUE(target.CopyFrom(source));
  EXPECT_EQ(target.length(), 200);
  EXPECT_EQ(target.capacity(), 131072);
  EXPECT_EQ(target.kind(), FrameRecord::kAudio);
  EXPECT_EQ(target.time, source.time);
  EXPECT_EQ(target.extra[15], 7);
  EXPECT_EQ(std::memcmp(target.payload(), source.payload(), 200), 0);
}

TEST(FrameRecord, CopyIntoTooSmallARecordFailsAndLeavesItUnchanged) {
  FrameRecord source(8192, FrameRecord::kVideo);
  Fill(source, 5000, 0x11);
  FrameRecord target(4096, FrameRecord::kAudio);
  Fill(target, 10, 0x22);

  EXPECT_FALSE(target.CopyFrom(source));
  EXPECT_EQ(target.length(), 10);
  EXPECT_EQ(target.kind(), FrameRecord::kAudio);
  EXPECT_EQ(target.payload()[0], 0x22);
}

TEST(CalendarTime, LittleEndianLayoutOfTheRecords) {
  const CalendarTime time{2008, 1, 2, 1, 10, 0, 0, 0};
  std::uint8_t bytes[sizeof time];
  std::memcpy(bytes, &time, sizeof time);
  const std::uint8_t start[] = {0xD8, 0x07, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(bytes, start, 4), 0);
  EXPECT_EQ(bytes[6], 0x01);
  EXPECT_EQ(bytes[7], 0x00);
  EXPECT_EQ(bytes[8], 0x0A);
  EXPECT_EQ(bytes[9], 0x00);
}

}  // namespace
}  // namespace tavrix
