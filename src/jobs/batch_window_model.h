#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/conversion_batch.h"
#include "platform/message_sink.h"

namespace sonvarek {

enum class BatchPane { EncodeProgress, ExtractProgress, Error, Success };

struct ProgressPane {
  std::string groupText;
  std::string elapsed = "00:00";
  std::string estimated = "00:00";
  int barPercent = 0;
  std::string percentText = "0.0%";
};

// What the batch window shows, as a state machine over the worker's messages. The
// desktop window and the command line only render it and forward the button.
class BatchWindowModel {
 public:
  BatchWindowModel(BatchKind kind, int total);

  // Places the panes and returns the StartWorker message to post to the main window.
  WindowMessage Initialise();

  // Applies one message from the worker; BatchSucceeded brings the batch's end as
  // its payload (a BatchEnd), which the model copies.
  void Handle(const WindowMessage& message);

  // The button: returns the CancelBatch message for the main window; the window
  // closes at once in every state.
  WindowMessage PressButton();

  const std::string& title() const { return title_; }
  BatchPane pane() const { return pane_; }
  const std::string& buttonText() const { return buttonText_; }
  const ProgressPane& extractPane() const { return extract_; }
  const ProgressPane& encodePane() const { return encode_; }
  const std::vector<std::string>& successFiles() const { return successFiles_; }
  const std::string& successFolder() const { return successFolder_; }
  // A CD rip's AccurateRip verdicts ("Track N: verdict") and its rip log; empty otherwise.
  const std::vector<std::string>& verdicts() const { return verdicts_; }
  const std::string& ripLogPath() const { return ripLogPath_; }
  bool finished() const { return finished_; }
  bool failed() const { return failed_; }
  bool closed() const { return closed_; }
  // Set once by BatchSucceeded when the batch's settings ask for it: the folder to open.
  const std::string& folderToOpen() const { return folderToOpen_; }

 private:
  void ShowJob(const std::string& name);
  void ShowNormalizing(int64_t phase, const std::string& name);
  void ShowEncoding(bool ogg, const std::string& name);
  void ShowDecoding(const std::string& name);
  void Finish(const BatchEnd* end);
  std::string Title(const char* format, int number, const std::string& name) const;

  BatchKind kind_;
  int total_;
  int index_ = 0;
  std::string title_;
  BatchPane pane_ = BatchPane::ExtractProgress;
  std::string buttonText_;
  ProgressPane extract_;
  ProgressPane encode_;
  std::vector<std::string> successFiles_;
  std::string successFolder_;
  std::vector<std::string> verdicts_;
  std::string ripLogPath_;
  std::string folderToOpen_;
  bool finished_ = false;
  bool failed_ = false;
  bool closed_ = false;
};

}  // namespace sonvarek
