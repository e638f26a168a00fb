#include <optional>
#include <ostream>

#include "app/cli_cddb.h"
#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/disc_submission.h"

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
  options.genre = SubmissionGenre(value);
  if (!options.genre) TellUser(err, FormatText(text::kCliGenreValue, value));
  return options.genre.has_value();
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
  if (!SubmissionEmailAccepted(disc.settings)) {
    TellUser(context.err, text::kSubmitEmailMissing);
    return kExitFailed;
  }
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  InterruptCatcher interrupt;
  SubmitEnd end = SubmitDisc(session, disc.settings, options->server, options->genre, disc.notice,
                             CliExchangeCalls(context.err, interrupt));
  switch (end) {
    case SubmitEnd::Cancelled: return kExitCancelled;
    case SubmitEnd::NoDiscId:
    case SubmitEnd::Refused:
    case SubmitEnd::Failed: return kExitFailed;
    case SubmitEnd::Submitted:
    case SubmitEnd::SubmittedNotSaved: break;
  }
  context.out << text::kCliSubmitted << '\n';
  return end == SubmitEnd::Submitted ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
