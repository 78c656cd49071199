#pragma once
#include <cstddef>

namespace tavrix {

// The largest compressed frame the recorder produces; every buffer that
// gathers or queues one frame has this size.
inline constexpr std::size_t kMaxFrameBytes = 131072;

}  // namespace tavrix
