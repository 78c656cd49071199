#pragma once
#include <string>

#include "media/frame_bound.h"

namespace tavrix::cli {

// A --from or --to bound: a byte offset into the source (digits only), or a
// block time "YYYY-MM-DD HH:MM:SS" (also with a T between, or with slashes
// in the date as the captions show it) in local standard time.
// Throws UsageError naming --option when the text is neither.
FrameBound ParseFrameBound(const std::string& option, const std::string& text);

}  // namespace tavrix::cli
