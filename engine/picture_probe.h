#pragma once
#include <cstdint>
#include <string>

#include "media/format_variant.h"

namespace tavrix {

class ChannelDecoder;
class Event;

enum class ProbeOutcome {
  kPicture,    // a picture decodes
  kNoPicture,  // the whole source was read and nothing in it decodes
  kUndecided,  // the time ran out or the stop came first
};

// Reads a source forwards with a reader of its own, unpaced, until a picture
// decodes, so that a source with nothing to show is told at once instead of
// after the paced failed reads of playback. The decoder is left holding
// whatever it decoded; frameBuffer holds kMaxFrameBytes.
ProbeOutcome ProbeForPicture(const std::string& path, bool isDisk, FormatVariant variant, ChannelDecoder& decoder,
                             std::uint8_t* frameBuffer, const Event& stop, std::uint32_t budgetMs);

}  // namespace tavrix
