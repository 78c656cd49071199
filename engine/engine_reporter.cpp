#include "engine/engine_reporter.h"

namespace tavrix {

void EngineReporter::StateChanged(PlaybackState state, PlaybackSpeed speed) {
  {
    std::lock_guard lock(stateMutex_);
    if (state == lastState_ && speed == lastSpeed_) return;
    lastState_ = state;
    lastSpeed_ = speed;
  }
  if (EngineObserver* observer = observer_.load()) observer->OnStateChanged(state, speed);
}

void EngineReporter::EndOfSource() {
  if (EngineObserver* observer = observer_.load()) observer->OnEndOfSource();
}

void EngineReporter::PlaybackError(const std::string& message) {
  if (EngineObserver* observer = observer_.load()) observer->OnPlaybackError(message);
}

void EngineReporter::CaptureEnded(EngineObserver::Capture capture, bool ok, const std::string& message) {
  if (EngineObserver* observer = observer_.load()) observer->OnCaptureEnded(capture, ok, message);
}

void EngineReporter::Notify(NetNotification notification) {
  if (EngineObserver* observer = observer_.load()) observer->OnNetNotification(notification);
}

void EngineReporter::ConnectionStateChanged(ConnectionState state) {
  if (EngineObserver* observer = observer_.load()) observer->OnConnectionStateChanged(state);
}

}  // namespace tavrix
