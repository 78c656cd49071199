#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_types.h"
#include "engine/picture_sink.h"
#include "media/mouse_report.h"
#include "picture/view_layout.h"
#include "video/osd_font.h"

namespace tavrix {

// The video view without its drawing: tile layout and pages, the last picture
// of every channel, captions and the settings they are drawn with, the
// double-click layout switch and the mouse reports. The headless CLI uses it
// as it is; a window draws from it. Pictures arrive on the engine's threads,
// everything else on the window's; one lock serialises them.
class VideoViewModel : public PictureSink {
 public:
  static constexpr int kMaxChannels = 16;
  // Largest picture a channel keeps: 640 x 272, YUV 4:2:0.
  static constexpr std::size_t kPictureBytes = 640 * 272 * 3 / 2;

  // Key-state bits of a mouse move, as the window system reports them.
  static constexpr int kKeyLeftButton = 1;
  static constexpr int kKeyRightButton = 2;

  struct Picture {
    int width = 0;
    int height = 0;
    CalendarTime time;
    std::vector<std::uint8_t> bytes;  // width x height x 3 / 2
  };

  explicit VideoViewModel(int width = 640, int height = 448);

  // Stores the picture for the channel (copied row by row); a channel or
  // size the view cannot take is dropped.
  void OnPicture(int channel, const PictureView& picture, const CalendarTime& blockTime) override;
  // Forgets every channel's picture; the tiles go black.
  void OnPicturesCleared() override;
  // A tightly packed YUV 4:2:0 picture of width x height; false (and nothing
  // stored) for a channel or size the view cannot take.
  bool ShowPicture(int channel, const CalendarTime& time, const std::uint8_t* picture, int width, int height);

  // What the window does after the engine's SetMode: as many tiles as the
  // engine's GetSplitCount, captions on screen in player mode only. False
  // (and unchanged) for a channel count outside 1 to 16.
  bool ApplyMode(EngineMode mode, int channelCount);
  // Number of channels with tiles, 1 to 16; false (and unchanged) otherwise.
  bool SetChannelCount(int count);
  // Captions on screen only in player mode.
  void SetPlayerFlag(bool player);
  void SetMode(EngineMode mode);
  // 1, 4, 9 or 16 tiles per page; page -1 steps to the next page when the
  // split is unchanged. False for a split outside 1 .. channel count.
  bool SetSplit(int split, int page);
  int GetSplit() const;
  int GetPage() const;
  void SetShowTime(bool show);
  bool GetShowTime() const;
  void SetTimeFormat(const std::string& format);
  std::string GetTimeFormat() const;
  void SetOsdFont(const OsdFont& font);
  // A colour of 0 is stored as 0x050505 (0 would be transparent when drawn).
  void SetOsdColours(std::uint32_t text, std::uint32_t outline);
  void SetUseDirectDraw(bool use);
  bool GetUseDirectDraw() const;

  // The area the tiles fill (the window's client size).
  void Resize(int width, int height);
  // Mouse input in client coordinates. Events outside the area are ignored.
  void MouseMove(int x, int y, int keyFlags);
  void LeftButtonDown(int x, int y);
  void LeftButtonUp(int x, int y);
  // Switches between one channel and the tile grid, then calls the
  // layout-changed handler.
  void LeftDoubleClick(int x, int y);
  void RightDoubleClick(int x, int y);
  // Where the mouse actions are recorded for the DVR's remote mouse control
  // (the engine's mouseReport()); nullptr, the default, records none.
  void SetMouseReport(MouseReport* report);
  // Called (without the view's lock held) after a double click.
  void SetLayoutChangedHandler(std::function<void()> handler);

  int GetChannelCount() const;
  EngineMode GetMode() const;
  bool GetPlayerFlag() const;
  int PageCount() const;
  TileRect TileOf(int channel) const;
  bool IsOnPage(int channel) const;
  bool HasPicture(int channel) const;
  // A copy of the channel's stored picture (the initial black one before any).
  Picture CopyPicture(int channel) const;
  // Hands the channel's stored picture (YUV 4:2:0, width, height) to `read`
  // under the model's lock, without a copy; false, and `read` not called,
  // while the channel has none. `read` must not call back into the model.
  bool ReadPicture(int channel, const std::function<void(const std::uint8_t*, int, int)>& read) const;
  // The caption drawn into the channel's tile.
  std::string Caption(int channel) const;
  // Pictures accepted for the channel since construction.
  std::uint64_t ShownCount(int channel) const;
  OsdFont GetOsdFont() const;
  std::uint32_t GetTextColour() const;
  std::uint32_t GetOutlineColour() const;

 private:
  struct Channel {
    std::unique_ptr<std::uint8_t[]> picture;
    int width = 640;
    int height = 224;
    CalendarTime time;
    bool hasPicture = false;
    std::uint64_t shown = 0;
  };

  bool StoreLocked(int channel, const PictureView& picture, const CalendarTime& time);
  bool SetSplitLocked(int split, int page);
  void RecordMouseLocked();
  void UpdateLayoutLocked();
  bool PlaceMouseLocked(int x, int y);
  static bool ValidChannel(int channel) { return channel >= 0 && channel < kMaxChannels; }

  mutable std::mutex mutex_;
  int width_;
  int height_;
  int channelCount_ = 1;
  int split_ = 1;
  int page_ = 0;
  int lastSplit_ = 1;
  int lastPage_ = 0;
  EngineMode mode_ = EngineMode::Client;
  bool showTime_ = true;
  bool playerFlag_ = false;
  bool useDirectDraw_ = true;
  std::string timeFormat_;
  OsdFont osdFont_;
  std::uint32_t textColour_ = 0x80FFFF;
  std::uint32_t outlineColour_ = 0x141414;
  ViewLayout layout_;
  std::array<Channel, kMaxChannels> channels_;
  MouseReport::State mouse_;
  MouseReport* mouseReport_ = nullptr;
  std::function<void()> layoutChanged_;
};

}  // namespace tavrix
