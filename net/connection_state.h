#pragma once
#include <cstdint>

namespace tavrix {

// The network client's state as the window polls it.
enum class ConnectionState : std::int32_t {
  kIdle = 0,
  kConnectingDvr = 1,
  kLoggingIn = 2,
  kOnline = 3,
  kConnectingNameServer = 4,
  kQueryingNameServer = 5,
  kNameResolved = 6,
};

}  // namespace tavrix
