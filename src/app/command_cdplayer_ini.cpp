#include <optional>
#include <ostream>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "session/cdplayer_ini_exchange.h"

namespace sonvarek {
namespace {

struct ExchangeOptions {
  CdPlayerIniDirection direction = CdPlayerIniDirection::Import;
  DriveChoice drive;
};

std::optional<ExchangeOptions> ParseExchangeOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  ExchangeOptions options;
  if (arguments.empty() || (arguments[0] != "import" && arguments[0] != "export")) {
    TellUser(err, text::kCliCdPlayerIniUsage);
    return std::nullopt;
  }
  options.direction = arguments[0] == "import" ? CdPlayerIniDirection::Import : CdPlayerIniDirection::Export;
  for (size_t i = 1; i < arguments.size(); ++i) {
    bool ok = true;
    if (TakeDriveOption(arguments, i, options.drive, err, ok) && ok) continue;
    if (ok) TellUser(err, text::kCliCdPlayerIniUsage);
    return std::nullopt;
  }
  return options;
}

}  // namespace

// The File menu's Import from / Export to cdplayer.ini on the disc loaded as the main
// window loads it; the local disc database is then saved as at exit, so that what an
// import brought is kept.
int RunCdPlayerIniCommand(const CommandContext& context) {
  std::optional<ExchangeOptions> options = ParseExchangeOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  CdPlayerIniExchange exchange = ExchangeCdPlayerIni(session, options->direction);
  if (!exchange.exchanged) return kExitFailed;
  if (options->direction == CdPlayerIniDirection::Import) {
    PrintDiscTexts(session, context.out);
  } else if (exchange.section) {
    context.out << FormatText(text::kCliCdPlayerIniExported, *exchange.section, exchange.path) << '\n';
  }
  return exchange.saved ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
