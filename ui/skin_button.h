#pragma once
#include <array>

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace tavrix {

// A push button, check box or radio button painted from a strip of slices,
// left to right: normal, pressed (also checked), hover, disabled and, when
// the strip has one, a mask (black: the button, white: the background shows
// through). The button takes the size of one slice.
//
// Behaviour: a press shows the pressed slice while the pointer stays on the
// button and the normal one when it is dragged off; only a release on the
// button clicks it. A check box toggles on each click, a radio button checks
// itself and unchecks the other radio SkinButtons of the same parent. Space
// clicks like the mouse. The tooltip is QWidget's own (setToolTip).
//
//   auto* play = new SkinButton(SkinButton::Kind::kPushButton, window);
//   play->SetStrip(art::kPlay);
//   play->setToolTip("Play");
//   connect(play, &QAbstractButton::clicked, ...);
class SkinButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum class Kind { kPushButton = 0, kCheckBox = 2, kRadioButton = 4 };
  enum Slice { kNormalSlice = 0, kPressedSlice = 1, kHoverSlice = 2, kDisabledSlice = 3 };

  explicit SkinButton(Kind kind = Kind::kPushButton, QWidget* parent = nullptr);

  Kind kind() const { return kind_; }

  // The strip from the artwork catalogue; false for an unknown number.
  // drawEdge draws a 3-D edge around the button; margin (negative counts as
  // 0) insets the focus rectangle, and 0 draws none.
  bool SetStrip(int number, bool drawEdge = false, int margin = 0, bool hasMask = true);
  void SetStrip(const QPixmap& strip, bool drawEdge = false, int margin = 0, bool hasMask = true);
  QSize sliceSize() const { return sliceSize_; }
  bool hasMask() const { return hasMask_; }

  // The check state; a push button always answers false.
  bool GetCheck() const { return isChecked(); }
  void SetCheck(bool checked);

  // The colour of the button's text (the palette's button text at first).
  void SetTextColour(const QColor& colour);

  bool isHovered() const { return hover_; }
  // The slice that the next paint shows.
  Slice currentSlice() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void nextCheckState() override;

 private:
  void SetHover(bool hover);
  void UncheckOtherRadios();

  Kind kind_;
  std::array<QPixmap, 4> slices_;
  QSize sliceSize_;
  bool hasMask_ = false;
  bool drawEdge_ = false;
  int margin_ = 0;
  QColor textColour_;
  bool hover_ = false;
};

}  // namespace tavrix
