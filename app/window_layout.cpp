#include "app/window_layout.h"

#include <algorithm>
#include <array>

#include "app/command_ids.h"

namespace tavrix::window_layout {
namespace {

using enum Anchor;
constexpr int kBoth = kPlayerMask | kClientMask;

constexpr std::array kRows{
    Row{command::kIconButton, TopLeft, 5, 5, kBoth},
    Row{control::kTitle, TopLeft, 22, 4, kBoth},
    Row{command::kMinimize, TopRight, 560, 2, kBoth},
    Row{command::kCloseButton, TopRight, 582, 2, kBoth},
    Row{command::kPlayerMode, TopLeft, 160, 2, kBoth},
    Row{command::kClientMode, TopLeft, 240, 2, kBoth},
    Row{control::kStatusLine, StatusRow, 10, 238, kBoth},
    Row{control::kPositionSlider, StatusRow, 10, 238, kPlayerMask},
    Row{command::kOpenFile, BottomLeft, 10, 262, kPlayerMask},
    Row{command::kFastRewind, BottomLeft, 49, 262, kPlayerMask},
    Row{command::kPlayReverse, BottomLeft, 80, 262, kPlayerMask},
    Row{command::kPreviousFrame, BottomLeft, 111, 262, kPlayerMask},
    Row{command::kPause, BottomLeft, 142, 262, kPlayerMask},
    Row{command::kNextFrame, BottomLeft, 173, 262, kPlayerMask},
    Row{command::kPlay, BottomLeft, 204, 262, kPlayerMask},
    Row{command::kFastForward, BottomLeft, 235, 262, kPlayerMask},
    Row{command::kStillCapture, BottomLeft, 274, 262, kPlayerMask},
    Row{command::kSaveAvi, TopLeft, 360, 2, kBoth},
    Row{command::kSplit1, BottomLeft, 336, 262, kPlayerMask},
    Row{command::kSplit4, BottomLeft, 367, 262, kPlayerMask},
    Row{command::kSplit9, BottomLeft, 398, 262, kPlayerMask},
    Row{command::kSplit16, BottomLeft, 429, 262, kPlayerMask},
    Row{command::kMute, BottomRight, 500, 262, kBoth},
    Row{control::kVolumeSlider, BottomRight, 532, 269, kBoth},
    Row{command::kConnect, BottomLeft, 10, 262, kClientMask},
    Row{command::kDvrPause, BottomLeft, 49, 262, kClientMask},
    Row{command::kDvrRewind, BottomLeft, 80, 262, kClientMask},
    Row{command::kDvrPlay, BottomLeft, 111, 262, kClientMask},
    Row{command::kDvrFastForward, BottomLeft, 142, 262, kClientMask},
    Row{command::kDvrStop, BottomLeft, 173, 262, kClientMask},
    Row{command::kDvrRecord, BottomLeft, 204, 262, kClientMask},
    Row{command::kDvrChannel1, BottomLeft, 243, 262, kClientMask},
    Row{command::kDvrChannel1 + 1, BottomLeft, 274, 262, kClientMask},
    Row{command::kDvrChannel1 + 2, BottomLeft, 305, 262, kClientMask},
    Row{command::kDvrChannel1 + 3, BottomLeft, 336, 262, kClientMask},
    Row{command::kDvrSplit4, BottomLeft, 367, 262, kClientMask},
    Row{command::kDvrMenu, BottomLeft, 406, 262, kClientMask},
    Row{command::kDvrUp, BottomLeft, 437, 262, kClientMask},
    Row{command::kDvrDown, BottomLeft, 468, 262, kClientMask},
    Row{command::kDvrSelect, BottomLeft, 499, 262, kClientMask},
};

// The volume group needs this much width beside the buttons of the mode.
constexpr int kVolumeShownAbovePlayer = 517;
constexpr int kVolumeShownAboveClient = 635;

int MaskOf(EngineMode mode) { return mode == EngineMode::Client ? kClientMask : kPlayerMask; }

}  // namespace

std::span<const Row> Rows() { return kRows; }

Placement Place(const Row& row, QSize window, EngineMode mode, QSize controlSize) {
  const bool alwaysHidden = row.id == command::kSplit9 || row.id == command::kSplit16;
  if (alwaysHidden || (row.modes & MaskOf(mode)) == 0) return {};
  const int dx = window.width() - kReference.width();
  const int dy = window.height() - kReference.height();
  switch (row.anchor) {
    case TopLeft: return {true, QRect(QPoint(row.x, row.y), controlSize)};
    case TopRight: return {true, QRect(QPoint(row.x + dx, row.y), controlSize)};
    case BottomLeft: return {true, QRect(QPoint(row.x, row.y + dy), controlSize)};
    case BottomRight: {
      const int shownAbove = mode == EngineMode::Client ? kVolumeShownAboveClient : kVolumeShownAbovePlayer;
      if (window.width() <= shownAbove) return {};
      return {true, QRect(QPoint(row.x + dx, row.y + dy), controlSize)};
    }
    case StatusRow:
      if (row.id == control::kStatusLine) return {true, QRect(13, window.height() - 74, window.width() - 116, 17)};
      return {true, QRect(13, window.height() - 52, window.width() - 26, controlSize.height())};
  }
  return {};
}

QRect VideoRect(QSize window) { return QRect(kVideoOrigin, window - kFrame); }

QSize WindowForVideo(QSize video) { return video + kFrame; }

QSize ClampToMinimum(QSize window) { return window.expandedTo(kMinimumWindow); }

}  // namespace tavrix::window_layout
