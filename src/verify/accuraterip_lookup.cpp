#include "verify/accuraterip_lookup.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <string_view>

#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/file.h"

namespace sonvarek {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// "host" or "host:port" as the Host field and the messages name the server.
std::string ServerName(const HttpLocation& location) {
  return location.port == 80 ? location.host : location.host + ":" + std::to_string(location.port);
}

std::string GetRequest(const HttpLocation& location, const std::string& path) {
  return "GET " + location.path + path + " HTTP/1.0\r\nHost: " + ServerName(location) + "\r\nUser-Agent: " +
         text::kAccurateRipUserAgent + "\r\n\r\n";
}

// The status code of an "HTTP/1.x NNN ..." status line; nothing for any other start.
std::optional<int> StatusOf(std::string_view answer) {
  constexpr std::string_view kVersion = "HTTP/1.";
  if (answer.size() < kVersion.size() + 5 || answer.substr(0, kVersion.size()) != kVersion) return std::nullopt;
  std::string_view rest = answer.substr(kVersion.size());
  if (!std::isdigit(static_cast<unsigned char>(rest[0])) || rest[1] != ' ') return std::nullopt;
  int status = 0;
  auto [end, error] = std::from_chars(rest.data() + 2, rest.data() + 5, status);
  if (error != std::errc() || end != rest.data() + 5 || status < 100) return std::nullopt;
  return status;
}

AccurateRipLookup Failure(std::string why) {
  AccurateRipLookup lookup;
  lookup.failure = std::move(why);
  return lookup;
}

AccurateRipLookup ReadAnswer(const std::string& answer, const std::string& server) {
  const std::optional<int> status = StatusOf(answer);
  if (!status) return Failure(FormatText(text::kAccurateRipMalformed, server));
  if (*status == 404) return {LookupOutcome::NotPresent, {}, {}};
  if (*status != 200) return Failure(FormatText(text::kAccurateRipStatus, server, *status));
  const size_t headersEnd = answer.find("\r\n\r\n");
  if (headersEnd == std::string::npos) return Failure(FormatText(text::kAccurateRipMalformed, server));
  const auto* body = reinterpret_cast<const uint8_t*>(answer.data()) + headersEnd + 4;
  auto blocks = ParseAccurateRipDatabase({body, answer.size() - headersEnd - 4});
  if (!blocks) return Failure(FormatText(text::kAccurateRipMalformed, server));
  return {LookupOutcome::Found, std::move(*blocks), {}};
}

}  // namespace

std::optional<HttpLocation> ParseHttpBase(const std::string& url) {
  constexpr std::string_view kScheme = "http://";
  if (!StartsWithNoCase(url, kScheme)) return std::nullopt;
  // Whatever goes into the request line must not end it early.
  for (char c : url) {
    if (std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c))) return std::nullopt;
  }
  std::string_view rest = std::string_view(url).substr(kScheme.size());
  HttpLocation location;
  const size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash != std::string_view::npos) location.path = std::string(rest.substr(slash));
  if (location.path.back() != '/') location.path += '/';
  const size_t colon = authority.find(':');
  if (colon != std::string_view::npos) {
    std::string_view digits = authority.substr(colon + 1);
    unsigned port = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535) {
      return std::nullopt;
    }
    location.port = static_cast<uint16_t>(port);
    authority = authority.substr(0, colon);
  }
  if (authority.empty()) return std::nullopt;
  location.host = std::string(authority);
  return location;
}

AccurateRipLookup LookUpAccurateRip(const std::string& serverBase, const AccurateRipDiscIds& ids,
                                    const ManualResetEvent& cancel, const TcpExchangeLimits& limits) {
  const std::optional<HttpLocation> location = ParseHttpBase(serverBase);
  if (!location) return Failure(FormatText(text::kAccurateRipBadAddress, serverBase));
  const std::string server = ServerName(*location);
  const std::string request = GetRequest(*location, AccurateRipDatabasePath(ids));
  const TcpExchangeResult result = ExchangeOverTcp(location->host, location->port, request, cancel, limits);
  switch (result.outcome) {
    case TcpOutcome::Cancelled: return {LookupOutcome::Cancelled, {}, {}};
    case TcpOutcome::TooLarge: return Failure(FormatText(text::kAccurateRipTooLarge, server));
    case TcpOutcome::Failed:
      if (result.errorNumber == ETIMEDOUT) return Failure(FormatText(text::kAccurateRipTimedOut, server));
      return Failure(FormatText(text::kAccurateRipUnreachable, server, SystemErrorText(result.errorNumber)));
    case TcpOutcome::Answered: break;
  }
  return ReadAnswer(result.answer, server);
}

}  // namespace sonvarek
