#include "session/cddb_exchange.h"

namespace sonvarek {

void UseServer(const std::optional<ServerChoice>& server, CddbRequest& request) {
  if (!server) return;
  request.host = server->host;
  request.port = server->port;
}

bool RunCddbDialog(MessageQueue& queue, const std::function<void(const WindowMessage&)>& handle,
                   const std::function<bool()>& finished, const std::function<void()>& cancel,
                   const std::function<bool()>& interrupted) {
  bool cancelled = false;
  while (!finished()) {
    queue.Deliver(handle, std::chrono::milliseconds(100));
    if (interrupted() && !cancelled) {
      cancelled = true;
      cancel();
    }
  }
  queue.Close();
  return cancelled;
}

}  // namespace sonvarek
