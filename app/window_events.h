#pragma once
#include <QEvent>
#include <QString>
#include <cstdint>

namespace tavrix {

// Messages the window posts to itself or is posted by its parts and by the
// engine's threads. The system's own messages keep their numbers (all in
// Qt's user range); the engine's other reports follow them.
namespace window_event {
inline constexpr auto kSliderMoved = static_cast<QEvent::Type>(0x28D1);
inline constexpr auto kSliderReleased = static_cast<QEvent::Type>(0x28D2);
inline constexpr auto kNetStatus = static_cast<QEvent::Type>(0x2A68);
inline constexpr auto kNetServerClosed = static_cast<QEvent::Type>(0x2A69);
inline constexpr auto kNetNoResponse = static_cast<QEvent::Type>(0x2A6A);
inline constexpr auto kNetLoginFailed = static_cast<QEvent::Type>(0x2A6B);
inline constexpr auto kViewLayoutChanged = static_cast<QEvent::Type>(0x2AD6);
inline constexpr auto kPlaybackStateChanged = static_cast<QEvent::Type>(0x2B00);
inline constexpr auto kEndOfSource = static_cast<QEvent::Type>(0x2B01);
inline constexpr auto kPlaybackError = static_cast<QEvent::Type>(0x2B02);
inline constexpr auto kConnectionStateChanged = static_cast<QEvent::Type>(0x2B03);
inline constexpr auto kCaptureEnded = static_cast<QEvent::Type>(0x2B04);
inline constexpr auto kSoundError = static_cast<QEvent::Type>(0x2B05);
}  // namespace window_event

// A posted message with two numbers, as wParam and lParam were, and a text
// for the reports that carry one.
class WindowMessage : public QEvent {
 public:
  WindowMessage(QEvent::Type type, std::intptr_t first = 0, std::intptr_t second = 0, QString text = {})
      : QEvent(type), first_(first), second_(second), text_(std::move(text)) {}

  std::intptr_t first() const { return first_; }
  std::intptr_t second() const { return second_; }
  const QString& text() const { return text_; }

 private:
  std::intptr_t first_;
  std::intptr_t second_;
  QString text_;
};

}  // namespace tavrix
