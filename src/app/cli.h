#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace sonvarek {

// The command-line front end: parses the arguments (program name excluded), runs
// the command and returns the exit status. Output goes to `out`, diagnostics and
// notices to `err`.
int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace sonvarek
