#include "session/disc_submission.h"

#include <memory>
#include <string>

#include "core/string_table.h"
#include "core/window_messages.h"
#include "freedb/submit_dialog.h"
#include "session/disc_session_target.h"

namespace sonvarek {

bool SubmissionEmailAccepted(const Settings& settings) { return SubmitEmailAccepted(settings.Email); }

std::optional<int> SubmissionGenre(std::string_view name) {
  int genre = CddbGenreIndex(name);
  if (genre < 0) return std::nullopt;
  return genre;
}

SubmitEnd SubmitDisc(DiscSession& session, const Settings& settings, const std::optional<ServerChoice>& server,
                     std::optional<int> genre, UserNotice& notice, const CddbExchangeCalls& calls) {
  SubmitEditor editor = FillSubmitEditor(session.disc());
  if (genre) editor.genre = *genre;

  auto queue = std::make_shared<MessageQueue>();
  DiscSessionTarget target(session);
  CddbRequest request = SubmitRequestFromSettings(settings);
  UseServer(server, request);
  SubmitDialog dialog(request, queue, target, session.programFolder() + "cddb.txt", editor);
  std::optional<DiscIdInfo> ids = session.ComputeIds().freedb;
  if (!ids) {
    notice.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    return SubmitEnd::NoDiscId;
  }
  if (std::optional<std::string> message = dialog.Submit(*ids)) {
    notice.Show(*message, NoticeKind::Error);
    return SubmitEnd::Refused;
  }
  auto handle = [&](const WindowMessage& message) {
    dialog.Handle(message);
    if (message.id == Message::CddbStatus) calls.status(message.text);
  };
  auto finished = [&] {
    return dialog.end() != DialogEnd::Open || dialog.pane() == SubmitPane::Succeeded ||
           dialog.pane() == SubmitPane::Failed;
  };
  bool interrupted = RunCddbDialog(*queue, handle, finished, [&] { dialog.Cancel(); }, calls.interrupted);
  bool saved = session.SaveDisc();
  if (interrupted) return SubmitEnd::Cancelled;
  if (dialog.pane() != SubmitPane::Succeeded) {
    notice.Show(std::string(text::kSubmitFailed) + " " + dialog.errorText(), NoticeKind::Error);
    return SubmitEnd::Failed;
  }
  return saved ? SubmitEnd::Submitted : SubmitEnd::SubmittedNotSaved;
}

}  // namespace sonvarek
