#include "video/view_model.h"

#include <algorithm>
#include <cstring>

#include "picture/view_caption.h"

namespace tavrix {
namespace {

constexpr std::uint32_t kNearBlack = 0x050505;

bool AcceptedSize(int width, int height) {
  return (width == 320 || width == 640) && (height == 112 || height == 136 || height == 224 || height == 272);
}

}  // namespace

VideoViewModel::VideoViewModel(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), timeFormat_(kDefaultTimeFormat) {
  for (Channel& channel : channels_) {
    channel.picture = std::make_unique<std::uint8_t[]>(kPictureBytes);
    const std::size_t luma = static_cast<std::size_t>(channel.width) * static_cast<std::size_t>(channel.height);
    std::memset(channel.picture.get(), 0, luma);
    std::memset(channel.picture.get() + luma, 128, kPictureBytes - luma);
  }
  UpdateLayoutLocked();
}

bool VideoViewModel::SetChannelCount(int count) {
  // More than 16 would hand ShowPicture channels that have no picture store.
  if (count < 1 || count > kMaxChannels) return false;
  std::lock_guard lock(mutex_);
  channelCount_ = count;
  UpdateLayoutLocked();
  return true;
}

void VideoViewModel::SetPlayerFlag(bool player) {
  std::lock_guard lock(mutex_);
  playerFlag_ = player;
}

void VideoViewModel::SetMode(int mode) {
  std::lock_guard lock(mutex_);
  mode_ = mode;
}

bool VideoViewModel::SetSplit(int split, int page) {
  std::lock_guard lock(mutex_);
  return SetSplitLocked(split, page);
}

bool VideoViewModel::SetSplitLocked(int split, int page) {
  // A split of 0 has no grid to lay out; it is refused like one above the count.
  if (split <= 0 || split > channelCount_) return false;
  if (page < 0) {
    if (split == split_) {
      page = page_ + 1;
      if (page >= ViewLayout::PageCount(channelCount_, split)) page = 0;
    } else {
      page = 0;
    }
  }
  split_ = split;
  page_ = page;
  if (split != 1) {
    lastSplit_ = split;
    lastPage_ = page;
  }
  UpdateLayoutLocked();
  return true;
}

int VideoViewModel::GetSplit() const {
  std::lock_guard lock(mutex_);
  return split_;
}

int VideoViewModel::GetPage() const {
  std::lock_guard lock(mutex_);
  return page_;
}

bool VideoViewModel::ShowPicture(int channel, const CalendarTime& time, const std::uint8_t* picture, int width,
                                 int height) {
  if (picture == nullptr || !AcceptedSize(width, height)) return false;
  std::lock_guard lock(mutex_);
  if (channel < 0 || channel >= channelCount_) return false;
  Channel& target = channels_[static_cast<std::size_t>(channel)];
  std::memcpy(target.picture.get(), picture, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 / 2);
  target.width = width;
  target.height = height;
  target.time = time;
  target.hasPicture = true;
  ++target.shown;
  return true;
}

void VideoViewModel::ClearPictures() {
  std::lock_guard lock(mutex_);
  for (Channel& channel : channels_) channel.hasPicture = false;
}

void VideoViewModel::SetShowTime(bool show) {
  std::lock_guard lock(mutex_);
  showTime_ = show;
}

bool VideoViewModel::GetShowTime() const {
  std::lock_guard lock(mutex_);
  return showTime_;
}

void VideoViewModel::SetTimeFormat(const std::string& format) {
  std::lock_guard lock(mutex_);
  timeFormat_ = format;
}

std::string VideoViewModel::GetTimeFormat() const {
  std::lock_guard lock(mutex_);
  return timeFormat_;
}

void VideoViewModel::SetOsdFont(const OsdFont& font) {
  std::lock_guard lock(mutex_);
  osdFont_ = font;
}

void VideoViewModel::SetOsdColours(std::uint32_t text, std::uint32_t outline) {
  std::lock_guard lock(mutex_);
  textColour_ = text == 0 ? kNearBlack : text;
  outlineColour_ = outline == 0 ? kNearBlack : outline;
}

void VideoViewModel::SetUseDirectDraw(bool use) {
  std::lock_guard lock(mutex_);
  useDirectDraw_ = use;
}

bool VideoViewModel::GetUseDirectDraw() const {
  std::lock_guard lock(mutex_);
  return useDirectDraw_;
}

void VideoViewModel::Resize(int width, int height) {
  std::lock_guard lock(mutex_);
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  UpdateLayoutLocked();
}

void VideoViewModel::UpdateLayoutLocked() {
  layout_ = ViewLayout::Compute(width_, height_, channelCount_, split_, page_);
}

bool VideoViewModel::PlaceMouseLocked(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  mouse_.x = x;
  mouse_.y = y;
  mouse_.viewWidth = width_;
  mouse_.viewHeight = height_;
  return true;
}

void VideoViewModel::MouseMove(int x, int y, int keyFlags) {
  std::lock_guard lock(mutex_);
  if (!PlaceMouseLocked(x, y)) return;
  // Only no button, left alone or right alone; a held Shift or Ctrl keeps the buttons.
  if (keyFlags == 0 || keyFlags == kKeyLeftButton || keyFlags == kKeyRightButton) mouse_.buttons = keyFlags;
  mouseReport_.Record(mouse_);
}

void VideoViewModel::LeftButtonDown(int x, int y) {
  std::lock_guard lock(mutex_);
  if (!PlaceMouseLocked(x, y)) return;
  mouse_.buttons = MouseReport::kLeft;
  mouseReport_.Record(mouse_);
}

void VideoViewModel::LeftButtonUp(int x, int y) {
  std::lock_guard lock(mutex_);
  if (!PlaceMouseLocked(x, y)) return;
  if (mouse_.buttons == MouseReport::kLeft || mouse_.buttons == MouseReport::kRight) mouse_.buttons = MouseReport::kNone;
  mouseReport_.Record(mouse_);
}

void VideoViewModel::RightDoubleClick(int x, int y) {
  std::lock_guard lock(mutex_);
  if (!PlaceMouseLocked(x, y)) return;
  mouse_.buttons = MouseReport::kRightDouble;
  mouseReport_.Record(mouse_);
}

void VideoViewModel::LeftDoubleClick(int x, int y) {
  std::function<void()> handler;
  {
    std::lock_guard lock(mutex_);
    if (PlaceMouseLocked(x, y)) {
      mouse_.buttons = MouseReport::kLeftDouble;
      mouseReport_.Record(mouse_);
    }
    if (split_ == 4 || split_ == 9 || split_ == 16) {
      for (int channel = 0; channel < channelCount_; ++channel) {
        const auto index = static_cast<std::size_t>(channel);
        if (layout_.onPage[index] && layout_.tiles[index].Contains(x, y)) {
          SetSplitLocked(1, channel);
          break;
        }
      }
    } else {
      SetSplitLocked(lastSplit_, lastPage_);
    }
    handler = layoutChanged_;
  }
  if (handler) handler();
}

void VideoViewModel::SetLayoutChangedHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  layoutChanged_ = std::move(handler);
}

