#include "platform/worker_thread.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "platform/tick_clock.h"

namespace tavrix {

WorkerThread::~WorkerThread() {
  stopEvent_.Set();
  if (thread_.joinable()) thread_.join();
}

void WorkerThread::JoinFinished() {
  if (thread_.joinable() && !alive_.load()) thread_.join();
}

int WorkerThread::Start() {
  running_.store(true);
  if (alive_.load()) return 0;
  JoinFinished();
  stopEvent_.Reset();
  alive_.store(true);
  try {
    thread_ = std::thread([this] {
      Run();
      running_.store(false);
      alive_.store(false);
    });
  } catch (const std::system_error& error) {
    alive_.store(false);
    return error.code().value() > 0 ? -error.code().value() : -EAGAIN;
  }
  return 1;
}

void WorkerThread::Stop() {
  stopEvent_.Set();
  if (thread_.joinable()) thread_.join();
}

bool WorkerThread::RequestStopAndWait() {
  running_.store(false);
  const std::uint32_t start = TickCountMs();
  while (alive_.load() && TickDifference(start, TickCountMs()) <= 5000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (alive_.load()) return false;
  JoinFinished();
  return true;
}

}  // namespace tavrix
