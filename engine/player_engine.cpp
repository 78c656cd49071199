#include "engine/player_engine.h"

#include "engine/local_playback.h"
#include "engine/network_stream.h"
#include "engine/playback_speed.h"
#include "engine/playback_state.h"

namespace tavrix {
namespace {

int SplitForChannels(int channelCount) {
  if (channelCount > 9) return 16;
  if (channelCount >= 5) return 9;
  if (channelCount >= 2) return 4;
  return 1;
}

}  // namespace

PlayerEngine::PlayerEngine(VideoSink& view, AudioOut::ErrorReporter audioErrors,
                           std::unique_ptr<AudioDevice> audioDevice)
    : view_(view), audioOut_(std::move(audioErrors), std::move(audioDevice)) {
  netClient_.SetMouseReport(&view_.mouseReport());
}

PlayerEngine::~PlayerEngine() {
  // Every wait of both loops ends on their stop events, so this returns
  // promptly; the members must outlive the threads that use them.
  StopThreads();
}

bool PlayerEngine::Create(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate) {
  if (!IsKnownFormatVariant(static_cast<int>(videoFormat))) return false;
  if (!IsKnownAudioFormat(static_cast<int>(audioFormat)) || audioRate <= 0) return false;
  StopThreads();
  splitCount_ = SplitForChannels(channelCount);
  videoFormat_ = videoFormat;
  audioFormat_ = audioFormat;
  audioRate_ = audioRate;
  view_.SetUseDirectDraw(false);
  reader_.SetFormatVariant(videoFormat);
  decoder_.SelectFormat(static_cast<int>(videoFormat));
  recorder_.Init(2, videoFormat, splitCount_);
  ReopenAudio();
  view_.SetChannelCount(1);
  view_.SetPlayerFlag(false);
  aviExporter_.SetFormats(videoFormat, audioFormat, channelCount, audioRate);
  return true;
}

void PlayerEngine::ReopenAudio() {
  WaveFormat format;
  audioDecoder_.Configure(audioFormat_, static_cast<std::uint32_t>(audioRate_), &format);
  audioOut_.Open(format);
}

int PlayerEngine::SetMode(int mode, int channelCount) {
  if (mode != kPlayerMode && mode != kClientMode) return 0;
  // The worker thread writes to the sound device, so it stops before the
  // device is reopened; only a live stream already running in client mode
  // goes on, with the device it has.
  const bool keepStream = mode == kClientMode && workerMode_.load() == kClientMode && IsThreadAlive();
  if (!keepStream) {
    StopThreads();
    ReopenAudio();
  }
  if (mode == kPlayerMode) {
    if (channelCount >= 1 && channelCount <= VideoSink::kMaxChannels) splitCount_ = channelCount;
    decoder_.SelectFormat(static_cast<int>(videoFormat_));
    view_.SetChannelCount(splitCount_);
    view_.SetPlayerFlag(true);
  } else {
    // A running stream already decodes the network layout.
    if (!keepStream) decoder_.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
    view_.SetChannelCount(1);
    view_.SetPlayerFlag(false);
  }
  view_.ClearPictures();
  mode_.store(mode);
  view_.SetMode(mode);
  return 1;
}

void PlayerEngine::StopWorker() {
  Stop();
  fields_.state.store(kStateIdle);
}

void PlayerEngine::StopThreads() {
  // The client first: it feeds the queues the stream thread empties.
  netClient_.Stop();
  StopWorker();
}

bool PlayerEngine::OpenSource(const std::string& path, bool isDisk) {
  if (mode_.load() != kPlayerMode) {
    lastError_ = "recordings play in player mode only";
    return false;
  }
  // The reader is the playback thread's while it runs.
  StopThreads();
  if (!reader_.Open(path, isDisk)) {
    lastError_ = reader_.LastError();
    return false;
  }
  lastError_.clear();
  fields_.position.store(0);
  fields_.PublishBlockTime(false, CalendarTime{});
  // A new recording: no channel's old picture may serve as a reference.
  decoder_.Reset();
  view_.ClearPictures();
  workerMode_.store(kPlayerMode);
  // Opening plays forwards at the speed the caller has set. The command is
  // stored before the thread starts, so a command given right after the
  // open is never overtaken by it.
  fields_.Post(kCommandForward);
  Start();
  return true;
}

int PlayerEngine::CloseSource() {
  // The reader stays open after a close; a live stream is not playback.
  if (reader_.IsOpen() && workerMode_.load() == kPlayerMode) StopWorker();
  return 1;
}

int PlayerEngine::Pause() {
  fields_.speed.store(SpeedAfterPause(fields_.speed.load()));
  fields_.Post(kCommandPause);
  return 1;
}

int PlayerEngine::PlayForward(double speed) {
  fields_.speed.store(SpeedForPlay(speed));
  fields_.Post(kCommandForward);
  return 1;
}

int PlayerEngine::PlayReverse(double speed) {
  fields_.speed.store(SpeedForPlay(speed));
  fields_.Post(kCommandReverse);
  return 1;
}

int PlayerEngine::FastForward() {
  fields_.speed.store(SpeedForFast(true, fields_.speed.load(), fields_.command.load(), fields_.state.load()));
  fields_.Post(kCommandForward);
  return 1;
}

int PlayerEngine::FastRewind() {
  fields_.speed.store(SpeedForFast(false, fields_.speed.load(), fields_.command.load(), fields_.state.load()));
  fields_.Post(kCommandReverse);
  return 1;
}

int PlayerEngine::StepForward() {
  fields_.Post(kCommandStepForward);
  return 1;
}

int PlayerEngine::StepBackward() {
  fields_.Post(kCommandStepBackward);
  return 1;
}

int PlayerEngine::Seek(std::uint64_t position) {
  fields_.seekTarget.store(position);
  fields_.Post(kCommandSeek);
  return 1;
}

int PlayerEngine::ConnectDirect(const std::string& address, std::uint16_t port, const std::string& password) {
  StopThreads();
  decoder_.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  if (!netClient_.ConfigureDirect(address, port, password)) {
    lastError_ = netClient_.LastErrorText();
    return 0;
  }
  return StartStream();
}

int PlayerEngine::ConnectDynamicIp(const std::string& server, std::uint16_t serverPort, const std::string& dvrName,
                                   const std::string& password) {
  StopThreads();
  decoder_.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  if (!netClient_.ConfigureDynamicIp(server, serverPort, dvrName, password)) {
    lastError_ = netClient_.LastErrorText();
    return 0;
  }
  return StartStream();
}

int PlayerEngine::StartStream() {
  lastError_.clear();
  workerMode_.store(kClientMode);
  Start();
  netClient_.Start();
  return 1;
}

int PlayerEngine::Disconnect() {
  StopThreads();
  return 1;
}

bool PlayerEngine::StartLocalRecording(const std::string& path) {
  if (recorder_.IsRecording()) recorder_.Stop();
  if (recorder_.Start(path)) return true;
  lastError_ = recorder_.LastError();
  return false;
}

int PlayerEngine::StopLocalRecording() {
  if (!recorder_.IsRecording()) return 0;
  recorder_.Stop();
  return 1;
}

bool PlayerEngine::GetBlockTime(CalendarTime& out) const {
  if (fields_.state.load() == kStateIdle) return false;
  return fields_.BlockTime(out);
}

int PlayerEngine::Run() {
  const auto running = [this] { return this->running(); };
  if (workerMode_.load() == kClientMode) {
    NetworkStream stream({netClient_.videoQueue(), netClient_.audioQueue(), decoder_, audioDecoder_, audioOut_, &view_,
                          recorder_, fields_},
                         stopEvent(), running);
    return stream.Run();
  }
  LocalPlayback playback({reader_, decoder_, audioDecoder_, audioOut_, aviExporter_, view_, fields_, stopEvent(),
                          running, videoFormat_});
  return playback.Run();
}

}  // namespace tavrix
