#pragma once
#include <cstdint>

#include "net/connection_state.h"

namespace tavrix {

// What the network client tells its owner; the values are the window message
// numbers the viewer posts them as.
enum class NetNotification : std::uint32_t {
  kStatus = 0x2A68,        // a status report arrived
  kServerClosed = 0x2A69,  // the DVR closed the session
  kNoResponse = 0x2A6A,    // silence before a login
  kLoginFailed = 0x2A6B,   // the login or the dynamic-IP query failed
};

// Called on the network client's thread; an implementation only queues or
// records the notification and returns at once.
class NetNotificationReceiver {
 public:
  virtual ~NetNotificationReceiver() = default;
  virtual void Notify(NetNotification notification) = 0;
  // The client's state has changed to `state`.
  virtual void ConnectionStateChanged(ConnectionState /*state*/) {}
};

}  // namespace tavrix
