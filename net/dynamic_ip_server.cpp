#include "net/dynamic_ip_server.h"

#include <array>
#include <chrono>

namespace tavrix {

DynamicIpServer::DynamicIpServer(std::string address, std::uint16_t port)
    : address_(std::move(address)), requestedPort_(port) {}

DynamicIpServer::~DynamicIpServer() { Stop(); }

void DynamicIpServer::Register(const std::string& dvrName, const dynamic_ip::Address& address) {
  std::lock_guard lock(mutex_);
  table_[dvrName] = address;
}

void DynamicIpServer::SetAnswer(Answer answer) {
  std::lock_guard lock(mutex_);
  answer_ = answer;
}

int DynamicIpServer::queries() const {
  std::lock_guard lock(mutex_);
  return queries_;
}

bool DynamicIpServer::Open(std::string& error) {
  if (!listener_.Listen(address_, requestedPort_, error)) return false;
  port_ = listener_.LocalPort();
  if (Start() < 0) {
    error = "cannot start the dynamic-IP server's thread";
    listener_.Close();
    return false;
  }
  return true;
}

int DynamicIpServer::Run() {
  while (running() && !stopEvent().IsSet()) {
    const auto deadline = std::chrono::steady_clock::now() + TcpSocket::kPollSlice;
    if (listener_.WaitReadable(deadline, stopEvent()) != SocketWait::kReady) continue;
    TcpSocket client = listener_.Accept();
    if (client.valid()) Serve(client);
  }
  listener_.Close();
  return 0;
}

void DynamicIpServer::Serve(TcpSocket& client) {
  std::array<std::uint8_t, dynamic_ip::kQuerySize> query{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  if (client.ReceiveExactly(query, deadline, stopEvent()) != SocketWait::kReady) return;
  const auto name = dynamic_ip::ParseQuery(query);
  Answer answer = Answer::kNormal;
  std::optional<dynamic_ip::Address> found;
  {
    std::lock_guard lock(mutex_);
    ++queries_;
    answer = answer_;
    if (name) {
      if (const auto it = table_.find(*name); it != table_.end()) found = it->second;
    }
  }
  if (answer == Answer::kSilent) {
    // Hold the connection open without a word until the client gives up.
    std::uint8_t ignored[64];
    while (client.WaitReadable(std::chrono::steady_clock::now() + std::chrono::seconds(30), stopEvent()) ==
               SocketWait::kReady &&
           client.ReceiveSome(ignored) > 0) {
    }
    return;
  }
  auto reply = found ? dynamic_ip::BuildReply(*found) : std::nullopt;
  if (!reply) reply = std::array<std::uint8_t, dynamic_ip::kReplySize>{};  // no magic: not registered
  if (answer == Answer::kWrongMagic) (*reply)[0] = 0;
  client.SendFully(*reply, stopEvent());
}

}  // namespace tavrix
