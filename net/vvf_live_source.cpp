#include "net/vvf_live_source.h"

#include "net/network_layout.h"

namespace tavrix {

bool VvfLiveSource::Open(const std::string& path, FormatVariant variant, int channel, bool loop,
                         std::string& error) {
  if (!reader_.Open(path, false)) {
    error = reader_.LastError();
    return false;
  }
  reader_.SetFormatVariant(variant);
  variant_ = variant;
  channel_ = channel;
  loop_ = loop;
  return true;
}

bool VvfLiveSource::Rewind() {
  if (!loop_ || reader_.Size() == 0) return false;
  reader_.Seek(0);
  return true;
}

bool VvfLiveSource::Next(LiveElement& element) {
  bool rewound = false;
  for (int empty = 0; empty < kMaxEmptyReads; ++empty) {
    const std::uint32_t length = reader_.ReadNext(frame_.get());
    if (length == 0) {
      if (reader_.Position() < reader_.Size()) continue;
      // A second end without a frame in between: nothing in it to serve.
      if (rewound || !Rewind()) return false;
      rewound = true;
      continue;
    }
    const FrameInfo& info = reader_.frameInfo();
    if (info.channel != channel_) continue;
    if (info.audio) {
      element.kind = LiveElement::Kind::kAudio;
      element.bytes.assign(frame_.get(), frame_.get() + length);
      return true;
    }
    element.kind = LiveElement::Kind::kVideo;
    if (ToNetworkLayout(frame_.get(), length, static_cast<int>(variant_), pictureNumber_, element.bytes)) {
      ++pictureNumber_;
      return true;
    }
  }
  return false;
}

}  // namespace tavrix
