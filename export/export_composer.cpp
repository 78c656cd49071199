#include "export/export_composer.h"

#include <algorithm>
#include <cstring>

#include "picture/caption_font.h"
#include "picture/colour_conversion.h"
#include "picture/view_caption.h"

namespace tavrix {

namespace {

constexpr int kCaptionLeft = 4;
constexpr int kCaptionTop = 2;

bool ShowableSize(std::uint32_t width, std::uint32_t height) {
  return (width == 320 || width == 640) && (height == 112 || height == 136 || height == 224 || height == 272);
}

}  // namespace

ExportComposer::ExportComposer(int width, int height, int channelCount, int split, int page, FrameWriter writer)
    : width_(width),
      height_(height),
      channelCount_(std::clamp(channelCount, 0, ViewLayout::kMaxChannels)),
      layout_(ViewLayout::Compute(width, height, channelCount_, split, page)),
      writer_(std::move(writer)),
      frame_(static_cast<std::size_t>(width) * height * 3, 0),
      converted_(kMaxPictureBytes * 2),
      upperRow_(static_cast<std::size_t>(width) * 3),
      lowerRow_(static_cast<std::size_t>(width) * 3),
      timeFormat_(kDefaultTimeFormat) {}

void ExportComposer::SetCaptionTime(bool showTime, const std::string& timeFormat) {
  showTime_ = showTime;
  timeFormat_ = timeFormat.empty() ? kDefaultTimeFormat : timeFormat;
}

bool ExportComposer::Add(int channel, const CalendarTime& time, const DecodedPicture& picture) {
  if (channel < 0 || channel >= channelCount_ || !layout_.onPage[channel]) return false;
  if (!ShowableSize(picture.width(), picture.height())) return false;
  const std::uint32_t bit = 1u << channel;
  if (captureMask_ & bit) WriteFrame();

  const TileRect& tile = layout_.tiles[channel];
  StretchIntoTile(picture, tile);
  const Bgr24Canvas canvas{frame_.data(), width_, height_};
  CaptionFont::Draw(canvas, tile.left + kCaptionLeft, tile.top + kCaptionTop,
                    CaptionText(channel, showTime_, time, timeFormat_));
  captureMask_ |= bit;
  return true;
}

void ExportComposer::Flush() {
  if (captureMask_ != 0) WriteFrame();
}

void ExportComposer::WriteFrame() {
  writer_(frame_.data());
  ++framesWritten_;
  captureMask_ = 0;
}

void ExportComposer::StretchIntoTile(const DecodedPicture& picture, const TileRect& tile) {
  const int sourceWidth = static_cast<int>(picture.width());
  const int sourceHeight = static_cast<int>(picture.height());
  const int tileWidth = std::min(tile.width(), width_ - tile.left);
  const int tileHeight = std::min(tile.height(), height_ - tile.top);
  if (tileWidth <= 0 || tileHeight <= 0) return;
  YuvToBgr24(converted_.data(), picture.data(), sourceWidth, sourceHeight);

  const std::size_t sourceStride = static_cast<std::size_t>(sourceWidth) * 3;
  const std::size_t rowBytes = static_cast<std::size_t>(tileWidth) * 3;
  const bool lineDoubled = tileHeight == 2 * sourceHeight;
  for (int y = 0; y < tileHeight; ++y) {
    const int sourceRow = static_cast<int>(static_cast<long long>(y) * sourceHeight / tileHeight);
    std::uint8_t* destination =
        &frame_[(static_cast<std::size_t>(height_ - 1 - (tile.top + y)) * width_ + tile.left) * 3];
    ResampleRow(&converted_[sourceRow * sourceStride], sourceWidth, destination, tileWidth);
    // The lines a field lacks are the average of the lines around them.
    if (lineDoubled && (y & 1) && sourceRow + 1 < sourceHeight) {
      ResampleRow(&converted_[(sourceRow + 1) * sourceStride], sourceWidth, lowerRow_.data(), tileWidth);
      std::memcpy(upperRow_.data(), destination, rowBytes);
      for (std::size_t i = 0; i < rowBytes; ++i) {
        destination[i] = static_cast<std::uint8_t>((upperRow_[i] + lowerRow_[i]) >> 1);
      }
    }
  }
}

void ExportComposer::ResampleRow(const std::uint8_t* source, int sourceWidth, std::uint8_t* destination,
                                 int width) const {
  if (width == sourceWidth) {
    std::memcpy(destination, source, static_cast<std::size_t>(width) * 3);
  } else if (2 * width == sourceWidth) {
    // Half width: each pixel the average of the two it replaces.
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* pair = source + x * 6;
      std::uint8_t* pixel = destination + x * 3;
      pixel[0] = static_cast<std::uint8_t>((pair[0] + pair[3]) >> 1);
      pixel[1] = static_cast<std::uint8_t>((pair[1] + pair[4]) >> 1);
      pixel[2] = static_cast<std::uint8_t>((pair[2] + pair[5]) >> 1);
    }
  } else {
    for (int x = 0; x < width; ++x) {
      const int sourceX = static_cast<int>(static_cast<long long>(x) * sourceWidth / width);
      std::memcpy(destination + x * 3, source + sourceX * 3, 3);
    }
  }
}

}  // namespace tavrix
