#pragma once

#include <array>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sonvarek::test {

struct ProgramResult {
  int status = -1;
  std::string out;  // standard output; standard error too when asked
};

// Runs a shell command line and collects its standard output and exit status.
inline ProgramResult RunProgram(const std::string& commandLine) {
  ProgramResult result;
  FILE* pipe = popen(commandLine.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer{};
  size_t count = 0;
  while ((count = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), count);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

struct InterruptedRun {
  bool signalled = false;  // the marker showed and SIGINT was sent
  int status = -1;         // the exit status, −1 when the program did not exit normally
  std::string errors;      // its standard error
};

// Runs a program (no shell), sends it SIGINT as soon as `marker` shows on its standard
// error, and collects that error output and its exit status.
inline InterruptedRun RunUntilMarkerThenInterrupt(std::vector<std::string> arguments, const std::string& marker) {
  InterruptedRun run;
  int output[2];
  if (pipe(output) != 0) return run;
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    dup2(output[1], 2);
    dup2(open("/dev/null", O_WRONLY), 1);
    close(output[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(output[1]);
  char buffer[4096];
  for (ssize_t count = 0; (count = read(output[0], buffer, sizeof buffer)) > 0;) {
    run.errors.append(buffer, static_cast<size_t>(count));
    if (!run.signalled && run.errors.find(marker) != std::string::npos) {
      kill(child, SIGINT);
      run.signalled = true;
    }
  }
  close(output[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Quotes a text for the shell.
inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace sonvarek::test
