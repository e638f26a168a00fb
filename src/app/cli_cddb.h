#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "app/interrupt_catcher.h"
#include "session/cddb_exchange.h"

namespace sonvarek {

// "host" or "host:port" (1..65535); nothing when malformed.
std::optional<ServerChoice> ParseServerChoice(const std::string& value);

// Status texts told on `err`; interrupted by Ctrl+C while `interrupt` lives.
CddbExchangeCalls CliExchangeCalls(std::ostream& err, const InterruptCatcher& interrupt);

}  // namespace sonvarek

