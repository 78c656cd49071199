#pragma once

namespace tavrix {

// Playback state of the worker thread, as the engine reports it.
enum PlaybackState : int {
  kStateIdle = 0,          // no playback thread
  kStateForward = 2,
  kStateReverse = 3,
  kStateStepForward = 4,   // show the next frame once, then pause
  kStateStepBackward = 5,  // show the previous frame once, then pause
  kStatePaused = 6,
  kStateSeek = 7,          // show the frame at the seek target once, then pause
};

// Command codes the facade stores for the playback thread.
enum PlaybackCommand : int {
  kCommandNone = 0,
  kCommandPause = 2,
  kCommandForward = 3,
  kCommandReverse = 4,
  kCommandStepForward = 5,
  kCommandStepBackward = 6,
  kCommandSeek = 7,
};

// The state a command puts the thread in; -1 for a code that changes nothing.
constexpr int StateForCommand(int command) {
  switch (command) {
    case kCommandPause: return kStatePaused;
    case kCommandForward: return kStateForward;
    case kCommandReverse: return kStateReverse;
    case kCommandStepForward: return kStateStepForward;
    case kCommandStepBackward: return kStateStepBackward;
    case kCommandSeek: return kStateSeek;
    default: return -1;
  }
}

}  // namespace tavrix
