#pragma once
#include <mutex>
#include <string>

#include "engine/engine_observer.h"
#include "net/net_notification.h"

namespace tavrix {

// Hands the engine's reports to its observer, when one is set. The network
// client reports through it too (notifications and state changes). Every
// report is made on the thread that calls it: the engine calls it only from
// its own threads. Reports are made one at a time, under a lock that
// SetObserver takes too: once SetObserver has returned, the observer it
// replaced is not called any more, not even by a report already under way.
class EngineReporter final : public NetNotificationReceiver {
 public:
  void SetObserver(EngineObserver* observer);

  // Reports the state with the speed when either differs from the pair
  // reported last.
  void StateChanged(PlaybackState state, PlaybackSpeed speed);
  void EndOfSource();
  void PlaybackError(const std::string& message);
  void CaptureEnded(EngineObserver::Capture capture, bool ok, const std::string& message);

  void Notify(NetNotification notification) override;
  void ConnectionStateChanged(ConnectionState state) override;

 private:
  std::mutex mutex_;
  EngineObserver* observer_ = nullptr;
  PlaybackState lastState_ = PlaybackState::Idle;
  PlaybackSpeed lastSpeed_ = PlaybackSpeed::Normal();
};

}  // namespace tavrix
