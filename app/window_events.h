#pragma once
#include <QEvent>
#include <QString>
#include <cstdint>

namespace tavrix {

// Messages the window posts to itself or is posted by its parts and by the
// engine's threads. The system's own messages keep their numbers (all in
// Qt's user range); the engine's other reports follow them.
namespace window_event {
inline constexpr int kSliderMoved = 0x28D1;
inline constexpr int kSliderReleased = 0x28D2;
inline constexpr int kNetStatus = 0x2A68;
inline constexpr int kNetServerClosed = 0x2A69;
inline constexpr int kNetNoResponse = 0x2A6A;
inline constexpr int kNetLoginFailed = 0x2A6B;
inline constexpr int kViewLayoutChanged = 0x2AD6;
inline constexpr int kPlaybackStateChanged = 0x2B00;
inline constexpr int kEndOfSource = 0x2B01;
inline constexpr int kPlaybackError = 0x2B02;
inline constexpr int kConnectionStateChanged = 0x2B03;
inline constexpr int kCaptureEnded = 0x2B04;
inline constexpr int kSoundError = 0x2B05;
}  // namespace window_event

// A posted message with two numbers, as wParam and lParam were, and a text
// for the reports that carry one.
class WindowMessage : public QEvent {
 public:
  WindowMessage(int type, std::intptr_t first = 0, std::intptr_t second = 0, QString text = {})
      : QEvent(static_cast<QEvent::Type>(type)), first_(first), second_(second), text_(std::move(text)) {}

  int number() const { return static_cast<int>(type()); }
  std::intptr_t first() const { return first_; }
  std::intptr_t second() const { return second_; }
  const QString& text() const { return text_; }

 private:
  std::intptr_t first_;
  std::intptr_t second_;
  QString text_;
};

}  // namespace tavrix
