#include "net/dvr_simulator.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "net/control_message.h"
#include "net/md5.h"

namespace tavrix {
namespace {

constexpr std::size_t kMaxIncoming = 65536;
constexpr std::size_t kMaxClientMessage = 1024;
// Elements sent per pass when unpaced, so client messages are still read.
constexpr int kUnpacedBatch = 8;
// Copies of the flood message sent per pass, between the elements.
constexpr int kFloodBatch = 64;
// No 00 00 01 in it, so it can never be taken for a start code.
constexpr std::uint8_t kGarbage[] = {0x5A, 0x00, 0x02, 0x33, 0x01, 0xC4, 0xFF, 0x10};

std::string Hex(const char* format, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

DvrSimulator::DvrSimulator(Options options, std::unique_ptr<LiveStreamSource> source)
    : options_(std::move(options)), source_(std::move(source)) {
  incoming_.reserve(kMaxIncoming);
}

DvrSimulator::~DvrSimulator() { Stop(); }

bool DvrSimulator::Open(std::string& error) {
  if (!listener_.Listen(options_.address, options_.port, error)) return false;
  port_ = listener_.LocalPort();
  if (Start() < 0) {
    error = "cannot start the simulator's thread";
    listener_.Close();
    return false;
  }
  return true;
}

void DvrSimulator::SetStalled(bool stalled) {
  std::lock_guard lock(mutex_);
  stalled_ = stalled;
}

void DvrSimulator::SendServerClosed() {
  std::lock_guard lock(mutex_);
  closeRequested_ = true;
}

void DvrSimulator::Inject(std::vector<std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  injections_.push_back(std::move(bytes));
}

DvrSimulator::Log DvrSimulator::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool DvrSimulator::WaitFor(const std::function<bool(const Log&)>& condition, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return condition(log_); });
}

template <typename Change>
void DvrSimulator::UpdateLog(Change change) {
  {
    std::lock_guard lock(mutex_);
    change(log_);
  }
  changed_.notify_all();
}

void DvrSimulator::Note(const std::string& line) {
  if (lineSink_) lineSink_(line);
}

int DvrSimulator::Run() {
  while (running() && !stopEvent().IsSet()) {
    pollfd entries[2] = {{listener_.fd(), POLLIN, 0}, {client_.fd(), POLLIN, 0}};
    auto wait = TcpSocket::kPollSlice;
    if (streaming_ && options_.floodCode != 0) {
      wait = std::chrono::milliseconds(0);  // the flood goes on between frames
    } else if (streaming_ && options_.framesPerSecond > 0) {
      const auto untilFrame =
          std::chrono::duration_cast<std::chrono::milliseconds>(nextFrame_ - std::chrono::steady_clock::now());
      wait = std::clamp(untilFrame, std::chrono::milliseconds(0), wait);
    } else if (streaming_) {
      wait = std::chrono::milliseconds(0);
    }
    if (::poll(entries, client_.valid() ? 2 : 1, static_cast<int>(wait.count())) < 0) continue;
    if (entries[0].revents & POLLIN) AcceptClient();
    if (client_.valid() && (entries[1].revents & (POLLIN | POLLHUP | POLLERR))) ReadClient();
    if (client_.valid() && streaming_) SendStream();
  }
  EndSession();
  listener_.Close();
  return 0;
}

void DvrSimulator::AcceptClient() {
  TcpSocket accepted = listener_.Accept();
  if (!accepted.valid()) return;
  EndSession();
  client_ = std::move(accepted);
  const int on = 1;
  ::setsockopt(client_.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  UpdateLog([](Log& log) { ++log.connections; });
  Note("connection");
}

void DvrSimulator::ReadClient() {
  std::uint8_t buffer[4096];
  const long received = client_.ReceiveSome(buffer);
  if (received == -1) return;
  if (received <= 0 || incoming_.size() + static_cast<std::size_t>(received) > kMaxIncoming) {
    EndSession();
    return;
  }
  incoming_.insert(incoming_.end(), buffer, buffer + received);
  std::size_t at = 0;
  while (incoming_.size() - at >= 8) {
    if (!IsControlStart(incoming_.data() + at)) {
      ++at;  // find the next message
      continue;
    }
    const std::size_t total = ReadHexField(incoming_.data() + at + 4);
    if (total < dvr::kHeaderSize || total > kMaxClientMessage) {
      at += 4;
      continue;
    }
    if (incoming_.size() - at < total) break;
    HandleMessage(incoming_.data() + at, total);
    if (!client_.valid()) return;
    at += total;
  }
  incoming_.erase(incoming_.begin(), incoming_.begin() + static_cast<long>(at));
}

void DvrSimulator::HandleMessage(const std::uint8_t* message, std::size_t size) {
  const auto field = [&](std::size_t offset) -> std::uint16_t {
    return offset + 4 <= size ? ReadHexField(message + offset) : 0;
  };
  switch (field(8)) {
    case dvr::kLoginRequest:
      if (size >= 44) AnswerLogin(std::string(reinterpret_cast<const char*>(message + 12), 32));
      break;
    case dvr::kKeyCommand: {
      const auto key = static_cast<std::uint8_t>(field(12));
      UpdateLog([&](Log& log) { log.keys.push_back(key); });
      Note("key " + Hex("0x%02X", key));
      break;
    }
    case dvr::kMouseCommand: {
      const Log::Mouse mouse{field(12), field(16), field(20), field(24), field(28)};
      UpdateLog([&](Log& log) { log.mice.push_back(mouse); });
      Note("mouse buttons " + Hex("0x%X", mouse.buttons) + " at " + std::to_string(mouse.x) + "," +
           std::to_string(mouse.y) + " of " + std::to_string(mouse.viewWidth) + "x" +
           std::to_string(mouse.viewHeight));
      break;
    }
    case dvr::kLogout:
      UpdateLog([](Log& log) { ++log.logouts; });
      Note("logout");
      break;
    default:
      Note("unknown message " + Hex("0x%04X", field(8)));
      break;
  }
}

void DvrSimulator::AnswerLogin(const std::string& digest) {
  const bool accepted =
      options_.loginAnswer == LoginAnswer::kCheckPassword && digest == Md5HexUpper(options_.password);
  // Logged before the answer goes out, so whoever reads the answer finds it.
  UpdateLog([&](Log& log) {
    ++log.logins;
    log.loginDigests.push_back(digest);
    if (accepted) ++log.accepted;
  });
  Note(accepted ? "login accepted" : "login not accepted");
  for (int i = 0; i < options_.pendingReplies && client_.valid(); ++i) {
    const ControlMessage pending(dvr::kLoginPending, {});
    Send(pending.bytes().data(), pending.bytes().size());
  }
  switch (options_.loginAnswer) {
    case LoginAnswer::kCheckPassword: {
      const ControlMessage reply = accepted ? ControlMessage(dvr::kLoginAccepted, {})
                                            : ControlMessage(dvr::kLoginRefused, {}, "0002");
      Send(reply.bytes().data(), reply.bytes().size());
      break;
    }
    case LoginAnswer::kRefuse: {
      const ControlMessage reply(options_.refusalCode, {}, options_.refusalReason);
      Send(reply.bytes().data(), reply.bytes().size());
      break;
    }
    case LoginAnswer::kGarbage: {
      static constexpr std::uint8_t kReply[] = "HELLO, CLIENT";
      Send(kReply, sizeof kReply);
      break;
    }
    case LoginAnswer::kSilent:
      break;
  }
  if (accepted && client_.valid()) {
    streaming_ = true;
    nextFrame_ = std::chrono::steady_clock::now();
    if (options_.garbageBetweenElements) Send(kGarbage, sizeof kGarbage);
  }
}

void DvrSimulator::SendStream() {
  bool stalled = false;
  bool closeRequested = false;
  std::deque<std::vector<std::uint8_t>> injections;
  {
    std::lock_guard lock(mutex_);
    stalled = stalled_;
    closeRequested = std::exchange(closeRequested_, false);
    injections.swap(injections_);
  }
  for (const auto& bytes : injections) {
    if (!Send(bytes.data(), bytes.size())) return;
  }
  if (closeRequested) {
    const ControlMessage closed(dvr::kServerClosed, {});
    Send(closed.bytes().data(), closed.bytes().size());
    Note("server closed");
    EndSession();
    return;
  }
  if (options_.floodCode != 0) {
    const ControlMessage flood(options_.floodCode, {0, 0, 0, 0, 0});
    for (int i = 0; i < kFloodBatch; ++i) {
      if (!Send(flood.bytes().data(), flood.bytes().size())) return;
    }
  }
  const int sent = log().elementsSent;
  if (stalled || sourceEnded_ || (options_.stallAfterElements >= 0 && sent >= options_.stallAfterElements)) return;

  const bool paced = options_.framesPerSecond > 0;
  for (int batch = 0; client_.valid() && (paced || batch < kUnpacedBatch); ++batch) {
    if (paced && std::chrono::steady_clock::now() < nextFrame_) return;
    if (!source_->Next(element_)) {
      sourceEnded_ = true;
      Note("end of stream");
      return;
    }
    if (!SendElement(element_)) return;
    UpdateLog([](Log& log) { ++log.elementsSent; });
    if (element_.kind != LiveElement::Kind::kVideo) continue;
    ++videoFrames_;
    if (!SendStatusIfDue()) return;
    if (paced) {
      nextFrame_ += std::chrono::microseconds(static_cast<long>(1e6 / options_.framesPerSecond));
    }
  }
}

bool DvrSimulator::SendStatusIfDue() {
  if (options_.statusEvery <= 0 || videoFrames_ % options_.statusEvery != 0) return true;
  const auto count = static_cast<std::uint16_t>(videoFrames_);
  const ControlMessage status(dvr::kStatusReport, {1, 0, 0, 0, count});
  return Send(status.bytes().data(), status.bytes().size());
}

bool DvrSimulator::SendElement(const LiveElement& element) {
  // The element as it goes on the wire_, with any fault folded in.
  wire_.clear();
  if (options_.garbageBetweenElements) wire_.insert(wire_.end(), std::begin(kGarbage), std::end(kGarbage));
  const std::size_t start = wire_.size();
  if (element.kind == LiveElement::Kind::kAudio) {
    static constexpr std::uint8_t kAudioHeader[] = {0x00, 0x00, 0x01, 0xFA, 0x00, 0x00};
    wire_.insert(wire_.end(), std::begin(kAudioHeader), std::end(kAudioHeader));
    wire_.insert(wire_.end(), element.bytes.begin(), element.bytes.end());
  } else if (options_.controlInsideFrames && element.bytes.size() > 8) {
    const auto middle = element.bytes.begin() + static_cast<long>(element.bytes.size() / 2);
    const ControlMessage status(dvr::kStatusWord, {static_cast<std::uint16_t>(videoFrames_)});
    wire_.insert(wire_.end(), element.bytes.begin(), middle);
    wire_.insert(wire_.end(), status.bytes().begin(), status.bytes().end());
    wire_.insert(wire_.end(), middle, element.bytes.end());
  } else {
    wire_.insert(wire_.end(), element.bytes.begin(), element.bytes.end());
  }

  if (options_.resetAfterElements >= 0 && !resetDone_ && log().elementsSent >= options_.resetAfterElements) {
    // Half an element, then a reset instead of an orderly close.
    resetDone_ = true;
    Send(wire_.data(), start + (wire_.size() - start) / 2);
    const linger abort{1, 0};
    ::setsockopt(client_.fd(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    Note("connection reset mid-element");
    client_.Close();
    streaming_ = false;
    incoming_.clear();
    return false;
  }
  if (options_.splitStartCodes) {
    return Send(wire_.data(), start + 2) && Send(wire_.data() + start + 2, wire_.size() - start - 2);
  }
  return Send(wire_.data(), wire_.size());
}

bool DvrSimulator::Send(const std::uint8_t* bytes, std::size_t size) {
  if (client_.SendFully({bytes, size}, stopEvent())) return true;
  EndSession();
  return false;
}

void DvrSimulator::EndSession() {
  if (client_.valid()) Note("connection closed");
  client_.ShutdownAndClose();
  streaming_ = false;
  incoming_.clear();
}

}  // namespace tavrix
