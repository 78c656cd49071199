#include "engine/local_playback.h"

#include <array>
#include <chrono>
#include <cmath>
#include <span>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "engine/frame_pacing.h"
#include "engine/playback_state.h"
#include "export/avi_exporter.h"
#include "platform/tick_clock.h"
#include "storage/vvf_reader.h"

namespace tavrix {

LocalPlayback::LocalPlayback(Parts parts)
    : parts_(std::move(parts)),
      frame_(std::make_unique<std::uint8_t[]>(kMaxFrameBytes)),
      audio_(std::make_unique<std::uint8_t[]>(kAudioOutBytes)) {}

int LocalPlayback::Run() {
  PlaybackFields& fields = parts_.fields;
  parts_.audioOut.Start();
  frameStartTick_ = 0;

  while (parts_.running()) {
    if (parts_.stopEvent.IsSet()) break;
    if (fields.commandEvent.IsSet()) {
      // Reset before reading, so a command stored meanwhile signals again.
      fields.commandEvent.Reset();
      const int next = StateForCommand(fields.command.load());
      if (next >= 0) set_state(next);
      ++fields.commandsTaken;
      continue;
    }
    parts_.audioOut.Service();
    if (!Reading() || !parts_.reader.IsOpen()) {
      // Nothing to read: sleep until a command or the stop arrives. Sound
      // already queued plays out first, with the device serviced on the way
      // until it pauses itself; the long time-out only lets the loop notice
      // a cleared running flag.
      const AudioOut& audio = parts_.audioOut;
      WaitForEvents(audio.IsPaused() || !audio.IsDeviceOpen() ? kIdleWaitMs : kDrainWaitMs);
      continue;
    }
    if (frameStartTick_ == 0) frameStartTick_ = TickCountMs();

    Next next = Next::kTimingTail;
    switch (state()) {
      case kStateForward: next = PlayForward(); break;
      case kStateReverse: next = PlayReverse(); break;
      case kStateStepForward: next = Step(true); break;
      case kStateStepBackward: next = Step(false); break;
      case kStateSeek: next = SeekToTarget(); break;
      default: break;
    }
    if (next == Next::kTimingTail) TimingTail();
  }

  set_state(kStateIdle);
  fields.commandEvent.Reset();
  // The ring would otherwise keep looping its last half second.
  parts_.audioOut.Silence();
  return 0;
}

LocalPlayback::Next LocalPlayback::PlayForward() {
  VvfReader& reader = parts_.reader;
  const double speed = parts_.fields.speed.load();
  if (speed >= kSkipSpeed && framesSinceSkip_ >= kSkipEveryFrames) {
    reader.Seek(reader.Position() + static_cast<std::uint64_t>(speed) * kSkipBytesPerSpeed);
    framesSinceSkip_ = 0;
  }
  const std::uint32_t length = reader.ReadNext(frame_.get());
  Publish();
  if (length == 0) {
    if (!CountFailedRead() && parts_.fields.repeat.load() && reader.Position() + kRepeatWindow > reader.Size()) {
      reader.Seek(0);
      Publish();
    }
    return Next::kTimingTail;
  }
  failures_ = 0;
  if (!reader.frameInfo().audio && !PassesChannelTest(length)) return Next::kTimingTail;
  return HandleFrame(length);
}

LocalPlayback::Next LocalPlayback::PlayReverse() {
  VvfReader& reader = parts_.reader;
  const double speed = parts_.fields.speed.load();
  if (speed >= kSkipSpeed && framesSinceSkip_ >= kSkipEveryFrames) {
    const std::uint64_t distance = static_cast<std::uint64_t>(speed) * kSkipBytesPerSpeed;
    if (reader.Position() > distance) reader.Seek(reader.Position() - distance);
    framesSinceSkip_ = 0;
  }
  const std::uint32_t length = reader.ReadPrev(frame_.get());
  Publish();
  if (length == 0) {
    // No repeat backwards; the start of the source pauses after five tries.
    CountFailedRead();
    return Next::kNextPass;
  }
  failures_ = 0;
  // Sound is never played backwards.
  if (reader.frameInfo().audio || !PassesChannelTest(length)) return Next::kTimingTail;
  return HandleFrame(length);
}

LocalPlayback::Next LocalPlayback::Step(bool forward) {
  VvfReader& reader = parts_.reader;
  const std::uint32_t length = forward ? reader.ReadNext(frame_.get()) : reader.ReadPrev(frame_.get());
  Publish();
  if (length == 0) {
    set_state(kStatePaused);
    return Next::kTimingTail;
  }
  // Audio and empty dual pictures are passed over; the next pass reads on.
  if (reader.frameInfo().audio || !PassesChannelTest(length)) return Next::kTimingTail;
  set_state(kStatePaused);
  return HandleFrame(length);
}

LocalPlayback::Next LocalPlayback::SeekToTarget() {
  VvfReader& reader = parts_.reader;
  reader.SetSeekTarget(parts_.fields.seekTarget.load());
  const std::uint32_t length = reader.ReadAtTarget(frame_.get());
  Publish();
  set_state(kStatePaused);
  return length != 0 ? HandleFrame(length) : Next::kTimingTail;
}

bool LocalPlayback::PassesChannelTest(std::uint32_t length) {
  VideoDecoder& decoder = parts_.decoder.decoder();
  if (!decoder.ParseHeader(frame_.get(), length)) return true;  // refused later, in frame handling
  return !(decoder.dualPicture() && decoder.leftEmpty() && decoder.rightEmpty());
}

bool LocalPlayback::CountFailedRead() {
  if (++failures_ < kFailuresBeforePause) return false;
  set_state(kStatePaused);
  failures_ = 0;
  return true;
}

bool LocalPlayback::Reading() const {
  const int current = state();
  return current != kStateIdle && current != kStatePaused;
}

LocalPlayback::Next LocalPlayback::HandleFrame(std::uint32_t length) {
  const FrameInfo& info = parts_.reader.frameInfo();
  if (info.audio && parts_.fields.speed.load() == 1.0 && state() == kStateForward) {
    PlayAudio(length);
    // QM_QMC recordings carry one sound track per channel; the AVI takes the first.
    if (parts_.fields.aviActive.load() &&
        (parts_.videoFormat != FormatVariant::QM_QMC || info.channel == 0)) {
      parts_.avi.WriteAudio(frame_.get(), static_cast<int>(length));
    }
    // The time spent waiting for the ring is charged to the next video frame.
    return Next::kNextPass;
  }
  ++framesSinceSkip_;
  const ChannelDecoder::Outcome outcome = parts_.decoder.Decode(frame_.get(), length);
  if (!outcome.decoded) return Next::kTimingTail;
  parts_.fields.framePeriodUs.store(FramePeriodUs(parts_.decoder.decoder().Height(), parts_.videoFormat));
  for (int i = 0; i < outcome.shownCount; ++i) {
    const ChannelDecoder::Shown& shown = outcome.shown[static_cast<std::size_t>(i)];
    parts_.view.ShowPicture(shown.channel, info.time, shown.picture->data(), static_cast<int>(shown.picture->width()),
                            static_cast<int>(shown.picture->height()));
  }
  return Next::kTimingTail;
}

void LocalPlayback::PlayAudio(std::uint32_t length) {
  PlaybackFields& fields = parts_.fields;
  // Sound plays only while this frame would still be played at normal speed;
  // a command, the stop or a cleared running flag abandons the block.
  const auto stillPlaying = [&] {
    return parts_.running() && !fields.commandEvent.IsSet() && fields.speed.load() == 1.0 &&
           state() == kStateForward;
  };
  // Payloads larger than the audio buffer are decoded and written in pieces.
  const bool accepted = parts_.audioDecoder.DecodeInChunks(
      std::span<const std::uint8_t>(frame_.get(), length), std::span<std::uint8_t>(audio_.get(), kAudioOutBytes),
      [&](std::span<const std::uint8_t> pcm) {
        return parts_.audioOut.WriteWhile(pcm, stillPlaying, &parts_.stopEvent);
      });
  if (accepted) frameStartTick_ -= kAudioCreditMs;
}

void LocalPlayback::TimingTail() {
  PlaybackFields& fields = parts_.fields;
  // The frame clock wraps at 32 bits; the difference survives the wrap.
  const std::uint32_t elapsed = TickDifference(frameStartTick_, TickCountMs());
  const int current = state();
  if (current == kStateForward || current == kStateReverse) {
    const std::uint32_t target =
        FrameTargetMs(parts_.reader.frameInfo().interval, fields.framePeriodUs.load(), fields.speed.load());
    const std::uint32_t sleep = PacingSleepMs(target, elapsed);
    // A command or the stop cuts the sleep short and is handled at once.
    if (sleep != 0) WaitForEvents(sleep);
  }
  frameStartTick_ = 0;
}

bool LocalPlayback::WaitForEvents(std::uint32_t ms) {
  const std::array<Event*, 2> events{&parts_.stopEvent, &parts_.fields.commandEvent};
  return Event::WaitAny(events, std::chrono::milliseconds(ms)) != Event::kTimedOut;
}

void LocalPlayback::Publish() {
  CalendarTime time;
  const bool valid = parts_.reader.GetBlockTime(time);
  parts_.fields.PublishBlockTime(valid, time);
  parts_.fields.position.store(parts_.reader.Position());
}

}  // namespace tavrix
