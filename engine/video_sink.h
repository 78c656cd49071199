#pragma once
#include <cstdint>
#include <string>

#include "media/calendar_time.h"
#include "media/mouse_report.h"

namespace tavrix {

// Caption font as the view is asked to create it.
struct OsdFont {
  int height = 16;
  int width = 0;
  int weight = 500;
  bool italic = false;
  std::string face = "Verdana";

  friend bool operator==(const OsdFont&, const OsdFont&) = default;
};

// What the engine needs of the view that shows the channels. The engine owns
// no drawing code: a window (Qt) or a headless model implements this.
// ShowPicture is called on a playback thread, everything else on the thread
// that drives the engine; implementations serialise them.
class VideoSink {
 public:
  static constexpr int kMaxChannels = 16;

  virtual ~VideoSink() = default;

  // Number of channels with tiles, 1 to 16; false (and unchanged) otherwise.
  virtual bool SetChannelCount(int count) = 0;
  // Captions on screen only in player mode.
  virtual void SetPlayerFlag(bool player) = 0;
  // The engine's mode, 1 player or 2 client.
  virtual void SetMode(int mode) = 0;
  // 1, 4, 9 or 16 tiles per page; page -1 steps to the next page when the
  // split is unchanged. False for a split outside 1 .. channel count.
  virtual bool SetSplit(int split, int page) = 0;
  virtual int GetSplit() const = 0;
  virtual int GetPage() const = 0;

  // Stores a planar YUV 4:2:0 picture of width x height for the channel and
  // shows it; false (and nothing stored) for a channel or size it cannot take.
  virtual bool ShowPicture(int channel, const CalendarTime& time, const std::uint8_t* picture, int width,
                           int height) = 0;
  // Forgets every channel's picture; the tiles go black.
  virtual void ClearPictures() = 0;

  virtual void SetShowTime(bool show) = 0;
  virtual bool GetShowTime() const = 0;
  virtual void SetTimeFormat(const std::string& format) = 0;
  virtual std::string GetTimeFormat() const = 0;
  virtual void SetOsdFont(const OsdFont& font) = 0;
  // A colour of 0 is stored as 0x050505 (0 would be transparent when drawn).
  virtual void SetOsdColours(std::uint32_t text, std::uint32_t outline) = 0;
  virtual void SetUseDirectDraw(bool use) = 0;
  virtual bool GetUseDirectDraw() const = 0;

  // Where the view records the mouse for the DVR's remote mouse control; the
  // network client takes the reports from it.
  virtual MouseReport& mouseReport() = 0;
};

}  // namespace tavrix
