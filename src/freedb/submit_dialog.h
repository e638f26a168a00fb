#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/string_table.h"
#include "freedb/cddb_request.h"
#include "freedb/cddb_worker.h"
#include "freedb/disc_id.h"
#include "freedb/disc_info_target.h"

namespace sonvarek {

// The freedb categories offered for a submission, in the order of the genre box.
inline constexpr std::array<std::string_view, 11> kCddbGenres = {
    "blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock", "soundtrack"};

// Whether `email` may be sent with a submission: not empty, not the placeholder the
// settings start with, and holding both '@' and '.'.
bool SubmitEmailAccepted(std::string_view email);

// The index in kCddbGenres of `genreName` in lower case; −1 when it is none of them.
int CddbGenreIndex(std::string_view genreName);

// The submission editor's fields.
struct SubmitEditor {
  std::string artist;
  std::string album;
  int genre = -1;        // index into kCddbGenres, −1 for none
  std::string revision;  // the revision edit's text
  std::vector<std::string> titles;  // one per track, in track order
};

// The editor filled from the disc: its artist, album and genre, revision + 1 when the
// disc came with one (else 0), and the tracks' titles.
SubmitEditor FillSubmitEditor(const DiscRecord& disc);

// The first validation failure's message, in the editor's order (artist, album,
// genre, a title still "Track %d" of its own position); nothing when all is well.
std::optional<std::string> SubmitValidationMessage(const SubmitEditor& editor);

// The revision edit's integer value; 0 when empty or not a number.
int32_t SubmitRevision(std::string_view text);

// The prepared headers and xmcd text of a submission, sent in UTF-8, with
// Content-Length counting the xmcd text only.
std::string SubmitRequestText(const SubmitEditor& editor, const DiscIdInfo& info, std::string_view email);

enum class SubmitPane { Editor, Progress, Succeeded, Failed };

// "Submitting to freedb" without its window: the editor, the validation, the
// exchange and the panes it leads to. Messages of the window's queue come in through
// Handle; the worker posts to `window`.
class SubmitDialog {
 public:
  // `request`: SubmitRequestFromSettings; `diagnosticPath`: cddb.txt of the program folder.
  SubmitDialog(CddbRequest request, std::shared_ptr<MessageSink> window, DiscInfoTarget& target,
               std::string diagnosticPath, SubmitEditor editor);

  SubmitEditor& editor() { return editor_; }
  // The in-place title editor: the row's title, and the track's in the main window.
  void EditTitle(size_t row, std::string title);
  // The Submit button: a validation message, or nothing once the submission started
  // (the disc texts are then also given to the main window).
  std::optional<std::string> Submit(const DiscIdInfo& info);
  void Handle(const WindowMessage& message);
  // The Cancel/Close button.
  void Cancel();

  SubmitPane pane() const { return pane_; }
  const std::string& status() const { return status_; }
  const std::string& errorText() const { return errorText_; }
  bool submitEnabled() const { return submitEnabled_; }
  bool cancelEnabled() const { return cancelEnabled_; }
  // "&Cancel", or "&Close" once the submission ended.
  const char* cancelLabel() const { return finished_ ? text::kSubmitCloseButton : text::kSubmitCancelButton; }
  bool busy() const { return busy_; }
  DialogEnd end() const { return end_; }

 private:
  enum class State { Idle, Submitting, Cancelling };

  void Finish(SubmitPane pane);

  CddbRequest request_;
  std::shared_ptr<MessageSink> window_;
  DiscInfoTarget& target_;
  std::string diagnosticPath_;
  SubmitEditor editor_;
  CddbWorker worker_;
  std::unique_ptr<CddbCancelWaiter> waiter_;
  State state_ = State::Idle;
  SubmitPane pane_ = SubmitPane::Editor;
  std::string status_;
  std::string errorText_;
  bool submitEnabled_ = true;
  bool cancelEnabled_ = true;
  bool finished_ = false;
  bool busy_ = false;
  DialogEnd end_ = DialogEnd::Open;
};

}  // namespace sonvarek
