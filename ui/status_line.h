#pragma once
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace tavrix {

// The window's status line: black, with icons from a strip and green text.
// In the player form it shows the playback state's icon, the status text
// (state word and speed) and the time text; in the client form the
// connection state and the channel indicators, which light up while online.
// The window feeds it; it polls nothing itself.
//
// Icon strip cells (16 pixels high, drawn at x - 16 in the client form):
//   x 0, 16 wide:    playback icons, row 16 play, 32 reverse, 48 pause,
//                    64 stop, 80 search
//   x 16, 102 wide:  connection state n at row 16 n
//   x 128 + 24 i:    channel i + 1 (i = 0..3), 24 wide, row 0 or 16 online
//   x 356, 21 wide:  one further indicator, row 0 or 16 online
class StatusLine : public QWidget {
  Q_OBJECT

 public:
  enum class Form { kPlayer, kClient };
  static constexpr int kOnline = 3;

  explicit StatusLine(QWidget* parent = nullptr);

  // The icon strip from the artwork catalogue (art::kStatusIcons at first).
  bool SetIconStrip(int number);
  void SetIconStrip(const QPixmap& strip);

  // The window's mode: 2 is the client form, any other value the player form.
  void SetMode(int mode);
  Form form() const { return form_; }

  void SetConnectionState(int state);
  int connectionState() const { return connectionState_; }
  // The engine's playback state 0-7.
  void SetPlaybackState(int state);
  int playbackState() const { return playbackState_; }

  void SetTexts(const QString& status, const QString& time);
  const QString& statusText() const { return statusText_; }
  const QString& timeText() const { return timeText_; }

  void SetTextColour(const QColor& colour);
  void SetBackgroundColour(const QColor& colour);

  // The strip row of a playback state's icon.
  static int PlaybackIconRow(int state);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintPlayer(QPainter& painter);
  void PaintClient(QPainter& painter);
  // Copies a piece of the strip (logical pixels) to the control at `to`.
  void Copy(QPainter& painter, QPoint to, const QRect& piece);

  QPixmap strip_;
  Form form_ = Form::kClient;
  int connectionState_ = 0;
  int playbackState_ = 0;
  QString statusText_;
  QString timeText_;
  QColor textColour_{0x00, 0xff, 0x00};
  QColor background_{Qt::black};
};

}  // namespace tavrix
