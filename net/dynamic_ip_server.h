#pragma once
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "net/dynamic_ip_message.h"
#include "net/tcp_socket.h"
#include "platform/worker_thread.h"

namespace tavrix {

// The dynamic-IP server side: answers a DVR name with the address and port
// registered for it. Unknown names, and the faulty modes, get no valid reply.
class DynamicIpServer : public WorkerThread {
 public:
  enum class Answer { kNormal, kWrongMagic, kSilent };

  explicit DynamicIpServer(std::string address = "127.0.0.1", std::uint16_t port = 0);
  DynamicIpServer(const DynamicIpServer&) = delete;
  DynamicIpServer& operator=(const DynamicIpServer&) = delete;
  ~DynamicIpServer() override;

  void Register(const std::string& dvrName, const dynamic_ip::Address& address);
  void SetAnswer(Answer answer);
  bool Open(std::string& error);
  std::uint16_t port() const { return port_; }
  int queries() const;

 protected:
  int Run() override;

 private:
  void Serve(TcpSocket& client);

  std::string address_;
  std::uint16_t requestedPort_;
  std::uint16_t port_ = 0;
  TcpSocket listener_;
  mutable std::mutex mutex_;
  std::map<std::string, dynamic_ip::Address> table_;
  Answer answer_ = Answer::kNormal;
  int queries_ = 0;
};

}  // namespace tavrix
