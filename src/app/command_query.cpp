#include <optional>
#include <ostream>

#include "app/cli_cddb.h"
#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/disc_query.h"

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
  InterruptCatcher interrupt;
  QueryCalls calls{.exchange = CliExchangeCalls(context.err, interrupt),
                   .candidates = [&](const std::vector<CddbMatch>& found) { PrintCandidates(found, context.out); }};
  const size_t choice = static_cast<size_t>(options->choose) - 1;
  QueryOutcome outcome = QueryDisc(session, disc.settings, options->server, choice, disc.notice, calls);
  switch (outcome.end) {
    case QueryEnd::Cancelled: return kExitCancelled;
    case QueryEnd::NoSuchCandidate:
      TellUser(context.err,
               FormatText(text::kCliNoSuchCandidate, options->choose, static_cast<int>(outcome.candidateCount)));
      return kExitUsage;
    case QueryEnd::NoDiscId:
    case QueryEnd::NotRead: return kExitFailed;
    case QueryEnd::Read:
    case QueryEnd::ReadNotSaved: break;
  }
  PrintDiscTexts(session, context.out);
  return outcome.end == QueryEnd::Read ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
