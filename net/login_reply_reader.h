#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrix {

// Reads the DVR's replies to a login request as their bytes arrive, apart
// from any socket: the caller receives at most Wanted() bytes at a time and
// hands them to Take, so every split of the same bytes gives the same result.
// Four bytes tell a reply that is no control message, and the rest is not
// waited for then. A reply longer than the client reads is consumed to its
// declared end, so that the stream after it starts on a message boundary.
class LoginReplyReader {
 public:
  enum class Result {
    kIncomplete,  // more bytes are wanted
    kPending,     // "login pending": the answer follows in another reply
    kAccepted,
    kRefused,     // RefusalText says why
    kInvalid,     // no control message, or a code that is no login answer
  };

  // The most bytes the next Take may be given; never 0.
  std::size_t Wanted() const;
  // Takes 1 to Wanted() bytes. Any result but kIncomplete ends the reply;
  // the next Take begins a new one.
  Result Take(std::span<const std::uint8_t> bytes);
  // The reason of the last refusal, as the user reads it.
  const char* RefusalText() const { return refusal_; }

 private:
  // Header and refusal reason: the part of a reply the client reads.
  static constexpr std::size_t kReadSize = 16;

  Result Finish();

  std::uint8_t head_[kReadSize] = {};
  std::size_t received_ = 0;
  std::size_t total_ = 0;  // declared length, known once 8 bytes are in
  const char* refusal_ = "";
};

}  // namespace tavrix
