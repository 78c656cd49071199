#pragma once
#include <sys/resource.h>

#include <csignal>

namespace tavrix::testing {

// Limits the size of files this process may write, as a full disk would,
// and lets writes past it fail instead of killing the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool set() const { return set_; }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
  bool set_ = false;
};

}  // namespace tavrix::testing
