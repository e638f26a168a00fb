#pragma once

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace sonvarek::test {

// Sends all of `bytes` (until the client goes), `piece` bytes at a time with a pause after each.
inline void SendPieces(int connection, std::string_view bytes, size_t piece,
                       std::chrono::milliseconds pause = std::chrono::milliseconds{0}) {
  const int noDelay = 1;
  setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  while (!bytes.empty()) {
    const ssize_t sent = send(connection, bytes.data(), std::min(piece, bytes.size()), MSG_NOSIGNAL);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(sent));
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
  }
}

// A free port on 127.0.0.1 at the moment of asking.
inline uint16_t FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// Waits up to 10 s for a program to listen on the port.
inline bool WaitForListener(uint16_t port) {
  for (int i = 0; i < 500; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    if (up) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

#ifdef SONVAREK_CDDB_SERVER  // the suites that start it name the script
// The project's cddb server over a database folder (category/discid files), on a
// port of its own on 127.0.0.1.
class CddbServer {
 public:
  explicit CddbServer(const std::string& root)
      : port_(FreeLoopbackPort()),
        process_({SONVAREK_CDDB_SERVER, "--root", root, "--port", std::to_string(port_), "--submissions",
                  folder_ / "submissions", "--log", folder_ / "requests.log"},
                 ChildOutput::Inherit) {
    up_ = WaitForListener(port_);
  }
  bool up() const { return up_; }
  uint16_t port() const { return port_; }
  std::string submissions() const { return folder_ / "submissions"; }

 private:
  TempFolder folder_;
  uint16_t port_;
  ChildProcess process_;
  bool up_ = false;
};
#endif

// tinyproxy on 127.0.0.1 asking for Basic credentials `user`:`password`.
class TinyProxy {
 public:
  TinyProxy(const std::string& user, const std::string& password) : port_(FreeLoopbackPort()) {
    std::string config = folder_ / "tinyproxy.conf";
    WriteWholeFile(config, "Port " + std::to_string(port_) +
                               "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\nBasicAuth " + user +
                               " " + password + "\nLogLevel Critical\n");
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{"tinyproxy", "-d", "-c", config},
                                              ChildOutput::Inherit);
    up_ = WaitForListener(port_);
  }
  bool up() const { return up_; }
  uint16_t port() const { return port_; }

 private:
  TempFolder folder_;
  uint16_t port_;
  std::unique_ptr<ChildProcess> process_;
  bool up_ = false;
};

// Set once when a loopback peer is being destroyed, for serves that wait the test out.
class PeerEnding {
 public:
  void Set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
  }
  bool IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
  }
  // True when the peer began ending within the time-out.
  bool WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return set_; });
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_ = false;
};

// A peer on 127.0.0.1 with a port the system picks, on a thread of its own: hands each
// accepted connection in turn to `serve`, then closes it. A faulty client cannot hang the
// peer: its connections give up a blocked receive or send after 5 s. The destructor sets
// `ending`, wakes the thread and joins it; connections already waiting are served first.
class LoopbackPeer {
 public:
  using Serve = std::function<void(int connection, const PeerEnding& ending)>;

  explicit LoopbackPeer(Serve serve) : serve_(std::move(serve)), wake_(eventfd(0, EFD_CLOEXEC)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener_, 8);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  // A serve that has no use for the ending.
  explicit LoopbackPeer(std::function<void(int connection)> serve)
      : LoopbackPeer(Serve([serve = std::move(serve)](int connection, const PeerEnding&) { serve(connection); })) {}
  ~LoopbackPeer() {
    Stop();
    close(listener_);
    close(wake_);
  }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  uint16_t port() const { return port_; }
  void Stop() {
    if (!thread_.joinable()) return;
    ending_.Set();
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wake_, &one, sizeof one);
    thread_.join();
  }
  // How many connections were accepted; exact after Stop.
  int connections() const { return connections_; }

  // Reads what the client sends until `enough` says it has all of it.
  static std::string Receive(int connection, const std::function<bool(const std::string&)>& enough) {
    std::string received;
    char buffer[4096];
    while (!enough(received)) {
      ssize_t count = recv(connection, buffer, sizeof buffer, 0);
      if (count <= 0) break;
      received.append(buffer, static_cast<size_t>(count));
    }
    return received;
  }

 private:
  void Run() {
    for (;;) {
      pollfd entries[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
      if (poll(entries, 2, -1) < 0 && errno != EINTR) return;
      if ((entries[0].revents & POLLIN) != 0) {
        ServeOne();
        continue;
      }
      if (entries[1].revents != 0) return;
    }
  }
  void ServeOne() {
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) return;
    ++connections_;
    const timeval limit{5, 0};
    setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    serve_(connection, ending_);
    close(connection);
  }

  Serve serve_;
  int listener_ = -1;
  int wake_ = -1;
  uint16_t port_ = 0;
  PeerEnding ending_;
  std::atomic<int> connections_{0};
  std::thread thread_;
};

}  // namespace sonvarek::test
