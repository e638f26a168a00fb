#pragma once

#include <optional>
#include <string_view>

#include "session/cddb_exchange.h"
#include "session/disc_session.h"

namespace sonvarek {

// Whether the settings' e-mail address may be sent with a submission (the first check
// of "Submit to Freedb...", before any disc is read).
bool SubmissionEmailAccepted(const Settings& settings);

// The index of a freedb category of the submission's genre box; nothing for any other name.
std::optional<int> SubmissionGenre(std::string_view name);

enum class SubmitEnd {
  Submitted,
  SubmittedNotSaved,  // submitted, but the local disc database could not be written (told)
  NoDiscId,           // the disc id could not be read (text::kPleaseInsertAnAudioCd told)
  Refused,            // the texts failed the dialog's checks (told)
  Failed,             // the exchange failed (told)
  Cancelled,          // interrupted
};

// "Submit to Freedb..." without its window: the disc's current texts checked as the
// dialog checks them and submitted to the settings' submit script or `server`, in
// category `genre` when given; after an exchange the texts it set are saved as at
// exit. Failures are told on `notice`.
SubmitEnd SubmitDisc(DiscSession& session, const Settings& settings, const std::optional<ServerChoice>& server,
                     std::optional<int> genre, UserNotice& notice, const CddbExchangeCalls& calls);

}  // namespace sonvarek
