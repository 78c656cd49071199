#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/live_stream_source.h"
#include "net/tcp_socket.h"
#include "platform/worker_thread.h"

namespace tavrix {

// A DVR on a TCP port: answers the login, then serves a live stream in the
// QM_QMN layout with sound and status messages, and logs the keys, mouse
// commands and logouts it receives. Faults can be asked for at any time. It
// serves one client at a time; a new connection replaces the old one.
class DvrSimulator : public WorkerThread {
 public:
  enum class LoginAnswer {
    kCheckPassword,  // accept the right password, refuse others (reason 2)
    kRefuse,         // refuse with refusalCode and refusalReason
    kGarbage,        // a reply without the control start code
    kSilent,         // no reply at all
  };

  struct Options {
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;  // 0: any free port (see port())
    std::string password;
    LoginAnswer loginAnswer = LoginAnswer::kCheckPassword;
    int pendingReplies = 0;  // "login pending" replies before the answer
    std::uint16_t refusalCode = 0x0002;
    std::string refusalReason = "0002";  // four characters, sent as they are
    double framesPerSecond = 25;         // pacing of video frames; 0 sends at once
    int statusEvery = 0;                 // a status report after every n-th frame
    bool controlInsideFrames = false;    // a status word in the middle of each frame
    bool garbageBetweenElements = false;
    bool splitStartCodes = false;        // start codes split across two writes
    int stallAfterElements = -1;         // stop sending (keep the socket) after n
    int resetAfterElements = -1;         // reset the connection mid-frame after n (once)
    std::uint16_t floodCode = 0;         // a control message of this code sent over and over (0: none)
  };

  // What the simulator has received, in order.
  struct Log {
    int connections = 0;
    int logins = 0;               // login requests answered
    std::vector<std::string> loginDigests;
    int accepted = 0;
    std::vector<std::uint8_t> keys;
    struct Mouse {
      std::uint16_t buttons, viewWidth, viewHeight, x, y;
    };
    std::vector<Mouse> mice;
    int logouts = 0;
    int elementsSent = 0;
  };

  // Called for every event worth a line ("key 0x1F", "logout", ...).
  using LineSink = std::function<void(const std::string& line)>;

  DvrSimulator(Options options, std::unique_ptr<LiveStreamSource> source);
  DvrSimulator(const DvrSimulator&) = delete;
  DvrSimulator& operator=(const DvrSimulator&) = delete;
  ~DvrSimulator() override;

  // Binds and starts serving; false with `error` when the port is taken.
  bool Open(std::string& error);
  std::uint16_t port() const { return port_; }
  void SetLineSink(LineSink sink) { lineSink_ = std::move(sink); }

  // Requests, carried out by the serving thread.
  void SetStalled(bool stalled);
  void SendServerClosed();
  // Sends these bytes into the stream as they are.
  void Inject(std::vector<std::uint8_t> bytes);

  Log log() const;
  // Waits until `condition` holds for the log or the time is up.
  bool WaitFor(const std::function<bool(const Log&)>& condition, std::chrono::milliseconds timeout) const;

 protected:
  int Run() override;

 private:
  void AcceptClient();
  void ReadClient();
  void HandleMessage(const std::uint8_t* message, std::size_t size);
  void AnswerLogin(const std::string& digest);
  void SendStream();
  bool SendElement(const LiveElement& element);
  // A status report after every statusEvery-th video frame; false when the send failed.
  bool SendStatusIfDue();
  bool Send(const std::uint8_t* bytes, std::size_t size);
  void EndSession();
  void Note(const std::string& line);
  template <typename Change>
  void UpdateLog(Change change);

  Options options_;
  std::unique_ptr<LiveStreamSource> source_;
  LineSink lineSink_;
  TcpSocket listener_;
  std::uint16_t port_ = 0;

  TcpSocket client_;
  bool streaming_ = false;
  std::vector<std::uint8_t> incoming_;
  LiveElement element_;
  std::vector<std::uint8_t> wire_;
  bool sourceEnded_ = false;
  std::chrono::steady_clock::time_point nextFrame_;
  int videoFrames_ = 0;
  bool resetDone_ = false;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  Log log_;
  bool stalled_ = false;
  bool closeRequested_ = false;
  std::deque<std::vector<std::uint8_t>> injections_;
};

}  // namespace tavrix
