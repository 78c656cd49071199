#include <atomic>
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

// Tells the user what the connection does, one line each.
class NotificationPrinter : public NetNotificationReceiver {
 public:
  void Notify(NetNotification notification) override {
    if (notification == NetNotification::kServerClosed) {
      std::fprintf(stderr, "tavrix record: the DVR closed the session; reconnecting\n");
    } else if (notification == NetNotification::kLoginFailed) {
      loginFailed.store(true);
    }
  }
  std::atomic<bool> loginFailed{false};
};

}  // namespace

int RunRecord(const std::vector<std::string>& args) {
  const Arguments arguments(
      args, {"ip", "port", "password-file", "password-env", "ddns", "name", "out", "seconds", "timeout"}, {});
  arguments.ExpectPositionalCount(0);
  InterruptWait interrupt;
  const std::string password = ReadPassword(arguments);
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

  bool announced = false;
  interrupt.Wait(seconds, [&] {
    if (!announced && client.state() == ConnectionState::kOnline) {
      std::fprintf(stderr, "tavrix record: logged in\n");
      announced = true;
    }
    return client.IsThreadAlive();
  });
  client.Stop();
  stream.Stop();
  const std::string writeError = recorder.LastError();

  const auto& counters = stream.counters();
  if (printer.loginFailed.load()) {
    std::filesystem::remove(path);
    std::fprintf(stderr, "tavrix record: login failed: %s\n", client.LastErrorText().c_str());
    return 1;
  }
  if (!writeError.empty()) {
    std::fprintf(stderr, "tavrix record: the recording stopped: %s\n", writeError.c_str());
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
