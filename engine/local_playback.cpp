#include "engine/local_playback.h"

#include <array>
#include <chrono>
#include <cmath>
#include <span>
#include <string>
#include <utility>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "engine/avi_capture.h"
#include "engine/decoded_picture_view.h"
#include "engine/engine_reporter.h"
#include "engine/frame_pacing.h"
#include "engine/picture_probe.h"
#include "engine/picture_sink.h"
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
  openError_ = ProbeSource();

  while (parts_.running()) {
    if (parts_.stopEvent.IsSet()) break;
    if (fields.commandEvent.IsSet()) {
      TakeCommand();
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
      case PlaybackState::Forward: next = PlayForward(); break;
      case PlaybackState::Reverse: next = PlayReverse(); break;
      case PlaybackState::StepForward: next = Step(true); break;
      case PlaybackState::StepBackward: next = Step(false); break;
      case PlaybackState::Seek: next = SeekToTarget(); break;
      default: break;
    }
    if (next == Next::kTimingTail) TimingTail();
  }

  set_state(PlaybackState::Idle);
  fields.commandEvent.Reset();
  // The ring would otherwise keep looping its last half second.
  parts_.audioOut.Silence();
  return 0;
}

std::optional<std::string> LocalPlayback::ProbeSource() {
  const std::string& name = parts_.reader.SourceName();
  const ProbeOutcome outcome = ProbeForPicture(name, parts_.sourceIsDisk, parts_.videoFormat, parts_.decoder,
                                               frame_.get(), parts_.stopEvent, kProbeBudgetMs);
  // Playback starts from black pictures, as after the open.
  parts_.decoder.Reset();
  if (outcome != ProbeOutcome::kNoPicture) return std::nullopt;
  return "no pictures found in " + name;
}

void LocalPlayback::TakeCommand() {
  PlaybackFields& fields = parts_.fields;
  // Reset before reading, so a command stored meanwhile signals again.
  fields.commandEvent.Reset();
  std::optional<PlaybackState> next = StateForCommand(fields.command.load());
  const bool openTaken = std::exchange(openPending_, false);
  if (openTaken && openError_) next = PlaybackState::Paused;
  if (next) {
    set_state(*next);
  } else {
    ReportState();  // the speed may have changed all the same
  }
  ++fields.commandsTaken;
  if (openTaken && openError_) parts_.reports.PlaybackError(*openError_);
}

void LocalPlayback::set_state(PlaybackState state) {
  parts_.fields.state.store(state);
  ReportState();
}

void LocalPlayback::ReportState() { parts_.reports.StateChanged(state(), parts_.fields.speed.load()); }

