#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "media/mouse_report.h"
#include "net/connection_state.h"
#include "net/frame_queue.h"
#include "net/net_notification.h"
#include "net/stream_cutter.h"
#include "net/tcp_socket.h"
#include "platform/worker_thread.h"

namespace tavrix {

// Connects to a DVR (directly or through its dynamic-IP server), logs in,
// receives the live stream on its own thread, cuts it into the two frame
// queues, sends mouse reports and keys, watches for silence and reconnects.
class NetClient : public WorkerThread, private StreamCutterSink {
 public:
  static constexpr int kQueueBuffers = 16;
  static constexpr std::uint32_t kDefaultTimeoutMs = 5000;
  static constexpr std::size_t kMaxPasswordBytes = 31;
  static constexpr std::uint32_t kMouseIntervalMs = 250;
  static constexpr std::uint32_t kConnectRetryMs = 500;
  static constexpr std::uint32_t kReconnectPauseMs = 1000;
  static constexpr std::uint32_t kClosedPollPauseMs = 3;

  NetClient();
  NetClient(const NetClient&) = delete;
  NetClient& operator=(const NetClient&) = delete;
  ~NetClient() override;

  // Settings, before Start. False (with LastErrorText) for a password over
  // 31 bytes or a DVR name over 8 bytes, which the messages cannot carry.
  bool ConfigureDirect(const std::string& address, std::uint16_t port, const std::string& password);
  bool ConfigureDynamicIp(const std::string& serverAddress, std::uint16_t serverPort, const std::string& dvrName,
                          const std::string& password);
  // Notifications and state changes go there, on the client's thread.
  void SetNotificationReceiver(NetNotificationReceiver* receiver) { receiver_ = receiver; }
  void SetMouseReport(MouseReport* report) { mouseReport_ = report; }

  // Any time.
  void SetTimeout(std::uint32_t milliseconds) { timeoutMs_.store(milliseconds); }
  std::uint32_t timeout() const { return timeoutMs_.load(); }
  // 0 off, 1 on with the DVR's cursor hidden, 2 on with it shown.
  void SetMouseMode(int mode) { mouseMode_.store(mode); }
  ConnectionState state() const { return state_.load(); }
  bool IsLoggedIn() const { return loggedIn_.load(); }
  std::string LastErrorText() const;
  std::array<std::uint16_t, 5> statusWords() const;
  // How often the thread has tried to connect (to the DVR or the name
  // server), and how often it has waited for and read the DVR's stream. They
  // show that retries and a dead connection are paced rather than spun.
  std::uint64_t connectAttempts() const { return connectAttempts_.load(); }
  std::uint64_t receivePasses() const { return receivePasses_.load(); }

  // Sends a remote-control key; 0 when not logged in or the send failed.
  int SendKey(std::uint8_t code);

  FrameQueue& videoQueue() { return videoQueue_; }
  FrameQueue& audioQueue() { return audioQueue_; }

 protected:
  int Run() override;

 private:
  enum class StepResult { kDone, kRetry, kFailed, kStopped };

  // One connect step; a failure waits before the retry.
  StepResult Connect(TcpSocket& socket, const std::string& address, std::uint16_t port, bool& socketLeft);
  StepResult ResolveDvrAddress();
  StepResult ConnectAndLogIn();
  StepResult Login();
  void SendMouseReportIfDue();
  // Closes the DVR connection; the loop then logs in again.
  void DropConnection();
  void ReceiveStream();
  bool SendControl(std::span<const std::uint8_t> message);
  void SetError(std::string text);
  void Post(NetNotification notification);
  // Stores the state and tells the receiver when it changed.
  void SetState(ConnectionState state);

  void OnVideoFrame(const FrameRecord& frame) override;
  void OnAudioBlock(const FrameRecord& block) override;
  void OnControlMessage(std::span<const std::uint8_t> message) override;

  // Settings.
  std::string dvrAddress_;
  std::uint16_t dvrPort_ = 0;
  std::string password_;
  bool useDynamicIp_ = false;
  std::string nameServerAddress_;
  std::uint16_t nameServerPort_ = 0;
  std::string dvrName_;
  std::atomic<std::uint32_t> timeoutMs_{kDefaultTimeoutMs};
  std::atomic<int> mouseMode_{1};
  NetNotificationReceiver* receiver_ = nullptr;
  MouseReport* mouseReport_ = nullptr;

  // Run-time state. The DVR socket is replaced only under sendMutex_, so a
  // key sent from another thread never meets a closed descriptor.
  std::mutex sendMutex_;
  TcpSocket dvrSocket_;
  std::atomic<bool> loggedIn_{false};
  bool nameResolved_ = false;
  // Set by a failed connect, as if its socket were still open: the next try
  // fails with "Already Connected" and the one after starts afresh.
  bool dvrSocketLeft_ = false;
  bool nameServerSocketLeft_ = false;
  std::atomic<ConnectionState> state_{ConnectionState::kIdle};
  mutable std::mutex infoMutex_;
  std::string lastError_;
  std::array<std::uint16_t, 5> statusWords_{};
  std::uint32_t lastData_ = 0;
  std::uint32_t nextMouse_ = 0;
  std::atomic<std::uint64_t> connectAttempts_{0};
  std::atomic<std::uint64_t> receivePasses_{0};

  FrameQueue videoQueue_{kQueueBuffers, FrameRecord::kMaxCapacity};
  FrameQueue audioQueue_{kQueueBuffers, StreamCutter::kAudioCapacity};
  StreamCutter cutter_{*this};
  std::unique_ptr<std::uint8_t[]> receiveBuffer_;
};

}  // namespace tavrix
