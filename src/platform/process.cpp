#include "platform/process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/file.h"

extern char** environ;

namespace sonvarek {
namespace {

std::vector<char*> ArgumentPointers(const std::vector<std::string>& arguments) {
  std::vector<char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) pointers.push_back(const_cast<char*>(argument.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Spawn attributes that give the child /dev/null for the streams we do not want.
class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  void NullStream(int descriptor, int flags) {
    posix_spawn_file_actions_addopen(&actions_, descriptor, "/dev/null", flags, 0);
  }
  void Duplicate(int from, int to) { posix_spawn_file_actions_adddup2(&actions_, from, to); }
  void Close(int descriptor) { posix_spawn_file_actions_addclose(&actions_, descriptor); }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

}  // namespace

bool StartProgram(const std::vector<std::string>& arguments, std::string* errorText) {
  if (arguments.empty()) return false;
  SpawnActions actions;
  actions.NullStream(0, O_RDONLY);
  actions.NullStream(1, O_WRONLY);
  actions.NullStream(2, O_WRONLY);
  std::vector<char*> argv = ArgumentPointers(arguments);
  pid_t child = 0;
  int result = posix_spawnp(&child, argv[0], actions.get(), nullptr, argv.data(), environ);
  if (result != 0) {
    if (errorText != nullptr) *errorText = SystemErrorText(result);
    return false;
  }
  // Reap it in the background so that it never lingers as a zombie.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

std::optional<std::string> RunAndCapture(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
  SpawnActions actions;
  actions.NullStream(0, O_RDONLY);
  actions.Duplicate(pipeEnds[1], 1);
  actions.NullStream(2, O_WRONLY);
  std::vector<char*> argv = ArgumentPointers(arguments);
  pid_t child = 0;
  int result = posix_spawnp(&child, argv[0], actions.get(), nullptr, argv.data(), environ);
  close(pipeEnds[1]);
  if (result != 0) {
    close(pipeEnds[0]);
    return std::nullopt;
  }
  std::string output;
  char buffer[4096];
  ssize_t count = 0;
  while ((count = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR)) {
    if (count > 0) output.append(buffer, static_cast<size_t>(count));
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

}  // namespace sonvarek
