#include "codec/channel_decoder.h"

namespace tavrix {

ChannelDecoder::ChannelDecoder(VideoDecoder::Idct idct)
    : decoder_(idct), leftHalf_(kMaxPictureBytes / 2), rightHalf_(kMaxPictureBytes / 2) {}

bool ChannelDecoder::SelectFormat(int variant) {
  if (!decoder_.SelectFormat(variant)) return false;
  Reset();
  return true;
}

void ChannelDecoder::Reset() {
  for (auto& picture : pictures_) picture.SetSize(0, 0);
}

ChannelDecoder::Outcome ChannelDecoder::Decode(const std::uint8_t* frame, std::uint32_t length) {
  Outcome outcome;
  if (!decoder_.ParseHeader(frame, length)) return outcome;
  DecodedPicture& picture = pictures_[decoder_.Channel()];
  if (!picture.SetSize(decoder_.Width(), decoder_.Height())) return outcome;
  if (!decoder_.Decode(frame, length, picture.data())) return outcome;
  outcome.decoded = true;
  if (!decoder_.dualPicture()) {
    outcome.shown[outcome.shownCount++] = {decoder_.Channel(), &picture};
    return outcome;
  }
  const std::uint32_t halfWidth = picture.width() / 2;
  leftHalf_.SetSize(halfWidth, picture.height());
  rightHalf_.SetSize(halfWidth, picture.height());
  SplitDualPicture(picture.width(), picture.data(), picture.height(), leftHalf_.data(), rightHalf_.data());
  if (!decoder_.leftEmpty()) outcome.shown[outcome.shownCount++] = {decoder_.leftChannel(), &leftHalf_};
  if (!decoder_.rightEmpty()) outcome.shown[outcome.shownCount++] = {decoder_.rightChannel(), &rightHalf_};
  return outcome;
}

}  // namespace tavrix
