#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "freedb/cddb_query.h"
#include "session/cddb_exchange.h"
#include "session/disc_session.h"

namespace sonvarek {

enum class QueryEnd {
  Read,             // the chosen candidate's texts are on the disc and saved
  ReadNotSaved,     // read, but the local disc database could not be written (told)
  NoDiscId,         // the disc id could not be read (text::kPleaseInsertAnAudioCd told)
  NotRead,          // no match, a failure (told) or the dialog closed without reading
  NoSuchCandidate,  // `choice` is past the candidate list
  Cancelled,        // interrupted
};

struct QueryOutcome {
  QueryEnd end = QueryEnd::NotRead;
  size_t candidateCount = 0;
};

struct QueryCalls {
  CddbExchangeCalls exchange;
  // The candidate list, once the query found more than one, before `choice` is read.
  std::function<void(const std::vector<CddbMatch>& candidates)> candidates;
};

// "Query Freedb..." without its window, on the disc read in `session`: the query and
// the read as the dialog runs them, against the settings' server or `server`, with
// candidate `choice` (0-based) read when there are several; what the read brings is
// kept in the local disc database. Failures are told on `notice`.
QueryOutcome QueryDisc(DiscSession& session, const Settings& settings, const std::optional<ServerChoice>& server,
                       size_t choice, UserNotice& notice, const QueryCalls& calls);

}  // namespace sonvarek
