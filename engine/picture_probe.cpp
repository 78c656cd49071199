#include "engine/picture_probe.h"

#include "codec/channel_decoder.h"
#include "platform/event.h"
#include "platform/tick_clock.h"
#include "storage/vvf_reader.h"

namespace tavrix {

ProbeOutcome ProbeForPicture(const std::string& path, bool isDisk, FormatVariant variant, ChannelDecoder& decoder,
                             std::uint8_t* frameBuffer, const Event& stop, std::uint32_t budgetMs) {
  VvfReader reader;
  reader.SetFormatVariant(variant);
  if (!reader.Open(path, isDisk)) return ProbeOutcome::kUndecided;
  const std::uint32_t start = TickCountMs();
  while (!stop.IsSet() && TickDifference(start, TickCountMs()) < budgetMs) {
    const std::uint64_t before = reader.Position();
    const std::uint32_t length = reader.ReadNext(frameBuffer);
    if (length == 0) {
      // A read that delivers nothing and does not move has met the end.
      if (reader.Position() == before) return ProbeOutcome::kNoPicture;
      continue;
    }
    if (reader.frameInfo().audio) continue;
    if (decoder.Decode(frameBuffer, length).shownCount > 0) return ProbeOutcome::kPicture;
  }
  return ProbeOutcome::kUndecided;
}

}  // namespace tavrix
