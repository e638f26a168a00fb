#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/manual_reset_event.h"
#include "platform/tcp_exchange.h"
#include "verify/accuraterip.h"
#include "verify/accuraterip_database.h"

namespace sonvarek {

// "http://host[:port][/path]" split for a GET; nothing for any other scheme or an
// empty host.
struct HttpLocation {
  std::string host;
  uint16_t port = 80;
  std::string path = "/";  // always ends with '/'
};
std::optional<HttpLocation> ParseHttpBase(const std::string& url);

enum class LookupOutcome {
  Found,       // blocks holds the parsed file
  NotPresent,  // the server answered 404: "Not present in database"
  Failed,      // why is in `failure`, a sentence for the log
  Cancelled,
};

struct AccurateRipLookup {
  LookupOutcome outcome = LookupOutcome::Failed;
  std::vector<AccurateRipBlock> blocks;
  std::string failure;
};

// GETs `<base>/<database path of ids>` over HTTP/1.0 with the cddb transport's
// time-outs and cancel, and parses the answer. A server that never answers ends
// after limits.timeout; a malformed or oversized answer is a failure, never a crash.
AccurateRipLookup LookUpAccurateRip(const std::string& serverBase, const AccurateRipDiscIds& ids,
                                    const ManualResetEvent& cancel, const TcpExchangeLimits& limits = {});

}  // namespace sonvarek
