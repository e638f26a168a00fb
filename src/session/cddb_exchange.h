#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "freedb/cddb_request.h"
#include "platform/message_queue.h"

namespace sonvarek {

// The cddb server of one run in place of the Server setting; port 80 unless given.
struct ServerChoice {
  std::string host;
  uint16_t port = 80;
};

// What a freedb dialog run without its window tells its caller and asks it.
struct CddbExchangeCalls {
  std::function<void(const std::string& text)> status;  // each status text the dialog shows
  std::function<bool()> interrupted;                    // polled; once true, the dialog is cancelled
};

// The request with the run's server, when one was chosen.
void UseServer(const std::optional<ServerChoice>& server, CddbRequest& request);

// Hands the queue's messages to `handle` until `finished` says so, turning the first
// `interrupted` into one call of `cancel`; the queue is closed at the end. Returns
// whether it was interrupted.
bool RunCddbDialog(MessageQueue& queue, const std::function<void(const WindowMessage&)>& handle,
                   const std::function<bool()>& finished, const std::function<void()>& cancel,
                   const std::function<bool()>& interrupted);

}  // namespace sonvarek
