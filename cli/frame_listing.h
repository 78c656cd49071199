#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "media/calendar_time.h"
#include "media/frame_info.h"

namespace tavrix::cli {

// The lines of `tavrix frames`, one per frame, as text columns or JSON
// objects. A listing of a large disk has millions of lines, so each is put
// together by hand and the time text is made once per second of recording.
class FrameListing {
 public:
  FrameListing(std::FILE* out, bool json) : out_(out), json_(json) {}

  void Write(std::uint64_t offset, const FrameInfo& info);

 private:
  const std::string& TimeText(const CalendarTime& time);

  std::FILE* out_;
  bool json_;
  bool haveTime_ = false;
  CalendarTime time_;
  std::string timeText_;
  std::string line_;
};

}  // namespace tavrix::cli
