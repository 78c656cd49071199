#include <gtest/gtest.h>

#include "export/ffmpeg_log.h"

namespace {

// Encoder statistics would bury the test output.
class QuietFfmpeg : public testing::Environment {
 public:
  void SetUp() override { tavrix::QuietFfmpegLogging(); }
};

const testing::Environment* const kQuietFfmpeg = testing::AddGlobalTestEnvironment(new QuietFfmpeg);

}  // namespace
