#pragma once

#include <cstdint>
#include <iosfwd>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "freedb/cddb_request.h"
#include "platform/message_queue.h"

namespace sonvarek {

// --server HOST[:PORT]: the cddb server of this run, port 80 unless given.
struct ServerChoice {
  std::string host;
  uint16_t port = 80;
};

// "host" or "host:port" (1..65535); nothing when malformed.
std::optional<ServerChoice> ParseServerChoice(const std::string& value);

// The server of the run, when one was given, in place of the Server setting.
void UseServer(const std::optional<ServerChoice>& server, CddbRequest& request);

// Hands the queue's messages to `handle` until `finished` says so, turning Ctrl+C into
// one call of `cancel`. Returns whether Ctrl+C was pressed.
bool RunDialogLoop(MessageQueue& queue, const std::function<void(const WindowMessage&)>& handle,
                   const std::function<bool()>& finished, const std::function<void()>& cancel);

}  // namespace sonvarek
