#pragma once
#include "codec/decoded_picture.h"
#include "engine/picture_sink.h"

namespace tavrix {

// A decoded picture as the sink sees it: tightly packed planes.
inline PictureView ViewOfPicture(const DecodedPicture& picture) {
  const int width = static_cast<int>(picture.width());
  return PictureView{picture.y(), picture.cb(), picture.cr(), width, static_cast<int>(picture.height()), width,
                     width / 2};
}

}  // namespace tavrix
