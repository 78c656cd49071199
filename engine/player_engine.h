#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "engine/avi_capture.h"
#include "engine/engine_observer.h"
#include "engine/engine_reporter.h"
#include "engine/engine_services.h"
#include "engine/engine_types.h"
#include "engine/picture_sink.h"
#include "engine/playback_fields.h"
#include "media/mouse_report.h"
#include "net/net_client.h"
#include "platform/worker_thread.h"
#include "storage/vvf_reader.h"
#include "storage/vvf_writer.h"

namespace tavrix {

// The single media object: it owns the recording reader, the network client,
// the decoders, the AVI capture, the sound output, the local recorder and one
// worker thread, which plays a recording in player mode and the live stream
// in client mode.
//
// Threads. The facade is called from one thread, the window's or the CLI's.
// Playback commands only store a code (and a speed or position) and wake the
// worker thread, which carries them out between two frames; the facade never
// waits for them. What the engine reports arrives on its own threads, never
// on the caller's:
// - on the playback thread: the observer's OnStateChanged, OnEndOfSource,
//   OnPlaybackError and OnCaptureEnded (AVI), and the sink's OnPicture;
// - on the stream thread (client mode): the sink's OnPicture and
//   OnCaptureEnded (local recording);
// - on the network client's thread: OnNetNotification and
//   OnConnectionStateChanged.
// The sink's OnPicturesCleared is the exception: it is called on the caller's
// thread, from OpenSource, SetMode and the connects, before the thread that
// delivers the new pictures starts.
class PlayerEngine {
 public:
  using AviCaptureOptions = tavrix::AviCaptureOptions;

  static constexpr int kMaxSplit = 16;

  // The sink must outlive the engine. Sound goes to the SDL device unless
  // another device is given.
  explicit PlayerEngine(PictureSink& sink, AudioOut::ErrorReporter audioErrors = {},
                        std::unique_ptr<AudioDevice> audioDevice = {});
  ~PlayerEngine();
  PlayerEngine(const PlayerEngine&) = delete;
  PlayerEngine& operator=(const PlayerEngine&) = delete;

  // Where the reports go; nullptr for none. Set it before the first command.
  // Once it has returned the observer it replaced is not called any more, so
  // an observer may go away after removing itself. Nothing is reported once
  // the engine is being destroyed.
  void SetObserver(EngineObserver* observer) { reporter_.SetObserver(observer); }

  // Sets up the formats of the recorder: the video FormatVariant, the audio
  // format, the number of camera channels and the sample rate. False for a
  // video or audio format the system does not know, or a rate that is not
  // positive.
  bool Create(FormatVariant videoFormat, AudioFormat audioFormat, int channelCount, int audioRate);
  // Player or client mode; stops what runs first (a live stream already
  // running goes on when client mode is chosen again). A channel count of 1
  // to 16 becomes the split count in player mode; others keep it.
  CommandResult SetMode(EngineMode mode, int channelCount);
  EngineMode GetMode() const { return mode_.load(); }
  // The tiles the engine wants the view to lay out: the split count in player
  // mode, one in client mode.
  int GetSplitCount() const;

  // Opens a VVF file (or a DVR disk or disk image) and starts playing it
  // forwards at the current speed. Refused outside player mode or when it
  // cannot be opened; GetLastErrorText then says why too. A source with no
  // decodable picture opens, pauses at once and is reported to the observer.
  CommandResult OpenSource(const std::string& path, bool isDisk);
  // Stops playback (and an AVI capture); the source stays open in the reader.
  CommandResult CloseSource();

  // Playback commands, refused outside player mode and while no recording
  // plays.
  CommandResult Pause();
  CommandResult PlayForward(PlaybackSpeed speed);
  CommandResult PlayReverse(PlaybackSpeed speed);
  CommandResult FastForward();
  CommandResult FastRewind();
  CommandResult StepForward();
  CommandResult StepBackward();
  // Shows the first picture of the 4096-byte block that holds the byte
  // position, then pauses; refused at or beyond the end of the source.
  CommandResult Seek(std::uint64_t bytePosition);

  PlaybackState GetState() const { return fields_.state.load(); }
  PlaybackSpeed GetSpeed() const { return fields_.speed.load(); }
  void SetSpeed(PlaybackSpeed speed) { fields_.speed.store(speed); }
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
  // Grows each time the playback thread takes up a command.
  std::uint64_t GetCommandsTaken() const { return fields_.commandsTaken.load(); }
  // Why the last open, connect or local recording start failed.
  std::string GetLastErrorText() const { return lastError_; }
  // The worker thread runs (a recording plays or a live stream is shown).
  bool IsThreadAlive() const { return worker_.IsThreadAlive(); }

