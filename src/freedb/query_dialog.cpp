#include "freedb/query_dialog.h"

#include "core/string_table.h"
#include "core/window_messages.h"

namespace sonvarek {

QueryDialog::QueryDialog(CddbRequest request, std::shared_ptr<MessageSink> window, DiscInfoTarget& target)
    : request_(std::move(request)), window_(std::move(window)), target_(target), status_(text::kCddbReadingToc) {}

void QueryDialog::Start(const DiscIdInfo& info) {
  CddbRequest request = request_;
  request.mode = CddbMode::Query;
  request.requestText = QueryBody(info, request.email);
  worker_.StartQuery(std::move(request), window_);
}

void QueryDialog::StartRead(const CddbMatch& match) {
  CddbRequest request = request_;
  request.mode = CddbMode::Read;
  request.requestText = ReadBody(match.category.substr(0, 99), match.discId.substr(0, 99), request.email);
  worker_.StartQuery(std::move(request), window_);
}

void QueryDialog::Handle(const WindowMessage& message) {
  switch (message.id) {
    case Message::CddbStatus:
      status_ = message.text;
      return;
    case Message::CddbError:
      errorText_ = std::string(text::kCddbFailedPrefix) + message.text;
      pane_ = QueryPane::Error;
      okEnabled_ = false;
      return;
    case Message::CddbQueryDone:
      if (auto payload = std::dynamic_pointer_cast<const CddbQueryPayload>(message.payload)) QueryDone(payload->result);
      return;
    case Message::CddbReadDone:
      if (auto payload = std::dynamic_pointer_cast<const CddbReadPayload>(message.payload)) {
        ReadDone(payload->result, message.lParam);
      }
      return;
    case Message::CddbClose:
      busy_ = false;
      end_ = DialogEnd::Cancelled;
      return;
    default:
      return;
  }
}

void QueryDialog::QueryDone(const CddbQueryResult& result) {
  if (cancelling_) return;
  if (result.matches.size() == 1) return StartRead(result.matches.front());
  if (result.matches.empty()) {
    pane_ = QueryPane::NoMatch;
    return;
  }
  candidates_ = result.matches;
  pane_ = QueryPane::Candidates;
  okEnabled_ = true;
}

bool QueryDialog::Choose(std::optional<size_t> row) {
  if (pane_ != QueryPane::Candidates || cancelling_) return false;
  size_t chosen = row.value_or(0);
  if (chosen >= candidates_.size()) return false;
  okEnabled_ = false;
  pane_ = QueryPane::Progress;
  status_ = text::kCddbRetrieveInfo;
  StartRead(candidates_[chosen]);
  return true;
}

void QueryDialog::ReadDone(const CddbReadResult& result, int64_t revisionWord) {
  if (cancelling_) return;
  target_.SetRevision((revisionWord & 0xFFFF) != 0, static_cast<int32_t>(revisionWord >> 16 & 0xFFFF));
  if (!result.hasEntry) {
    pane_ = QueryPane::NoMatch;
    return;
  }
  auto [artist, album] = SplitDiscTitle(result.discTitle);
  target_.SetDiscInfo(artist, album, result.category);
  if (!result.year.empty()) target_.SetDiscYear(result.year);
  for (size_t index = 0; index < result.trackTitles.size(); ++index) {
    target_.SetTrackTitle(static_cast<int>(index), result.trackTitles[index]);
  }
  end_ = DialogEnd::Ok;
}

void QueryDialog::Cancel() {
  if (cancelling_ || end_ != DialogEnd::Open) return;
  cancelling_ = true;
  cancelEnabled_ = false;
  okEnabled_ = false;
  status_ = text::kCddbCancelQuerying;
  busy_ = true;
  waiter_ = worker_.CancelForClose(window_);
}

}  // namespace sonvarek
