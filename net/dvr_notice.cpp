#include "net/dvr_notice.h"

#include "net/control_message.h"

namespace tavrix {

DvrNotice ReadDvrNotice(std::span<const std::uint8_t> message) {
  DvrNotice notice;
  if (message.size() < dvr::kHeaderSize) return notice;
  const std::uint8_t* bytes = message.data();
  switch (ReadHexField(bytes + 8)) {
    case dvr::kStatusWord:
      if (message.size() < 16) break;
      notice.kind = DvrNotice::Kind::kStatusWord;
      notice.words[4] = ReadHexField(bytes + 12);
      break;
    case dvr::kStatusReport:
      if (message.size() < 32) break;
      notice.kind = DvrNotice::Kind::kStatusReport;
      for (int i = 0; i < 5; ++i) notice.words[i] = ReadHexField(bytes + 12 + 4 * i);
      break;
    case dvr::kServerClosed:
      notice.kind = DvrNotice::Kind::kServerClosed;
      break;
    default:
      break;
  }
  return notice;
}

}  // namespace tavrix
