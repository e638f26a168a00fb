#include "freedb/cddb_query.h"

#include <cctype>

#include "core/number_text.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

constexpr int kMaxTrackIndex = 99;

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string_view WithoutLeadingBlanks(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

// The first word of `text` and what follows it, leading blanks removed; nothing
// follows when there is no blank after the word.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view text) {
  size_t blank = 0;
  while (blank < text.size() && !IsBlank(text[blank])) ++blank;
  if (blank == text.size()) return {text, {}};
  return {text.substr(0, blank), WithoutLeadingBlanks(text.substr(blank))};
}

// The reply's lines after the first, up to the "." line or the end; whether the "." line came.
template <typename Visit>
bool ForEachBodyLine(std::string_view reply, Visit visit) {
  size_t at = reply.find("\r\n");
  while (at != std::string_view::npos) {
    at += 2;
    size_t end = reply.find("\r\n", at);
    std::string_view line = reply.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (at >= reply.size()) return false;
    if (line.starts_with('.')) return true;
    visit(line);
    at = end;
  }
  return false;
}

int ReplyCode(std::string_view reply) { return ParseWholeNumber<int>(reply.substr(0, 3)).value_or(0); }

// The value after the first '=' when it stands after the first character.
std::optional<std::string_view> KeyValue(std::string_view line) {
  size_t equals = line.find('=', 1);
  if (equals == std::string_view::npos) return std::nullopt;
  return line.substr(equals + 1);
}

// TTITLEn: n, or nothing when no number follows the key.
std::optional<int> TrackIndexOf(std::string_view line) {
  std::string_view rest = line.substr(6);
  size_t digits = 0;
  while (digits < rest.size() && digits < 9 && std::isdigit(static_cast<unsigned char>(rest[digits]))) ++digits;
  return ParseWholeNumber<int>(rest.substr(0, digits));
}

void ReadEntryLine(std::string_view line, CddbReadResult& result, int& highest) {
  if (line.empty()) return;
  if (line.starts_with('#')) {
    constexpr std::string_view kRevision = "# Revision: ";
    size_t at = line.find(kRevision);
    if (at == std::string_view::npos) return;
    std::string_view number = WithoutLeadingBlanks(line.substr(at + kRevision.size()));
    size_t digits = 0;
    while (digits < number.size() && digits < 9 && std::isdigit(static_cast<unsigned char>(number[digits]))) ++digits;
    result.revision = ParseWholeNumber<int32_t>(number.substr(0, digits)).value_or(0);
    result.revisionFound = true;
    return;
  }
  if (line.starts_with("DTITLE")) {
    if (std::optional<std::string_view> value = KeyValue(line)) result.discTitle += *value;
    return;
  }
  if (line.starts_with("DYEAR=")) {
    result.year += line.substr(6);
    return;
  }
  if (!line.starts_with("TTITLE")) return;
  std::optional<int> index = TrackIndexOf(line);
  if (!index || *index > kMaxTrackIndex) return;
  highest = std::max(highest, *index);
  if (result.trackTitles.size() <= static_cast<size_t>(*index)) result.trackTitles.resize(static_cast<size_t>(*index) + 1);
  if (std::optional<std::string_view> value = KeyValue(line)) result.trackTitles[static_cast<size_t>(*index)] += *value;
}

}  // namespace

std::string_view TrimmedText(std::string_view text) { return WithoutTrailingBlanks(WithoutLeadingBlanks(text)); }

std::string PlusEncode(std::string_view text) {
  std::string encoded(text);
  for (size_t i = 1; i < encoded.size(); ++i) {
    if (encoded[i] == '@' || encoded[i] == ' ') encoded[i] = '+';
  }
  if (!encoded.empty() && encoded[0] == '@') encoded[0] = '+';
  return encoded;
}

std::string QueryBody(const DiscIdInfo& info, std::string_view email) {
  std::string body = FormatText("cmd=cddb+query+%08x+%d+", info.discId, info.trackCount);
  for (int k = 0; k < info.trackCount; ++k) body += FormatText("%d+", info.frameOffsets[static_cast<size_t>(k)]);
  body += FormatText("%d&hello=%s+%s&proto=%d\r\n", info.DiscLengthSeconds(), std::string(email),
                     std::string(text::kCddbClientName), kCddbProtocolLevel);
  return PlusEncode(body);
}

std::string ReadBody(std::string_view category, std::string_view discId, std::string_view email) {
  return FormatText("cmd=cddb+read+%s+%s&hello=%s+%s&proto=%d\r\n", std::string(category), std::string(discId),
                    PlusEncode(email), PlusEncode(text::kCddbClientName), kCddbProtocolLevel);
}

CddbMatch ParseMatchLine(std::string_view text) {
  CddbMatch match;
  text = WithoutLeadingBlanks(text);
  match.line = text;
  auto [category, afterCategory] = FirstWord(text);
  match.category = category;
  auto [discId, discTitle] = FirstWord(afterCategory);
  match.discId = discId;
  std::tie(match.artist, match.title) = SplitDiscTitle(discTitle);
  return match;
}

CddbQueryResult ParseQueryResponse(std::string_view reply) {
  CddbQueryResult result;
  result.code = ReplyCode(reply);
  if (result.code == 200) {
    std::string_view line = reply.size() > 4 ? reply.substr(4) : std::string_view{};
    result.matches.push_back(ParseMatchLine(line.substr(0, line.find("\r\n"))));
  } else if (result.code == 210 || result.code == 211) {
    ForEachBodyLine(reply, [&](std::string_view line) { result.matches.push_back(ParseMatchLine(line)); });
  }
  return result;
}

CddbReadResult ParseReadResponse(std::string_view reply) {
  CddbReadResult result;
  result.code = ReplyCode(reply);
  if (result.code != 210) return result;
  int highest = -1;
  // An entry the server stopped sending before its "." line (a connection closed
  // mid-entry) is not the entry: taking it would keep cut titles as the disc's.
  if (!ForEachBodyLine(reply, [&](std::string_view line) { ReadEntryLine(line, result, highest); })) {
    CddbReadResult cut;
    cut.code = result.code;
    return cut;
  }
  result.hasEntry = true;
  std::string_view firstLine = reply.substr(0, reply.find("\r\n"));
  result.category = FirstWord(FirstWord(firstLine).second).first;
  const int titles = highest + 1;
  result.trackTitles.resize(static_cast<size_t>(titles));
  result.discTitle = std::string(TrimmedText(result.discTitle));
  result.year = std::string(TrimmedText(result.year));
  for (std::string& title : result.trackTitles) title = std::string(TrimmedText(title));
  return result;
}

std::pair<std::string, std::string> SplitDiscTitle(std::string_view discTitle) {
  size_t slash = discTitle.find('/');
  if (discTitle.empty() || slash == 0 || slash == std::string_view::npos) {
    std::string whole(WithoutTrailingBlanks(discTitle));
    return {whole, whole};
  }
  return {std::string(TrimmedText(discTitle.substr(0, slash))), std::string(TrimmedText(discTitle.substr(slash + 1)))};
}

}  // namespace sonvarek
