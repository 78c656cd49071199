#include "cli/progress_bar.h"

#include <unistd.h>

#include <algorithm>

namespace tavrix::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Clock(double seconds) {
  const long total = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, std::string unit)
    : out_(out),
      unit_(std::move(unit)),
      active_(isatty(fileno(out)) == 1),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(double fraction, std::uint64_t count) {
  if (!active_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  drawn_ = true;

  fraction = std::clamp(fraction, 0.0, 1.0);
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double rate = elapsed > 0 ? count / elapsed : 0.0;
  const std::string left = fraction > 0 && elapsed > 0.5 ? Clock(elapsed * (1 - fraction) / fraction) + " left"
                                                         : "--:-- left";
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::fprintf(out_, "\r[%s%s] %3d%%  %.0f %s/s  %s \x1b[K", std::string(filled, '#').c_str(),
               std::string(kBarWidth - filled, '.').c_str(), static_cast<int>(fraction * 100), rate, unit_.c_str(),
               left.c_str());
  std::fflush(out_);
}

void ProgressBar::Finish() {
  if (!active_ || !drawn_) return;
  std::fprintf(out_, "\r\x1b[K");
  std::fflush(out_);
  drawn_ = false;
}

}  // namespace tavrix::cli
