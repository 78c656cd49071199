#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/live_options.h"
#include "net/control_message.h"
#include "net/dvr_simulator.h"
#include "net/dynamic_ip_server.h"
#include "net/generated_live_source.h"
#include "net/vvf_live_source.h"

namespace tavrix::cli {
namespace {

void Say(const std::string& line) {
  std::printf("dvr-sim: %s\n", line.c_str());
  std::fflush(stdout);
}

int ParseCount(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 1000000) {
    throw UsageError(what + " must be a whole number from 0 to 1000000");
  }
  return static_cast<int>(value);
}

void ApplyLogin(const std::string& login, DvrSimulator::Options& options) {
  using Answer = DvrSimulator::LoginAnswer;
  if (login == "accept") {
    options.loginAnswer = Answer::kCheckPassword;
  } else if (login == "garbage") {
    options.loginAnswer = Answer::kGarbage;
  } else if (login == "silent") {
    options.loginAnswer = Answer::kSilent;
  } else if (login.rfind("refuse:", 0) == 0 && login.size() == 11) {
    options.loginAnswer = Answer::kRefuse;
    options.refusalReason = login.substr(7);
  } else {
    throw UsageError("--login must be accept, garbage, silent or refuse:XXXX (four hexadecimal digits)");
  }
}

// Applies "garbage,split,control-inside,stall-after=N,reset-after=N,close-after=N,flood=CODE"
// (CODE: the message code as four hexadecimal digits);
// returns the seconds after which to send the server-closed message (0: never).
int ApplyFaults(const std::string& list, DvrSimulator::Options& options) {
  int closeAfter = 0;
  std::stringstream faults(list);
  std::string fault;
  while (std::getline(faults, fault, ',')) {
    const auto equals = fault.find('=');
    const std::string name = fault.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : fault.substr(equals + 1);
    if (name == "garbage" && value.empty()) {
      options.garbageBetweenElements = true;
    } else if (name == "split" && value.empty()) {
      options.splitStartCodes = true;
    } else if (name == "control-inside" && value.empty()) {
      options.controlInsideFrames = true;
    } else if (name == "stall-after") {
      options.stallAfterElements = ParseCount(value, "stall-after");
    } else if (name == "reset-after") {
      options.resetAfterElements = ParseCount(value, "reset-after");
    } else if (name == "flood") {
      char* end = nullptr;
      const unsigned long code = std::strtoul(value.c_str(), &end, 16);
      if (value.size() != 4 || *end != '\0' || code == 0) {
        throw UsageError("flood must name a message code as four hexadecimal digits, such as flood=000B");
      }
      options.floodCode = static_cast<std::uint16_t>(code);
    } else if (name == "close-after") {
      closeAfter = ParseCount(value, "close-after");
    } else {
      throw UsageError("unknown fault '" + fault + "'");
    }
  }
  return closeAfter;
}

std::unique_ptr<LiveStreamSource> MakeSource(const Arguments& arguments, double framesPerSecond) {
  if (const auto path = arguments.Value("source")) {
    auto source = std::make_unique<VvfLiveSource>();
    std::string error;
    const int channel = static_cast<int>(arguments.Integer("channel", 0, 0, 15));
    if (!source->Open(*path, FormatVariant::QM_QMT2, channel, arguments.Flag("loop"), error)) {
      throw std::runtime_error(error);
    }
    return source;
  }
  GeneratedLiveSource::Options generated;
  generated.height = arguments.Flag("pal") ? 272 : 224;
  generated.framesPerSecond = framesPerSecond > 0 ? framesPerSecond : 25;
  generated.frames = static_cast<std::uint32_t>(arguments.Integer("frames", 0, 0, 100000000));
  return std::make_unique<GeneratedLiveSource>(generated);
}

}  // namespace

int RunDvrSim(const std::vector<std::string>& args) {
  const Arguments arguments(args,
                            {"source", "channel", "frames", "fps", "address", "port", "password-file",
                             "password-env", "login", "pending", "status-every", "faults", "ddns-port", "name",
                             "seconds"},
                            {"loop", "pal"});
  arguments.ExpectPositionalCount(0);

  DvrSimulator::Options options;
  options.address = arguments.Value("address").value_or("127.0.0.1");
  options.port = static_cast<std::uint16_t>(arguments.Integer("port", dvr::kDefaultPort, 0, 65535));
  options.password = ReadPassword(arguments, "dvr-sim");
  options.framesPerSecond = arguments.Number("fps", 25, 0, 1000);
  options.pendingReplies = static_cast<int>(arguments.Integer("pending", 0, 0, 100));
  options.statusEvery = static_cast<int>(arguments.Integer("status-every", 25, 0, 1000000));
  ApplyLogin(arguments.Value("login").value_or("accept"), options);
  const int closeAfter = ApplyFaults(arguments.Value("faults").value_or(""), options);
  const double seconds = arguments.Number("seconds", 0, 0, 1e9);
  const std::string name = arguments.Value("name").value_or("DVR000");
  if (name.size() > dynamic_ip::kNameSize) throw UsageError("--name must be at most 8 bytes");

  InterruptWait interrupt;
  DvrSimulator simulator(options, MakeSource(arguments, options.framesPerSecond));
  simulator.SetLineSink(Say);
  std::string error;
  if (!simulator.Open(error)) {
    throw std::runtime_error("cannot listen on " + options.address + ":" + std::to_string(options.port) + ": " +
                             error);
  }
  Say("DVR on " + options.address + ":" + std::to_string(simulator.port()));

  std::unique_ptr<DynamicIpServer> names;
  if (arguments.Value("ddns-port")) {
    names = std::make_unique<DynamicIpServer>(
        options.address, static_cast<std::uint16_t>(arguments.Integer("ddns-port", 0, 0, 65535)));
    names->Register(name, {options.address, simulator.port()});
    if (!names->Open(error)) throw std::runtime_error("cannot listen for dynamic-IP queries: " + error);
    Say("dynamic-IP server on " + options.address + ":" + std::to_string(names->port()) + " for " + name);
  }

  const auto always = [] { return true; };
  if (closeAfter > 0 && (seconds == 0 || closeAfter < seconds)) {
    if (interrupt.Wait(closeAfter, always)) return 0;
    simulator.SendServerClosed();
    interrupt.Wait(seconds > 0 ? seconds - closeAfter : 0, always);
  } else {
    interrupt.Wait(seconds, always);
  }
  return 0;
}

}  // namespace tavrix::cli
