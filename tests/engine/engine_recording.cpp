#include "tests/engine/engine_recording.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "audio/g711.h"
#include "codec/decoded_picture.h"
#include "codec/test_picture.h"
#include "codec/video_decoder.h"

namespace tavrix::testing {
namespace {

constexpr int kScale = 6;

std::vector<std::uint8_t> CopyOf(const DecodedPicture& picture) {
  return std::vector<std::uint8_t>(picture.data(), picture.data() + picture.size());
}

}  // namespace

EngineRecording::EngineRecording(int variant, std::uint32_t height)
    : variant_(variant), height_(height), encoder_(variant), source_(PictureBytes(kPictureWidth, height)) {
  // Some bytes before the first start code, as in a recording cut from a disk.
  stream_.AddFiller(37);
}

std::vector<std::uint8_t> EngineRecording::Encode(int channel, bool full) {
  DrawTestPicture(source_.data(), kPictureWidth, height_, channel, counter_, counter_ / 25);
  ++counter_;
  std::vector<std::uint8_t> coded;
  if (!encoder_.Encode(source_.data(), kPictureWidth, height_, channel, kScale,
                       full ? VideoEncoder::Kind::kFull : VideoEncoder::Kind::kUpdate, coded)) {
    throw std::runtime_error("the encoder refused a test picture");
  }
  return coded;
}

void EngineRecording::AddVideo(int channel, bool full) {
  const std::vector<std::uint8_t> coded = Encode(channel, full);
  // The builder writes the start code and header byte A itself.
  const std::vector<std::uint8_t> rest(coded.begin() + 5, coded.end());
  Frame frame;
  frame.channel = channel;
  frame.fileOffset = StreamToFileOffset(stream_.AddVideoBytes(channel, full, rest, kScale));
  frame.picture = CopyOf(encoder_.Reference(channel));
  frames_.push_back(std::move(frame));
}

void EngineRecording::AddDual(int leftChannel, int rightChannel, bool leftEmpty, bool rightEmpty) {
  std::vector<std::uint8_t> coded = Encode(leftChannel, true);
  // Byte B of the QM_QMT3 header: dual flag, right channel, empty halves.
  coded[5] = static_cast<std::uint8_t>(0x80 | (rightChannel & 0x0F) << 3 | (leftEmpty ? 0x04 : 0) |
                                       (rightEmpty ? 0x02 : 0));
  const std::vector<std::uint8_t> rest(coded.begin() + 5, coded.end());
  const std::uint64_t offset = StreamToFileOffset(stream_.AddVideoBytes(leftChannel, true, rest, kScale));

  const DecodedPicture& whole = encoder_.Reference(leftChannel);
  const std::size_t half = whole.size() / 2;
  std::vector<std::uint8_t> left(half), right(half);
  SplitDualPicture(whole.width(), whole.data(), whole.height(), left.data(), right.data());
  if (!leftEmpty) frames_.push_back(Frame{false, leftChannel, offset, std::move(left), {}});
  if (!rightEmpty) frames_.push_back(Frame{false, rightChannel, offset, std::move(right), {}});
}

void EngineRecording::AddAudio(int audioChannel, std::size_t samples) {
  Frame frame;
  frame.audio = true;
  frame.channel = audioChannel;
  const double step = 2 * std::numbers::pi * (200.0 + 37.0 * static_cast<double>(frames_.size())) / 8000.0;
  for (std::size_t i = 0; i < samples; ++i) {
    frame.samples.push_back(CompressALaw(static_cast<std::int16_t>(9000 * std::sin(step * static_cast<double>(i)))));
  }
  frame.fileOffset = StreamToFileOffset(stream_.AddAudioBytes(audioChannel, frame.samples));
  frames_.push_back(std::move(frame));
}

std::unique_ptr<TempFile> EngineRecording::Write(const VvfImageOptions& options) {
  if (!terminated_) stream_.AddTerminator();
  terminated_ = true;
  return std::make_unique<TempFile>(MakeVvfImage(stream_.stream(), options));
}

std::vector<EngineRecording::Frame> EngineRecording::VideoFrames() const {
  std::vector<Frame> video;
  for (const Frame& frame : frames_) {
    if (!frame.audio) video.push_back(frame);
  }
  return video;
}

EngineRecording Interleaved(int rounds, std::size_t samples) {
  EngineRecording recording;
  for (int round = 0; round < rounds; ++round) {
    for (int channel = 0; channel < 4; ++channel) recording.AddVideo(channel, round == 0);
    recording.AddAudio(0, samples);
  }
  return recording;
}

}  // namespace tavrix::testing
