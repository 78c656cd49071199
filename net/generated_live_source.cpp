#include "net/generated_live_source.h"

#include <cmath>
#include <numbers>

#include "audio/g711.h"
#include "codec/test_picture.h"

namespace tavrix {
namespace {

constexpr double kSampleRate = 8000;
constexpr double kToneHz = 440;
constexpr double kToneAmplitude = 8000;

}  // namespace

GeneratedLiveSource::GeneratedLiveSource(Options options)
    : options_(options), picture_(PictureBytes(kPictureWidth, options.height)) {
  if (options_.framesPerSecond <= 0) options_.framesPerSecond = 25;
  if (options_.fullEvery < 1) options_.fullEvery = 1;
}

bool GeneratedLiveSource::Next(LiveElement& element) {
  if (audioNext_) {
    audioNext_ = false;
    element.kind = LiveElement::Kind::kAudio;
    const auto samples = static_cast<std::size_t>(kSampleRate / options_.framesPerSecond);
    element.bytes.resize(samples);
    for (std::uint8_t& sample : element.bytes) {
      sample = CompressALaw(static_cast<std::int16_t>(kToneAmplitude * std::sin(phase_)));
      phase_ = std::fmod(phase_ + 2 * std::numbers::pi * kToneHz / kSampleRate, 2 * std::numbers::pi);
    }
    return true;
  }
  if (options_.frames != 0 && frame_ >= options_.frames) return false;
  const auto seconds = static_cast<std::uint32_t>(frame_ / options_.framesPerSecond);
  DrawTestPicture(picture_.data(), kPictureWidth, options_.height, 0, frame_, seconds);
  const auto kind = frame_ % static_cast<std::uint32_t>(options_.fullEvery) == 0 ? VideoEncoder::Kind::kFull
                                                                                 : VideoEncoder::Kind::kUpdate;
  if (!encoder_.Encode(picture_.data(), kPictureWidth, options_.height, 0, options_.scale, kind, element.bytes)) {
    return false;
  }
  element.kind = LiveElement::Kind::kVideo;
  ++frame_;
  audioNext_ = true;
  return true;
}

}  // namespace tavrix
