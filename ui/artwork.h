#pragma once
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

namespace tavrix {

// The numbers under which the skin's pictures are found. The slider skins,
// the background and the status icons keep the numbers the window's set-up
// names; the button strips are numbered here.
namespace art {
inline constexpr int kApplicationIcon = 128;  // 32 x 32 logo; see Artwork::ApplicationIcon

inline constexpr int kPositionTrack = 215;        // 64 x 12, opaque, stretched over the width
inline constexpr int kPositionActiveTrack = 216;  // 64 x 12, opaque
inline constexpr int kPositionActiveThumb = 217;  // 11 x 12, colour key
inline constexpr int kPositionThumb = 218;        // 11 x 12, colour key
inline constexpr int kVolumeThumb = 275;          // 8 x 11, colour key
inline constexpr int kVolumeActiveTrack = 276;    // 64 x 12, colour key
inline constexpr int kVolumeTrack = 277;          // 64 x 12, colour key
inline constexpr int kVolumeActiveThumb = 278;    // 8 x 11, colour key
inline constexpr int kBackground = 290;           // 320 x 240
inline constexpr int kStatusIcons = 320;          // 384 x 112, black background

// Button strips, five slices each (normal, pressed, hover, disabled, mask).
// Title bar (slice size in brackets).
inline constexpr int kIconButton = 230;    // 16 x 16, the logo (1676)
inline constexpr int kMinimize = 231;      // 20 x 18
inline constexpr int kClose = 232;         // 22 x 18
inline constexpr int kPlayerMode = 233;    // 76 x 20 check box, "Player"
inline constexpr int kClientMode = 234;    // 76 x 20 check box, "Client"
inline constexpr int kSaveAvi = 235;       // 60 x 20, "AVI" with a red dot
inline constexpr int kStopAvi = 236;       // 60 x 20, "AVI" with a square
// Player row, 29 x 26.
inline constexpr int kOpen = 240;
inline constexpr int kFastRewind = 241;
inline constexpr int kPlayReverse = 242;
inline constexpr int kPreviousFrame = 243;
inline constexpr int kPause = 244;
inline constexpr int kNextFrame = 245;
inline constexpr int kPlay = 246;
inline constexpr int kFastForward = 247;
inline constexpr int kStillCapture = 248;
inline constexpr int kSplit1 = 249;
inline constexpr int kSplit4 = 250;  // also the DVR's Split 4 key
inline constexpr int kSplit9 = 251;
inline constexpr int kSplit16 = 252;
inline constexpr int kMute = 253;    // check box: the checked slice shows the crossed speaker
// Client row, 29 x 26. The DVR's Pause, Rewind, Play and Fast Forward keys
// use the player row's strips.
inline constexpr int kConnect = 260;
inline constexpr int kDisconnect = 261;
inline constexpr int kDvrStop = 262;
inline constexpr int kDvrRecord = 263;
inline constexpr int kChannel1 = 264;  // kChannel1 + n - 1 for channel n, 1 to 4
inline constexpr int kMenu = 268;
inline constexpr int kUp = 269;
inline constexpr int kDown = 270;
inline constexpr int kSelect = 271;
}  // namespace art

// The skin's pictures, drawn by our own code at each call; a control draws
// its pictures once when it is given them and keeps them.
class Artwork {
 public:
  // The picture of a number at the given device pixel ratio, rounded up to a
  // whole scale: its size in logical pixels is the same at every ratio.
  // A null pixmap for an unknown number.
  static QPixmap Picture(int number, qreal devicePixelRatio = 1.0);

  // The logo at the usual icon sizes, for the window and the about box.
  static QIcon ApplicationIcon();

  // Every number Picture knows, in ascending order, with a short name.
  static QList<int> Numbers();
  static QString Name(int number);
};

}  // namespace tavrix
