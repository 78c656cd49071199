#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/decoded_picture.h"
#include "media/calendar_time.h"
#include "picture/view_layout.h"

namespace tavrix {

// Composes the channels of one page into the frames of an export, as the
// viewer composes its AVI frames in player mode: each picture is stretched
// into its channel's tile (a field picture is line-doubled into a tile twice
// its height) with its "CH<n>" caption and time, and a frame is handed on
// when a channel that is already in it arrives again, so every frame holds
// the latest picture of each channel that arrived since the previous one.
//
// Frames are bottom-up 24-bit B, G, R pictures of width x height, the layout
// AviExporter::WriteVideo takes. Nothing is allocated per picture.
class ExportComposer {
 public:
  using FrameWriter = std::function<void(const std::uint8_t* frame)>;

  // split 1 shows channel `page` alone; split 4 shows channels 4 x page to
  // 4 x page + 3 in a 2 x 2 grid.
  ExportComposer(int width, int height, int channelCount, int split, int page, FrameWriter writer);

  // The captions as a view shows them: the time after "CH<n>" only when
  // showTime is set, in the given strftime format (the default one when
  // empty). By default the time is shown in the default format.
  void SetCaptionTime(bool showTime, const std::string& timeFormat);

  // Adds one picture of a channel. False, with nothing changed, for a channel
  // that is not on the page or a picture of a size the view does not show
  // (widths 320 and 640, heights 112, 136, 224 and 272).
  bool Add(int channel, const CalendarTime& time, const DecodedPicture& picture);
  // Hands on the frame being composed, if any channel arrived since the last.
  void Flush();

  int framesWritten() const { return framesWritten_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const ViewLayout& layout() const { return layout_; }

 private:
  void WriteFrame();
  void StretchIntoTile(const DecodedPicture& picture, const TileRect& tile);
  void ResampleRow(const std::uint8_t* source, int sourceWidth, std::uint8_t* destination, int width) const;

  int width_;
  int height_;
  int channelCount_;
  ViewLayout layout_;
  FrameWriter writer_;
  std::vector<std::uint8_t> frame_;
  std::vector<std::uint8_t> converted_;  // one picture as top-down B, G, R
  std::vector<std::uint8_t> upperRow_;
  std::vector<std::uint8_t> lowerRow_;
  bool showTime_ = true;
  std::string timeFormat_;
  std::uint32_t captureMask_ = 0;
  int framesWritten_ = 0;
};

}  // namespace tavrix
