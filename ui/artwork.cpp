#include "ui/artwork.h"

#include <cmath>
#include <algorithm>

#include <QImage>
#include <QPainter>

#include "ui/artwork_glyphs.h"
#include "ui/artwork_palette.h"
#include "ui/artwork_skin.h"
#include "ui/artwork_strip.h"

namespace tavrix {
namespace {

constexpr QSize kTransportSlice{29, 26};
constexpr QSize kPillSlice{76, 20};
constexpr QSize kAviSlice{60, 20};

QPointF PressedShift(FaceState state) {
  return state == FaceState::kPressed ? QPointF(1, 1) : QPointF(0, 0);
}

// The record dot stays red on every face that is not disabled.
QColor ColourOf(Glyph glyph, FaceState state, FaceStyle style) {
  return glyph == Glyph::kRecord && state != FaceState::kDisabled ? palette::kRecord : GlyphColour(state, style);
}

// A face with a 16 x 16 glyph in its middle; `pressedGlyph` is shown on the
// pressed (and checked) slice.
QPixmap GlyphStrip(QSize slice, FaceStyle style, Glyph glyph, Glyph pressedGlyph, int scale) {
  const QRectF box((slice.width() - 16) / 2, (slice.height() - 16) / 2, 16, 16);
  return MakeButtonStrip(slice, scale, FaceShape(QRectF(QPointF(0, 0), slice), style),
                         [&](QPainter& painter, const QRectF& rect, FaceState state) {
                           DrawFace(painter, rect, state, style);
                           DrawGlyph(painter, state == FaceState::kPressed ? pressedGlyph : glyph,
                                     box.translated(rect.topLeft() + PressedShift(state)),
                                     ColourOf(glyph, state, style));
                         });
}

QPixmap Transport(Glyph glyph, int scale) {
  return GlyphStrip(kTransportSlice, FaceStyle::kTransport, glyph, glyph, scale);
}

QPixmap Title(QSize slice, FaceStyle style, Glyph glyph, int scale) {
  return GlyphStrip(slice, style, glyph, glyph, scale);
}

QPixmap Channel(int channel, int scale) {
  const QSize slice = kTransportSlice;
  return MakeButtonStrip(slice, scale, FaceShape(QRectF(QPointF(0, 0), slice), FaceStyle::kTransport),
                         [&](QPainter& painter, const QRectF& rect, FaceState state) {
                           DrawFace(painter, rect, state, FaceStyle::kTransport);
                           DrawLabel(painter, QString::number(channel), rect.translated(PressedShift(state)),
                                     GlyphColour(state, FaceStyle::kTransport), 14);
                         });
}

// A rounded switch with a small symbol and a word.
QPixmap Labelled(QSize slice, Glyph glyph, const QString& text, qreal symbolSize, int scale) {
  return MakeButtonStrip(slice, scale, FaceShape(QRectF(QPointF(0, 0), slice), FaceStyle::kPill),
                         [&](QPainter& painter, const QRectF& rect, FaceState state) {
                           DrawFace(painter, rect, state, FaceStyle::kPill);
                           const QPointF origin = rect.topLeft() + PressedShift(state);
                           const qreal top = (slice.height() - symbolSize) / 2;
                           const QColor colour = GlyphColour(state, FaceStyle::kPill);
                           DrawGlyph(painter, glyph, QRectF(origin + QPointF(9, top), QSizeF(symbolSize, symbolSize)),
                                     ColourOf(glyph, state, FaceStyle::kPill));
                           const QRectF words(origin + QPointF(9 + symbolSize, 0),
                                              QSizeF(slice.width() - 14 - symbolSize, slice.height()));
                           DrawLabel(painter, text, words, colour, 10);
                         });
}

QPixmap IconButton(int scale) {
  const QSize slice{16, 16};
  QPainterPath shape;
  shape.addRoundedRect(QRectF(0, 0, 16, 16), 3.5, 3.5);
  return MakeButtonStrip(slice, scale, shape, [](QPainter& painter, const QRectF& rect, FaceState state) {
    const QRectF logo = state == FaceState::kPressed ? rect.adjusted(1, 1, 0, 0) : rect;
    PaintLogo(painter, logo, state == FaceState::kDisabled);
    if (state == FaceState::kHover) {
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(255, 255, 255, 50));
      painter.drawRoundedRect(rect, 3.5, 3.5);
    }
  });
}

// An image of `size` logical pixels at `scale`, painted by paint.
template <typename Paint>
QImage Canvas(QSize size, int scale, QImage::Format format, Paint paint) {
  QImage image(size * scale, format);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  paint(painter);
  return image;
}

template <typename Paint>
QPixmap Opaque(QSize size, int scale, Paint paint) {
  return QPixmap::fromImage(Canvas(size, scale, QImage::Format_RGB32, paint));
}

// A drawing on the slider's colour key, blended at its edges over matte.
template <typename Paint>
QPixmap Keyed(QSize size, int scale, const QColor& matte, Paint paint) {
  QImage image = FlattenOnColourKey(Canvas(size, scale, QImage::Format_ARGB32_Premultiplied, paint), matte);
  image.setDevicePixelRatio(scale);
  return QPixmap::fromImage(image);
}

QPixmap Logo(int scale) {
  return QPixmap::fromImage(Canvas(QSize(32, 32), scale, QImage::Format_ARGB32_Premultiplied,
                                   [](QPainter& painter) { PaintLogo(painter, QRectF(0, 0, 32, 32)); }));
}

struct Entry {
  int number;
  const char* name;
  QPixmap (*make)(int scale);
};

// The position thumb stands on the dark groove, the volume pieces on the panel.
const QColor kGrooveMatte{0x1a, 0x1c, 0x20};

constexpr Entry kEntries[] = {
    {art::kApplicationIcon, "application icon", Logo},
    {art::kPositionTrack, "position track",
     [](int s) { return Opaque(kPositionTrackSize, s, [](QPainter& p) { PaintPositionTrack(p, false); }); }},
    {art::kPositionActiveTrack, "position track, active",
     [](int s) { return Opaque(kPositionTrackSize, s, [](QPainter& p) { PaintPositionTrack(p, true); }); }},
    {art::kPositionActiveThumb, "position thumb, active",
     [](int s) { return Keyed(kPositionThumbSize, s, kGrooveMatte, [](QPainter& p) { PaintPositionThumb(p, true); }); }},
    {art::kPositionThumb, "position thumb",
     [](int s) { return Keyed(kPositionThumbSize, s, kGrooveMatte, [](QPainter& p) { PaintPositionThumb(p, false); }); }},
    {art::kIconButton, "icon button", IconButton},
    {art::kMinimize, "minimize", [](int s) { return Title({20, 18}, FaceStyle::kTitle, Glyph::kMinimize, s); }},
    {art::kClose, "close", [](int s) { return Title({22, 18}, FaceStyle::kTitleClose, Glyph::kClose, s); }},
    {art::kPlayerMode, "player mode", [](int s) { return Labelled(kPillSlice, Glyph::kFilm, QStringLiteral("Player"), 14, s); }},
    {art::kClientMode, "client mode", [](int s) { return Labelled(kPillSlice, Glyph::kMonitor, QStringLiteral("Client"), 14, s); }},
    {art::kSaveAvi, "save AVI", [](int s) { return Labelled(kAviSlice, Glyph::kRecord, QStringLiteral("AVI"), 12, s); }},
    {art::kStopAvi, "stop AVI", [](int s) { return Labelled(kAviSlice, Glyph::kStop, QStringLiteral("AVI"), 12, s); }},
    {art::kOpen, "open", [](int s) { return Transport(Glyph::kEject, s); }},
    {art::kFastRewind, "fast rewind", [](int s) { return Transport(Glyph::kFastRewind, s); }},
    {art::kPlayReverse, "play reverse", [](int s) { return Transport(Glyph::kPlayReverse, s); }},
    {art::kPreviousFrame, "previous frame", [](int s) { return Transport(Glyph::kPreviousFrame, s); }},
    {art::kPause, "pause", [](int s) { return Transport(Glyph::kPause, s); }},
    {art::kNextFrame, "next frame", [](int s) { return Transport(Glyph::kNextFrame, s); }},
    {art::kPlay, "play", [](int s) { return Transport(Glyph::kPlay, s); }},
    {art::kFastForward, "fast forward", [](int s) { return Transport(Glyph::kFastForward, s); }},
    {art::kStillCapture, "still capture", [](int s) { return Transport(Glyph::kCamera, s); }},
    {art::kSplit1, "split 1", [](int s) { return Transport(Glyph::kSplit1, s); }},
    {art::kSplit4, "split 4", [](int s) { return Transport(Glyph::kSplit4, s); }},
    {art::kSplit9, "split 9", [](int s) { return Transport(Glyph::kSplit9, s); }},
    {art::kSplit16, "split 16", [](int s) { return Transport(Glyph::kSplit16, s); }},
    {art::kMute, "mute",
     [](int s) { return GlyphStrip(kTransportSlice, FaceStyle::kTransport, Glyph::kSpeaker, Glyph::kSpeakerMuted, s); }},
    {art::kConnect, "connect", [](int s) { return Transport(Glyph::kPlug, s); }},
    {art::kDisconnect, "disconnect", [](int s) { return Transport(Glyph::kPlugCrossed, s); }},
    {art::kDvrStop, "DVR stop", [](int s) { return Transport(Glyph::kStop, s); }},
    {art::kDvrRecord, "DVR record", [](int s) { return Transport(Glyph::kRecord, s); }},
    {art::kChannel1, "channel 1", [](int s) { return Channel(1, s); }},
    {art::kChannel1 + 1, "channel 2", [](int s) { return Channel(2, s); }},
    {art::kChannel1 + 2, "channel 3", [](int s) { return Channel(3, s); }},
    {art::kChannel1 + 3, "channel 4", [](int s) { return Channel(4, s); }},
    {art::kMenu, "menu", [](int s) { return Transport(Glyph::kMenu, s); }},
    {art::kUp, "up", [](int s) { return Transport(Glyph::kUp, s); }},
    {art::kDown, "down", [](int s) { return Transport(Glyph::kDown, s); }},
    {art::kSelect, "select", [](int s) { return Transport(Glyph::kSelect, s); }},
    {art::kVolumeThumb, "volume thumb",
     [](int s) { return Keyed(kVolumeThumbSize, s, PanelColour(60), [](QPainter& p) { PaintVolumeThumb(p, false); }); }},
    {art::kVolumeActiveTrack, "volume track, active",
     [](int s) { return Keyed(kVolumeTrackSize, s, PanelColour(60), [](QPainter& p) { PaintVolumeTrack(p, true); }); }},
    {art::kVolumeTrack, "volume track",
     [](int s) { return Keyed(kVolumeTrackSize, s, PanelColour(60), [](QPainter& p) { PaintVolumeTrack(p, false); }); }},
    {art::kVolumeActiveThumb, "volume thumb, active",
     [](int s) { return Keyed(kVolumeThumbSize, s, PanelColour(60), [](QPainter& p) { PaintVolumeThumb(p, true); }); }},
    {art::kBackground, "background", [](int s) { return Opaque(kBackgroundSize, s, PaintBackground); }},
    {art::kStatusIcons, "status icons", [](int s) { return Opaque(kStatusIconsSize, s, PaintStatusIcons); }},
};

const Entry* Find(int number) {
  for (const Entry& entry : kEntries) {
    if (entry.number == number) return &entry;
  }
  return nullptr;
}

}  // namespace

QPixmap Artwork::Picture(int number, qreal devicePixelRatio) {
  const Entry* entry = Find(number);
  if (entry == nullptr) return {};
  const int scale = std::max(1, static_cast<int>(std::ceil(devicePixelRatio - 0.01)));
  QPixmap picture = entry->make(scale);
  picture.setDevicePixelRatio(scale);
  return picture;
}

QIcon Artwork::ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(QPixmap::fromImage(Canvas(QSize(size, size), 1, QImage::Format_ARGB32_Premultiplied,
                                             [size](QPainter& painter) { PaintLogo(painter, QRectF(0, 0, size, size)); })));
  }
  return icon;
}

QList<int> Artwork::Numbers() {
  QList<int> numbers;
  for (const Entry& entry : kEntries) numbers.append(entry.number);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

QString Artwork::Name(int number) {
  const Entry* entry = Find(number);
  return entry == nullptr ? QString() : QString::fromLatin1(entry->name);
}

}  // namespace tavrix