LocalPlayback::Next LocalPlayback::PlayForward() {
  VvfReader& reader = parts_.reader;
  const double speed = parts_.fields.speed.load().factor();
  if (speed >= kSkipSpeed && framesSinceSkip_ >= kSkipEveryFrames) {
    reader.Seek(reader.Position() + static_cast<std::uint64_t>(speed) * kSkipBytesPerSpeed);
    framesSinceSkip_ = 0;
  }
  const std::uint32_t length = reader.ReadNext(frame_.get());
  Publish();
  if (length == 0) {
    if (!CountFailedRead(true) && parts_.fields.repeat.load() && reader.Position() + kRepeatWindow > reader.Size()) {
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
  const double speed = parts_.fields.speed.load().factor();
  if (speed >= kSkipSpeed && framesSinceSkip_ >= kSkipEveryFrames) {
    const std::uint64_t distance = static_cast<std::uint64_t>(speed) * kSkipBytesPerSpeed;
    if (reader.Position() > distance) reader.Seek(reader.Position() - distance);
    framesSinceSkip_ = 0;
  }
  const std::uint32_t length = reader.ReadPrev(frame_.get());
  Publish();
  if (length == 0) {
    // No repeat backwards; the start of the source pauses after five tries.
    CountFailedRead(false);
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
    set_state(PlaybackState::Paused);
    return Next::kTimingTail;
  }
  // Audio and empty dual pictures are passed over; the next pass reads on.
  if (reader.frameInfo().audio || !PassesChannelTest(length)) return Next::kTimingTail;
  set_state(PlaybackState::Paused);
  return HandleFrame(length);
}

LocalPlayback::Next LocalPlayback::SeekToTarget() {
  VvfReader& reader = parts_.reader;
  reader.SetSeekTarget(parts_.fields.seekTarget.load());
  const std::uint32_t length = reader.ReadAtTarget(frame_.get());
  Publish();
  set_state(PlaybackState::Paused);
  return length != 0 ? HandleFrame(length) : Next::kTimingTail;
}

bool LocalPlayback::PassesChannelTest(std::uint32_t length) {
  VideoDecoder& decoder = parts_.decoder.decoder();
  if (!decoder.ParseHeader(frame_.get(), length)) return true;  // refused later, in frame handling
  return !(decoder.dualPicture() && decoder.leftEmpty() && decoder.rightEmpty());
}

bool LocalPlayback::CountFailedRead(bool forward) {
  if (++failures_ < kFailuresBeforePause) return false;
  failures_ = 0;
  set_state(PlaybackState::Paused);
  const VvfReader& reader = parts_.reader;
  const std::uint64_t position = reader.Position();
  const bool atEdge = forward ? position + kRepeatWindow > reader.Size() : position < kRepeatWindow;
  if (atEdge) {
    parts_.reports.EndOfSource();
  } else {
    parts_.reports.PlaybackError(reader.SourceName() + ": playback paused after " +
                                 std::to_string(kFailuresBeforePause) + " failed reads in a row, at byte " +
                                 std::to_string(position) + " of " + std::to_string(reader.Size()));
  }
  return true;
}

bool LocalPlayback::Reading() const {
  const PlaybackState current = state();
  return current != PlaybackState::Idle && current != PlaybackState::Paused;
}

LocalPlayback::Next LocalPlayback::HandleFrame(std::uint32_t length) {
  const FrameInfo& info = parts_.reader.frameInfo();
  if (info.audio && parts_.fields.speed.load() == PlaybackSpeed::Normal() && state() == PlaybackState::Forward) {
    PlayAudio(length);
    CaptureSound(length);
    // The time spent waiting for the ring is charged to the next video frame.
    return Next::kNextPass;
  }
  ++framesSinceSkip_;
  const ChannelDecoder::Outcome outcome = parts_.decoder.Decode(frame_.get(), length);
  if (!outcome.decoded) return Next::kTimingTail;
  const VideoDecoder& header = parts_.decoder.decoder();
  parts_.fields.framePeriodUs.store(FramePeriodUs(header.Height(), parts_.videoFormat));
  parts_.fields.pictureWidth.store(header.Width());
  parts_.fields.pictureHeight.store(header.Height());
  for (int i = 0; i < outcome.shownCount; ++i) {
    const ChannelDecoder::Shown& shown = outcome.shown[static_cast<std::size_t>(i)];
    parts_.sink.OnPicture(shown.channel, ViewOfPicture(*shown.picture), info.time);
    if (parts_.capture.IsActive()) {
      if (const auto ended = parts_.capture.AddPicture(shown.channel, info.time, *shown.picture)) {
        parts_.reports.CaptureEnded(EngineObserver::Capture::Avi, false, *ended);
      }
    }
  }
  return Next::kTimingTail;
}

void LocalPlayback::PlayAudio(std::uint32_t length) {
  PlaybackFields& fields = parts_.fields;
  // Sound plays only while this frame would still be played at normal speed;
  // a command, the stop or a cleared running flag abandons the block.
  const auto stillPlaying = [&] {
    return parts_.running() && !fields.commandEvent.IsSet() && fields.speed.load() == PlaybackSpeed::Normal() &&
           state() == PlaybackState::Forward;
  };
  // Payloads larger than the audio buffer are decoded and written in pieces.
  const bool accepted = parts_.audioDecoder.DecodeInChunks(
      std::span<const std::uint8_t>(frame_.get(), length), std::span<std::uint8_t>(audio_.get(), kAudioOutBytes),
      [&](std::span<const std::uint8_t> pcm) {
        return parts_.audioOut.WriteWhile(pcm, stillPlaying, &parts_.stopEvent);
      });
  if (accepted) frameStartTick_ -= kAudioCreditMs;
}

void LocalPlayback::CaptureSound(std::uint32_t length) {
  // QM_QMC recordings carry one sound track per channel; the AVI takes the first.
  if (!parts_.capture.IsActive()) return;
  if (parts_.videoFormat == FormatVariant::QM_QMC && parts_.reader.frameInfo().channel != 0) return;
  if (const auto ended = parts_.capture.AddSound(frame_.get(), static_cast<int>(length))) {
    parts_.reports.CaptureEnded(EngineObserver::Capture::Avi, false, *ended);
  }
}

void LocalPlayback::TimingTail() {
  PlaybackFields& fields = parts_.fields;
  // The frame clock wraps at 32 bits; the difference survives the wrap.
  const std::uint32_t elapsed = TickDifference(frameStartTick_, TickCountMs());
  const PlaybackState current = state();
  if (current == PlaybackState::Forward || current == PlaybackState::Reverse) {
    const std::uint32_t target = FrameTargetMs(parts_.reader.frameInfo().interval, fields.framePeriodUs.load(),
                                               fields.speed.load().factor());
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
  const VvfReader& reader = parts_.reader;
  CalendarTime time;
  const bool valid = reader.GetBlockTime(time);
  parts_.fields.PublishBlockTime(valid, time);
  parts_.fields.position.store(reader.Position());
  parts_.fields.blockChannelMask.store(reader.frameInfo().blockChannelMask);
  parts_.fields.blockInterval.store(reader.frameInfo().interval);
}

}  // namespace tavrix
