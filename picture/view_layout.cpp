#include "picture/view_layout.h"

#include <algorithm>
#include <cmath>

namespace tavrix {

int ViewLayout::GridSide(int split) {
  int side = static_cast<int>(std::sqrt(static_cast<double>(std::max(split, 0))));
  if (side == 0 || side * side != split) ++side;
  return side;
}

int ViewLayout::PageCount(int channelCount, int split) {
  if (split <= 0) return 1;
  return std::max(1, (channelCount + split - 1) / split);
}

ViewLayout ViewLayout::Compute(int width, int height, int channelCount, int split, int page) {
  ViewLayout layout;
  if (split <= 0) return layout;
  const int side = GridSide(split);
  const int cellWidth = width / side, extraWidth = width % side;
  const int cellHeight = height / side, extraHeight = height % side;
  const int channels = std::clamp(channelCount, 0, kMaxChannels);
  for (int channel = 0; channel < channels; ++channel) {
    const int position = channel % split;
    const int row = position / side, column = position % side;
    TileRect& tile = layout.tiles[static_cast<std::size_t>(channel)];
    tile.left = cellWidth * column + std::min(extraWidth, column);
    tile.right = tile.left + cellWidth + (column < extraWidth ? 1 : 0);
    tile.top = cellHeight * row + std::min(extraHeight, row);
    tile.bottom = tile.top + cellHeight + (row < extraHeight ? 1 : 0);
    layout.onPage[static_cast<std::size_t>(channel)] = channel / split == page;
  }
  return layout;
}

}  // namespace tavrix
