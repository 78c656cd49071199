#pragma once
#include <QRect>
#include <QSize>
#include <span>

#include "engine/engine_types.h"

namespace tavrix {

// Where the main window's controls go. Each control keeps its place against
// one edge or corner of the window as it is resized; the numbers are pixels
// against a reference window of 608 x 300.
namespace window_layout {

enum class Anchor : int {
  TopLeft = 0,      // at (x, y)
  TopRight = 2,     // follows the right edge
  BottomLeft = 3,   // follows the bottom edge
  StatusRow = 4,    // the status line and the position slider: follow the bottom, span the width
  BottomRight = 5,  // the volume group: follows both, hidden when the window is narrow
};

// The modes a control is shown in.
inline constexpr int kPlayerMask = 1;
inline constexpr int kClientMask = 2;

struct Row {
  int id;
  Anchor anchor;
  int x;
  int y;
  int modes;
};

inline constexpr QSize kReference{608, 300};
// The smallest window a corner drag leaves.
inline constexpr QSize kMinimumWindow{578, 486};
// The video view's top-left corner in the window.
inline constexpr QPoint kVideoOrigin{2, 25};
// What the window adds around its video area.
inline constexpr QSize kFrame{5, 100};

std::span<const Row> Rows();

struct Placement {
  bool shown = false;
  QRect rect;  // position and (possibly new) size of the control
};

// Where the control of `row`, now of size `controlSize`, goes in a window of
// `window` size in `mode`.
Placement Place(const Row& row, QSize window, EngineMode mode, QSize controlSize);

// The video view's rectangle in a window of that size.
QRect VideoRect(QSize window);
// The window size for a video area of that size.
QSize WindowForVideo(QSize video);
// A corner drag's size, kept at least kMinimumWindow.
QSize ClampToMinimum(QSize window);

}  // namespace window_layout
}  // namespace tavrix
