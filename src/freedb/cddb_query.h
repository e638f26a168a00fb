#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "freedb/disc_id.h"

namespace sonvarek {

// The cddb protocol level asked for: level 6 replies are UTF-8, so titles in any
// script arrive whole.
inline constexpr int kCddbProtocolLevel = 6;

// Every '@' and every blank after the first character becomes '+': the e-mail gives
// the user and host fields of the hello, the client name its two words.
std::string PlusEncode(std::string_view text);

// "cddb query" with the disc id, the track count, each frame offset and the length in
// seconds, the hello and the protocol level, plus-encoded.
std::string QueryBody(const DiscIdInfo& info, std::string_view email);
// "cddb read" of a candidate: the first two words of its match line.
std::string ReadBody(std::string_view category, std::string_view discId, std::string_view email);

// One candidate disc of a query reply.
struct CddbMatch {
  std::string line;      // as received, leading white space removed
  std::string category;  // its first word
  std::string discId;    // its second word
  std::string artist;
  std::string title;

  bool operator==(const CddbMatch&) const = default;
};

struct CddbQueryResult {
  int code = 0;
  std::vector<CddbMatch> matches;
};

// A query reply (the text after the HTTP headers): 200 gives one match, 210 and 211
// the listed ones up to the "." line, any other code none.
CddbQueryResult ParseQueryResponse(std::string_view reply);
CddbMatch ParseMatchLine(std::string_view text);

struct CddbReadResult {
  int code = 0;
  bool revisionFound = false;
  int32_t revision = 0;
  bool hasEntry = false;  // a 210 reply: the texts below are the entry's
  std::string discTitle;  // DTITLE, continuation lines joined
  std::string category;
  std::string year;  // DYEAR, which replies of level 5 and above carry
  std::vector<std::string> trackTitles;  // index 0..highest TTITLE index, gaps empty
};

// A read reply: only a 210 reply that reaches its "." line carries an entry (one cut
// short gives nothing but the code). Continuation lines of a DTITLE or TTITLE value
// are joined as received and the whole value trimmed once, so words split at a blank
// stay apart. Track indexes beyond 99 are ignored.
CddbReadResult ParseReadResponse(std::string_view reply);

// "Artist / Album": the text before and after the first '/' when it is not the first
// character, both trimmed; else the whole title is both.
std::pair<std::string, std::string> SplitDiscTitle(std::string_view discTitle);

// White space removed at both ends.
std::string_view TrimmedText(std::string_view text);

}  // namespace sonvarek
