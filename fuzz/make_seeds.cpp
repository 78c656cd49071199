// make_seeds <directory>: writes the fuzz targets' seed inputs, one folder
// per target, made by the project's own encoder, block writer, live source
// and message builders, so that no binary file needs to be kept.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/g711.h"
#include "codec/decoded_picture.h"
#include "codec/test_picture.h"
#include "codec/video_encoder.h"
#include "media/format_variant.h"
#include "net/control_message.h"
#include "net/dynamic_ip_message.h"
#include "net/generated_live_source.h"
#include "storage/vvf_block.h"
#include "storage/vvf_block_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The coarsest quantiser keeps the pictures, and so the seeds, small.
constexpr int kScale = 14;
constexpr std::uint32_t kStartTime = 1773478800;  // 2026-03-14 09:00:00 UTC

class SeedFolder {
 public:
  SeedFolder(const std::filesystem::path& root, const char* target) : path_(root / target) {
    std::filesystem::create_directories(path_);
  }
  void Write(const std::string& name, const Bytes& settings, const Bytes& body) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(settings.data()), static_cast<std::streamsize>(settings.size()));
    out.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
    if (!out) throw std::runtime_error("cannot write " + (path_ / name).string());
  }

 private:
  std::filesystem::path path_;
};

void Append(Bytes& to, std::span<const std::uint8_t> bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

// Pictures of the moving test image, one channel after another.
class PictureSource {
 public:
  explicit PictureSource(int variant)
      : encoder_(variant), picture_(tavrix::PictureBytes(tavrix::kPictureWidth, tavrix::kNtscHeight)) {}

  Bytes Next(int channel, bool full) {
    tavrix::DrawTestPicture(picture_.data(), tavrix::kPictureWidth, tavrix::kNtscHeight, channel, round_, round_ / 4);
    ++round_;
    Bytes frame;
    const auto kind = full ? tavrix::VideoEncoder::Kind::kFull : tavrix::VideoEncoder::Kind::kUpdate;
    if (!encoder_.Encode(picture_.data(), tavrix::kPictureWidth, tavrix::kNtscHeight, channel, kScale, kind, frame)) {
      throw std::runtime_error("the encoder refused a test picture");
    }
    return frame;
  }

 private:
  tavrix::VideoEncoder encoder_;
  Bytes picture_;
  std::uint32_t round_ = 0;
};

// An audio frame as the recorder stores it: start code, two bytes, A-law.
Bytes AudioFrame(int channel, std::size_t samples) {
  Bytes frame = {0x00, 0x00, 0x01, static_cast<std::uint8_t>(tavrix::kFirstAudioCode + channel), 0, 0};
  for (std::size_t i = 0; i < samples; ++i) {
    const auto level = static_cast<std::int16_t>(5000 * std::sin(0.3 * static_cast<double>(i)));
    const std::uint8_t sample = tavrix::CompressALaw(level);
    // Never a start code inside the samples, the two zeros before them included.
    const bool afterTwoZeros = frame[frame.size() - 1] == 0 && frame[frame.size() - 2] == 0;
    frame.push_back(afterTwoZeros && sample == 1 ? 3 : sample);
  }
  return frame;
}

struct RecordingPlan {
  int variant = static_cast<int>(tavrix::FormatVariant::QM_QMT2);
  int pictures = 6;
  int audioChannels = 1;
  int fullPictures = 1;
};

// A recording as the block writer lays it out: full pictures and small
// updates of them, with sound between them, then a start code so that the
// last frame is complete. A few blocks, so that every run of the reader is short.
Bytes MakeRecording(const RecordingPlan& plan) {
  Bytes image;
  const bool bigEndian = tavrix::UsesBigEndianHeaders(static_cast<tavrix::FormatVariant>(plan.variant));
  tavrix::VvfBlockWriter blocks(
      [&image](const std::uint8_t* bytes, std::size_t length) {
        image.insert(image.end(), bytes, bytes + length);
        return true;
      },
      bigEndian);
  PictureSource pictures(plan.variant);
  for (int i = 0; i < plan.pictures; ++i) {
    blocks.SetHeader({kStartTime + static_cast<std::uint32_t>(i), 0x0F, static_cast<std::uint8_t>(i % 3)});
    const Bytes picture = pictures.Next(0, i < plan.fullPictures);
    blocks.Append(picture.data(), picture.size());
    for (int channel = 0; channel < plan.audioChannels; ++channel) {
      const Bytes audio = AudioFrame(channel, 200);
      blocks.Append(audio.data(), audio.size());
    }
  }
  const std::uint8_t terminator[] = {0x00, 0x00, 0x01, tavrix::kUpdatePictureCode};
  blocks.Append(terminator, sizeof terminator);
  blocks.Finish();
  return image;
}

// Settings byte 0 of the reader target, then five operations.
Bytes ReaderSettings(bool disk, int variant, std::uint8_t zone) {
  return {static_cast<std::uint8_t>((disk ? 1 : 0) | variant << 1 | zone << 4),
          0, 0x80, 0x00,  // seek to the middle, forwards
          1, 0xC0, 0x00,  // three quarters, backwards
          2, 0x40, 0x00,  // a seek target at a quarter
          3, 0x00, 0x00,  // back and forth
          4, 0x01, 0x00}; // the other header byte order, from the start
}

void WriteReaderSeeds(const std::filesystem::path& root) {
  const SeedFolder folder(root, "vvf_reader");
  constexpr int kQmt2 = static_cast<int>(tavrix::FormatVariant::QM_QMT2);
  constexpr int kQmc = static_cast<int>(tavrix::FormatVariant::QM_QMC);
  const Bytes recording = MakeRecording({});
  folder.Write("recording", ReaderSettings(false, kQmt2, 8), recording);

  Bytes disk = recording;
  tavrix::SwapWordBytes(disk.data(), disk.size());
  folder.Write("disk", ReaderSettings(true, kQmt2, 3), disk);

  folder.Write("big-endian", ReaderSettings(false, kQmc, 12), MakeRecording({kQmc, 5, 0}));
  folder.Write("four-sound-channels", ReaderSettings(false, kQmt2, 0), MakeRecording({kQmt2, 1, 4}));

  // Three blocks, the middle one failing its check.
  Bytes damaged = MakeRecording({kQmt2, 3, 1, 2});
  if (damaged.size() >= 2 * tavrix::kVvfBlockSize) damaged[tavrix::kVvfBlockSize + 7] ^= 0xFF;
  folder.Write("damaged-block", ReaderSettings(false, kQmt2, 8), damaged);

  Bytes cut = recording;
  cut.resize(cut.size() - tavrix::kVvfBlockSize / 2);
  folder.Write("cut-short", ReaderSettings(false, kQmt2, 15), cut);
}

void WriteDecoderSeeds(const std::filesystem::path& root) {
  const SeedFolder folder(root, "decode");
  for (int variant = 0; variant < 7; ++variant) {
    PictureSource pictures(variant);
    const Bytes settings = {static_cast<std::uint8_t>(variant)};
    folder.Write("full-" + std::to_string(variant), settings, pictures.Next(1, true));
    folder.Write("update-" + std::to_string(variant), settings, pictures.Next(1, false));
  }
}

// The live stream as a DVR sends it: pictures in the network layout, sound
// blocks, and control messages between and inside the pictures.
void WriteStreamSeeds(const std::filesystem::path& root) {
  const SeedFolder folder(root, "stream_cutter");
  tavrix::GeneratedLiveSource::Options options;
  options.scale = kScale;
  options.fullEvery = 3;
  options.frames = 3;
  tavrix::GeneratedLiveSource source(options);
  const Bytes audioHeader = {0x00, 0x00, 0x01, 0xFA, 0x00, 0x00};
  const Bytes garbage = {0x5A, 0x00, 0x02, 0x33, 0x01, 0xC4, 0xFF, 0x10};
  Bytes plain, faulty;
  tavrix::LiveElement element;
  for (std::uint16_t n = 0; source.Next(element); ++n) {
    if (element.kind == tavrix::LiveElement::Kind::kAudio) {
      for (Bytes* stream : {&plain, &faulty}) {
        Append(*stream, audioHeader);
        Append(*stream, element.bytes);
      }
      continue;
    }
    Append(plain, element.bytes);
    Append(plain, tavrix::ControlMessage(tavrix::dvr::kStatusReport, {1, 0, 0, 0, n}).bytes());
    // A status word in the middle of the picture, garbage after it.
    const auto middle = element.bytes.begin() + static_cast<std::ptrdiff_t>(element.bytes.size() / 2);
    faulty.insert(faulty.end(), element.bytes.begin(), middle);
    Append(faulty, tavrix::ControlMessage(tavrix::dvr::kStatusWord, {n}).bytes());
    faulty.insert(faulty.end(), middle, element.bytes.end());
    Append(faulty, garbage);
  }
  const Bytes end = {0x00, 0x00, 0x01, 0xF8};
  Append(plain, tavrix::ControlMessage(tavrix::dvr::kServerClosed, {}).bytes());
  Append(plain, end);
  Append(faulty, end);
  folder.Write("stream", {0x01, 0x23, 0x45, 0x67}, plain);
  folder.Write("faulty-stream", {0x89, 0xAB, 0xCD, 0xEF}, faulty);
}

void WriteLoginSeeds(const std::filesystem::path& root) {
  const SeedFolder folder(root, "login_reply");
  using tavrix::ControlMessage;
  namespace dvr = tavrix::dvr;
  const Bytes settings = {0x13, 0x57, 0x9B, 0xDF};
  auto replies = [](std::initializer_list<ControlMessage> messages) {
    Bytes bytes;
    for (const ControlMessage& message : messages) Append(bytes, message.bytes());
    return bytes;
  };
  folder.Write("accepted", settings,
               replies({ControlMessage(dvr::kLoginPending, {}), ControlMessage(dvr::kLoginAccepted, {})}));
  const char* reasons[] = {"0001", "0002", "0003", "0009", "00G2"};
  for (const char* reason : reasons) {
    folder.Write(std::string("refused-") + reason, settings,
                 replies({ControlMessage(dvr::kLoginRefused, {}, reason),
                          ControlMessage(dvr::kLoginRefusedOther, {}, reason)}));
  }
  folder.Write("long-reply", settings,
               replies({ControlMessage(dvr::kLoginPending, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "tail"),
                        ControlMessage(dvr::kLoginAccepted, {})}));
  const std::string garbage = "HELLO, CLIENT";
  folder.Write("garbage", settings, Bytes(garbage.begin(), garbage.end()));

  const auto reply = tavrix::dynamic_ip::BuildReply({"192.168.1.20", dvr::kDefaultPort});
  if (!reply) throw std::runtime_error("the dynamic-IP reply cannot be built");
  folder.Write("dynamic-ip-reply", settings, Bytes(reply->begin(), reply->end()));
  const auto query = tavrix::dynamic_ip::BuildQuery("DVR1");
  folder.Write("dynamic-ip-query", settings, Bytes(query.begin(), query.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <directory>\n");
    return 2;
  }
  try {
    const std::filesystem::path root = argv[1];
    WriteDecoderSeeds(root);
    WriteReaderSeeds(root);
    WriteStreamSeeds(root);
    WriteLoginSeeds(root);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
