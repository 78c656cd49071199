#pragma once
#include <cstdint>

namespace tavrix {

// Draws a deterministic, easy-to-recognise moving picture as planar YUV
// 4:2:0: a smooth gradient in the channel's own colours with fine texture,
// the channel number (1-based, large), a bar that moves with `frame`, and a
// clock showing `clockSeconds` as mm:ss. Only the bar and the clock change
// between frames, as on a fixed camera. Width and height are multiples of 16.
void DrawTestPicture(std::uint8_t* picture, std::uint32_t width, std::uint32_t height, int channel,
                     std::uint32_t frame, std::uint32_t clockSeconds);

}  // namespace tavrix
