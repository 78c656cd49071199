#include "cli/live_options.h"

#include <netdb.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace tavrix::cli {

std::string ReadPassword(const Arguments& arguments, const std::string& command) {
  const auto file = arguments.Value("password-file");
  const auto variable = arguments.Value("password-env");
  if (file && variable) throw UsageError("give --password-file or --password-env, not both");
  std::string password;
  if (file) {
    std::ifstream in(*file);
    if (!in) throw UsageError("cannot read the password file " + *file);
    struct stat status {};
    if (::stat(file->c_str(), &status) == 0 && (status.st_mode & (S_IRGRP | S_IROTH)) != 0) {
      std::fprintf(stderr, "tavrix %s: warning: permissions %04o for the password file %s are too open: "
                   "others can read the password (chmod 600 it)\n",
                   command.c_str(), static_cast<unsigned>(status.st_mode & 07777), file->c_str());
    }
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
  } else if (variable) {
    const char* value = std::getenv(variable->c_str());
    if (value == nullptr) throw UsageError("the environment variable " + *variable + " is not set");
    password = value;
  }
  return password;
}

std::string ResolveIpv4(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    throw UsageError("cannot resolve the host name " + host);
  }
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
  ::freeaddrinfo(found);
  return text;
}

std::pair<std::string, std::uint16_t> ParseHostPort(const std::string& text, const std::string& option) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) throw UsageError("--" + option + " must be HOST:PORT");
  const std::string portText = text.substr(colon + 1);
  char* end = nullptr;
  const long port = std::strtol(portText.c_str(), &end, 10);
  if (portText.empty() || *end != '\0' || port < 1 || port > 65535) {
    throw UsageError("--" + option + " must end in a port from 1 to 65535");
  }
  return {ResolveIpv4(text.substr(0, colon)), static_cast<std::uint16_t>(port)};
}

std::string FreePath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::exists(path, error)) return path;
  const fs::path original(path);
  for (int suffix = 1;; ++suffix) {
    fs::path candidate = original;
    candidate.replace_filename(original.stem().string() + "-" + std::to_string(suffix) +
                               original.extension().string());
    if (!fs::exists(candidate, error)) return candidate.string();
  }
}

namespace {

sigset_t InterruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

InterruptWait::InterruptWait() {
  const sigset_t signals = InterruptSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int InterruptWait::Pending() const {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  for (const int signal : {SIGINT, SIGTERM}) {
    if (sigismember(&pending, signal) == 1) return signal;
  }
  return 0;
}

bool InterruptWait::Wait(double seconds, const std::function<bool()>& keepWaiting) {
  const sigset_t signals = InterruptSignals();
  const auto start = std::chrono::steady_clock::now();
  while (keepWaiting()) {
    if (seconds > 0 && std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(seconds)) {
      return false;
    }
    const timespec slice{0, 100'000'000};
    if (sigtimedwait(&signals, nullptr, &slice) > 0) return true;
  }
  return false;
}

}  // namespace tavrix::cli
