#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/temp_folder.h"

namespace sonvarek::test {

// A program started by the test, stopped with SIGTERM (then SIGKILL) when it goes.
class ChildProcess {
 public:
  explicit ChildProcess(std::vector<std::string> arguments) {
    pid_ = fork();
    if (pid_ != 0) return;
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  ~ChildProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

 private:
  pid_t pid_ = -1;
};

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

// The project's cddb server over a database folder (category/discid files), on a
// port of its own on 127.0.0.1.
class CddbServer {
 public:
  explicit CddbServer(const std::string& root)
      : port_(FreeLoopbackPort()),
        process_({SONVAREK_CDDB_SERVER, "--root", root, "--port", std::to_string(port_), "--submissions",
                  folder_ / "submissions", "--log", folder_ / "requests.log"}) {
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

// tinyproxy on 127.0.0.1 asking for Basic credentials `user`:`password`.
class TinyProxy {
 public:
  TinyProxy(const std::string& user, const std::string& password) : port_(FreeLoopbackPort()) {
    std::string config = folder_ / "tinyproxy.conf";
    WriteWholeFile(config, "Port " + std::to_string(port_) +
                               "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\nBasicAuth " + user +
                               " " + password + "\nLogLevel Critical\n");
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{"tinyproxy", "-d", "-c", config});
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

// One connection on 127.0.0.1 handled by `serve` (given the connected socket, which
// it need not close) on a thread of its own; records what the client sent first.
class LoopbackPeer {
 public:
  explicit LoopbackPeer(std::function<void(int socket)> serve) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, serve = std::move(serve)] {
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      serve(connection);
      close(connection);
    });
  }
  ~LoopbackPeer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    if (thread_.joinable()) thread_.join();
  }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;
  uint16_t port() const { return port_; }

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
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

}  // namespace sonvarek::test
