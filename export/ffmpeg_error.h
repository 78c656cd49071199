#pragma once
#include <string>

namespace tavrix {

// FFmpeg's text for one of its negative error codes.
std::string FfmpegErrorText(int error);

}  // namespace tavrix
