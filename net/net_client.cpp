#include "net/net_client.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "media/frame_limits.h"
#include "net/control_message.h"
#include "net/dvr_notice.h"
#include "net/dynamic_ip_message.h"
#include "net/login_reply_reader.h"
#include "platform/tick_clock.h"

namespace tavrix {
namespace {

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

void NetClient::SetState(ConnectionState state) {
  if (state_.exchange(state) != state && receiver_ != nullptr) receiver_->ConnectionStateChanged(state);
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
  SetState(ConnectionState::kIdle);
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
  SetState(ConnectionState::kIdle);
  stopEvent().Wait(std::chrono::milliseconds(kConnectRetryMs));
  return StepResult::kRetry;
}

NetClient::StepResult NetClient::ResolveDvrAddress() {
  SetState(ConnectionState::kConnectingNameServer);
  TcpSocket socket;
  if (const StepResult connected = Connect(socket, nameServerAddress_, nameServerPort_, nameServerSocketLeft_);
      connected != StepResult::kDone) {
    return connected;
  }

  SetState(ConnectionState::kQueryingNameServer);
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
      SetState(ConnectionState::kNameResolved);
      lastData_ = TickCountMs();
      return StepResult::kDone;
    }
  }
  if (received == SocketWait::kTimedOut) failure = "No response from server.";
  SetError(failure);
  SetState(ConnectionState::kIdle);
  Post(NetNotification::kLoginFailed);
  return StepResult::kFailed;
}

NetClient::StepResult NetClient::ConnectAndLogIn() {
  SetState(ConnectionState::kConnectingDvr);
  TcpSocket socket;
  if (const StepResult connected = Connect(socket, dvrAddress_, dvrPort_, dvrSocketLeft_);
      connected != StepResult::kDone) {
    return connected;
  }
  {
    std::lock_guard lock(sendMutex_);
    dvrSocket_ = std::move(socket);
  }

  SetState(ConnectionState::kLoggingIn);
  const StepResult result = Login();
  if (result != StepResult::kDone) {
    DropConnection();
    if (result == StepResult::kFailed) {
      SetState(ConnectionState::kIdle);
      Post(NetNotification::kLoginFailed);
    }
    return result;
  }
  // Half an element of an earlier connection must not join this stream.
  cutter_.Reset();
  loggedIn_.store(true);
  SetState(ConnectionState::kOnline);
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
  LoginReplyReader reader;
  for (;;) {
    SocketWait wait = SocketWait::kReady;
    LoginReplyReader::Result result = LoginReplyReader::Result::kIncomplete;
    while (result == LoginReplyReader::Result::kIncomplete) {
      const std::size_t wanted = std::min(reader.Wanted(), kMaxFrameBytes);
      wait = dvrSocket_.ReceiveExactly({receiveBuffer_.get(), wanted}, deadline, stopEvent());
      if (wait != SocketWait::kReady) break;
      result = reader.Take({receiveBuffer_.get(), wanted});
    }
    if (wait == SocketWait::kStopped) return StepResult::kStopped;
    if (wait == SocketWait::kTimedOut) {
      SetError("No response from server.");
      return StepResult::kFailed;
    }
    if (wait != SocketWait::kReady) {
      SetError("LOGIN ERROR");
      return StepResult::kFailed;
    }
    switch (result) {
      case LoginReplyReader::Result::kPending:
        continue;
      case LoginReplyReader::Result::kAccepted:
        return StepResult::kDone;
      case LoginReplyReader::Result::kRefused:
        SetError(reader.RefusalText());
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
  const DvrNotice notice = ReadDvrNotice(message);
  if (notice.kind == DvrNotice::Kind::kServerClosed) {
    Post(NetNotification::kServerClosed);
    return;
  }
  if (notice.kind == DvrNotice::Kind::kNone) return;
  {
    std::lock_guard lock(infoMutex_);
    if (notice.kind == DvrNotice::Kind::kStatusReport) {
      statusWords_ = notice.words;
    } else {
      statusWords_[4] = notice.words[4];
    }
  }
  Post(NetNotification::kStatus);
}

}  // namespace tavrix
