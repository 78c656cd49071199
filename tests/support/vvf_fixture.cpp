#include "tests/support/vvf_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "storage/vvf_block_writer.h"

namespace tavrix::testing {
namespace {

bool EndsWithStartCodePrefix(const std::vector<std::uint8_t>& stream) {
  const std::size_t n = stream.size();
  return n >= 3 && stream[n - 3] == 0x00 && stream[n - 2] == 0x00 && stream[n - 1] == 0x01;
}

}  // namespace

std::vector<std::uint8_t> VvfStreamBuilder::RandomBytes(std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  for (auto& byte : bytes) {
    seed_ = seed_ * 1103515245u + 12345u;
    // Zeros and ones often, so that near-miss start codes are common.
    const auto value = static_cast<std::uint8_t>(seed_ >> 16);
    byte = value < 24 ? 0x00 : value < 32 ? 0x01 : value;
  }
  return bytes;
}

void VvfStreamBuilder::AddPayload(const std::vector<std::uint8_t>& bytes, bool checked) {
  for (std::uint8_t byte : bytes) {
    if (EndsWithStartCodePrefix(stream_) && IsFrameCode(byte)) {
      if (checked) throw std::invalid_argument("payload forms a frame start code");
      byte = 0x5A;
    }
    stream_.push_back(byte);
  }
}

std::size_t VvfStreamBuilder::AddStartCode(std::uint8_t code) {
  const std::size_t offset = stream_.size();
  stream_.insert(stream_.end(), {0x00, 0x00, 0x01, code});
  return offset;
}

std::size_t VvfStreamBuilder::AddVideoBytes(int channel, bool full, const std::vector<std::uint8_t>& payload,
                                            int quantiser) {
  const std::size_t offset = AddStartCode(full ? kFullPictureCode : kUpdatePictureCode);
  stream_.push_back(static_cast<std::uint8_t>((quantiser & 0x0F) << 4 | (channel & 0x0F)));
  AddPayload(payload, true);
  return offset;
}

std::size_t VvfStreamBuilder::AddVideo(int channel, bool full, std::size_t payloadLength, int quantiser) {
  const std::size_t offset = AddStartCode(full ? kFullPictureCode : kUpdatePictureCode);
  stream_.push_back(static_cast<std::uint8_t>((quantiser & 0x0F) << 4 | (channel & 0x0F)));
  AddPayload(RandomBytes(payloadLength), false);
  return offset;
}

std::size_t VvfStreamBuilder::AddAudioBytes(int audioChannel, const std::vector<std::uint8_t>& samples) {
  const std::size_t offset = AddStartCode(static_cast<std::uint8_t>(kFirstAudioCode + audioChannel));
  stream_.insert(stream_.end(), {0x00, 0x00});
  AddPayload(samples, true);
  return offset;
}

std::size_t VvfStreamBuilder::AddAudio(int audioChannel, std::size_t samples) {
  const std::size_t offset = AddStartCode(static_cast<std::uint8_t>(kFirstAudioCode + audioChannel));
  stream_.insert(stream_.end(), {0x00, 0x00});
  AddPayload(RandomBytes(samples), false);
  return offset;
}

void VvfStreamBuilder::AddRaw(const std::vector<std::uint8_t>& bytes) {
  stream_.insert(stream_.end(), bytes.begin(), bytes.end());
}

void VvfStreamBuilder::AddFiller(std::size_t length) { AddPayload(RandomBytes(length), false); }

void VvfStreamBuilder::SplitNextStartCode(std::size_t bytesBefore) {
  if (bytesBefore < 1 || bytesBefore > 3) throw std::invalid_argument("a split start code has 1-3 bytes before");
  const std::size_t inPayload = stream_.size() % kVvfPayloadSize;
  const std::size_t target = kVvfPayloadSize - bytesBefore;
  AddFiller((target + kVvfPayloadSize - inPayload) % kVvfPayloadSize);
}

void VvfStreamBuilder::AddTerminator() { AddStartCode(kUpdatePictureCode); }

std::vector<std::uint8_t> MakeVvfImage(const std::vector<std::uint8_t>& stream, const VvfImageOptions& options) {
  std::vector<std::uint8_t> image;
  VvfBlockWriter writer(
      [&image](const std::uint8_t* bytes, std::size_t length) {
        image.insert(image.end(), bytes, bytes + length);
        return true;
      },
      options.bigEndian);
  // One block at a time, so each block gets its own time.
  for (std::size_t offset = 0, block = 0; offset < stream.size(); offset += kVvfPayloadSize, ++block) {
    VvfBlockHeader header;
    header.blockTime = options.firstBlockTime + static_cast<std::uint32_t>(block) * options.secondsPerBlock;
    header.channelMask = options.channelMask;
    header.frameInterval = options.frameInterval;
    writer.SetHeader(header);
    writer.Append(stream.data() + offset, std::min(kVvfPayloadSize, stream.size() - offset));
  }
  writer.Finish();
  return image;
}

std::uint64_t StreamToFileOffset(std::size_t streamOffset) {
  return streamOffset / kVvfPayloadSize * kVvfBlockSize + kVvfHeaderSize + streamOffset % kVvfPayloadSize;
}

void CorruptCheckByte(std::vector<std::uint8_t>& image, std::size_t block) {
  image.at(block * kVvfBlockSize + 7) ^= 0x5A;
}

void SwapToDiskOrder(std::vector<std::uint8_t>& image) { SwapWordBytes(image.data(), image.size()); }

TempDirectory::TempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavrix-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
  path_ = pattern;
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDirectory::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  return names;
}

TempFile::TempFile(const std::vector<std::uint8_t>& bytes, const std::string& name)
    : path_((std::filesystem::path(directory_.path()) / name).string()) {
  std::ofstream out(path_, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path_);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tavrix::testing
