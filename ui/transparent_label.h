#pragma once
#include <QColor>
#include <QString>
#include <QWidget>

namespace tavrix {

// A single line of text drawn straight onto whatever its parent paints
// beneath it (the skinned background), in its own colour (white at first).
// Text too long for the label is elided in the middle, which keeps both the
// start and the file name of a long path readable.
class TransparentLabel : public QWidget {
  Q_OBJECT

 public:
  explicit TransparentLabel(QWidget* parent = nullptr);
  TransparentLabel(const QString& text, QWidget* parent);

  void setText(const QString& text);
  const QString& text() const { return text_; }

  void SetTextColour(const QColor& colour);
  const QColor& textColour() const { return colour_; }

  // Left and vertically centred at first.
  void setAlignment(Qt::Alignment alignment);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QColor colour_{Qt::white};
  Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
};

}  // namespace tavrix
