#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/event.h"

namespace tavrix {

// Base of the objects that run one thread of their own (the player engine and
// the network client). The body tests running() and the stop event.
class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Derived classes must stop the thread in their own destructor: the body
  // uses their members. This one only joins as a last resort.
  virtual ~WorkerThread();

  // 1 when a thread was started, 0 when one was already running (only the
  // running flag is set again), a negative error code when none could start.
  int Start();
  // Signals the stop event and waits for the thread to end.
  void Stop();
  // Clears the running flag without signalling, and waits up to 5 s for the
  // body to notice. True when the thread has ended.
  bool RequestStopAndWait();

  bool IsThreadAlive() const { return alive_.load(); }
  bool running() const { return running_.load(); }

 protected:
  virtual int Run() = 0;
  Event& stopEvent() { return stopEvent_; }
  void set_running(bool running) { running_.store(running); }

 private:
  void JoinFinished();

  std::thread thread_;
  std::atomic<bool> alive_{false};
  std::atomic<bool> running_{false};
  Event stopEvent_{Event::ResetMode::Manual};
};

}  // namespace tavrix
