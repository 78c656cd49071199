#pragma once

namespace tavrix {

// Keeps FFmpeg's own chatter (encoder statistics, notes) off stderr; its
// errors still show. For programs whose stderr the user reads.
void QuietFfmpegLogging();

}  // namespace tavrix
