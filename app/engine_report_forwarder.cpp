#include "app/engine_report_forwarder.h"

#include <QCoreApplication>

#include "app/window_events.h"

namespace tavrix {

void EngineReportForwarder::Post(QEvent* event) const { QCoreApplication::postEvent(window_, event); }

// The window reads the state and speed afresh when it handles the report.
void EngineReportForwarder::OnStateChanged(PlaybackState, PlaybackSpeed) {
  Post(new WindowMessage(window_event::kPlaybackStateChanged));
}

void EngineReportForwarder::OnEndOfSource() { Post(new WindowMessage(window_event::kEndOfSource)); }

void EngineReportForwarder::OnPlaybackError(const std::string& message) {
  Post(new WindowMessage(window_event::kPlaybackError, 0, 0, QString::fromStdString(message)));
}

void EngineReportForwarder::OnNetNotification(NetNotification notification) {
  Post(new WindowMessage(static_cast<int>(notification)));
}

void EngineReportForwarder::OnConnectionStateChanged(ConnectionState state) {
  Post(new WindowMessage(window_event::kConnectionStateChanged, static_cast<int>(state)));
}

void EngineReportForwarder::OnCaptureEnded(Capture capture, bool ok, const std::string& message) {
  Post(new WindowMessage(window_event::kCaptureEnded, static_cast<int>(capture), ok ? 1 : 0,
                         QString::fromStdString(message)));
}

void EngineReportForwarder::OnSoundError(const std::string& message) {
  Post(new WindowMessage(window_event::kSoundError, 0, 0, QString::fromStdString(message)));
}

}  // namespace tavrix
