#pragma once
#include <optional>

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include "ui/slider_geometry.h"

namespace tavrix {

// A slider painted from bitmaps: a track (optionally a second, "active" one
// for the part before the thumb) and a thumb (optionally an active one shown
// while it is dragged). Transparent pictures use a colour key, magenta in
// the skin. It follows the mouse and the keyboard and reports moves with two
// signals; the window turns them into its own slider events.
//
//   auto* volume = new BitmapSlider(Qt::Horizontal, window);
//   volume->SetTrackBitmaps(art::kVolumeTrack, art::kVolumeActiveTrack, true);
//   volume->SetThumbBitmaps(art::kVolumeThumb, art::kVolumeActiveThumb, true);
//   volume->SetMargin(4, 1, 4, 0);
//   volume->SetRange(0, 0xFFFF);
//   connect(volume, &BitmapSlider::moved, ...);
class BitmapSlider : public QWidget {
  Q_OBJECT

 public:
  explicit BitmapSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

  // The track pictures from the artwork catalogue. Number 0 removes them;
  // an active number of 0 means none. With `transparent`, pixels of `key`
  // are not drawn (without a key colour, the colour of the pixel at `sample`
  // is the key). The slider takes the track's size. False, with nothing
  // changed, when a number is unknown.
  bool SetTrackBitmaps(int track, int activeTrack, bool transparent,
                       std::optional<QColor> key = DefaultColourKey(), QPoint sample = {});
  bool SetTrackBitmaps(const QPixmap& track, const QPixmap& activeTrack, bool transparent,
                       std::optional<QColor> key = DefaultColourKey(), QPoint sample = {});
  // The same for the thumb; the slider keeps its size.
  bool SetThumbBitmaps(int thumb, int activeThumb, bool transparent,
                       std::optional<QColor> key = DefaultColourKey(), QPoint sample = {});
  bool SetThumbBitmaps(const QPixmap& thumb, const QPixmap& activeThumb, bool transparent,
                       std::optional<QColor> key = DefaultColourKey(), QPoint sample = {});

  // Draw the track stretched over the slider's whole length (for a slider
  // that the window resizes) instead of at its own size.
  void SetStretchTrack(bool on);

  // The position is clamped into the range; both repaint.
  void SetRange(int minimum, int maximum, bool redraw = true);
  void SetPosition(int position);
  void SetPage(int page) { page_ = page; }
  // Space kept free around the thumb's travel.
  void SetMargin(int left, int top, int right, int bottom);
  void SetDrawFocusRect(bool on, bool redraw = true);

  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int position() const { return position_; }
  int page() const { return page_; }
  Qt::Orientation orientation() const { return orientation_; }
  bool isDragging() const { return dragging_; }

  // The thumb's centre along the travel, in pixels of the slider.
  int ThumbCentre() const;
  SliderGeometry Geometry() const;

  QSize sizeHint() const override;

  static QColor DefaultColourKey();

 signals:
  // The thumb was dragged to a new pixel; the position it now stands for.
  // Reported once per pixel, however many pointer moves arrive there.
  void moved(int position);
  // A drag ended, or a key moved the thumb.
  void released(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int Along(const QPointF& point) const;
  QSize TrackSize() const;
  void DragTo(int pixel);
  void PaintTrack(QPainter& painter, int centre);

  Qt::Orientation orientation_;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  int page_ = 20;
  QMargins margins_;
  QPixmap track_;
  QPixmap activeTrack_;
  QPixmap thumb_;
  QPixmap activeThumb_;
  bool stretchTrack_ = false;
  bool drawFocusRect_ = true;
  bool dragging_ = false;
  int dragOffset_ = 0;
  int dragPixel_ = 0;  // where the drag last put the thumb's centre
};

}  // namespace tavrix