  // Client mode. A connection replaces any running one: both threads stop,
  // then the stream thread starts before the client's receive thread, so the
  // first live frame finds its consumer. Refused outside client mode, for an
  // empty address or port 0, and when the client refuses the settings.
  CommandResult ConnectDirect(const std::string& address, std::uint16_t port, const std::string& password);
  CommandResult ConnectDynamicIp(const std::string& server, std::uint16_t serverPort, const std::string& dvrName,
                                 const std::string& password);
  // Stops the client's thread, then the stream thread; a recording playing
  // in player mode goes on. Done also when nothing was connected.
  CommandResult Disconnect();
  bool IsConnected() const { return netClient_.IsLoggedIn(); }
  ConnectionState GetConnectionState() const { return netClient_.state(); }
  CommandResult SendKey(std::uint8_t code);
  void SetTimeout(std::uint32_t milliseconds) { netClient_.SetTimeout(milliseconds); }
  std::uint32_t GetTimeout() const { return netClient_.timeout(); }
  // Stored for the options dialog; nothing else reads it.
  void SetAutoReconnect(bool on) { autoReconnect_ = on; }
  bool GetAutoReconnect() const { return autoReconnect_; }
  // The view records the mouse actions over the live picture here; the
  // network client sends them to the DVR.
  MouseReport& mouseReport() { return mouseReport_; }
  // Records the live stream into a VVF file, closing any recording running;
  // client mode only.
  CommandResult StartLocalRecording(const std::string& path);
  CommandResult StopLocalRecording();
  bool IsLocalRecording() const { return recorder_.IsRecording(); }

  void SetVolume(std::uint32_t level) { audioOut_.SetVolume(level); }
  std::uint32_t GetVolume() const { return audioOut_.GetVolume(); }
  void SetMute(bool mute) { audioOut_.SetMute(mute); }
  bool GetMute() const { return audioOut_.GetMute(); }
  const AudioOut& GetAudioOut() const { return audioOut_; }

  // An AVI capture of what playback shows, in player mode: the playback
  // thread composes every picture it shows into frames of the given layout
  // and writes them at the recording's frame rate, with the sound it plays
  // at normal speed. It needs a picture shown first (for the frame size) and
  // ends with playback: on CloseSource, another OpenSource or a mode switch,
  // reported through OnCaptureEnded, and on destruction. The playback
  // commands are the caller's: a capture does not pause or play by itself.
  CommandResult StartAviCapture(const AviCaptureOptions& options);
  // Stops and closes the file whenever a capture runs, whatever else the
  // engine does; not ok when the file could not be completed or held no
  // picture (see AviCapture::Stop).
  CommandResult StopAviCapture() { return capture_.Stop(); }
  bool IsAviCapturing() const { return capture_.IsActive(); }

 private:
  int RunWorker();
  bool PlaybackRunning() const;
  CommandResult CheckPlayback() const;
  // Stops the worker thread; an AVI capture it ends is reported with the
  // reason (completing "the AVI capture ended because ...").
  void StopWorker(const char* reason);
  void StopThreads(const char* reason);
  void ReopenAudio();
  CommandResult StartStream();

  // Brought up before the members and taken down after them.
  EngineServices services_;
  VvfReader reader_;
  NetClient netClient_;
  ChannelDecoder decoder_;
  AviCapture capture_;
  PictureSink& sink_;
  AudioDecoder audioDecoder_;
  AudioOut audioOut_;
  VvfWriter recorder_;
  PlaybackFields fields_;
  EngineReporter reporter_;
  MouseReport mouseReport_;

  std::atomic<EngineMode> mode_{EngineMode::Client};
  // The loop the worker thread runs, read once when it starts.
  EngineMode workerMode_ = EngineMode::Player;
  bool sourceIsDisk_ = false;
  int splitCount_ = 4;
  FormatVariant videoFormat_ = FormatVariant::QM_QMT2;
  AudioFormat audioFormat_ = AudioFormat::QM_ALAW;
  int audioRate_ = 8000;
  bool autoReconnect_ = true;
  std::string lastError_;
  std::atomic<const char*> stopReason_{"playback stopped"};
  // Last: it is stopped before any member its body uses goes away.
  WorkerThread worker_;
};

}  // namespace tavrix
