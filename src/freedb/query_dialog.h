#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "freedb/cddb_query.h"
#include "freedb/cddb_request.h"
#include "freedb/cddb_worker.h"
#include "freedb/disc_info_target.h"
#include "platform/message_sink.h"

namespace sonvarek {

enum class QueryPane { Progress, Candidates, NoMatch, Error };

// "Querying Freedb" without its window: the query, the candidate list, the read and
// the panes they lead to. The window (or the command line) gives it the messages of
// its queue through Handle and renders its state; the workers post to `window`.
class QueryDialog {
 public:
  // `request`: the settings' query request (QueryRequestFromSettings).
  QueryDialog(CddbRequest request, std::shared_ptr<MessageSink> window, DiscInfoTarget& target);

  // Opening, once the dialog's own table of contents was read: the query starts.
  void Start(const DiscIdInfo& info);
  void Handle(const WindowMessage& message);
  // OK or a double-click on a candidate (the first when none is given): the read
  // starts. False outside the candidate list or for a row past its end.
  bool Choose(std::optional<size_t> row);
  // The Cancel button: the exchange is cancelled and the dialog closes once the worker
  // has ended (at most 60 s); nothing in the cancelling state.
  void Cancel();

  QueryPane pane() const { return pane_; }
  const std::string& status() const { return status_; }
  // The error pane's text: "Failed: " and the worker's text.
  const std::string& errorText() const { return errorText_; }
  const std::vector<CddbMatch>& candidates() const { return candidates_; }
  bool okEnabled() const { return okEnabled_; }
  bool cancelEnabled() const { return cancelEnabled_; }
  bool busy() const { return busy_; }
  DialogEnd end() const { return end_; }

 private:
  void StartRead(const CddbMatch& match);
  void QueryDone(const CddbQueryResult& result);
  void ReadDone(const CddbReadResult& result, int64_t revisionWord);

  CddbRequest request_;
  std::shared_ptr<MessageSink> window_;
  DiscInfoTarget& target_;
  CddbWorker worker_;
  std::unique_ptr<CddbCancelWaiter> waiter_;
  QueryPane pane_ = QueryPane::Progress;
  std::string status_;
  std::string errorText_;
  std::vector<CddbMatch> candidates_;
  bool okEnabled_ = false;
  bool cancelEnabled_ = true;
  bool cancelling_ = false;
  bool busy_ = false;
  DialogEnd end_ = DialogEnd::Open;
};

}  // namespace sonvarek
