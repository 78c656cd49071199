#include "cli/png_writer.h"

#include <zlib.h>

#include "platform/atomic_file.h"

namespace tavrix::cli {
namespace {

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data and the CRC over type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t length) {
  PutBigEndian(out, static_cast<std::uint32_t>(length));
  out.insert(out.end(), type, type + 4);
  if (length > 0) out.insert(out.end(), data, data + length);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (length > 0) crc = crc32(crc, data, static_cast<uInt>(length));
  PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

bool PngWriter::WriteBgr24(const std::string& path, const std::uint8_t* bgr, int width, int height) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  rows_.resize((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = rows_.data() + (rowBytes + 1) * static_cast<std::size_t>(y);
    const std::uint8_t* in = bgr + rowBytes * static_cast<std::size_t>(y);
    row[0] = 0;  // filter type None
    for (int x = 0; x < width; ++x) {
      row[1 + 3 * x] = in[3 * x + 2];
      row[2 + 3 * x] = in[3 * x + 1];
      row[3 + 3 * x] = in[3 * x];
    }
  }
  uLongf compressedLength = compressBound(static_cast<uLong>(rows_.size()));
  compressed_.resize(compressedLength);
  if (compress2(compressed_.data(), &compressedLength, rows_.data(), static_cast<uLong>(rows_.size()), 6) != Z_OK) {
    error_ = "compressing " + path + " failed";
    return false;
  }

  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter choice, no interlace

  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png_.assign(kSignature, kSignature + sizeof kSignature);
  PutChunk(png_, "IHDR", header.data(), header.size());
  PutChunk(png_, "IDAT", compressed_.data(), compressedLength);
  PutChunk(png_, "IEND", nullptr, 0);

  AtomicFile file;
  if (!file.Open(path) || !file.Write(png_.data(), png_.size()) || !file.Commit()) {
    error_ = file.error();
    return false;
  }
  return true;
}

}  // namespace tavrix::cli
