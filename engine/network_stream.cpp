#include "engine/network_stream.h"

#include <chrono>
#include <span>
#include <string>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "codec/channel_decoder.h"
#include "engine/decoded_picture_view.h"
#include "engine/engine_reporter.h"
#include "engine/picture_sink.h"
#include "net/frame_queue.h"
#include "net/stream_cutter.h"
#include "storage/vvf_writer.h"

namespace tavrix {
namespace {

constexpr int kNtscPeriodUs = 33333;
constexpr int kPalPeriodUs = 25000;

}  // namespace

NetworkStream::NetworkStream(Parts parts, Event& stopEvent, std::function<bool()> running)
    : parts_(parts),
      stopEvent_(stopEvent),
      running_(std::move(running)),
      video_(FrameRecord::kMaxCapacity, FrameRecord::kVideo),
      audio_(StreamCutter::kAudioCapacity, FrameRecord::kAudio),
      audioOut_(std::make_unique<std::uint8_t[]>(kAudioOutBytes)) {}

bool NetworkStream::KeepGoing() const { return running_() && !stopEvent_.IsSet(); }

int NetworkStream::Run() {
  parts_.audioOut.Start();
  Event* events[] = {&stopEvent_, &parts_.videoQueue.dataEvent(), &parts_.audioQueue.dataEvent()};
  while (running_()) {
    const int signalled = Event::WaitAny(events, std::chrono::milliseconds(kIdleServiceMs));
    if (signalled == 0) break;
    if (signalled == 1) {
      HandleVideo();
    } else if (signalled == 2) {
      HandleAudio();
    } else {
      parts_.audioOut.Service();
    }
  }
  // The recording ends with the connection, and the last sound must not
  // play on in a loop.
  if (parts_.recorder.IsRecording()) {
    const bool closed = parts_.recorder.Stop();
    if (parts_.reports != nullptr) {
      parts_.reports->CaptureEnded(EngineObserver::Capture::LocalRecording, closed,
                                   closed ? "the local recording ended with the live stream"
                                          : "the local recording ended with the live stream, but its last block "
                                            "could not be written: " + parts_.recorder.LastError());
    }
  }
  parts_.audioOut.Silence();
  return 1;
}

void NetworkStream::HandleVideo() {
  if (!parts_.videoQueue.Pop(video_)) return;
  ++counters_.videoFrames;
  const auto length = static_cast<std::uint32_t>(video_.length());
  const ChannelDecoder::Outcome outcome = parts_.decoder.Decode(video_.payload(), length);
  // A frame that does not decode is shown nowhere and recorded nowhere.
  if (!outcome.decoded) return;
  ++counters_.decodedFrames;
  const VideoDecoder& header = parts_.decoder.decoder();
  parts_.fields.framePeriodUs.store(header.Height() == 224 ? kNtscPeriodUs : kPalPeriodUs);
  if (parts_.sink != nullptr) {
    for (int i = 0; i < outcome.shownCount; ++i) {
      parts_.sink->OnPicture(outcome.shown[i].channel, ViewOfPicture(*outcome.shown[i].picture), video_.time);
    }
  }
  if (!parts_.recorder.IsRecording()) return;
  if (parts_.recorder.WriteVideo(video_.payload(), length)) {
    ++counters_.recordedFrames;
  } else {
    ReportEndedRecording();
  }
}

void NetworkStream::ReportEndedRecording() {
  VvfWriter& recorder = parts_.recorder;
  if (recorder.IsRecording() || parts_.reports == nullptr) return;
  const std::string error = recorder.LastError();
  // A recording the window stopped meanwhile has no error to tell.
  if (error.empty()) return;
  parts_.reports->CaptureEnded(EngineObserver::Capture::LocalRecording, false,
                               "the local recording stopped because its file could not be written: " + error);
}

void NetworkStream::HandleAudio() {
  if (!parts_.audioQueue.Pop(audio_)) return;
  ++counters_.audioBlocks;
  const std::span<const std::uint8_t> payload(audio_.payload(), static_cast<std::size_t>(audio_.length()));
  // A full ring waits, but never past a stop request.
  parts_.audioDecoder.DecodeInChunks(payload, {audioOut_.get(), kAudioOutBytes},
                                     [this](std::span<const std::uint8_t> pcm) {
                                       return parts_.audioOut.WriteWhile(pcm, [this] { return KeepGoing(); },
                                                                         &stopEvent_);
                                     });
  parts_.audioOut.Service();
  if (parts_.recorder.IsRecording() && !parts_.recorder.WriteAudio(payload.data(), payload.size())) {
    ReportEndedRecording();
  }
}

}  // namespace tavrix
