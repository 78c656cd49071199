#pragma once
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

namespace tavrix {

// The window body, the slider skins, the status icons and the logo. Each
// function draws in logical pixels into an image whose device pixel ratio is
// already set, so the same code serves 100 % and 200 % screens.

// The background: title bar, black video area, bottom panel with the well
// of the status line. Made for the quarter-and-edge stretching of the
// skinned dialog: every strip that gets stretched is uniform along it.
inline constexpr QSize kBackgroundSize{320, 240};
void PaintBackground(QPainter& painter);

// The colour of the bottom panel, y pixels below its top edge.
QColor PanelColour(qreal y);

// Slider skins. The position track is opaque (it is stretched over the
// window's width); the thumbs and the volume skins are on the colour key.
inline constexpr QSize kPositionTrackSize{64, 12};
inline constexpr QSize kPositionThumbSize{11, 12};
inline constexpr QSize kVolumeTrackSize{64, 12};
inline constexpr QSize kVolumeThumbSize{8, 11};
void PaintPositionTrack(QPainter& painter, bool active);
void PaintPositionThumb(QPainter& painter, bool active);
void PaintVolumeTrack(QPainter& painter, bool active);
void PaintVolumeThumb(QPainter& painter, bool active);

// Replaces the transparency of an anti-aliased drawing by the colour key:
// nearly transparent pixels become the key, the others are blended over
// `matte`, the colour the piece usually stands on.
QImage FlattenOnColourKey(const QImage& drawing, const QColor& matte);

// The status line's icon strip: playback-state icons in column 0, the
// connection-state labels at x 16, the channel and sound indicators.
inline constexpr QSize kStatusIconsSize{384, 112};
void PaintStatusIcons(QPainter& painter);

// The application's logo filling rect.
void PaintLogo(QPainter& painter, const QRectF& rect, bool dimmed = false);

}  // namespace tavrix
