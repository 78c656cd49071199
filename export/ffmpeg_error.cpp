#include "export/ffmpeg_error.h"

extern "C" {
#include <libavutil/error.h>
}

namespace tavrix {

std::string FfmpegErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

}  // namespace tavrix
