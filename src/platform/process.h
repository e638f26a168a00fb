#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sonvarek {

// Starts a program found through PATH with this argument vector, detached from our
// standard streams, without waiting for it. False with the system's reason when it
// could not be started.
bool StartProgram(const std::vector<std::string>& arguments, std::string* errorText = nullptr);

// Runs a program to its end and returns its standard output, or nothing when it
// could not be run or did not exit with status 0.
std::optional<std::string> RunAndCapture(const std::vector<std::string>& arguments);

// The full path of a program found through PATH (or the name itself when it holds
// a '/' and is executable); empty when not found.
std::string FindProgram(const std::string& name);

}  // namespace sonvarek
