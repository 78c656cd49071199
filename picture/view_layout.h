#pragma once
#include <array>

namespace tavrix {

struct TileRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const TileRect&, const TileRect&) = default;
};

// Where each channel's tile lies for one split and page. Channels fill the
// pages in order, split positions per page, on a d x d grid (d the smallest
// whole number with d x d >= split). The leftover pixels of an area that does
// not divide evenly go one each to the first columns and rows, so the tiles
// cover the area exactly.
struct ViewLayout {
  static constexpr int kMaxChannels = 16;

  std::array<TileRect, kMaxChannels> tiles{};
  std::array<bool, kMaxChannels> onPage{};

  static ViewLayout Compute(int width, int height, int channelCount, int split, int page);
  // Pages needed to show channelCount channels split per page (at least 1).
  static int PageCount(int channelCount, int split);
  // Side of the square grid that holds split tiles.
  static int GridSide(int split);
};

}  // namespace tavrix
