#pragma once

namespace tavrix {

// The identifiers that the window's controls, menu items and accelerators
// share. Buttons and menu items with the same number run the same command.
namespace command {
inline constexpr int kAbout = 16;
inline constexpr int kPlayerMode = 32863;
inline constexpr int kClientMode = 32864;
inline constexpr int kOpenFile = 32776;
inline constexpr int kOpenDisk = 32820;
inline constexpr int kClose = 32815;
inline constexpr int kShowTime = 32774;
inline constexpr int kAlwaysOnTop = 32805;
inline constexpr int kPlay = 32788;
inline constexpr int kPlayReverse = 32804;
inline constexpr int kPause = 32789;
inline constexpr int kFastForward = 32790;
inline constexpr int kFastRewind = 32791;
inline constexpr int kNextFrame = 32792;
inline constexpr int kPreviousFrame = 32793;
inline constexpr int kNormal = 32775;
inline constexpr int kMaximize = 32809;
inline constexpr int kVideo640x448 = 32807;
inline constexpr int kVideo640x544 = 32808;
inline constexpr int kSplit1 = 1694;
inline constexpr int kSplit4 = 32796;
inline constexpr int kSplit9 = 32797;
inline constexpr int kSplit16 = 32798;
inline constexpr int kExit = 32777;
inline constexpr int kMute = 32787;
inline constexpr int kStillCapture = 1253;
inline constexpr int kSaveAvi = 1254;
inline constexpr int kMinimize = 1672;
inline constexpr int kCloseButton = 1674;
inline constexpr int kIconButton = 1676;
// Client mode: connecting and the DVR's remote-control keys.
inline constexpr int kConnect = 32846;
inline constexpr int kDvrPause = 32848;
inline constexpr int kDvrRewind = 32849;
inline constexpr int kDvrPlay = 32850;
inline constexpr int kDvrFastForward = 32851;
inline constexpr int kDvrStop = 32852;
inline constexpr int kDvrRecord = 32853;
inline constexpr int kDvrSplit4 = 32854;
inline constexpr int kDvrChannel1 = 32855;  // channels 2 to 4 follow
inline constexpr int kDvrMenu = 32859;
inline constexpr int kDvrUp = 32860;
inline constexpr int kDvrDown = 32861;
inline constexpr int kDvrSelect = 32862;
// Keys of our own beyond the menu's: no button or menu item runs them.
inline constexpr int kTogglePlay = 40001;
inline constexpr int kSlower = 40002;
inline constexpr int kFaster = 40003;
inline constexpr int kJumpToStart = 40004;
inline constexpr int kJumpToEnd = 40005;
// Repeat has no menu item of the system's own (only an options dialog).
inline constexpr int kRepeat = 40006;
}  // namespace command

// Controls that run no command of their own.
namespace control {
inline constexpr int kTitle = 1695;
inline constexpr int kStatusLine = 1652;
inline constexpr int kPositionSlider = 1658;
inline constexpr int kVolumeSlider = 1638;
}  // namespace control

}  // namespace tavrix
