#include "cli/frame_listing.h"

#include <charconv>

#include "storage/block_time.h"

namespace tavrix::cli {
namespace {

// `value` right-aligned in `width` columns, as printf's %*d puts it.
template <typename Number>
void AppendRight(std::string& line, Number value, std::size_t width) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < width) line.append(width - length, ' ');
  line.append(digits, length);
}

template <typename Number>
void AppendNumber(std::string& line, Number value) {
  AppendRight(line, value, 0);
}

}  // namespace

const std::string& FrameListing::TimeText(const CalendarTime& time) {
  if (!haveTime_ || !(time == time_)) {
    timeText_ = FormatCalendarTime(time);
    time_ = time;
    haveTime_ = true;
  }
  return timeText_;
}

void FrameListing::Write(std::uint64_t offset, const FrameInfo& info) {
  const char* kind = info.audio ? "audio" : "video";
  line_.clear();
  if (json_) {
    line_ += "{\"offset\": ";
    AppendNumber(line_, offset);
    line_ += ", \"kind\": \"";
    line_ += kind;
    line_ += "\", \"channel\": ";
    AppendNumber(line_, info.channel);
    line_ += ", \"length\": ";
    AppendNumber(line_, info.length);
    line_ += ", \"time\": \"";
    line_ += TimeText(info.time);
    line_ += "\"}\n";
  } else {
    AppendRight(line_, offset, 12);
    line_ += "  ";
    line_ += kind;
    line_ += "  ";
    AppendRight(line_, info.channel, 2);
    line_ += "  ";
    AppendRight(line_, info.length, 6);
    line_ += "  ";
    line_ += TimeText(info.time);
    line_ += '\n';
  }
  std::fwrite(line_.data(), 1, line_.size(), out_);
}

}  // namespace tavrix::cli
