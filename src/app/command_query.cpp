#include <optional>
#include <ostream>

#include "app/cli_cddb.h"
#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "core/window_messages.h"
#include "freedb/query_dialog.h"
#include "session/disc_session_target.h"

namespace sonvarek {
namespace {

struct QueryOptions {
  DriveChoice drive;
  std::optional<ServerChoice> server;
  int choose = 1;
};

// --server and --choose; false after saying what is wrong.
bool TakeQueryOption(const std::string& name, const std::string& value, QueryOptions& options, std::ostream& err) {
  if (name == "--server") {
    options.server = ParseServerChoice(value);
    if (!options.server) TellUser(err, FormatText(text::kCliServerValue, value));
    return options.server.has_value();
  }
  if (name != "--choose") {
    TellUser(err, text::kCliQueryUsage);
    return false;
  }
  std::optional<int32_t> choose = ParseCliNumber(value);
  if (!choose || *choose < 1) {
    TellUser(err, FormatText(text::kCliChooseValue, value));
    return false;
  }
  options.choose = *choose;
  return true;
}

std::optional<QueryOptions> ParseQueryOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  QueryOptions options;
  auto take = [&](const std::string& name, const std::string& value) { return TakeQueryOption(name, value, options, err); };
  if (!WalkDiscArguments(arguments, 0, options.drive, text::kCliQueryUsage, err, take)) return std::nullopt;
  return options;
}

void PrintCandidates(const std::vector<CddbMatch>& candidates, std::ostream& out) {
  for (size_t i = 0; i < candidates.size(); ++i) {
    const CddbMatch& match = candidates[i];
    out << FormatText(text::kCliCandidate, static_cast<int>(i) + 1, match.category, match.artist, match.title) << '\n';
  }
  out.flush();
}

}  // namespace

// "Query Freedb..." on the command line: the query and read as the dialog runs them,
// status texts on standard error, candidates on standard output; what the read
// brings is kept in the local disc database.
int RunQueryCommand(const CommandContext& context) {
  std::optional<QueryOptions> options = ParseQueryOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  TellUser(context.err, text::kCddbReadingToc);
  std::optional<DiscIdInfo> ids = session.ComputeIds().freedb;
  if (!ids) {
    disc.notice.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    return kExitFailed;
  }

  auto queue = std::make_shared<MessageQueue>();
  DiscSessionTarget target(session);
  CddbRequest request = QueryRequestFromSettings(disc.settings);
  UseServer(options->server, request);
  QueryDialog dialog(request, queue, target);
  bool wrongChoice = false;
  auto handle = [&](const WindowMessage& message) {
    dialog.Handle(message);
    if (message.id == Message::CddbStatus) TellUser(context.err, message.text);
    if (message.id != Message::CddbQueryDone || dialog.pane() != QueryPane::Candidates) return;
    PrintCandidates(dialog.candidates(), context.out);
    if (dialog.Choose(static_cast<size_t>(options->choose) - 1)) return;
    TellUser(context.err, FormatText(text::kCliNoSuchCandidate, options->choose, static_cast<int>(dialog.candidates().size())));
    wrongChoice = true;
  };
  auto finished = [&] {
    return wrongChoice || dialog.end() != DialogEnd::Open || dialog.pane() == QueryPane::NoMatch ||
           dialog.pane() == QueryPane::Error;
  };
  dialog.Start(*ids);
  bool interrupted = RunDialogLoop(*queue, handle, finished, [&] { dialog.Cancel(); });
  queue->Close();
  if (interrupted) return kExitCancelled;
  if (wrongChoice) return kExitUsage;
  if (dialog.pane() == QueryPane::NoMatch) TellUser(context.err, text::kCddbNoMatch);
  if (dialog.pane() == QueryPane::Error) TellUser(context.err, dialog.errorText());
  if (dialog.end() != DialogEnd::Ok) return kExitFailed;
  bool saved = session.SaveDisc();
  PrintDiscTexts(session, context.out);
  return saved ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
