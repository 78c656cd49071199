#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "engine/engine_services.h"
#include "engine/playback_fields.h"
#include "engine/video_sink.h"
#include "export/avi_exporter.h"
#include "net/net_client.h"
#include "platform/worker_thread.h"
#include "storage/vvf_reader.h"
#include "storage/vvf_writer.h"

namespace tavrix {

// The single media object: it owns the recording reader, the network client,
// the decoders, the AVI writer, the sound output, the local recorder and one
// worker thread,
// and drives the view it is given. The worker thread plays a recording in
// player mode and the live stream in client mode.
// Playback commands only store a code (and a speed or position) and wake the
// worker thread, which carries them out between two frames. The facade is
// called from one thread (the window's, or the CLI's main thread).
class PlayerEngine : public WorkerThread {
 public:
  enum Mode : int { kPlayerMode = 1, kClientMode = 2 };

  // The view must outlive the engine. Sound goes to the SDL device unless
  // another device is given.
  explicit PlayerEngine(VideoSink& view, AudioOut::ErrorReporter audioErrors = {},
                        std::unique_ptr<AudioDevice> audioDevice = {});
  ~PlayerEngine() override;

  // Sets up the formats of the recorder: the video FormatVariant (0..6), the
  // audio format code (1..6), the number of camera channels and the sample
  // rate. False for a video format or audio format the system does not know.
  bool Create(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate);
  // 1 player, 2 client; returns 0 and changes nothing for any other mode. A
  // channel count of 1 to 16 becomes the split count; others keep it.
  int SetMode(int mode, int channelCount);
  int GetMode() const { return mode_.load(); }

  // Opens a VVF file (or a DVR disk or disk image) and starts playing it
  // forwards at the current speed. False when it cannot be opened
  // (GetLastErrorText says why) or the engine is not in player mode.
  bool OpenSource(const std::string& path, bool isDisk);
  // Stops playback; the source stays open in the reader. Returns 1.
  int CloseSource();

  int Pause();
  int PlayForward(double speed);
  int PlayReverse(double speed);
  int FastForward();
  int FastRewind();
  int StepForward();
  int StepBackward();
  int Seek(std::uint64_t position);

  int GetState() const { return fields_.state.load(); }
  // Grows each time the playback thread takes up a command, so a caller can
  // tell when the state it reads follows its last command.
  std::uint64_t GetCommandsTaken() const { return fields_.commandsTaken.load(); }
  double GetSpeed() const { return fields_.speed.load(); }
  void SetSpeed(double speed) { fields_.speed.store(speed); }
  void SetRepeat(bool repeat) { fields_.repeat.store(repeat); }
  bool GetRepeat() const { return fields_.repeat.load(); }
  bool IsSourceOpen() const { return reader_.IsOpen(); }
  std::string GetSourceName() const { return reader_.SourceName(); }
  std::uint64_t GetSourceSize() const { return reader_.Size(); }
  // The reader's position as the playback thread last left it.
  std::uint64_t GetPosition() const { return fields_.position.load(); }
  // The time of the current block; false while nothing plays or before a
  // valid block time was read.
  bool GetBlockTime(CalendarTime& out) const;
  // The nominal time of one frame of what plays, in microseconds.
  int GetFramePeriodUs() const { return fields_.framePeriodUs.load(); }
  int GetSplitCount() const { return splitCount_; }
  const std::string& GetLastErrorText() const { return lastError_; }

  // Client mode. A connection replaces any running one: both threads stop,
  // then the stream thread starts before the client's receive thread, so the
  // first live frame finds its consumer. 0 (with GetLastErrorText) when the
  // client refuses the settings.
  int ConnectDirect(const std::string& address, std::uint16_t port, const std::string& password);
  int ConnectDynamicIp(const std::string& server, std::uint16_t serverPort, const std::string& dvrName,
                       const std::string& password);
  // Stops the client's thread, then the stream thread. Returns 1.
  int Disconnect();
  bool IsConnected() const { return netClient_.IsLoggedIn(); }
  ConnectionState GetConnectionState() const { return netClient_.state(); }
  int SendKey(std::uint8_t code) { return netClient_.SendKey(code); }
  void SetTimeout(std::uint32_t milliseconds) { netClient_.SetTimeout(milliseconds); }
  std::uint32_t GetTimeout() const { return netClient_.timeout(); }
  // Stored for the options dialog; nothing else reads it.
  void SetAutoReconnect(bool on) { autoReconnect_ = on; }
  bool GetAutoReconnect() const { return autoReconnect_; }
  // Where the client's notifications go (the window); none by default.
  void SetNotificationReceiver(NetNotificationReceiver* receiver) { netClient_.SetNotificationReceiver(receiver); }
  // Records the live stream into a VVF file, closing any recording running.
  bool StartLocalRecording(const std::string& path);
  int StopLocalRecording();
  bool IsLocalRecording() const { return recorder_.IsRecording(); }

  void SetVolume(std::uint32_t level) { audioOut_.SetVolume(level); }
  std::uint32_t GetVolume() const { return audioOut_.GetVolume(); }
  void SetMute(bool mute) { audioOut_.SetMute(mute); }
  bool GetMute() const { return audioOut_.GetMute(); }
  const AudioOut& GetAudioOut() const { return audioOut_; }

  bool SetSplit(int split, int page) { return view_.SetSplit(split, page); }
  void SetShowTime(bool show) { view_.SetShowTime(show); }
  bool GetShowTime() const { return view_.GetShowTime(); }
  void SetTimeFormat(const std::string& format) { view_.SetTimeFormat(format); }
  std::string GetTimeFormat() const { return view_.GetTimeFormat(); }
  void SetOsdFont(const OsdFont& font) { view_.SetOsdFont(font); }
  void SetOsdColours(std::uint32_t text, std::uint32_t outline) { view_.SetOsdColours(text, outline); }
  void SetUseDirectDraw(bool use) { view_.SetUseDirectDraw(use); }
  bool GetUseDirectDraw() const { return view_.GetUseDirectDraw(); }
  VideoSink& GetVideoView() { return view_; }

  // The AVI capture: the window opens and closes the writer and draws the
  // pictures into it; while the capture is active the playback thread adds
  // the sound it plays.
  AviExporter& GetAviExporter() { return aviExporter_; }
  void SetAviActive(bool active) { fields_.aviActive.store(active); }
  bool GetAviActive() const { return fields_.aviActive.load(); }

 protected:
  int Run() override;

 private:
  void StopWorker();
  void StopThreads();
  void ReopenAudio();
  int StartStream();

  // Brought up before the members and taken down after them.
  EngineServices services_;
  VvfReader reader_;
  NetClient netClient_;
  ChannelDecoder decoder_;
  AviExporter aviExporter_;
  VideoSink& view_;
  AudioDecoder audioDecoder_;
  AudioOut audioOut_;
  VvfWriter recorder_;
  PlaybackFields fields_;

  std::atomic<int> mode_{kClientMode};
  // The loop the worker thread runs, read once when it starts.
  std::atomic<int> workerMode_{0};
  int splitCount_ = 4;
  FormatVariant videoFormat_ = FormatVariant::QM_QMT2;
  AudioFormat audioFormat_ = AudioFormat::QM_ALAW;
  int audioRate_ = 8000;
  bool autoReconnect_ = true;
  std::string lastError_;
};

}  // namespace tavrix
