#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sonvarek::test {

// Where a child's standard output and error go: read through a pipe as they come,
// thrown away, or the test's own.
enum class ChildOutput { Capture, Discard, Inherit };

// A program run without a shell (found on PATH when its name has no '/'), so a test can
// act at a moment of its run: kill it, or change the world around it. A child still
// running at destruction is asked to end with SIGTERM, and killed when it has not
// within a second.
class ChildProcess {
 public:
  explicit ChildProcess(std::vector<std::string> arguments, ChildOutput output = ChildOutput::Capture) {
    int pipeEnds[2] = {-1, -1};
    if (output != ChildOutput::Inherit && pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    if (output == ChildOutput::Discard) {
      close(pipeEnds[1]);
      pipeEnds[1] = open("/dev/null", O_WRONLY | O_CLOEXEC);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      if (output != ChildOutput::Inherit) {
        dup2(pipeEnds[1], 1);
        dup2(pipeEnds[1], 2);
      }
      execvp(argv[0], argv.data());
      _exit(127);
    }
    if (output == ChildOutput::Inherit) return;
    close(pipeEnds[1]);
    errors_ = pipeEnds[0];
  }
  ~ChildProcess() {
    if (pid_ > 0 && !exited_) Stop();
    if (errors_ >= 0) close(errors_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // Reads the output until `marker` shows; false when the output ends first or the
  // time is over.
  bool ReadUntil(const std::string& marker, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (output_.find(marker) == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
    }
    return true;
  }

  void Signal(int signal) const { kill(pid_, signal); }

  // Reads the rest of the output and waits for the end; the raw wait status, or -1
  // (the child killed) when it did not end within `limit`.
  int Wait(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (!ReadSome(static_cast<int>(std::max<int64_t>(left.count(), 1)))) break;
    }
    int status = 0;
    for (;;) {
      pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exited_ = true;
        return status;
      }
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    exited_ = true;
    return -1;
  }

  // Kills the child at once and reaps it.
  void Kill() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    exited_ = true;
  }

  const std::string& Output() const { return output_; }

 private:
  void Stop() {
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Kill();
  }

  // False at the end of the output or when nothing came within `timeoutMs`.
  bool ReadSome(int timeoutMs) {
    if (errors_ < 0) return false;
    pollfd ready{errors_, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    ssize_t count = read(errors_, buffer, sizeof buffer);
    if (count <= 0) return false;
    output_.append(buffer, static_cast<size_t>(count));
    return true;
  }

  pid_t pid_ = -1;
  int errors_ = -1;
  bool exited_ = false;
  std::string output_;
};

}  // namespace sonvarek::test
