#pragma once
#include <atomic>
#include <mutex>
#include <string>

#include "engine/engine_observer.h"
#include "net/net_notification.h"

namespace tavrix {

// Hands the engine's reports to its observer, when one is set. The network
// client reports through it too (notifications and state changes). Every
// report is made on the thread that calls it: the engine calls it only from
// its own threads.
class EngineReporter final : public NetNotificationReceiver {
 public:
  void SetObserver(EngineObserver* observer) { observer_.store(observer); }

  // Reports the state with the speed when either differs from the pair
  // reported last.
  void StateChanged(PlaybackState state, PlaybackSpeed speed);
  void EndOfSource();
  void PlaybackError(const std::string& message);
  void CaptureEnded(EngineObserver::Capture capture, bool ok, const std::string& message);

  void Notify(NetNotification notification) override;
  void ConnectionStateChanged(ConnectionState state) override;

 private:
  std::atomic<EngineObserver*> observer_{nullptr};
  std::mutex stateMutex_;
  PlaybackState lastState_ = PlaybackState::Idle;
  PlaybackSpeed lastSpeed_ = PlaybackSpeed::Normal();
};

}  // namespace tavrix