int VideoViewModel::GetChannelCount() const {
  std::lock_guard lock(mutex_);
  return channelCount_;
}

int VideoViewModel::GetMode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

bool VideoViewModel::GetPlayerFlag() const {
  std::lock_guard lock(mutex_);
  return playerFlag_;
}

int VideoViewModel::PageCount() const {
  std::lock_guard lock(mutex_);
  return ViewLayout::PageCount(channelCount_, split_);
}

TileRect VideoViewModel::TileOf(int channel) const {
  std::lock_guard lock(mutex_);
  return ValidChannel(channel) ? layout_.tiles[static_cast<std::size_t>(channel)] : TileRect{};
}

bool VideoViewModel::IsOnPage(int channel) const {
  std::lock_guard lock(mutex_);
  return ValidChannel(channel) && channel < channelCount_ && layout_.onPage[static_cast<std::size_t>(channel)];
}

bool VideoViewModel::HasPicture(int channel) const {
  std::lock_guard lock(mutex_);
  return ValidChannel(channel) && channels_[static_cast<std::size_t>(channel)].hasPicture;
}

VideoViewModel::Picture VideoViewModel::CopyPicture(int channel) const {
  std::lock_guard lock(mutex_);
  if (!ValidChannel(channel)) return {};
  const Channel& source = channels_[static_cast<std::size_t>(channel)];
  const std::size_t bytes = static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height) * 3 / 2;
  return Picture{source.width, source.height, source.time,
                 std::vector<std::uint8_t>(source.picture.get(), source.picture.get() + bytes)};
}

bool VideoViewModel::ReadPicture(int channel, const std::function<void(const std::uint8_t*, int, int)>& read) const {
  std::lock_guard lock(mutex_);
  if (!ValidChannel(channel)) return false;
  const Channel& source = channels_[static_cast<std::size_t>(channel)];
  if (!source.hasPicture) return false;
  read(source.picture.get(), source.width, source.height);
  return true;
}

std::string VideoViewModel::Caption(int channel) const {
  std::lock_guard lock(mutex_);
  if (!ValidChannel(channel)) return {};
  const Channel& source = channels_[static_cast<std::size_t>(channel)];
  return CaptionText(channel, showTime_ && source.hasPicture, source.time, timeFormat_);
}

std::uint64_t VideoViewModel::ShownCount(int channel) const {
  std::lock_guard lock(mutex_);
  return ValidChannel(channel) ? channels_[static_cast<std::size_t>(channel)].shown : 0;
}

OsdFont VideoViewModel::GetOsdFont() const {
  std::lock_guard lock(mutex_);
  return osdFont_;
}

std::uint32_t VideoViewModel::GetTextColour() const {
  std::lock_guard lock(mutex_);
  return textColour_;
}

std::uint32_t VideoViewModel::GetOutlineColour() const {
  std::lock_guard lock(mutex_);
  return outlineColour_;
}

}  // namespace tavrix
