#include "net/net_client.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "media/frame_limits.h"
#include "net/control_message.h"
#include "net/dynamic_ip_message.h"
#include "platform/tick_clock.h"

namespace tavrix {
namespace {

// The longest login reply the client reads: header and the refusal reason.
constexpr std::size_t kLoginReplySize = 16;
using LoginReply = std::array<std::uint8_t, kLoginReplySize>;

const char* LoginRefusalText(std::uint16_t reason) {
  switch (reason) {
    case 1:
      return "Too many client.";
    case 2:
      return "Incorrect password.";
    case 3:
      return "Bad network";
    default:
      return "Unkown error.";
  }
}

// One login reply, its declared length in `total`. A longer reply than the
// client reads is consumed to its end (through `scratch`), so that the stream
// after it starts on a message boundary. Four bytes tell a reply that is no
// control message (kFailed); the rest is not waited for then.
SocketWait ReceiveLoginReply(TcpSocket& socket, LoginReply& reply, std::size_t& total,
                             std::chrono::steady_clock::time_point deadline, Event& stop,
                             std::span<std::uint8_t> scratch) {
  SocketWait wait = socket.ReceiveExactly({reply.data(), 4}, deadline, stop);
  if (wait == SocketWait::kReady && !IsControlStart(reply.data())) return SocketWait::kFailed;
  if (wait == SocketWait::kReady) wait = socket.ReceiveExactly({reply.data() + 4, 4}, deadline, stop);
  if (wait != SocketWait::kReady) return wait;
  total = std::clamp<std::size_t>(ReadHexField(reply.data() + 4), dvr::kHeaderSize, 0xFFFF);
  wait = socket.ReceiveExactly({reply.data() + 8, std::min(total, kLoginReplySize) - 8}, deadline, stop);
  for (std::size_t left = total > kLoginReplySize ? total - kLoginReplySize : 0;
       left != 0 && wait == SocketWait::kReady;) {
    const std::size_t chunk = std::min(left, scratch.size());
    wait = socket.ReceiveExactly(scratch.first(chunk), deadline, stop);
    left -= chunk;
  }
  return wait;
}

std::chrono::steady_clock::time_point DeadlineAfter(std::uint32_t milliseconds) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

// True once the 32-bit tick `now` has reached `due`, across a wrap.
bool TickReached(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

}  // namespace

NetClient::NetClient() : receiveBuffer_(std::make_unique<std::uint8_t[]>(kMaxFrameBytes)) {}

NetClient::~NetClient() { Stop(); }

bool NetClient::ConfigureDirect(const std::string& address, std::uint16_t port, const std::string& password) {
  if (password.size() > kMaxPasswordBytes) {
    SetError("The password is longer than 31 bytes.");
    return false;
  }
  useDynamicIp_ = false;
  dvrAddress_ = address;
  dvrPort_ = port;
  password_ = password;
  return true;
}

bool NetClient::ConfigureDynamicIp(const std::string& serverAddress, std::uint16_t serverPort,
                                   const std::string& dvrName, const std::string& password) {
  if (password.size() > kMaxPasswordBytes) {
    SetError("The password is longer than 31 bytes.");
    return false;
  }
  if (dvrName.size() > dynamic_ip::kNameSize) {
    SetError("The DVR name is longer than 8 bytes.");
    return false;
  }
  useDynamicIp_ = true;
  nameServerAddress_ = serverAddress;
  nameServerPort_ = serverPort;
  dvrName_ = dvrName;
  password_ = password;
  return true;
}

std::string NetClient::LastErrorText() const {
  std::lock_guard lock(infoMutex_);
  return lastError_;
}

std::array<std::uint16_t, 5> NetClient::statusWords() const {
  std::lock_guard lock(infoMutex_);
  return statusWords_;
}

void NetClient::SetError(std::string text) {
  std::lock_guard lock(infoMutex_);
  lastError_ = std::move(text);
}

void NetClient::Post(NetNotification notification) {
  if (receiver_ != nullptr) receiver_->Notify(notification);
}

int NetClient::SendKey(std::uint8_t code) {
  const ControlMessage message = KeyCommand(code);
  std::lock_guard lock(sendMutex_);
  if (!loggedIn_.load()) return 0;
  return dvrSocket_.SendAll(message.bytes()) ? 1 : 0;
}

bool NetClient::SendControl(std::span<const std::uint8_t> message) {
  std::lock_guard lock(sendMutex_);
  return dvrSocket_.SendAll(message);
}

void NetClient::DropConnection() {
  std::lock_guard lock(sendMutex_);
  loggedIn_.store(false);
  dvrSocket_.ShutdownAndClose();
}

int NetClient::Run() {
  dvrSocketLeft_ = false;
  nameServerSocketLeft_ = false;
  lastData_ = TickCountMs();
  nextMouse_ = lastData_;
  while (running() && !stopEvent().IsSet()) {
    if (useDynamicIp_ && !nameResolved_) {
      const StepResult result = ResolveDvrAddress();
      if (result == StepResult::kFailed) break;
      if (result != StepResult::kDone) continue;
    }
    if (!loggedIn_.load()) {
      const StepResult result = ConnectAndLogIn();
      if (result == StepResult::kFailed) break;
      if (result != StepResult::kDone) continue;
    }
    SendMouseReportIfDue();
    if (TickDifference(lastData_, TickCountMs()) > timeout()) {
      DropConnection();
      stopEvent().Wait(std::chrono::milliseconds(kReconnectPauseMs));
      continue;
    }
    ReceiveStream();
  }

  if (loggedIn_.load()) SendControl(LogoutMessage().bytes());
  DropConnection();
  nameResolved_ = false;
  state_.store(ConnectionState::kIdle);
  return 1;
}

NetClient::StepResult NetClient::Connect(TcpSocket& socket, const std::string& address, std::uint16_t port,
                                         bool& socketLeft) {
  connectAttempts_.fetch_add(1);
  std::string error;
  SocketWait connected = SocketWait::kFailed;
  if (socketLeft) {
    // The try after a failed connect only gets rid of that attempt.
    socketLeft = false;
    error = "Already Connected";
  } else {
    connected = socket.Connect(address, port, std::chrono::milliseconds(timeout()), stopEvent(), error);
    if (connected == SocketWait::kStopped) return StepResult::kStopped;
    if (connected == SocketWait::kReady) return StepResult::kDone;
    socketLeft = true;
  }
  SetError(error);
  state_.store(ConnectionState::kIdle);
  stopEvent().Wait(std::chrono::milliseconds(kConnectRetryMs));
  return StepResult::kRetry;
}

NetClient::StepResult NetClient::ResolveDvrAddress() {
  state_.store(ConnectionState::kConnectingNameServer);
  TcpSocket socket;
  if (const StepResult connected = Connect(socket, nameServerAddress_, nameServerPort_, nameServerSocketLeft_);
      connected != StepResult::kDone) {
    return connected;
  }

  state_.store(ConnectionState::kQueryingNameServer);
  const auto query = dynamic_ip::BuildQuery(dvrName_);
  std::array<std::uint8_t, dynamic_ip::kReplySize> reply{};
  std::string failure = "DDNS LOGIN ERROR";
  SocketWait received = SocketWait::kFailed;
  if (socket.SendAll(query)) {
    // A reply whose first four bytes are not the magic fails without
    // waiting for the rest.
    const auto deadline = DeadlineAfter(timeout());
    received = socket.ReceiveExactly({reply.data(), 4}, deadline, stopEvent());
    if (received == SocketWait::kReady && std::memcmp(reply.data(), dynamic_ip::kMagic, 4) == 0) {
      received = socket.ReceiveExactly({reply.data() + 4, reply.size() - 4}, deadline, stopEvent());
    }
  } else {
    failure = std::strerror(errno);
  }
  socket.ShutdownAndClose();
  if (received == SocketWait::kStopped) return StepResult::kStopped;
  if (received == SocketWait::kReady) {
    if (const auto answer = dynamic_ip::ParseReply(reply)) {
      dvrAddress_ = answer->address;
      dvrPort_ = answer->port;
      nameResolved_ = true;
      state_.store(ConnectionState::kNameResolved);
      lastData_ = TickCountMs();
      return StepResult::kDone;
    }
  }
  if (received == SocketWait::kTimedOut) failure = "No response from server.";
  SetError(failure);
  state_.store(ConnectionState::kIdle);
  Post(NetNotification::kLoginFailed);
  return StepResult::kFailed;
}

NetClient::StepResult NetClient::ConnectAndLogIn() {
  state_.store(ConnectionState::kConnectingDvr);
  TcpSocket socket;
  if (const StepResult connected = Connect(socket, dvrAddress_, dvrPort_, dvrSocketLeft_);
      connected != StepResult::kDone) {
    return connected;
  }
  {
    std::lock_guard lock(sendMutex_);
    dvrSocket_ = std::move(socket);
  }

  state_.store(ConnectionState::kLoggingIn);
  const StepResult result = Login();
  if (result != StepResult::kDone) {
    DropConnection();
    if (result == StepResult::kFailed) {
      state_.store(ConnectionState::kIdle);
      Post(NetNotification::kLoginFailed);
    }
    return result;
  }
  // Half an element of an earlier connection must not join this stream.
  cutter_.Reset();
  loggedIn_.store(true);
  state_.store(ConnectionState::kOnline);
  lastData_ = TickCountMs();
  return StepResult::kDone;
}

NetClient::StepResult NetClient::Login() {
  if (!SendControl(LoginRequest(password_).bytes())) {
    SetError(std::strerror(errno));
    return StepResult::kFailed;
  }
  // Pending replies do not extend the time limit: it counts from the request.
  const auto deadline = DeadlineAfter(timeout());
  for (;;) {
    LoginReply reply{};
    std::size_t total = 0;
    const SocketWait wait =
        ReceiveLoginReply(dvrSocket_, reply, total, deadline, stopEvent(), {receiveBuffer_.get(), kMaxFrameBytes});
    if (wait == SocketWait::kStopped) return StepResult::kStopped;
    if (wait == SocketWait::kTimedOut) {
      SetError("No response from server.");
      return StepResult::kFailed;
    }
    if (wait != SocketWait::kReady) {
      SetError("LOGIN ERROR");
      return StepResult::kFailed;
    }
    switch (ReadHexField(reply.data() + 8)) {
      case dvr::kLoginPending:
        continue;
      case dvr::kLoginAccepted:
        return StepResult::kDone;
      case dvr::kLoginRefused:
      case dvr::kLoginRefusedOther:
        SetError(LoginRefusalText(total >= kLoginReplySize ? ReadHexField(reply.data() + 12) : 0));
        return StepResult::kFailed;
      default:
        SetError("LOGIN ERROR");
        return StepResult::kFailed;
    }
  }
}

void NetClient::SendMouseReportIfDue() {
  const int mode = mouseMode_.load();
  if (mouseReport_ == nullptr || mode == 0) return;
  const std::uint32_t now = TickCountMs();
  if (!TickReached(now, nextMouse_)) return;
  const auto report = mouseReport_->TakePending();
  if (!report) return;
  const std::int32_t buttons = report->buttons + (mode == 2 ? 0x100 : 0);
  SendControl(MouseCommand(static_cast<std::uint16_t>(buttons), static_cast<std::uint16_t>(report->viewWidth),
                           static_cast<std::uint16_t>(report->viewHeight), static_cast<std::uint16_t>(report->x),
                           static_cast<std::uint16_t>(report->y))
                  .bytes());
  nextMouse_ = now + kMouseIntervalMs;
}

void NetClient::ReceiveStream() {
  receivePasses_.fetch_add(1);
  const auto deadline = std::chrono::steady_clock::now() + TcpSocket::kPollSlice;
  if (dvrSocket_.WaitReadable(deadline, stopEvent()) != SocketWait::kReady) return;
  const long received = dvrSocket_.ReceiveSome({receiveBuffer_.get(), kMaxFrameBytes});
  if (received > 0) {
    cutter_.Feed({receiveBuffer_.get(), static_cast<std::size_t>(received)});
    lastData_ = TickCountMs();
  } else if (received == 0 || received == -2) {
    // A closed or reset connection is left to the silence check; pause so
    // that a socket which stays readable is not polled in a tight loop.
    stopEvent().Wait(std::chrono::milliseconds(kClosedPollPauseMs));
  }
}

void NetClient::OnVideoFrame(const FrameRecord& frame) { videoQueue_.Push(frame); }

void NetClient::OnAudioBlock(const FrameRecord& block) { audioQueue_.Push(block); }

void NetClient::OnControlMessage(std::span<const std::uint8_t> message) {
  // Fields are read only as far as the message declared and delivered them.
  if (message.size() < dvr::kHeaderSize) return;
  const std::uint8_t* bytes = message.data();
  switch (ReadHexField(bytes + 8)) {
    case dvr::kStatusWord:
      if (message.size() < 16) return;
      {
        std::lock_guard lock(infoMutex_);
        statusWords_[4] = ReadHexField(bytes + 12);
      }
      Post(NetNotification::kStatus);
      break;
    case dvr::kStatusReport:
      if (message.size() < 32) return;
      {
        std::lock_guard lock(infoMutex_);
        for (int i = 0; i < 5; ++i) statusWords_[i] = ReadHexField(bytes + 12 + 4 * i);
      }
      Post(NetNotification::kStatus);
      break;
    case dvr::kServerClosed:
      Post(NetNotification::kServerClosed);
      break;
    default:
      break;
  }
}

}  // namespace tavrix
