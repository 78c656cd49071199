#pragma once
#include <QImage>
#include <QSize>
#include <cstdint>
#include <optional>
#include <string>

#include "picture/view_layout.h"
#include "video/presentation_format.h"

namespace tavrix {

// The accelerated path: a picture is converted into a surface in the
// screen's own pixel layout, stretched into its tile of one back buffer the
// size of the view, and the back buffer goes to the screen in one step. Not
// locked: the view serialises its use.
class BackBufferPresenter {
 public:
  // Chooses the layout for a screen of `depth` bits and makes a black back
  // buffer for an area of `size` (none while the area is empty). False, with
  // the reason, when either fails; nothing is set up then.
  bool Setup(int depth, QSize size, std::string& error);
  // A new area for the same layout; false with the reason when the back
  // buffer cannot be made, and nothing is set up then.
  bool Resize(QSize size, std::string& error);
  void Release();

  // Converts a YUV 4:2:0 picture into the picture surface, which is made
  // again when the picture's size changes; false with the reason when it
  // cannot be made.
  bool Convert(const std::uint8_t* picture, int width, int height, std::string& error);
  // Stretches the last converted picture over the tile of the back buffer,
  // nearest pixel, no blending.
  void StretchInto(const TileRect& tile);
  void FillBlack(const TileRect& tile);
  void FillBlack();

  // What goes to the screen; captions are drawn into it.
  QImage& backBuffer() { return backBuffer_; }

 private:
  std::optional<PresentationFormat> format_;
  QImage surface_;
  QImage backBuffer_;
};

}  // namespace tavrix
