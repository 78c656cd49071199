#include "net/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavrix {
namespace {

int OpenNonBlockingSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0); }

bool ParseAddress(const std::string& address, std::uint16_t port, sockaddr_in& out) {
  std::memset(&out, 0, sizeof out);
  out.sin_family = AF_INET;
  out.sin_port = htons(port);
  return ::inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

}  // namespace

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void TcpSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TcpSocket::ShutdownAndClose() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
  Close();
}

SocketWait TcpSocket::Connect(const std::string& address, std::uint16_t port, std::chrono::milliseconds timeout,
                              Event& stop, std::string& errorText) {
  Close();
  sockaddr_in destination{};
  if (!ParseAddress(address, port, destination)) {
    errorText = "Invalid IP address \"" + address + "\"";
    return SocketWait::kFailed;
  }
  fd_ = OpenNonBlockingSocket();
  if (fd_ < 0) {
    errorText = std::strerror(errno);
    return SocketWait::kFailed;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&destination), sizeof destination) != 0 &&
      errno != EINPROGRESS) {
    errorText = std::strerror(errno);
    Close();
    return SocketWait::kFailed;
  }
  const SocketWait wait = WaitFor(POLLOUT, deadline, stop);
  if (wait != SocketWait::kReady) {
    // A connect that never completed is a failed connect, not a connection.
    if (wait == SocketWait::kTimedOut) errorText = "Connection timed out";
    ShutdownAndClose();
    return wait == SocketWait::kStopped ? SocketWait::kStopped : SocketWait::kFailed;
  }
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
    errorText = std::strerror(error != 0 ? error : errno);
    Close();
    return SocketWait::kFailed;
  }
  return SocketWait::kReady;
}

bool TcpSocket::Listen(const std::string& address, std::uint16_t port, std::string& errorText) {
  Close();
  sockaddr_in local{};
  if (!ParseAddress(address, port, local)) {
    errorText = "Invalid IP address \"" + address + "\"";
    return false;
  }
  fd_ = OpenNonBlockingSocket();
  const int on = 1;
  if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || ::listen(fd_, 8) != 0) {
    errorText = std::strerror(errno);
    Close();
    return false;
  }
  return true;
}

std::uint16_t TcpSocket::LocalPort() const {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
  return ntohs(local.sin_port);
}

TcpSocket TcpSocket::Accept() {
  return TcpSocket(::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
}

bool TcpSocket::SendAll(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return false;
  const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  return sent == static_cast<ssize_t>(bytes.size());
}

bool TcpSocket::SendFully(std::span<const std::uint8_t> bytes, Event& stop) {
  while (!bytes.empty()) {
    if (fd_ < 0) return false;
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    if (WaitFor(POLLOUT, deadline, stop) != SocketWait::kReady) return false;
  }
  return true;
}

long TcpSocket::ReceiveSome(std::span<std::uint8_t> buffer) {
  if (fd_ < 0) return -2;
  const ssize_t received = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
  if (received >= 0) return static_cast<long>(received);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? -1 : -2;
}

SocketWait TcpSocket::ReceiveExactly(std::span<std::uint8_t> buffer, std::chrono::steady_clock::time_point deadline,
                                     Event& stop) {
  while (!buffer.empty()) {
    const long received = ReceiveSome(buffer);
    if (received > 0) {
      buffer = buffer.subspan(static_cast<std::size_t>(received));
      continue;
    }
    if (received == 0 || received == -2) return SocketWait::kFailed;
    const SocketWait wait = WaitReadable(deadline, stop);
    if (wait != SocketWait::kReady) return wait;
  }
  return SocketWait::kReady;
}

SocketWait TcpSocket::WaitReadable(std::chrono::steady_clock::time_point deadline, Event& stop) const {
  return WaitFor(POLLIN, deadline, stop);
}

SocketWait TcpSocket::WaitFor(short events, std::chrono::steady_clock::time_point deadline, Event& stop) const {
  for (;;) {
    if (stop.IsSet()) return SocketWait::kStopped;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return SocketWait::kTimedOut;
    pollfd entry{fd_, events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, kPollSlice).count()) + 0);
    if (ready < 0 && errno != EINTR) return SocketWait::kFailed;
    if (ready > 0) return SocketWait::kReady;
  }
}

}  // namespace tavrix
