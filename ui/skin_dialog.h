#pragma once
#include <optional>

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QSize>

namespace tavrix {

// A frameless dialog painted from one background bitmap that stretches with
// the window (see ComposeSkinBackground), with rounded corners and moved by
// dragging its body. Subclasses place their controls on top; a press that no
// child takes moves the window.
//
//   SkinDialog window;
//   window.SetBackground(art::kBackground);
//   window.SetCorners(12, 12);
class SkinDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SkinDialog(QWidget* parent = nullptr);

  // The background from the artwork catalogue; false for an unknown number.
  bool SetBackground(int number);
  void SetBackground(const QPixmap& bitmap);
  const QPixmap& background() const { return background_; }

  // The corner ellipse of the window's region; the region is made on every
  // size change while a background is set.
  void SetCorners(int width, int height);
  QSize corners() const { return corners_; }

  // Whether a press on the body moves the window (on at first).
  void SetDrag(bool on) { drag_ = on; }
  bool drag() const { return drag_; }

  // The colour of whatever the background leaves uncovered: the centre and
  // the outermost right column and bottom row.
  static QColor FillColour();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void UpdateRegion();

  QPixmap background_;
  QPixmap composed_;  // the background at the current size; null when stale
  QSize corners_{0, 0};
  bool drag_ = true;
  // Where the window was grabbed, while it is moved by hand (platforms that
  // cannot move a window for us, such as the off-screen one).
  std::optional<QPoint> grabOffset_;
};

}  // namespace tavrix
