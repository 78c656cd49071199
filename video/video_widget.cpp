#include "video/video_widget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <cstring>

#include "video/bmp_image.h"

namespace tavrix {
namespace {

// Key-state bits of a mouse move besides the two buttons the model knows.
constexpr int kKeyShift = 0x4;
constexpr int kKeyControl = 0x8;
constexpr int kKeyMiddleButton = 0x10;

int KeyFlags(const QMouseEvent& event) {
  int flags = 0;
  if (event.buttons() & Qt::LeftButton) flags |= VideoViewModel::kKeyLeftButton;
  if (event.buttons() & Qt::RightButton) flags |= VideoViewModel::kKeyRightButton;
  if (event.buttons() & Qt::MiddleButton) flags |= kKeyMiddleButton;
  if (event.modifiers() & Qt::ShiftModifier) flags |= kKeyShift;
  if (event.modifiers() & Qt::ControlModifier) flags |= kKeyControl;
  return flags;
}

int X(const QMouseEvent& event) { return static_cast<int>(std::floor(event.position().x())); }
int Y(const QMouseEvent& event) { return static_cast<int>(std::floor(event.position().y())); }

QRect ToQRect(const TileRect& tile) { return QRect(tile.left, tile.top, tile.width(), tile.height()); }

bool IsPacked(const PictureView& picture) {
  const std::size_t luma = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  return picture.strideY == picture.width && picture.strideC == picture.width / 2 && picture.cb == picture.y + luma &&
         picture.cr == picture.cb + luma / 4;
}

class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

VideoWidget::VideoWidget(QWidget* parent)
    : QWidget(parent), model_(width(), height()), packed_(VideoViewModel::kPictureBytes) {
  // Every pixel is painted by the view itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  std::lock_guard lock(lock_);
  SetupSurfacesLocked();
}

VideoWidget::~VideoWidget() = default;

// ---- The engine's threads ---------------------------------------------------

void VideoWidget::OnPicture(int channel, const PictureView& picture, const CalendarTime& blockTime) {
  if (!StorePicture(channel, picture, blockTime)) return;
  dirtyChannels_.fetch_or(1u << channel);
  QueuePresent();
}

void VideoWidget::OnPicturesCleared() {
  model_.ClearPictures();
  refreshAll_.store(true);
  QueuePresent();
}

bool VideoWidget::StorePicture(int channel, const PictureView& picture, const CalendarTime& time) {
  if (picture.y == nullptr || picture.cb == nullptr || picture.cr == nullptr || picture.width <= 0 ||
      picture.height <= 0) {
    return false;
  }
  if (IsPacked(picture)) return model_.ShowPicture(channel, time, picture.y, picture.width, picture.height);
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t height = static_cast<std::size_t>(picture.height);
  if (width * height * 3 / 2 > packed_.size() || picture.strideY < picture.width ||
      picture.strideC < picture.width / 2) {
    return false;
  }
  std::lock_guard lock(packLock_);
  std::uint8_t* out = packed_.data();
  for (std::size_t row = 0; row < height; ++row, out += width) {
    std::memcpy(out, picture.y + row * static_cast<std::size_t>(picture.strideY), width);
  }
  for (const std::uint8_t* plane : {picture.cb, picture.cr}) {
    for (std::size_t row = 0; row < height / 2; ++row, out += width / 2) {
      std::memcpy(out, plane + row * static_cast<std::size_t>(picture.strideC), width / 2);
    }
  }
  return model_.ShowPicture(channel, time, packed_.data(), picture.width, picture.height);
}

// At most one call waits in the window's queue; pictures that arrive before
// it runs are drawn by it together.
void VideoWidget::QueuePresent() {
  if (presentQueued_.exchange(true)) return;
  QMetaObject::invokeMethod(this, &VideoWidget::PresentPending, Qt::QueuedConnection);
}

// ---- The window's thread ----------------------------------------------------

void VideoWidget::PresentPending() {
  presentQueued_.store(false);
  const bool all = refreshAll_.exchange(false);
  const std::uint32_t dirty = dirtyChannels_.exchange(0);
  std::lock_guard lock(lock_);
  if (all) {
    RefreshLocked();
    return;
  }
  QRegion changed;
  for (int channel = 0; channel < kMaxChannels; ++channel) {
    if ((dirty & (1u << channel)) == 0 || !model_.IsOnPage(channel)) continue;
    if (active_) ComposeTileLocked(channel);
    changed += ToQRect(model_.TileOf(channel));
  }
  if (!changed.isEmpty()) update(changed);
}

int VideoWidget::PresentationDepthLocked() const {
  if (surfaceDepth_ > 0) return surfaceDepth_;
  const QScreen* shown = screen();
  return shown != nullptr ? shown->depth() : 0;
}

void VideoWidget::SetupSurfacesLocked() {
  if (!model_.GetUseDirectDraw()) {
    active_ = false;
    accelerated_.Release();
    return;
  }
  // A failed set-up is tried again only when asked for.
  if (!rebuild_ && !active_) return;
  rebuild_ = false;
  active_ = false;
  std::string error;
  if (!accelerated_.Setup(PresentationDepthLocked(), size(), error)) {
    lastError_ = error;
    return;
  }
  active_ = true;
}

void VideoWidget::FallBackLocked(const std::string& error) {
  lastError_ = error;
  active_ = false;
  accelerated_.Release();
  update();
}

void VideoWidget::RefreshLocked() {
  if (active_) {
    // Also blackens positions that no channel fills and whatever a page
    // switch left behind.
    accelerated_.FillBlack();
    for (int channel = 0; channel < kMaxChannels && active_; ++channel) {
      if (model_.IsOnPage(channel)) ComposeTileLocked(channel);
    }
  }
  update();
}

void VideoWidget::ComposeTileLocked(int channel) {
  if (accelerated_.backBuffer().isNull()) return;
  const TileRect tile = model_.TileOf(channel);
  std::string error;
  bool converted = false;
  // Only the conversion runs under the model's lock, so the engine's next
  // picture waits no longer than that.
  const bool hasPicture = model_.ReadPicture(channel, [&](const std::uint8_t* picture, int width, int height) {
    converted = accelerated_.Convert(picture, width, height, error);
  });
  if (hasPicture && !converted) {
    FallBackLocked(error);
    return;
  }
  if (hasPicture) {
    accelerated_.StretchInto(tile);
  } else {
    accelerated_.FillBlack(tile);
  }
  if (model_.GetPlayerFlag()) {
    QPainter painter(&accelerated_.backBuffer());
    DrawCaptionLocked(painter, channel, tile);
  }
}

void VideoWidget::DrawCaptionLocked(QPainter& painter, int channel, const TileRect& tile) {
  // Kept inside its tile, so a long caption never lingers over a neighbour.
  painter.save();
  painter.setClipRect(ToQRect(tile), Qt::IntersectClip);
  captions_[static_cast<std::size_t>(channel)].Draw(painter, tile.left + 4, tile.top + 2, model_.Caption(channel),
                                                    model_.GetOsdFont(), model_.GetTextColour(),
                                                    model_.GetOutlineColour());
  painter.restore();
}

void VideoWidget::PaintPlainLocked(QPainter& painter, const QRegion& region) {
  QRegion uncovered = region;
  const bool captions = model_.GetPlayerFlag();
  for (int channel = 0; channel < kMaxChannels; ++channel) {
    if (!model_.IsOnPage(channel)) continue;
    const TileRect tile = model_.TileOf(channel);
    const QRect rect = ToQRect(tile);
    uncovered -= rect;
    if (!region.intersects(rect)) continue;
    bool converted = false;
    model_.ReadPicture(channel, [&](const std::uint8_t* picture, int width, int height) {
      converted = plain_.Convert(picture, width, height);
    });
    if (converted) {
      plain_.Draw(painter, tile);
    } else {
      painter.fillRect(rect, Qt::black);
    }
    if (captions) DrawCaptionLocked(painter, channel, tile);
  }
  for (const QRect& rect : uncovered) painter.fillRect(rect, Qt::black);
}

void VideoWidget::paintEvent(QPaintEvent* event) {
  std::lock_guard lock(lock_);
  QPainter painter(this);
  if (active_ && accelerated_.backBuffer().size() == size()) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(event->rect(), accelerated_.backBuffer(), event->rect());
    return;
  }
  PaintPlainLocked(painter, event->region());
}

void VideoWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  std::lock_guard lock(lock_);
  model_.Resize(width(), height());
  if (size().isEmpty()) return;
  SetupSurfacesLocked();
  RefreshLocked();
}

