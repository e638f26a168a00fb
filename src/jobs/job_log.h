#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/text_format.h"
#include "core/window_messages.h"
#include "platform/message_sink.h"

namespace sonvarek {

// The in-memory log of the conversions, oldest line first. Lines are stored as
// their writers formatted them and are never merged or shortened. Owned by the
// user-interface side; workers reach it only through a LogLine message.
class JobLog {
 public:
  void Append(std::string line);
  std::vector<std::string> Lines() const;
  void Clear();
  size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// The local time now as "%Y-%m-%d %H:%M:%S".
std::string LogTimeStamp();

// Formats a log line whose first conversion is the time stamp.
template <typename... Args>
std::string FormatLogLine(const char* format, const Args&... args) {
  return FormatText(format, LogTimeStamp(), args...);
}

// The log line for a failed file operation, `errorText` being the system's cause.
std::string FileErrorLine(const std::string& errorText);

// Hands a line to the log's owner and waits until it is stored, so that lines keep
// the order in which the steps wrote them.
void SendLogLine(MessageSink& sink, std::string line);

}  // namespace sonvarek
