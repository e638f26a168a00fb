#include <optional>
#include <ostream>

#include "app/cli_cddb.h"
#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "core/window_messages.h"
#include "freedb/submit_dialog.h"
#include "session/disc_session_target.h"

namespace sonvarek {
namespace {

struct SubmitOptions {
  DriveChoice drive;
  std::optional<ServerChoice> server;
  std::optional<int> genre;
};

// --server and --genre; false after saying what is wrong.
bool TakeSubmitOption(const std::string& name, const std::string& value, SubmitOptions& options, std::ostream& err) {
  if (name == "--server") {
    options.server = ParseServerChoice(value);
    if (!options.server) TellUser(err, FormatText(text::kCliServerValue, value));
    return options.server.has_value();
  }
  if (name != "--genre") {
    TellUser(err, text::kCliSubmitUsage);
    return false;
  }
  int genre = CddbGenreIndex(value);
  if (genre < 0) {
    TellUser(err, FormatText(text::kCliGenreValue, value));
    return false;
  }
  options.genre = genre;
  return true;
}

std::optional<SubmitOptions> ParseSubmitOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  SubmitOptions options;
  auto take = [&](const std::string& name, const std::string& value) { return TakeSubmitOption(name, value, options, err); };
  if (!WalkDiscArguments(arguments, 0, options.drive, text::kCliSubmitUsage, err, take)) return std::nullopt;
  return options;
}

}  // namespace

// "Submit to Freedb..." on the command line: the disc's current texts (from the local
// disc database) are checked as the dialog checks them and submitted; the texts the
// submission sets are kept as at exit.
int RunSubmitCommand(const CommandContext& context) {
  std::optional<SubmitOptions> options = ParseSubmitOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  if (!SubmitEmailAccepted(disc.settings.Email)) {
    TellUser(context.err, text::kSubmitEmailMissing);
    return kExitFailed;
  }
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  SubmitEditor editor = FillSubmitEditor(session.disc());
  if (options->genre) editor.genre = *options->genre;

  auto queue = std::make_shared<MessageQueue>();
  DiscSessionTarget target(session);
  CddbRequest request = SubmitRequestFromSettings(disc.settings);
  UseServer(options->server, request);
  SubmitDialog dialog(request, queue, target, session.programFolder() + "cddb.txt", editor);
  std::optional<DiscIdInfo> ids = session.ComputeIds().freedb;
  if (!ids) {
    disc.notice.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    return kExitFailed;
  }
  if (std::optional<std::string> message = dialog.Submit(*ids)) {
    TellUser(context.err, *message);
    return kExitFailed;
  }
  auto handle = [&](const WindowMessage& message) {
    dialog.Handle(message);
    if (message.id == Message::CddbStatus) TellUser(context.err, message.text);
  };
  auto finished = [&] {
    return dialog.end() != DialogEnd::Open || dialog.pane() == SubmitPane::Succeeded ||
           dialog.pane() == SubmitPane::Failed;
  };
  bool interrupted = RunDialogLoop(*queue, handle, finished, [&] { dialog.Cancel(); });
  queue->Close();
  bool saved = session.SaveDisc();
  if (interrupted) return kExitCancelled;
  if (dialog.pane() != SubmitPane::Succeeded) {
    TellUser(context.err, std::string(text::kSubmitFailed) + " " + dialog.errorText());
    return kExitFailed;
  }
  context.out << text::kCliSubmitted << '\n';
  return saved ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
