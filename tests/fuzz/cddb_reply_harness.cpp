// A cddb server's HTTP answer, through the framing and both reply parsers.
#include <cctype>
#include <string>
#include <string_view>

#include "freedb/cddb_http.h"
#include "freedb/cddb_query.h"
#include "fuzz_harness.h"

namespace sonvarek::fuzz {

namespace {

// Well-formed UTF-8 as Unicode defines it: no overlong forms, surrogates or code points
// past U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 1;
    uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else if (lead >= 0x80) {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if (k == 1 ? next < low || next > high : (next & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// The first word of `text` at or after `from`, words separated by white space; `from`
// moves past it.
std::string_view WordAt(std::string_view text, size_t& from) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (from < text.size() && blank(text[from])) ++from;
  const size_t start = from;
  while (from < text.size() && !blank(text[from])) ++from;
  return text.substr(start, from - start);
}

void CheckQueryReply(std::string_view reply) {
  const CddbQueryResult query = ParseQueryResponse(reply);
  if (query.code == 200) FUZZ_CHECK(query.matches.size() <= 1);
  if (query.code != 200 && query.code != 210 && query.code != 211) FUZZ_CHECK(query.matches.empty());
  for (const CddbMatch& match : query.matches) {
    FUZZ_CHECK(ParseMatchLine(match.line) == match);
    size_t at = 0;
    FUZZ_CHECK(match.category == WordAt(match.line, at) && match.discId == WordAt(match.line, at));
  }
}

void CheckReadReply(std::string_view reply) {
  const CddbReadResult read = ParseReadResponse(reply);
  if (read.hasEntry) FUZZ_CHECK(read.code == 210);
  FUZZ_CHECK(read.trackTitles.size() <= 100);
  const auto [artist, album] = SplitDiscTitle(read.discTitle);
  FUZZ_CHECK(artist.size() <= read.discTitle.size() && album.size() <= read.discTitle.size());
}

}  // namespace

void FuzzCddbReply(const uint8_t* data, size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(SubmitCodeOf(answer).size() <= 3);
  const std::string encoded = Base64(answer);
  FUZZ_CHECK(encoded.size() == (size + 2) / 3 * 4);

  const std::optional<std::string> reply = CddbReplyOf(answer);
  if (!reply) return;
  FUZZ_CHECK(reply->size() < size && reply->find('\0') == std::string::npos);
  const std::string text = CddbTextAsUtf8(*reply);
  FUZZ_CHECK(IsValidUtf8(text));
  if (IsValidUtf8(*reply)) FUZZ_CHECK(text == *reply);
  CheckQueryReply(text);
  CheckReadReply(text);
  // The parsers take raw bytes too: a reply of another encoding must not trip them.
  CheckQueryReply(*reply);
  CheckReadReply(*reply);
}

}  // namespace sonvarek::fuzz
