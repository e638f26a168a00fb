#include "app/cli_cddb.h"

#include "app/cli_command.h"

namespace sonvarek {

std::optional<ServerChoice> ParseServerChoice(const std::string& value) {
  ServerChoice choice;
  size_t colon = value.rfind(':');
  choice.host = value.substr(0, colon);
  if (choice.host.empty() || choice.host.find_first_of(" /\t\r\n") != std::string::npos) return std::nullopt;
  if (colon == std::string::npos) return choice;
  std::optional<int32_t> port = ParseCliNumber(value.substr(colon + 1));
  if (!port || *port < 1 || *port > 65535) return std::nullopt;
  choice.port = static_cast<uint16_t>(*port);
  return choice;
}

CddbExchangeCalls CliExchangeCalls(std::ostream& err, const InterruptCatcher& interrupt) {
  return {.status = [&err](const std::string& text) { TellUser(err, text); },
          .interrupted = [&interrupt] { return interrupt.Interrupted(); }};
}

}  // namespace sonvarek

