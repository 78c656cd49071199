#pragma once
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/picture_sink.h"
#include "video/back_buffer_presenter.h"
#include "video/caption_stamp.h"
#include "video/new_file.h"
#include "video/plain_presenter.h"
#include "video/view_model.h"

namespace tavrix {

// The window the channels appear in: 1, 4, 9 or 16 tiles per page, each with
// the last picture of its channel and a caption. Pictures are presented on
// one of two paths: the accelerated one (pictures in the screen's own pixel
// layout, stretched into a back buffer the size of the view, shown in one
// step) or the plain one (each picture stretched straight into its tile as
// a 24-bit image). The accelerated path falls back to the plain one, with
// the reason in GetLastError(), whenever it cannot be set up.
//
// Threads: OnPicture and OnPicturesCleared come from the engine's threads;
// they store into the model and queue the drawing to the window's thread,
// never waiting for it. Everything else is called on the window's thread.
// The engine stops handing pictures over before the view is destroyed.
class VideoWidget : public QWidget, public PictureSink {
  Q_OBJECT

 public:
  static constexpr int kMaxChannels = VideoViewModel::kMaxChannels;

  explicit VideoWidget(QWidget* parent = nullptr);
  ~VideoWidget() override;

  void OnPicture(int channel, const PictureView& picture, const CalendarTime& blockTime) override;
  void OnPicturesCleared() override;

  // Layout: channels with tiles (1 to 16), tiles per page and the page (page
  // -1 steps to the next page of the same split). False when refused.
  bool SetChannelCount(int count);
  bool SetSplit(int split, int page);
  int GetSplit() const;
  int GetPage() const;

  // Captions: shown on screen only in player mode, with the picture time
  // when showTime is set. A colour of 0 is taken as 0x050505.
  void SetPlayerFlag(bool player);
  void SetShowTime(bool show);
  bool GetShowTime() const;
  void SetTimeFormat(const std::string& format);
  std::string GetTimeFormat() const;
  void SetOsdFont(const OsdFont& font);
  void SetOsdColours(std::uint32_t textColour, std::uint32_t outlineColour);

  // The accelerated path ("Use DirectDraw"); switched at once.
  void SetUseDirectDraw(bool use);
  bool GetUseDirectDraw() const;
  // Whether the accelerated path is in use now.
  bool IsAccelerated() const;
  // The depth the accelerated path presents in: 0 for the screen's, or 15,
  // 16, 24 or 32 bits. Takes effect at once.
  void SetSurfaceDepth(int bits);
  // The last presentation failure; empty when there has been none.
  std::string GetLastError() const;

  // Draws every tile of the page again.
  void Refresh();

  // Saves what the view shows as a 24-bit BMP file at `path`, or at a
  // numbered name beside it when `path` exists, and leaves the picture on
  // the clipboard.
  WrittenFile SaveSnapshot(const std::string& path);

  // Mouse actions over the view, for a DVR's remote mouse control.
  MouseReport& mouseReport() { return model_.mouseReport(); }
  // The layout, pictures and settings, for reading.
  const VideoViewModel& model() const { return model_; }

 signals:
  // A double click switched between one channel and the tile grid; read
  // the new split and page with GetSplit and GetPage.
  void layoutChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool StorePicture(int channel, const PictureView& picture, const CalendarTime& time);
  void QueuePresent();
  void PresentPending();

  // The members below ending in Locked expect lock_ to be held by the
  // caller; they never take it themselves.
  void SetupSurfacesLocked();
  void RefreshLocked();
  void ComposeTileLocked(int channel);
  void PaintPlainLocked(QPainter& painter, const QRegion& region);
  void DrawCaptionLocked(QPainter& painter, int channel, const TileRect& tile);
  void FallBackLocked(const std::string& error);
  int PresentationDepthLocked() const;

  VideoViewModel model_;

  // The view's lock: held by every drawing and every change of the layout or
  // of the presentation state. The model guards its pictures with its own
  // lock, which is only ever taken inside this one, never around it.
  mutable std::mutex lock_;
  BackBufferPresenter accelerated_;
  PlainPresenter plain_;
  std::array<CaptionStamp, kMaxChannels> captions_;
  bool active_ = false;   // the accelerated path is set up and in use
  bool rebuild_ = true;   // set it up again at the next chance
  int surfaceDepth_ = 0;  // 0: the screen's
  std::string lastError_;

  // Handed from the engine's threads to the window's thread.
  std::atomic<std::uint32_t> dirtyChannels_{0};
  std::atomic<bool> refreshAll_{false};
  std::atomic<bool> presentQueued_{false};

  // Pictures whose planes are not one packed block are packed here first.
  std::mutex packLock_;
  std::vector<std::uint8_t> packed_;
};

}  // namespace tavrix
