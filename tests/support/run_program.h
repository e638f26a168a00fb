#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

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

// Quotes a text for the shell.
inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace sonvarek::test
