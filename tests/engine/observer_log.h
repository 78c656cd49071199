#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/engine_observer.h"

namespace tavrix::testing {

// Everything an engine reported, in order, with the threads it came on. A
// test waits for a report on a condition variable. Declared before the
// engine, it outlives the engine's threads.
class ObserverLog : public EngineObserver {
 public:
  struct CaptureEnd {
    Capture capture;
    bool ok;
    std::string message;
  };
  struct Reports {
    std::vector<std::pair<PlaybackState, PlaybackSpeed>> states;
    int ends = 0;
    std::vector<std::string> errors;
    std::vector<NetNotification> notifications;
    std::vector<ConnectionState> connections;
    std::vector<CaptureEnd> captures;
    std::set<std::thread::id> threads;

    bool SawState(PlaybackState state) const {
      for (const auto& reported : states) {
        if (reported.first == state) return true;
      }
      return false;
    }
    PlaybackState LastState() const { return states.empty() ? PlaybackState::Idle : states.back().first; }
  };

  void OnStateChanged(PlaybackState state, PlaybackSpeed speed) override {
    Add([&](Reports& r) { r.states.emplace_back(state, speed); });
  }
  void OnEndOfSource() override {
    Add([](Reports& r) { ++r.ends; });
  }
  void OnPlaybackError(const std::string& message) override {
    Add([&](Reports& r) { r.errors.push_back(message); });
  }
  void OnNetNotification(NetNotification notification) override {
    Add([&](Reports& r) { r.notifications.push_back(notification); });
  }
  void OnConnectionStateChanged(ConnectionState state) override {
    Add([&](Reports& r) { r.connections.push_back(state); });
  }
  void OnCaptureEnded(Capture capture, bool ok, const std::string& message) override {
    Add([&](Reports& r) { r.captures.push_back({capture, ok, message}); });
  }

  // Waits until the condition holds for the reports; false after a deadline
  // generous enough for sanitizer builds.
  template <typename Condition>
  bool WaitFor(Condition condition, std::chrono::seconds deadline = std::chrono::seconds(30)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline, [&] { return condition(reports_); });
  }

  Reports Snapshot() const {
    std::lock_guard lock(mutex_);
    return reports_;
  }

 private:
  template <typename Change>
  void Add(Change change) {
    {
      std::lock_guard lock(mutex_);
      change(reports_);
      reports_.threads.insert(std::this_thread::get_id());
    }
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Reports reports_;
};

}  // namespace tavrix::testing
