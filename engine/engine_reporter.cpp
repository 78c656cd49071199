#include "engine/engine_reporter.h"

namespace tavrix {

void EngineReporter::SetObserver(EngineObserver* observer) {
  std::lock_guard lock(mutex_);
  observer_ = observer;
}

void EngineReporter::StateChanged(PlaybackState state, PlaybackSpeed speed) {
  std::lock_guard lock(mutex_);
  if (state == lastState_ && speed == lastSpeed_) return;
  lastState_ = state;
  lastSpeed_ = speed;
  if (observer_ != nullptr) observer_->OnStateChanged(state, speed);
}

void EngineReporter::EndOfSource() {
  std::lock_guard lock(mutex_);
  if (observer_ != nullptr) observer_->OnEndOfSource();
}

void EngineReporter::PlaybackError(const std::string& message) {
  std::lock_guard lock(mutex_);
  if (observer_ != nullptr) observer_->OnPlaybackError(message);
}

void EngineReporter::CaptureEnded(EngineObserver::Capture capture, bool ok, const std::string& message) {
  std::lock_guard lock(mutex_);
  if (observer_ != nullptr) observer_->OnCaptureEnded(capture, ok, message);
}

void EngineReporter::Notify(NetNotification notification) {
  std::lock_guard lock(mutex_);
  if (observer_ != nullptr) observer_->OnNetNotification(notification);
}

void EngineReporter::ConnectionStateChanged(ConnectionState state) {
  std::lock_guard lock(mutex_);
  if (observer_ != nullptr) observer_->OnConnectionStateChanged(state);
}

}  // namespace tavrix
