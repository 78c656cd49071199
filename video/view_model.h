#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/video_sink.h"
#include "media/mouse_report.h"
#include "picture/view_layout.h"

namespace tavrix {

// The video view without its drawing: tile layout and pages, the last picture
// of every channel, captions, the double-click layout switch and the mouse
// report. The headless CLI uses it as it is; a window draws from it.
class VideoViewModel : public VideoSink {
 public:
  static constexpr int kMaxChannels = VideoSink::kMaxChannels;
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

  bool SetChannelCount(int count) override;
  void SetPlayerFlag(bool player) override;
  void SetMode(int mode) override;
  bool SetSplit(int split, int page) override;
  int GetSplit() const override;
  int GetPage() const override;
  bool ShowPicture(int channel, const CalendarTime& time, const std::uint8_t* picture, int width,
                   int height) override;
  void ClearPictures() override;
  void SetShowTime(bool show) override;
  bool GetShowTime() const override;
  void SetTimeFormat(const std::string& format) override;
  std::string GetTimeFormat() const override;
  void SetOsdFont(const OsdFont& font) override;
  void SetOsdColours(std::uint32_t text, std::uint32_t outline) override;
  void SetUseDirectDraw(bool use) override;
  bool GetUseDirectDraw() const override;

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
  MouseReport& mouseReport() override { return mouseReport_; }
  // Called (without the view's lock held) after a double click.
  void SetLayoutChangedHandler(std::function<void()> handler);

  int GetChannelCount() const;
  int GetMode() const;
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

  bool SetSplitLocked(int split, int page);
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
  int mode_ = 0;
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
  MouseReport mouseReport_;
  std::function<void()> layoutChanged_;
};

}  // namespace tavrix
