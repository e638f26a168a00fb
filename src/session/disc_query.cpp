#include "session/disc_query.h"

#include <memory>

#include "core/string_table.h"
#include "core/window_messages.h"
#include "freedb/query_dialog.h"
#include "session/disc_session_target.h"

namespace sonvarek {
namespace {

QueryOutcome EndOf(QueryDialog& dialog, DiscSession& session, UserNotice& notice) {
  if (dialog.pane() == QueryPane::NoMatch) notice.Show(text::kCddbNoMatch, NoticeKind::Error);
  if (dialog.pane() == QueryPane::Error) notice.Show(dialog.errorText(), NoticeKind::Error);
  if (dialog.end() != DialogEnd::Ok) return {QueryEnd::NotRead, dialog.candidates().size()};
  return {session.SaveDisc() ? QueryEnd::Read : QueryEnd::ReadNotSaved, dialog.candidates().size()};
}

}  // namespace

QueryOutcome QueryDisc(DiscSession& session, const Settings& settings, const std::optional<ServerChoice>& server,
                       size_t choice, UserNotice& notice, const QueryCalls& calls) {
  calls.exchange.status(text::kCddbReadingToc);
  std::optional<DiscIdInfo> ids = session.ComputeIds().freedb;
  if (!ids) {
    notice.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    return {QueryEnd::NoDiscId, 0};
  }

  auto queue = std::make_shared<MessageQueue>();
  DiscSessionTarget target(session);
  CddbRequest request = QueryRequestFromSettings(settings);
  UseServer(server, request);
  QueryDialog dialog(request, queue, target);
  bool wrongChoice = false;
  auto handle = [&](const WindowMessage& message) {
    dialog.Handle(message);
    if (message.id == Message::CddbStatus) calls.exchange.status(message.text);
    if (message.id != Message::CddbQueryDone || dialog.pane() != QueryPane::Candidates) return;
    calls.candidates(dialog.candidates());
    wrongChoice = !dialog.Choose(choice);
  };
  auto finished = [&] {
    return wrongChoice || dialog.end() != DialogEnd::Open || dialog.pane() == QueryPane::NoMatch ||
           dialog.pane() == QueryPane::Error;
  };
  dialog.Start(*ids);
  bool interrupted = RunCddbDialog(*queue, handle, finished, [&] { dialog.Cancel(); }, calls.exchange.interrupted);
  if (interrupted) return {QueryEnd::Cancelled, dialog.candidates().size()};
  if (wrongChoice) return {QueryEnd::NoSuchCandidate, dialog.candidates().size()};
  return EndOf(dialog, session, notice);
}

}  // namespace sonvarek
