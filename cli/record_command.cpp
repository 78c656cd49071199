#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio/audio_out.h"
#include "cli/arguments.h"
#include "cli/live_options.h"
#include "codec/channel_decoder.h"
#include "engine/network_stream.h"
#include "net/control_message.h"
#include "net/net_client.h"
#include "storage/vvf_writer.h"

namespace tavrix::cli {
namespace {

// A message that a DVR may send over and over, counted on the client's
// thread and told on the main thread: the first time in full, then at most
// once a second with the number that came since.
class RepeatedMessage {
 public:
  RepeatedMessage(const char* first, const char* again) : first_(first), again_(again) {}

  void Count() { count_.fetch_add(1, std::memory_order_relaxed); }

  // final: the last report, which tells whatever is left.
  void Report(bool final) {
    const std::uint64_t count = count_.load(std::memory_order_relaxed);
    if (count == reported_) return;
    const auto now = std::chrono::steady_clock::now();
    if (reported_ == 0) {
      std::fprintf(stderr, "tavrix record: %s\n", first_);
      reported_ = 1;
      lastLine_ = now;
      if (count == 1) return;
    }
    if (!final && now - lastLine_ < std::chrono::seconds(1)) return;
    std::fprintf(stderr, "tavrix record: %s x %llu\n", again_, static_cast<unsigned long long>(count - reported_));
    reported_ = count;
    lastLine_ = now;
  }

 private:
  const char* first_;
  const char* again_;
  std::atomic<std::uint64_t> count_{0};
  std::uint64_t reported_ = 0;
  std::chrono::steady_clock::time_point lastLine_;
};

class NotificationPrinter : public NetNotificationReceiver {
 public:
  void Notify(NetNotification notification) override {
    if (notification == NetNotification::kServerClosed) {
      serverClosed.Count();
    } else if (notification == NetNotification::kLoginFailed) {
      loginFailed.store(true);
    }
  }
  std::atomic<bool> loginFailed{false};
  // The client does not act on it: the stream goes on while data comes.
  RepeatedMessage serverClosed{"the DVR sent a session-closed message but goes on sending; still recording",
                               "the DVR sent its session-closed message again"};
};

// Says when the connection is lost and made again, as the client really does
// it: after a silence, or when the DVR closes the connection.
class ConnectionReport {
 public:
  explicit ConnectionReport(const std::string& target) : target_(target) {}

  void Update(ConnectionState state) {
    const bool online = state == ConnectionState::kOnline;
    if (online == online_) return;
    if (online) {
      std::fprintf(stderr, "tavrix record: logged in%s\n", everOnline_ ? " again" : "");
      everOnline_ = true;
    } else {
      std::fprintf(stderr, "tavrix record: the connection to %s was lost; reconnecting\n", target_.c_str());
    }
    online_ = online;
  }

 private:
  std::string target_;
  bool online_ = false;
  bool everOnline_ = false;
};

}  // namespace

int RunRecord(const std::vector<std::string>& args) {
  const Arguments arguments(
      args, {"ip", "port", "password-file", "password-env", "ddns", "name", "out", "seconds", "timeout"}, {});
  arguments.ExpectPositionalCount(0);
  InterruptWait interrupt;
  const std::string password = ReadPassword(arguments, "record");
  if (password.size() > NetClient::kMaxPasswordBytes) throw UsageError("the password is longer than 31 bytes");
  const double seconds = arguments.Number("seconds", 0, 0, 1e9);
  const auto timeoutSeconds = arguments.Integer("timeout", 5, 1, 3600);
  const std::string path = FreePath(arguments.Require("out"));

  NotificationPrinter printer;
  NetClient client;
  client.SetTimeout(static_cast<std::uint32_t>(timeoutSeconds * 1000));
  client.SetNotificationReceiver(&printer);
  std::string target;
  if (const auto ddns = arguments.Value("ddns")) {
    if (arguments.Value("ip")) throw UsageError("give --ip or --ddns, not both");
    const auto [address, port] = ParseHostPort(*ddns, "ddns");
    const std::string name = arguments.Value("name").value_or("DVR000");
    if (!client.ConfigureDynamicIp(address, port, name, password)) throw UsageError(client.LastErrorText());
    target = name + " via " + *ddns;
  } else {
    const std::string address = ResolveIpv4(arguments.Require("ip"));
    const auto port = static_cast<std::uint16_t>(arguments.Integer("port", dvr::kDefaultPort, 1, 65535));
    if (!client.ConfigureDirect(address, port, password)) throw UsageError(client.LastErrorText());
    target = address + ":" + std::to_string(port);
  }

  VvfWriter recorder;
  recorder.Init(2, FormatVariant::QM_QMT2, 4);
  if (!recorder.Start(path)) throw std::runtime_error("cannot create " + path + ": " + recorder.LastError());
  ChannelDecoder decoder;
  decoder.SelectFormat(static_cast<int>(FormatVariant::QM_QMN));
  AudioDecoder audioDecoder;
  audioDecoder.Configure(AudioFormat::QM_ALAW, 8000, nullptr);
  AudioOut audioOut;  // not opened: recording needs no sound card
  PlaybackFields fields;

  NetworkStreamThread stream({client.videoQueue(), client.audioQueue(), decoder, audioDecoder, audioOut, nullptr,
                              recorder, fields});
  // The consumer runs before the first frame can arrive.
  if (stream.Start() < 0 || client.Start() < 0) throw std::runtime_error("cannot start the network threads");
  std::fprintf(stderr, "tavrix record: connecting to %s, recording to %s\n", target.c_str(), path.c_str());

  ConnectionReport connection(target);
  // A failed write has closed the recording: nothing after it would be kept.
  interrupt.Wait(seconds, [&] {
    connection.Update(client.state());
    printer.serverClosed.Report(false);
    return client.IsThreadAlive() && recorder.IsRecording();
  });
  client.Stop();
  stream.Stop();
  printer.serverClosed.Report(true);
  const std::string writeError = recorder.LastError();

  const auto& counters = stream.counters();
  if (printer.loginFailed.load()) {
    std::filesystem::remove(path);
    std::fprintf(stderr, "tavrix record: login failed: %s\n", client.LastErrorText().c_str());
    return 1;
  }
  if (!writeError.empty()) {
    std::fprintf(stderr, "tavrix record: %s (%s keeps what was written before)\n", writeError.c_str(), path.c_str());
    return 1;
  }
  if (counters.recordedFrames == 0) {
    std::filesystem::remove(path);
    std::fprintf(stderr, "tavrix record: no full picture arrived from %s; nothing was recorded\n", target.c_str());
    return 1;
  }
  std::printf("recorded %llu video frames (%llu received, %llu decoded) and %llu audio blocks to %s\n",
              static_cast<unsigned long long>(counters.recordedFrames.load()),
              static_cast<unsigned long long>(counters.videoFrames.load()),
              static_cast<unsigned long long>(counters.decodedFrames.load()),
              static_cast<unsigned long long>(counters.audioBlocks.load()), path.c_str());
  return 0;
}

}  // namespace tavrix::cli
