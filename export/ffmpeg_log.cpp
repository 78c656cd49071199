#include "export/ffmpeg_log.h"

extern "C" {
#include <libavutil/log.h>
}

namespace tavrix {

void QuietFfmpegLogging() { av_log_set_level(AV_LOG_ERROR); }

}  // namespace tavrix
