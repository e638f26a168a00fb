#include "core/profile_file.h"

#include <filesystem>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/staged_file.h"

namespace sonvarek {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsComment(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  size_t close = trimmed.find(']');
  std::string_view name = trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  return Trim(name);
}

struct KeyValue {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyValue> SplitKeyLine(std::string_view line) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || IsComment(trimmed) || trimmed.front() == '[') return std::nullopt;
  size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return KeyValue{trimmed, {}};
  return KeyValue{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

std::string Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return std::string(value);
}

// Values that would not read back as written (outer blanks, an enclosing pair of
// quotes) are written quoted.
std::string Quoted(std::string_view value) {
  // A value is one line: a line break would end it and start a line of its own (a
  // forged key or section).
  if (value.find_first_of("\r\n") != std::string_view::npos) return Quoted(LineBreaksAsBlanks(value));
  bool needsQuotes = !value.empty() && (IsSpace(value.front()) || IsSpace(value.back()) ||
                                        (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
  return needsQuotes ? "\"" + std::string(value) + "\"" : std::string(value);
}

// Cuts at most to `limit` bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  // A character has at most three continuation bytes; a longer run is no UTF-8 and is
  // cut where the limit falls, not walked back to the start of the value.
  while (end > 0 && limit - end < 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

// Grows with what is read, so a small file costs no more than its size.
std::string ReadAtMost(std::istream& stream, size_t limit) {
  std::string text;
  std::array<char, 16384> block{};
  while (text.size() < limit) {
    stream.read(block.data(), static_cast<std::streamsize>(std::min(block.size(), limit - text.size())));
    if (stream.gcount() <= 0) break;
    text.append(block.data(), static_cast<size_t>(stream.gcount()));
  }
  return text;
}

}  // namespace

int32_t ParseProfileInt(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() < '0' || text.front() > '9') return 0;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

ProfileFile ProfileFile::Load(const std::string& path, ProfileLoad* outcome) {
  std::ifstream stream(path, std::ios::binary);
  if (outcome != nullptr) *outcome = ProfileLoad::Missing;
  if (!stream) return ProfileFile();
  // One byte past the limit tells a file of exactly the limit from a larger one.
  std::string text = ReadAtMost(stream, kLargestProfileBytes + 1);
  const bool cut = text.size() > kLargestProfileBytes;
  if (cut) {
    size_t lastBreak = text.rfind('\n', kLargestProfileBytes - 1);
    text.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
  }
  if (outcome != nullptr) *outcome = cut ? ProfileLoad::Cut : ProfileLoad::Whole;
  return Parse(text);
}

ProfileFile ProfileFile::Parse(std::string_view text) {
  ProfileFile profile;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    profile.byteOrderMark_ = true;
    text.remove_prefix(3);
  }
  size_t firstBreak = text.find('\n');
  if (firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r') profile.lineEnd_ = "\r\n";
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    profile.lines_.push_back({std::string(line)});
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return profile;
}

std::optional<std::pair<size_t, size_t>> ProfileFile::SectionBody(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::optional<std::string_view> name = SectionName(lines_[i].text);
    if (!name || !EqualNoCase(*name, section)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !SectionName(lines_[end].text)) ++end;
    return std::make_pair(i + 1, end);
  }
  return std::nullopt;
}

std::optional<size_t> ProfileFile::KeyLine(size_t begin, size_t end, std::string_view key) const {
  for (size_t i = begin; i < end; ++i) {
    std::optional<KeyValue> pair = SplitKeyLine(lines_[i].text);
    if (pair && EqualNoCase(pair->key, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
  auto body = SectionBody(section);
  if (!body) return std::nullopt;
  std::optional<size_t> line = KeyLine(body->first, body->second, key);
  if (!line) return std::nullopt;
  return Unquoted(SplitKeyLine(lines_[*line].text)->value);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                   size_t bufferSize) const {
  std::optional<std::string> value = Find(section, key);
  std::string result = value ? std::move(*value) : std::string(fallback);
  return CutUtf8(std::move(result), bufferSize == 0 ? 0 : bufferSize - 1);
}

int32_t ProfileFile::GetInt(std::string_view section, std::string_view key, int32_t fallback) const {
  std::optional<std::string> value = Find(section, key);
  return value ? ParseProfileInt(*value) : fallback;
}

void ProfileFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(key) + "=" + Quoted(value);
  auto body = SectionBody(section);
  if (!body) {
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back({""});
    lines_.push_back({"[" + std::string(section) + "]"});
    lines_.push_back({std::move(line)});
    return;
  }
  if (std::optional<size_t> existing = KeyLine(body->first, body->second, key)) {
    lines_[*existing].text = std::move(line);
    return;
  }
  // After the section's last non-blank line, so a blank line before the next section stays.
  size_t insertAt = body->second;
  while (insertAt > body->first && Trim(lines_[insertAt - 1].text).empty()) --insertAt;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{std::move(line)});
}

void ProfileFile::SetInt(std::string_view section, std::string_view key, long value) {
  SetString(section, key, std::to_string(value));
}

void ProfileFile::RemoveKey(std::string_view section, std::string_view key) {
  auto body = SectionBody(section);
  if (!body) return;
  if (std::optional<size_t> line = KeyLine(body->first, body->second, key)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
  }
}

std::string ProfileFile::Text() const {
  std::string text = byteOrderMark_ ? "\xEF\xBB\xBF" : "";
  for (const Line& line : lines_) {
    text += line.text;
    text += lineEnd_;
  }
  return text;
}

bool ProfileFile::Save(const std::string& path, std::string* errorText) const {
  struct stat old {};
  const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  const std::string text = Text();
  StagedFile file = StagedFile::Create(path, mode);
  if (file.IsOpen() && file.file().WriteAll(text.data(), text.size()) && file.Commit()) return true;
  if (errorText != nullptr) *errorText = file.file().error() != 0 ? file.file().ErrorText() : file.ErrorText();
  return false;
}

bool LoadForUpdate(const std::string& path, ProfileFile& profile) {
  ProfileLoad outcome = ProfileLoad::Missing;
  profile = ProfileFile::Load(path, &outcome);
  if (outcome == ProfileLoad::Whole) return true;
  std::error_code error;
  return outcome == ProfileLoad::Missing && !std::filesystem::exists(path, error) && !error;
}

std::string LineBreaksAsBlanks(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace sonvarek
