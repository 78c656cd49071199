#include "engine/player_engine.h"

#include <cmath>

#include "engine/local_playback.h"
#include "engine/network_stream.h"
#include "engine/playback_command.h"
#include "engine/speed_rules.h"
#include "export/player_frame_rate.h"
#include "picture/view_layout.h"

namespace tavrix {
namespace {

int SplitForChannels(int channelCount) {
  if (channelCount > 9) return 16;
  if (channelCount >= 5) return 9;
  if (channelCount >= 2) return 4;
  return 1;
}

bool IsSplit(int split) { return split == 1 || split == 4 || split == 9 || split == 16; }

}  // namespace

PlayerEngine::PlayerEngine(PictureSink& sink, AudioOut::ErrorReporter audioErrors,
                           std::unique_ptr<AudioDevice> audioDevice)
    : sink_(sink),
      audioOut_(std::move(audioErrors), std::move(audioDevice)),
      worker_([this] { return RunWorker(); }) {
  netClient_.SetMouseReport(&mouseReport_);
  netClient_.SetNotificationReceiver(&reporter_);
}

PlayerEngine::~PlayerEngine() {
  // The observer is often the engine's owner, half destroyed by now.
  reporter_.SetObserver(nullptr);
  // Every wait of both loops ends on their stop events, so this returns
  // promptly; the members must outlive the threads that use them.
  StopThreads("the player shut down");
}

bool PlayerEngine::Create(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate) {
  if (!IsKnownFormatVariant(static_cast<int>(videoFormat))) return false;
  if (!IsKnownAudioFormat(static_cast<int>(audioFormat)) || audioRate <= 0) return false;
  StopThreads("the player was set up again");
  splitCount_ = SplitForChannels(channelCount);
  videoFormat_ = videoFormat;
  audioFormat_ = audioFormat;
  audioRate_ = audioRate;
  reader_.SetFormatVariant(videoFormat);
  decoder_.SelectFormat(static_cast<int>(videoFormat));
  recorder_.Init(2, videoFormat, splitCount_);
  ReopenAudio();
  capture_.SetFormats(videoFormat, audioFormat, channelCount, audioRate);
  return true;
}

void PlayerEngine::ReopenAudio() {
  WaveFormat format;
  audioDecoder_.Configure(audioFormat_, static_cast<std::uint32_t>(audioRate_), &format);
  audioOut_.Open(format);
}

CommandResult PlayerEngine::SetMode(EngineMode mode, int channelCount) {
  if (mode != EngineMode::Player && mode != EngineMode::Client) {
    return CommandResult::Refused("there is no mode " + std::to_string(static_cast<int>(mode)));
  }
  // The worker thread writes to the sound device, so it stops before the
  // device is reopened; only a live stream already running in client mode
  // goes on, with the device it has.
  const bool keepStream = mode == EngineMode::Client && workerMode_ == EngineMode::Client && worker_.IsThreadAlive();
  if (!keepStream) {
    StopThreads("the mode changed");
    ReopenAudio();
  }
  if (mode == EngineMode::Player) {
    if (channelCount >= 1 && channelCount <= kMaxSplit) splitCount_ = channelCount;
    decoder_.SelectFormat(static_cast<int>(videoFormat_));
  } else if (!keepStream) {
    // A running stream already decodes the network layout.
    decoder_.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  }
  sink_.OnPicturesCleared();
  mode_.store(mode);
  return CommandResult::Done();
}

int PlayerEngine::GetSplitCount() const { return mode_.load() == EngineMode::Client ? 1 : splitCount_; }

bool PlayerEngine::PlaybackRunning() const { return workerMode_ == EngineMode::Player && worker_.IsThreadAlive(); }

CommandResult PlayerEngine::CheckPlayback() const {
  if (mode_.load() != EngineMode::Player) return CommandResult::Refused("playback commands work in player mode only");
  if (!PlaybackRunning()) return CommandResult::Refused("no recording is open");
  return CommandResult::Done();
}

void PlayerEngine::StopWorker(const char* reason) {
  stopReason_.store(reason);
  worker_.Stop();
}

void PlayerEngine::StopThreads(const char* reason) {
  // The client first: it feeds the queues the stream thread empties.
  netClient_.Stop();
  StopWorker(reason);
}

CommandResult PlayerEngine::OpenSource(const std::string& path, bool isDisk) {
  if (mode_.load() != EngineMode::Player) {
    lastError_ = "recordings play in player mode only";
    return CommandResult::Refused(lastError_);
  }
  // The reader is the playback thread's while it runs.
  StopThreads("another recording was chosen");
  if (!reader_.Open(path, isDisk)) {
    lastError_ = reader_.LastError();
    return CommandResult::Refused(lastError_);
  }
  lastError_.clear();
  sourceIsDisk_ = isDisk;
  fields_.position.store(0);
  fields_.PublishBlockTime(false, CalendarTime{});
  fields_.pictureWidth.store(0);
  fields_.pictureHeight.store(0);
  // A new recording: no channel's old picture may serve as a reference.
  decoder_.Reset();
  sink_.OnPicturesCleared();
  workerMode_ = EngineMode::Player;
  // Opening plays forwards at the speed the caller has set. The command is
  // stored before the thread starts, so a command given right after the
  // open is never overtaken by it.
  fields_.Post(PlaybackCommand::Forward);
  if (worker_.Start() < 0) {
    lastError_ = "the playback thread could not be started";
    return CommandResult::Refused(lastError_);
  }
  return CommandResult::Done();
}

CommandResult PlayerEngine::CloseSource() {
  // The reader stays open after a close; a live stream is not playback.
  if (!PlaybackRunning()) return CommandResult::Refused("no recording is open");
  StopWorker("the recording was closed");
  return CommandResult::Done();
}

CommandResult PlayerEngine::Pause() {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  fields_.speed.store(SpeedAfterPause(fields_.speed.load()));
  fields_.Post(PlaybackCommand::Pause);
  return CommandResult::Done();
}

CommandResult PlayerEngine::PlayForward(PlaybackSpeed speed) {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  if (std::isnan(speed.factor())) return CommandResult::Refused("the speed is not a number");
  fields_.speed.store(SpeedForPlay(speed));
  fields_.Post(PlaybackCommand::Forward);
  return CommandResult::Done();
}

CommandResult PlayerEngine::PlayReverse(PlaybackSpeed speed) {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  if (std::isnan(speed.factor())) return CommandResult::Refused("the speed is not a number");
  fields_.speed.store(SpeedForPlay(speed));
  fields_.Post(PlaybackCommand::Reverse);
  return CommandResult::Done();
}

CommandResult PlayerEngine::FastForward() {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  fields_.speed.store(SpeedForFast(true, fields_.speed.load(), fields_.command.load(), fields_.state.load()));
  fields_.Post(PlaybackCommand::Forward);
  return CommandResult::Done();
}

CommandResult PlayerEngine::FastRewind() {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  fields_.speed.store(SpeedForFast(false, fields_.speed.load(), fields_.command.load(), fields_.state.load()));
  fields_.Post(PlaybackCommand::Reverse);
  return CommandResult::Done();
}

CommandResult PlayerEngine::StepForward() {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  fields_.Post(PlaybackCommand::StepForward);
  return CommandResult::Done();
}

CommandResult PlayerEngine::StepBackward() {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  fields_.Post(PlaybackCommand::StepBackward);
  return CommandResult::Done();
}

CommandResult PlayerEngine::Seek(std::uint64_t bytePosition) {
  if (CommandResult refused = CheckPlayback(); !refused) return refused;
  // The reader would keep its old target and show that picture again.
  if (bytePosition >= reader_.Size()) {
    return CommandResult::Refused("byte " + std::to_string(bytePosition) + " lies beyond the end of the recording (" +
                                  std::to_string(reader_.Size()) + " bytes)");
  }
  fields_.seekTarget.store(bytePosition);
  fields_.Post(PlaybackCommand::Seek);
  return CommandResult::Done();
}

bool PlayerEngine::GetBlockTime(CalendarTime& out) const {
  if (fields_.state.load() == PlaybackState::Idle) return false;
  return fields_.BlockTime(out);
}

CommandResult PlayerEngine::ConnectDirect(const std::string& address, std::uint16_t port,
                                          const std::string& password) {
  lastError_ = mode_.load() != EngineMode::Client ? "connections are made in client mode only"
               : address.empty()                    ? "no DVR address was given"
               : port == 0                          ? "port 0 is not a DVR port"
                                                    : "";
  if (!lastError_.empty()) return CommandResult::Refused(lastError_);
  StopThreads("a new connection was made");
  decoder_.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  if (!netClient_.ConfigureDirect(address, port, password)) {
    lastError_ = netClient_.LastErrorText();
    return CommandResult::Refused(lastError_);
  }
  return StartStream();
}

CommandResult PlayerEngine::ConnectDynamicIp(const std::string& server, std::uint16_t serverPort,
                                             const std::string& dvrName, const std::string& password) {
  lastError_ = mode_.load() != EngineMode::Client ? "connections are made in client mode only"
               : server.empty()                     ? "no dynamic-IP server was given"
               : serverPort == 0                    ? "port 0 is not a server port"
               : dvrName.empty()                    ? "no DVR name was given"
                                                    : "";
  if (!lastError_.empty()) return CommandResult::Refused(lastError_);
  StopThreads("a new connection was made");
  decoder_.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  if (!netClient_.ConfigureDynamicIp(server, serverPort, dvrName, password)) {
    lastError_ = netClient_.LastErrorText();
    return CommandResult::Refused(lastError_);
  }
  return StartStream();
}

CommandResult PlayerEngine::StartStream() {
  sink_.OnPicturesCleared();
  workerMode_ = EngineMode::Client;
  if (worker_.Start() < 0 || netClient_.Start() < 0) {
    StopThreads("the connection could not be started");
    lastError_ = "the threads of the connection could not be started";
    return CommandResult::Refused(lastError_);
  }
  return CommandResult::Done();
}

CommandResult PlayerEngine::Disconnect() {
  netClient_.Stop();
  if (workerMode_ == EngineMode::Client) StopWorker("the connection was closed");
  return CommandResult::Done();
}

CommandResult PlayerEngine::SendKey(std::uint8_t code) {
  if (!netClient_.IsLoggedIn()) return CommandResult::Refused("not connected to a DVR");
  if (netClient_.SendKey(code) == 0) return CommandResult::Refused("the key could not be sent to the DVR");
  return CommandResult::Done();
}

CommandResult PlayerEngine::StartLocalRecording(const std::string& path) {
  if (mode_.load() != EngineMode::Client) {
    lastError_ = "local recordings are made of the live picture, in client mode";
    return CommandResult::Refused(lastError_);
  }
  if (recorder_.IsRecording()) recorder_.Stop();
  if (!recorder_.Start(path)) {
    lastError_ = recorder_.LastError();
    return CommandResult::Refused(lastError_);
  }
  return CommandResult::Done();
}

CommandResult PlayerEngine::StopLocalRecording() {
  if (!recorder_.IsRecording()) return CommandResult::Refused("no local recording is running");
  if (!recorder_.Stop() && !recorder_.LastError().empty()) {
    return CommandResult::Refused("the local recording could not be completed: " + recorder_.LastError());
  }
  return CommandResult::Done();
}

CommandResult PlayerEngine::StartAviCapture(const AviCaptureOptions& options) {
  if (mode_.load() != EngineMode::Player) {
    return CommandResult::Refused("AVI capture is available in player mode only");
  }
  if (!PlaybackRunning()) return CommandResult::Refused("no recording is open");
  if (capture_.IsActive()) return CommandResult::Refused("an AVI capture is running already");
  const std::uint32_t width = fields_.pictureWidth.load();
  const std::uint32_t height = fields_.pictureHeight.load();
  if (width == 0 || height == 0) {
    return CommandResult::Refused("no picture has been shown yet, so the AVI picture size is not known");
  }
  if (options.path.empty()) return CommandResult::Refused("no file name was given for the AVI capture");
  const int channels = splitCount_;
  if (!IsSplit(options.split) || options.split > channels) {
    return CommandResult::Refused("a split of " + std::to_string(options.split) + " does not fit " +
                                  std::to_string(channels) + " channels");
  }
  if (options.page < 0 || options.page >= ViewLayout::PageCount(channels, options.split)) {
    return CommandResult::Refused("there is no page " + std::to_string(options.page) + " with a split of " +
                                  std::to_string(options.split));
  }
  AviFrameFormat format;
  format.width = static_cast<int>(width);
  format.height = 2 * static_cast<int>(height);
  format.frameRate =
      PlayerFrameRate(fields_.blockChannelMask.load(), fields_.blockInterval.load(), height, videoFormat_);
  format.channelCount = channels;
  return capture_.Start(options, format);
}

int PlayerEngine::RunWorker() {
  const auto running = [this] { return worker_.running(); };
  int result = 0;
  if (workerMode_ == EngineMode::Client) {
    NetworkStream stream({netClient_.videoQueue(), netClient_.audioQueue(), decoder_, audioDecoder_, audioOut_, &sink_,
                          recorder_, fields_, &reporter_},
                         worker_.stopEvent(), running);
    result = stream.Run();
  } else {
    LocalPlayback playback({reader_, decoder_, audioDecoder_, audioOut_, capture_, sink_, fields_, reporter_,
                            worker_.stopEvent(), running, videoFormat_, sourceIsDisk_});
    result = playback.Run();
  }
  // The next source or connection must never write into this capture's file.
  if (capture_.IsActive()) {
    const CommandResult closed = capture_.Stop();
    std::string message = std::string("the AVI capture ended because ") + stopReason_.load();
    if (!closed) message += "; " + closed.reason();
    reporter_.CaptureEnded(EngineObserver::Capture::Avi, closed.ok(), message);
  }
  return result;
}

}  // namespace tavrix
