#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>

#include "net/dynamic_ip_server.h"
#include "net/md5.h"
#include "tests/net/net_test_support.h"

namespace tavrix {
namespace {

using namespace std::chrono_literals;
using testing::NotificationLog;
using testing::OpenSimulator;
using testing::WaitUntil;
using Answer = DvrSimulator::LoginAnswer;

struct LoginCase {
  const char* name;
  Answer answer;
  int pendingReplies;
  std::uint16_t refusalCode;
  const char* refusalReason;
  const char* clientPassword;
  bool accepted;
  const char* errorText;
};

TEST(NetClientLogin, EveryOutcomeGivesItsStateAndText) {
  const LoginCase cases[] = {
      {"right password", Answer::kCheckPassword, 0, 0, "", "1234", true, ""},
      {"pending twice, then accepted", Answer::kCheckPassword, 2, 0, "", "1234", true, ""},
      {"wrong password", Answer::kCheckPassword, 1, 0, "", "4321", false, "Incorrect password."},
      {"too many clients", Answer::kRefuse, 0, 0x0002, "0001", "1234", false, "Too many client."},
      {"refused by the other code", Answer::kRefuse, 0, 0x0004, "0002", "1234", false, "Incorrect password."},
      {"bad network", Answer::kRefuse, 0, 0x0002, "0003", "1234", false, "Bad network"},
      {"unknown reason", Answer::kRefuse, 0, 0x0004, "0009", "1234", false, "Unkown error."},
      {"reason not hexadecimal", Answer::kRefuse, 0, 0x0002, "00G2", "1234", false, "Unkown error."},
      {"unknown reply code", Answer::kRefuse, 0, 0x0005, "0000", "1234", false, "LOGIN ERROR"},
      {"reply without start code", Answer::kGarbage, 0, 0, "", "1234", false, "LOGIN ERROR"},
      {"no reply", Answer::kSilent, 0, 0, "", "1234", false, "No response from server."},
      {"pending, then nothing", Answer::kSilent, 2, 0, "", "1234", false, "No response from server."},
  };
  for (const LoginCase& c : cases) {
    SCOPED_TRACE(c.name);
    DvrSimulator::Options options;
    options.password = "1234";
    options.loginAnswer = c.answer;
    options.pendingReplies = c.pendingReplies;
    options.refusalCode = c.refusalCode;
    options.refusalReason = c.refusalReason;
    auto simulator = OpenSimulator(options);
    ASSERT_TRUE(simulator);

    NotificationLog notifications;
    NetClient client;
    client.SetTimeout(400);
    client.SetNotificationReceiver(&notifications);
    ASSERT_TRUE(client.ConfigureDirect("127.0.0.1", simulator->port(), c.clientPassword));
    ASSERT_EQ(client.Start(), 1);
    if (c.accepted) {
      EXPECT_TRUE(WaitUntil([&] { return client.state() == ConnectionState::kOnline; }));
      EXPECT_TRUE(client.IsLoggedIn());
    } else {
      EXPECT_TRUE(notifications.WaitFor(NetNotification::kLoginFailed, 10s));
      EXPECT_TRUE(WaitUntil([&] { return !client.IsThreadAlive(); })) << "a refused login ends the thread";
      EXPECT_EQ(client.LastErrorText(), c.errorText);
      EXPECT_EQ(client.state(), ConnectionState::kIdle);
      EXPECT_FALSE(client.IsLoggedIn());
    }
    client.Stop();
    const auto log = simulator->log();
    ASSERT_EQ(log.loginDigests.size(), 1u) << "one attempt, no retry after an answer";
    EXPECT_EQ(log.loginDigests[0], Md5HexUpper(c.clientPassword)) << "only the digest travels";
  }
}

TEST(NetClientLogin, PasswordsAndNamesTheMessagesCannotCarryAreRefusedUpFront) {
  NetClient client;
  EXPECT_TRUE(client.ConfigureDirect("127.0.0.1", 1, std::string(31, 'p')));
  EXPECT_FALSE(client.ConfigureDirect("127.0.0.1", 1, std::string(32, 'p')));
  EXPECT_EQ(client.LastErrorText(), "The password is longer than 31 bytes.");
  EXPECT_TRUE(client.ConfigureDynamicIp("127.0.0.1", 1, "ABCDEFGH", ""));
  EXPECT_FALSE(client.ConfigureDynamicIp("127.0.0.1", 1, "ABCDEFGHI", ""));
  EXPECT_EQ(client.LastErrorText(), "The DVR name is longer than 8 bytes.");
}

TEST(NetClientLogin, DynamicIpServerLeadsToTheDvr) {
  DvrSimulator::Options options;
  auto simulator = OpenSimulator(options);
  ASSERT_TRUE(simulator);
  DynamicIpServer names;
  names.Register("DVR000", {"127.0.0.1", simulator->port()});
  std::string error;
  ASSERT_TRUE(names.Open(error)) << error;

  NetClient client;
  client.SetTimeout(2000);
  ASSERT_TRUE(client.ConfigureDynamicIp("127.0.0.1", names.port(), "DVR000", ""));
  ASSERT_EQ(client.Start(), 1);
  EXPECT_TRUE(WaitUntil([&] { return client.state() == ConnectionState::kOnline; }));
  EXPECT_EQ(simulator->log().accepted, 1);
  EXPECT_EQ(names.queries(), 1);
  client.Stop();
}

TEST(NetClientLogin, DynamicIpFailuresEndTheAttempt) {
  const struct {
    const char* name;
    DynamicIpServer::Answer answer;
    const char* dvrName;
    const char* errorText;
  } cases[] = {
      {"wrong magic", DynamicIpServer::Answer::kWrongMagic, "DVR000", "DDNS LOGIN ERROR"},
      {"name not registered", DynamicIpServer::Answer::kNormal, "OTHER", "DDNS LOGIN ERROR"},
      {"no reply", DynamicIpServer::Answer::kSilent, "DVR000", "No response from server."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DynamicIpServer names;
    names.Register("DVR000", {"127.0.0.1", 9});
    names.SetAnswer(c.answer);
    std::string error;
    ASSERT_TRUE(names.Open(error)) << error;
    NotificationLog notifications;
    NetClient client;
    client.SetTimeout(400);
    client.SetNotificationReceiver(&notifications);
    ASSERT_TRUE(client.ConfigureDynamicIp("127.0.0.1", names.port(), c.dvrName, ""));
    ASSERT_EQ(client.Start(), 1);
    EXPECT_TRUE(notifications.WaitFor(NetNotification::kLoginFailed, 10s));
    EXPECT_TRUE(WaitUntil([&] { return !client.IsThreadAlive(); }));
    EXPECT_EQ(client.LastErrorText(), c.errorText);
    client.Stop();
  }
}

// A peer that reads the client's first message, answers it with `reply`, and
// then keeps the connection open and silent.
class OneReplyPeer {
 public:
  OneReplyPeer(const OneReplyPeer&) = delete;
  OneReplyPeer& operator=(const OneReplyPeer&) = delete;
  explicit OneReplyPeer(std::vector<std::uint8_t> reply) {
    std::string error;
    listener_.Listen("127.0.0.1", 0, error);
    thread_ = std::thread([this, reply = std::move(reply)] {
      TcpSocket peer;
      while (!peer.valid() && !done_.IsSet()) {
        if (listener_.WaitReadable(std::chrono::steady_clock::now() + 20ms, done_) == SocketWait::kReady) {
          peer = listener_.Accept();
        }
      }
      std::uint8_t request[12];
      if (peer.ReceiveExactly(request, std::chrono::steady_clock::now() + 10s, done_) != SocketWait::kReady) return;
      peer.SendFully(reply, done_);
      done_.Wait(60s);
    });
  }
  ~OneReplyPeer() {
    done_.Set();
    thread_.join();
  }
  std::uint16_t port() const { return listener_.LocalPort(); }

 private:
  TcpSocket listener_;
  Event done_;
  std::thread thread_;
};

TEST(NetClientLogin, AShortReplyThatIsNoAnswerFailsWithoutWaitingForTheRest) {
  const struct {
    const char* name;
    bool dynamicIp;
    std::vector<std::uint8_t> reply;
    const char* errorText;
  } cases[] = {
      {"login reply without start code", false, {'H', 'I', '!', '!'}, "LOGIN ERROR"},
      {"dynamic-IP reply without magic", true, {0x55, 0xAA, 0x55, 0xAB}, "DDNS LOGIN ERROR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OneReplyPeer peer(c.reply);
    NotificationLog notifications;
    NetClient client;
    // Only the reply's own bytes can end the wait within the test.
    client.SetTimeout(600000);
    client.SetNotificationReceiver(&notifications);
    if (c.dynamicIp) {
      ASSERT_TRUE(client.ConfigureDynamicIp("127.0.0.1", peer.port(), "DVR000", ""));
    } else {
      ASSERT_TRUE(client.ConfigureDirect("127.0.0.1", peer.port(), ""));
    }
    ASSERT_EQ(client.Start(), 1);
    EXPECT_TRUE(notifications.WaitFor(NetNotification::kLoginFailed, 10s));
    EXPECT_EQ(client.LastErrorText(), c.errorText);
    client.Stop();
  }
}

// A loopback port that nothing listens on.
std::uint16_t ClosedPort() {
  TcpSocket probe;
  std::string error;
  if (!probe.Listen("127.0.0.1", 0, error)) return 0;
  return probe.LocalPort();  // closed when probe goes
}

// A listener whose accept queue is full: further connects never complete.
struct FullListener {
  TcpSocket listener;
  std::vector<TcpSocket> queued;

  FullListener() {
    std::string error;
    listener.Listen("127.0.0.1", 0, error);
    ::listen(listener.fd(), 0);
    Event never;
    for (int i = 0; i < 2; ++i) {
      TcpSocket filler;
      filler.Connect("127.0.0.1", port(), 500ms, never, error);
      queued.push_back(std::move(filler));
    }
  }
  std::uint16_t port() const { return listener.LocalPort(); }
};

TEST(NetClientConnect, ARefusedConnectIsRetriedWithoutSpinning) {
  const std::uint16_t port = ClosedPort();
  ASSERT_NE(port, 0);
  NotificationLog notifications;
  NetClient client;
  client.SetNotificationReceiver(&notifications);
  ASSERT_TRUE(client.ConfigureDirect("127.0.0.1", port, ""));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(client.Start(), 1);
  // A failed try is followed by one that only closes its socket, then by a
  // fresh one.
  EXPECT_TRUE(WaitUntil([&] { return client.LastErrorText() == "Connection refused"; }));
  EXPECT_TRUE(WaitUntil([&] { return client.LastErrorText() == "Already Connected"; }));
  EXPECT_TRUE(WaitUntil([&] { return client.LastErrorText() == "Connection refused"; }));
  ASSERT_TRUE(WaitUntil([&] { return client.connectAttempts() >= 3; }));
  const std::uint64_t attempts = client.connectAttempts();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  // Every try after the first waits out the retry pause; a tight loop would
  // have made thousands.
  EXPECT_LE(attempts, 1 + static_cast<std::uint64_t>(elapsed.count()) / NetClient::kConnectRetryMs)
      << "after " << elapsed.count() << " ms";
  EXPECT_TRUE(client.IsThreadAlive()) << "connect failures are retried";
  EXPECT_EQ(notifications.Count(NetNotification::kLoginFailed), 0);
  client.Stop();
  EXPECT_EQ(client.state(), ConnectionState::kIdle);
}

TEST(NetClientConnect, AConnectThatTimesOutIsAFailedConnectNotAFailedLogin) {
  FullListener full;
  NotificationLog notifications;
  NetClient client;
  client.SetTimeout(200);
  client.SetNotificationReceiver(&notifications);
  ASSERT_TRUE(client.ConfigureDirect("127.0.0.1", full.port(), ""));
  ASSERT_EQ(client.Start(), 1);
  EXPECT_TRUE(WaitUntil([&] { return client.LastErrorText() == "Connection timed out"; }));
  EXPECT_TRUE(WaitUntil([&] { return client.LastErrorText() == "Already Connected"; }));
  EXPECT_TRUE(client.IsThreadAlive());
  EXPECT_EQ(notifications.Count(NetNotification::kLoginFailed), 0);
  client.Stop();
}

TEST(NetClientConnect, StopEndsEveryWaitPromptly) {
  FullListener full;
  DvrSimulator::Options silentOptions;
  silentOptions.loginAnswer = Answer::kSilent;
  auto silent = testing::OpenSimulator(silentOptions);
  ASSERT_TRUE(silent);
  DvrSimulator::Options streamingOptions;
  auto streaming = testing::OpenSimulator(streamingOptions);
  ASSERT_TRUE(streaming);
  DynamicIpServer names;
  names.SetAnswer(DynamicIpServer::Answer::kSilent);
  std::string error;
  ASSERT_TRUE(names.Open(error));

  const struct {
    const char* name;
    std::function<void(NetClient&)> configure;
    ConnectionState waitingIn;
  } cases[] = {
      {"connect", [&](NetClient& c) { c.ConfigureDirect("127.0.0.1", full.port(), ""); },
       ConnectionState::kConnectingDvr},
      {"login reply", [&](NetClient& c) { c.ConfigureDirect("127.0.0.1", silent->port(), ""); },
       ConnectionState::kLoggingIn},
      {"dynamic-IP reply", [&](NetClient& c) { c.ConfigureDynamicIp("127.0.0.1", names.port(), "DVR000", ""); },
       ConnectionState::kQueryingNameServer},
      {"silent stream", [&](NetClient& c) { c.ConfigureDirect("127.0.0.1", streaming->port(), ""); },
       ConnectionState::kOnline},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    NetClient client;
    client.SetTimeout(600000);
    c.configure(client);
    ASSERT_EQ(client.Start(), 1);
    ASSERT_TRUE(WaitUntil([&] { return client.state() == c.waitingIn; }));
    auto stopped = std::async(std::launch::async, [&] { client.Stop(); });
    // The time-out is ten minutes; only the stop request can end the wait.
    EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
    stopped.wait();
    EXPECT_EQ(client.state(), ConnectionState::kIdle);
  }
  EXPECT_TRUE(streaming->WaitFor([](const DvrSimulator::Log& log) { return log.logouts == 1; }, 10s))
      << "stopping an online client logs out";
}

}  // namespace
}  // namespace tavrix
