#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/manual_reset_event.h"

namespace sonvarek {

struct TcpExchangeLimits {
  std::chrono::milliseconds timeout{20000};   // each of look-up, connect, send, and the silence between received blocks
  std::chrono::milliseconds cancelPoll{250};  // the cancel event is checked at least this often
  size_t answerCap = size_t{1} << 20;         // largest answer kept
};

enum class TcpStage { LookingUp, Connecting, Sending, Receiving };
enum class TcpOutcome { Answered, Cancelled, Failed, TooLarge };

struct TcpExchangeResult {
  TcpOutcome outcome = TcpOutcome::Failed;
  // errno of the failure; ETIMEDOUT for a time-out. A failed look-up maps its EAI_ code:
  // no such host (EAI_NONAME, EAI_NODATA, EAI_ADDRFAMILY) -> EHOSTUNREACH, EAI_AGAIN -> EAGAIN,
  // EAI_MEMORY -> ENOMEM, anything else -> EIO.
  int errorNumber = 0;
  std::string answer;  // every byte received until the peer closed (Answered), or what came before the failure
};

// Connects to host:port (IPv4, the first address of the look-up), sends `request` whole,
// then receives until the peer closes the connection. `onStage` (may be empty) is called
// on the calling thread as each stage begins. Never blocks longer than limits.cancelPoll
// without checking `cancel`; a set cancel event ends the exchange with Cancelled (a cancel
// already set ends it before the look-up starts).
//
// A host made only of digits and dots (or empty) is taken as an address and never sent to
// the name service, so "999.999.999.999" fails at once without any DNS query. The send time-out
// counts time without progress, like the receive one. Safe to call on several threads at once;
// raises no SIGPIPE.
TcpExchangeResult ExchangeOverTcp(const std::string& host, uint16_t port, std::string_view request,
                                  const ManualResetEvent& cancel, const TcpExchangeLimits& limits = {},
                                  const std::function<void(TcpStage)>& onStage = {});

}  // namespace sonvarek
