#include "app/cli_cddb.h"

#include "app/cli_command.h"
#include "app/interrupt_catcher.h"

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

void UseServer(const std::optional<ServerChoice>& server, CddbRequest& request) {
  if (!server) return;
  request.host = server->host;
  request.port = server->port;
}

bool RunDialogLoop(MessageQueue& queue, const std::function<void(const WindowMessage&)>& handle,
                   const std::function<bool()>& finished, const std::function<void()>& cancel) {
  InterruptCatcher interrupt;
  bool cancelled = false;
  while (!finished()) {
    queue.Deliver(handle, std::chrono::milliseconds(100));
    if (interrupt.Interrupted() && !cancelled) {
      cancelled = true;
      cancel();
    }
  }
  return cancelled;
}

}  // namespace sonvarek
