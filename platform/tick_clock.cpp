#include "platform/tick_clock.h"

#include <chrono>

namespace tavrix {

std::uint32_t TickCountMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace tavrix