// ---- Settings -------------------------------------------------------------

bool VideoWidget::SetChannelCount(int count) {
  std::lock_guard lock(lock_);
  if (!model_.SetChannelCount(count)) return false;
  RefreshLocked();
  return true;
}

bool VideoWidget::SetSplit(int split, int page) {
  std::lock_guard lock(lock_);
  if (!model_.SetSplit(split, page)) return false;
  RefreshLocked();
  return true;
}

int VideoWidget::GetSplit() const { return model_.GetSplit(); }
int VideoWidget::GetPage() const { return model_.GetPage(); }

void VideoWidget::SetPlayerFlag(bool player) {
  std::lock_guard lock(lock_);
  model_.SetPlayerFlag(player);
  RefreshLocked();
}

void VideoWidget::SetShowTime(bool show) {
  std::lock_guard lock(lock_);
  model_.SetShowTime(show);
  RefreshLocked();
}

bool VideoWidget::GetShowTime() const { return model_.GetShowTime(); }

void VideoWidget::SetTimeFormat(const std::string& format) {
  std::lock_guard lock(lock_);
  model_.SetTimeFormat(format);
  RefreshLocked();
}

std::string VideoWidget::GetTimeFormat() const { return model_.GetTimeFormat(); }

void VideoWidget::SetOsdFont(const OsdFont& font) {
  std::lock_guard lock(lock_);
  model_.SetOsdFont(font);
  RefreshLocked();
}

