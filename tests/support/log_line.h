#pragma once

#include <cctype>
#include <string>

namespace sonvarek::test {

// True when `line` starts with a "YYYY-MM-DD HH:MM:SS" time stamp in the given brackets.
inline bool HasTimeStamp(const std::string& line, char open) {
  const char close = open == '(' ? ')' : ']';
  const std::string shape = "dddd-dd-dd dd:dd:dd";
  if (line.size() < shape.size() + 2 || line[0] != open || line[shape.size() + 1] != close) return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    char c = line[i + 1];
    if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(c)) : c != shape[i]) return false;
  }
  return true;
}

// The line after its bracketed time stamp ("(2003-05-17 21:04:09)" is 21 characters).
inline std::string AfterTimeStamp(const std::string& line) { return line.size() > 21 ? line.substr(21) : ""; }

}  // namespace sonvarek::test
