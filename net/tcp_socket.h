#pragma once
#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include "platform/event.h"

namespace tavrix {

// How a wait on a socket ended.
enum class SocketWait { kReady, kTimedOut, kStopped, kFailed };

// An IPv4 TCP socket, non-blocking for its whole life, closed by its owner.
// Every wait polls in short slices and tests a stop event between them, so a
// stop request ends any wait within one slice.
class TcpSocket {
 public:
  static constexpr std::chrono::milliseconds kPollSlice{20};

  TcpSocket() = default;
  explicit TcpSocket(int fd) : fd_(fd) {}
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;
  ~TcpSocket() { Close(); }

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Connects within `timeout`. On failure the socket stays closed and
  // `errorText` says why; a stop request gives kStopped.
  SocketWait Connect(const std::string& address, std::uint16_t port, std::chrono::milliseconds timeout,
                     Event& stop, std::string& errorText);
  // Listens on address:port (port 0 picks a free one).
  bool Listen(const std::string& address, std::uint16_t port, std::string& errorText);
  // The local port of a bound socket.
  std::uint16_t LocalPort() const;
  // A pending connection, or an invalid socket.
  TcpSocket Accept();

  // One send of every byte, without blocking and without SIGPIPE: a peer that
  // has gone away or a full send buffer is a failed send.
  bool SendAll(std::span<const std::uint8_t> bytes);
  // Blocking send of every byte for servers (bounded by `stop`).
  bool SendFully(std::span<const std::uint8_t> bytes, Event& stop);
  // Reads what is there: the count, 0 when the peer closed, -1 when nothing
  // is ready yet, -2 on an error.
  long ReceiveSome(std::span<std::uint8_t> buffer);
  // Reads exactly buffer.size() bytes before `deadline`. kFailed when the
  // peer closed or failed first.
  SocketWait ReceiveExactly(std::span<std::uint8_t> buffer, std::chrono::steady_clock::time_point deadline,
                            Event& stop);
  // Waits for readability (or writability) until `deadline`.
  SocketWait WaitReadable(std::chrono::steady_clock::time_point deadline, Event& stop) const;

  void ShutdownAndClose();
  void Close();

 private:
  SocketWait WaitFor(short events, std::chrono::steady_clock::time_point deadline, Event& stop) const;

  int fd_ = -1;
};

}  // namespace tavrix
