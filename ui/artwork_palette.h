#pragma once
#include <QColor>

namespace tavrix::palette {

// The colours of the skin, shared by every piece of artwork so that the
// background, the buttons and the sliders read as one surface.
inline const QColor kOutline{0x0b, 0x0c, 0x0e};
inline const QColor kScreen{0x0b, 0x0c, 0x0e};
inline const QColor kTitleTop{0x40, 0x44, 0x4b};
inline const QColor kTitleBottom{0x2a, 0x2d, 0x32};
inline const QColor kPanelTop{0x33, 0x36, 0x3c};
inline const QColor kPanelBottom{0x1f, 0x21, 0x25};
inline const QColor kGlyph{0xd6, 0xda, 0xe0};
inline const QColor kGlyphHover{0xff, 0xff, 0xff};
inline const QColor kGlyphDisabled{0x62, 0x66, 0x6d};
inline const QColor kAccent{0x3f, 0xb5, 0xff};
inline const QColor kAccentDark{0x17, 0x40, 0x67};
inline const QColor kRecord{0xe5, 0x48, 0x4d};
inline const QColor kStatusText{0x00, 0xff, 0x00};
// The colour key of the slider skins.
inline const QColor kKey{0xff, 0x00, 0xff};

}  // namespace tavrix::palette