void VideoWidget::SetOsdColours(std::uint32_t textColour, std::uint32_t outlineColour) {
  std::lock_guard lock(lock_);
  model_.SetOsdColours(textColour, outlineColour);
  RefreshLocked();
}

void VideoWidget::SetUseDirectDraw(bool use) {
  std::lock_guard lock(lock_);
  model_.SetUseDirectDraw(use);
  if (use) rebuild_ = true;
  SetupSurfacesLocked();
  RefreshLocked();
}

bool VideoWidget::GetUseDirectDraw() const { return model_.GetUseDirectDraw(); }

bool VideoWidget::IsAccelerated() const {
  std::lock_guard lock(lock_);
  return active_;
}

void VideoWidget::SetSurfaceDepth(int bits) {
  std::lock_guard lock(lock_);
  surfaceDepth_ = bits;
  rebuild_ = true;
  SetupSurfacesLocked();
  RefreshLocked();
}

std::string VideoWidget::GetLastError() const {
  std::lock_guard lock(lock_);
  return lastError_;
}

void VideoWidget::Refresh() {
  std::lock_guard lock(lock_);
  RefreshLocked();
}

// ---- Mouse ------------------------------------------------------------------

void VideoWidget::mouseMoveEvent(QMouseEvent* event) { model_.MouseMove(X(*event), Y(*event), KeyFlags(*event)); }

void VideoWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    model_.LeftButtonDown(X(*event), Y(*event));
  } else {
    QWidget::mousePressEvent(event);
  }
}

void VideoWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    model_.LeftButtonUp(X(*event), Y(*event));
  } else {
    QWidget::mouseReleaseEvent(event);
  }
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    model_.RightDoubleClick(X(*event), Y(*event));
    return;
  }
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseDoubleClickEvent(event);
    return;
  }
  {
    std::lock_guard lock(lock_);
    model_.LeftDoubleClick(X(*event), Y(*event));
    RefreshLocked();
  }
  emit layoutChanged();
}

// ---- Snapshot ---------------------------------------------------------------

WrittenFile VideoWidget::SaveSnapshot(const std::string& path) {
  const WaitCursor waitCursor;
  // grab() paints through paintEvent, which takes the view's lock itself.
  const QImage shown = grab().toImage();
  if (shown.isNull()) return {path, "cannot save " + path + ": the view has no picture"};
  QGuiApplication::clipboard()->setImage(shown);
  const QImage bgr = shown.convertToFormat(QImage::Format_BGR888);
  const std::vector<std::uint8_t> file =
      EncodeBmp24(bgr.constBits(), static_cast<std::size_t>(bgr.bytesPerLine()), bgr.width(), bgr.height());
  return WriteNewFile(path, file.data(), file.size());
}

}  // namespace tavrix
