#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace tavrix {
namespace {

// Loops until stopped, the way the playback thread does.
class LoopingWorker : public WorkerThread {
 public:
  LoopingWorker() = default;
  LoopingWorker(const LoopingWorker&) = delete;
  LoopingWorker& operator=(const LoopingWorker&) = delete;
  ~LoopingWorker() override { Stop(); }
  std::atomic<int> runs{0};

 protected:
  int Run() override {
    ++runs;
    while (running() && !stopEvent().Wait(std::chrono::milliseconds(5))) {
    }
    return 0;
  }
};

class OneShotWorker : public WorkerThread {
 public:
  OneShotWorker() = default;
  OneShotWorker(const OneShotWorker&) = delete;
  OneShotWorker& operator=(const OneShotWorker&) = delete;
  ~OneShotWorker() override { Stop(); }

 protected:
  int Run() override { return 0; }
};

TEST(WorkerThread, SecondStartKeepsTheRunningThread) {
  LoopingWorker worker;
  EXPECT_EQ(worker.Start(), 1);
  EXPECT_EQ(worker.Start(), 0);
  worker.Stop();
  EXPECT_EQ(worker.runs.load(), 1);
  EXPECT_FALSE(worker.IsThreadAlive());
}

TEST(WorkerThread, RunningFlagAloneEndsTheBody) {
  LoopingWorker worker;
  ASSERT_EQ(worker.Start(), 1);
  EXPECT_TRUE(worker.RequestStopAndWait());
  EXPECT_FALSE(worker.IsThreadAlive());
  EXPECT_FALSE(worker.running());
}

TEST(WorkerThread, StopAfterTheBodyEndedByItselfAndRestart) {
  OneShotWorker worker;
  ASSERT_EQ(worker.Start(), 1);
  while (worker.IsThreadAlive()) std::this_thread::yield();
  EXPECT_FALSE(worker.running());
  worker.Stop();
  EXPECT_EQ(worker.Start(), 1);
  worker.Stop();
}

TEST(WorkerThread, AMemberRunsTheBodyItWasGivenUntilStopped) {
  std::atomic<int> runs{0};
  WorkerThread* self = nullptr;
  WorkerThread worker([&] {
    ++runs;
    while (self->running() && !self->stopEvent().Wait(std::chrono::milliseconds(5))) {
    }
    return 0;
  });
  self = &worker;
  ASSERT_EQ(worker.Start(), 1);
  EXPECT_TRUE(worker.IsThreadAlive());
  worker.Stop();
  EXPECT_FALSE(worker.IsThreadAlive());
  ASSERT_EQ(worker.Start(), 1);  // the same body again
  worker.Stop();
  EXPECT_EQ(runs.load(), 2);
}

}  // namespace
}  // namespace tavrix
