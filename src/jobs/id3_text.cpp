#include "jobs/id3_text.h"

namespace sonvarek {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point at `position`, advancing past it. Overlong forms, surrogates and
// values above U+10FFFF are refused like any other malformed sequence.
char32_t NextCodePoint(std::string_view text, size_t& position) {
  const auto lead = static_cast<unsigned char>(text[position++]);
  if (lead < 0x80) return lead;
  int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || position + static_cast<size_t>(length - 1) > text.size()) return kReplacement;
  char32_t value = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[position + static_cast<size_t>(i - 1)]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    value = (value << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  position += static_cast<size_t>(length - 1);
  return value;
}

void AppendUtf8(std::string& out, char32_t value) {
  if (value < 0x80) {
    out += static_cast<char>(value);
  } else if (value < 0x800) {
    out += static_cast<char>(0xC0 | (value >> 6));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    out += static_cast<char>(0xE0 | (value >> 12));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (value >> 18));
    out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  }
}

}  // namespace

std::string Latin1FromUtf8(std::string_view utf8) {
  std::string out;
  for (size_t position = 0; position < utf8.size();) {
    char32_t value = NextCodePoint(utf8, position);
    out += value <= 0xFF ? static_cast<char>(value) : '?';
  }
  return out;
}

std::optional<std::string> ExactLatin1FromUtf8(std::string_view utf8) {
  std::string out;
  for (size_t position = 0; position < utf8.size();) {
    char32_t value = NextCodePoint(utf8, position);
    if (value > 0xFF) return std::nullopt;
    out += static_cast<char>(value);
  }
  return out;
}

std::vector<uint16_t> Utf16FromUtf8(std::string_view utf8) {
  std::vector<uint16_t> out;
  for (size_t position = 0; position < utf8.size();) {
    char32_t value = NextCodePoint(utf8, position);
    if (value < 0x10000) {
      out.push_back(static_cast<uint16_t>(value));
    } else {
      value -= 0x10000;
      out.push_back(static_cast<uint16_t>(0xD800 | (value >> 10)));
      out.push_back(static_cast<uint16_t>(0xDC00 | (value & 0x3FF)));
    }
  }
  return out;
}

std::string Utf8FromLatin1(std::string_view latin1) {
  std::string out;
  for (char c : latin1) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string Utf8FromUtf16(const std::vector<uint16_t>& utf16) {
  std::string out;
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t value = utf16[i];
    const bool high = value >= 0xD800 && value <= 0xDBFF;
    if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = kReplacement;
    }
    AppendUtf8(out, value);
  }
  return out;
}

}  // namespace sonvarek
