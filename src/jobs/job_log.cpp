#include "jobs/job_log.h"

#include <ctime>

#include "jobs/log_formats.h"

namespace sonvarek {

void JobLog::Append(std::string line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
}

std::vector<std::string> JobLog::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

void JobLog::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

size_t JobLog::Size() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

std::string LogTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char text[32];
  size_t length = std::strftime(text, sizeof text, logformat::kTimeStamp, &local);
  return std::string(text, length);
}

std::string FileErrorLine(const std::string& errorText) {
  return FormatLogLine(logformat::kErrorSystem, FormatText(logformat::kFileOperationError, errorText));
}

void SendLogLine(MessageSink& sink, std::string line) {
  sink.Send({Message::LogLine, 0, 0, std::move(line)});
}

}  // namespace sonvarek
