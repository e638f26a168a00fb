#include "freedb/cddb_http.h"

#include <cctype>

#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";

std::string RequestLine(const CddbRequest& request) {
  if (request.useProxy) return FormatText("POST http://%s%s HTTP/1.0\r\n", HostHeaderValue(request), request.scriptPath);
  return FormatText("POST %s HTTP/1.0\r\n", request.scriptPath);
}

// The length of the valid UTF-8 sequence at `at`, or 0 when there is none (overlong
// forms, surrogates and values past U+10FFFF included).
size_t Utf8SequenceAt(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  unsigned char second = byte(at + 1);
  if (lead == 0xE0 && second < 0xA0) return 0;
  if (lead == 0xED && second > 0x9F) return 0;
  if (lead == 0xF0 && second < 0x90) return 0;
  if (lead == 0xF4 && second > 0x8F) return 0;
  return length;
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t length = Utf8SequenceAt(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

}  // namespace

std::string HostHeaderValue(const CddbRequest& request) {
  return request.port == 80 ? request.host : request.host + ":" + std::to_string(request.port);
}

std::string Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[group >> 18 & 0x3F];
    out += kAlphabet[group >> 12 & 0x3F];
    out += i + 1 < bytes.size() ? kAlphabet[group >> 6 & 0x3F] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[group & 0x3F] : '=';
  }
  return out;
}

std::string QueryHttpRequest(const CddbRequest& request) {
  std::string text = RequestLine(request);
  text += "Host: " + HostHeaderValue(request) + "\r\n";
  text += "Content-Type: application/x-www-form-urlencoded\r\n";
  text += FormatText("User-Agent: %s\r\n", std::string(text::kCddbClientName));
  if (request.useProxy && request.proxyAuthorization && !request.proxyUser.empty()) {
    text += "Proxy-Authorization: Basic " + Base64(request.proxyUser + ":" + request.proxyPassword) + "\r\n";
  }
  text += FormatText("Content-Length: %zu\r\n\r\n", request.requestText.size());
  text += request.requestText;
  return text;
}

std::string SubmitHttpRequest(const CddbRequest& request) {
  return RequestLine(request) + "Host: " + HostHeaderValue(request) + "\r\n" + request.requestText;
}

std::optional<std::string> CddbReplyOf(std::string_view answer) {
  answer = answer.substr(0, answer.find('\0'));
  size_t start = 0;
  while (start < answer.size() && std::isspace(static_cast<unsigned char>(answer[start]))) ++start;
  std::string_view head = answer.substr(start, 4);
  if (head.size() < 4) return std::nullopt;
  for (size_t i = 0; i < 4; ++i) {
    if (std::toupper(static_cast<unsigned char>(head[i])) != "HTTP"[i]) return std::nullopt;
  }
  size_t blank = answer.find(kBlankLine);
  if (blank == std::string_view::npos) return std::nullopt;
  return std::string(answer.substr(blank + kBlankLine.size()));
}

std::string SubmitCodeOf(std::string_view answer) {
  answer = answer.substr(0, answer.find('\0'));
  size_t blank = answer.find(kBlankLine);
  if (blank == std::string_view::npos) return {};
  return std::string(answer.substr(blank + kBlankLine.size(), 3));
}

std::string CddbTextAsUtf8(std::string_view reply) {
  if (IsUtf8(reply)) return std::string(reply);
  std::string text;
  text.reserve(reply.size() + reply.size() / 4);
  for (char c : reply) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

}  // namespace sonvarek
