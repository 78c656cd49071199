#pragma once
#include <QObject>

#include "engine/engine_observer.h"

namespace tavrix {

// Hands the engine's reports, which arrive on its own threads, to the window
// as posted WindowMessages (window_events.h); the window handles them on its
// thread. Never blocks and never calls the engine.
class EngineReportForwarder : public EngineObserver {
 public:
  explicit EngineReportForwarder(QObject* window) : window_(window) {}

  void OnStateChanged(PlaybackState state, PlaybackSpeed speed) override;
  void OnEndOfSource() override;
  void OnPlaybackError(const std::string& message) override;
  void OnNetNotification(NetNotification notification) override;
  void OnConnectionStateChanged(ConnectionState state) override;
  void OnCaptureEnded(Capture capture, bool ok, const std::string& message) override;
  // The sound device's complaints (an AudioOut error reporter).
  void OnSoundError(const std::string& message);

 private:
  void Post(QEvent* event) const;

  QObject* window_;
};

}  // namespace tavrix
