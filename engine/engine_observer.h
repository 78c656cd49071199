#pragma once
#include <string>

#include "engine/engine_types.h"
#include "net/connection_state.h"
#include "net/net_notification.h"

namespace tavrix {

// Reports from the engine to its client (the window or the CLI). They are
// delivered on the engine's own threads (the playback or stream thread, the
// network client's thread), never on the caller's: an implementation returns
// at once, never blocks and never calls back into the engine from inside a
// report. A window forwards each report to its own thread.
class EngineObserver {
 public:
  enum class Capture { Avi, LocalRecording };

  virtual ~EngineObserver() = default;

  virtual void OnStateChanged(PlaybackState /*state*/, PlaybackSpeed /*speed*/) {}
  // Forward playback reached the end, or reverse playback the start, with
  // repeat off.
  virtual void OnEndOfSource() {}
  // Reading or decoding failed in a way the user must hear of, in one line.
  virtual void OnPlaybackError(const std::string& /*message*/) {}
  virtual void OnNetNotification(NetNotification /*notification*/) {}
  virtual void OnConnectionStateChanged(ConnectionState /*state*/) {}
  // An AVI capture or a local recording ended by itself (a write error, the
  // source closed, the connection lost); ok is false on a failure.
  virtual void OnCaptureEnded(Capture /*capture*/, bool /*ok*/, const std::string& /*message*/) {}
};

}  // namespace tavrix
