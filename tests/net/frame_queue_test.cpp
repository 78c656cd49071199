#include "net/frame_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tavrix {
namespace {

void Fill(FrameRecord& record, std::int32_t length, std::uint8_t value) {
  for (std::int32_t i = 0; i < length; ++i) record.payload()[i] = value;
  record.set_length(length);
  record.time.second = value;
}

TEST(FrameQueue, KeepsOrderAndDropsTheNewestWhenFull) {
  FrameQueue queue(16, 64);
  FrameRecord record(64, FrameRecord::kTransfer);
  EXPECT_TRUE(queue.spaceEvent().IsSet());
  EXPECT_FALSE(queue.dataEvent().IsSet());
  for (int i = 0; i < 16; ++i) {
    Fill(record, 10 + i, static_cast<std::uint8_t>(i));
    EXPECT_TRUE(queue.Push(record));
  }
  EXPECT_FALSE(queue.spaceEvent().IsSet());
  Fill(record, 5, 99);
  EXPECT_FALSE(queue.Push(record)) << "the 17th element is dropped";

  FrameRecord out(64, FrameRecord::kVideo);
  for (int i = 0; i < 16; ++i) {
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.length(), 10 + i);
    EXPECT_EQ(out.payload()[0], i);
    EXPECT_EQ(out.time.second, i);
    EXPECT_EQ(out.kind(), FrameRecord::kVideo) << "the taker's kind stays";
    EXPECT_TRUE(queue.spaceEvent().IsSet());
  }
  EXPECT_FALSE(queue.dataEvent().IsSet());
  EXPECT_FALSE(queue.Pop(out));
}

TEST(FrameQueue, AnElementLargerThanABufferIsDroppedAndTheBufferStaysFree) {
  FrameQueue queue(1, 32);
  FrameRecord large(100, FrameRecord::kTransfer);
  Fill(large, 33, 1);
  EXPECT_FALSE(queue.Push(large));
  EXPECT_FALSE(queue.dataEvent().IsSet());
  Fill(large, 32, 2);
  EXPECT_TRUE(queue.Push(large));
  EXPECT_TRUE(queue.dataEvent().IsSet());
  EXPECT_FALSE(queue.spaceEvent().IsSet());
}

TEST(FrameQueue, ATakerWaitingOnTheDataEventGetsEveryElement) {
  FrameQueue queue(4, 16);
  constexpr int kCount = 500;
  std::thread producer([&] {
    FrameRecord record(16, FrameRecord::kTransfer);
    for (int i = 0; i < kCount; ++i) {
      Fill(record, 4, static_cast<std::uint8_t>(i));
      while (!queue.Push(record)) queue.spaceEvent().Wait(std::chrono::milliseconds(100));
    }
  });
  FrameRecord out(16, FrameRecord::kAudio);
  int taken = 0;
  while (taken < kCount && queue.dataEvent().Wait(std::chrono::seconds(10))) {
    while (queue.Pop(out)) {
      ASSERT_EQ(out.payload()[0], static_cast<std::uint8_t>(taken));
      ++taken;
    }
  }
  producer.join();
  EXPECT_EQ(taken, kCount);
}

}  // namespace
}  // namespace tavrix
