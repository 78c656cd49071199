#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>

#include "platform/event.h"

namespace tavrix {

// One thread of its own, for an object that holds it as a member (the player
// engine) and gives it its body, or for a class that derives from it and
// overrides Run (the network client). The body tests running() and the stop
// event.
class WorkerThread {
 public:
  using Body = std::function<int()>;

  WorkerThread() = default;
  explicit WorkerThread(Body body) : body_(std::move(body)) {}
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // The owner or the derived class must stop the thread in its own
  // destructor: the body uses its members. This one only joins as a last
  // resort.
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
  // Signalled by Stop; the body ends its waits on it.
  Event& stopEvent() { return stopEvent_; }

 protected:
  // Runs the body given at construction.
  virtual int Run() { return body_ ? body_() : 0; }
  void set_running(bool running) { running_.store(running); }

 private:
  void JoinFinished();

  Body body_;
  std::thread thread_;
  std::atomic<bool> alive_{false};
  std::atomic<bool> running_{false};
  Event stopEvent_{Event::ResetMode::Manual};
};

}  // namespace tavrix
