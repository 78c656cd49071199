// libFuzzer target for the video decoder: arbitrary bytes as a compressed
// frame in every header layout, decoded with both IDCTs. Besides crashes and
// sanitizer reports it stops on any difference between the portable and the
// SIMD pictures, which must agree bit for bit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/channel_decoder.h"
#include "codec/video_decoder.h"

namespace {

struct Decoders {
  tavrix::VideoDecoder portable{tavrix::VideoDecoder::Idct::kPortable};
  tavrix::VideoDecoder fastest{tavrix::VideoDecoder::Idct::kFastest};
  tavrix::ChannelDecoder channels;
  std::vector<std::uint8_t> portablePicture = std::vector<std::uint8_t>(tavrix::kMaxPictureBytes);
  std::vector<std::uint8_t> fastestPicture = std::vector<std::uint8_t>(tavrix::kMaxPictureBytes);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Decoders decoders;
  if (size < 1) return 0;
  const int variant = data[0] % 7;
  // The frame in a buffer of its own size, so reads past it are caught.
  const std::vector<std::uint8_t> frame(data + 1, data + size);
  const auto length = static_cast<std::uint32_t>(frame.size());

  decoders.portable.SelectFormat(variant);
  decoders.fastest.SelectFormat(variant);
  std::memset(decoders.portablePicture.data(), 0x80, decoders.portablePicture.size());
  std::memset(decoders.fastestPicture.data(), 0x80, decoders.fastestPicture.size());
  const bool parsed = decoders.portable.ParseHeader(frame.data(), length);
  if (parsed != decoders.fastest.ParseHeader(frame.data(), length)) std::abort();
  if (parsed) {
    const bool a = decoders.portable.Decode(frame.data(), length, decoders.portablePicture.data());
    const bool b = decoders.fastest.Decode(frame.data(), length, decoders.fastestPicture.data());
    if (a != b || decoders.portablePicture != decoders.fastestPicture) std::abort();
  }

  decoders.channels.SelectFormat(variant);
  decoders.channels.Decode(frame.data(), length);
  return 0;
}
