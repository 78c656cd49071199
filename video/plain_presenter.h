#pragma once
#include <cstdint>
#include <vector>

#include "picture/view_layout.h"

class QPainter;

namespace tavrix {

// The plain path: a picture is converted into a bottom-up 24-bit B, G, R
// image (one buffer, reused) and stretched straight into its tile of the
// window. Not locked: the view serialises its use.
class PlainPresenter {
 public:
  PlainPresenter();

  // Converts a YUV 4:2:0 picture of at most 640 x 272; false for a larger one.
  bool Convert(const std::uint8_t* picture, int width, int height);
  // Stretches the last converted picture over the tile, nearest pixel.
  void Draw(QPainter& painter, const TileRect& tile) const;

 private:
  std::vector<std::uint8_t> rgb_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace tavrix
