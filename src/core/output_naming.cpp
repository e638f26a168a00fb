#include "core/output_naming.h"

#include <filesystem>

#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/folders.h"

namespace sonvarek {
namespace {

constexpr std::array<char, 10> kForbidden = {'*', ':', '?', '"', '|', '/', '\\', '<', '>', ' '};
constexpr std::array<const char*, 5> kTokens = {"<artist>", "<album>", "<title>", "<number>", "<year>"};

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  size_t start = 0;
  for (size_t found = text.find(from); found != std::string_view::npos; found = text.find(from, start)) {
    result.append(text.substr(start, found - start));
    result.append(to);
    start = found + from.size();
  }
  result.append(text.substr(start));
  return result;
}

std::string OrDefault(const std::string& value, const char* fallback) { return value.empty() ? fallback : value; }

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Newlines, escapes and NULs in disc texts would break file names and play lists.
std::string ControlCharactersToBlanks(std::string text) {
  for (char& c : text) {
    if (IsControl(c)) c = ' ';
  }
  return text;
}

// A replacement string may never make a subfolder or smuggle in a control character.
std::array<std::string, 10> SafeReplacements(const std::array<std::string, 10>& replacements) {
  std::array<std::string, 10> safe;
  for (size_t i = 0; i < replacements.size(); ++i) {
    for (char c : replacements[i]) {
      if (c != '/' && c != '\\' && !IsControl(c)) safe[i] += c;
    }
  }
  return safe;
}

bool IsOnlyDots(std::string_view component) {
  return !component.empty() && component.find_first_not_of('.') == std::string_view::npos;
}

// A component of dots alone would name the folder itself or its parent.
std::string DefuseDotComponents(std::string_view relative, const std::string& starReplacement) {
  std::string replacement = IsOnlyDots(starReplacement) || starReplacement.empty() ? "#" : starReplacement;
  std::string result;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("/\\", start);
    std::string_view component = relative.substr(start, end == std::string_view::npos ? end : end - start);
    result += IsOnlyDots(component) ? ReplaceAll(component, ".", replacement) : std::string(component);
    if (end == std::string_view::npos) break;
    result += '/';
    start = end + 1;
  }
  return result;
}

// ReplaceForbiddenCharacters with replacements already made safe.
std::string ReplaceWithSafe(std::string_view text, const std::array<std::string, 10>& safe) {
  std::string result(text);
  for (size_t i = 0; i < kForbidden.size(); ++i) {
    result = ReplaceAll(result, std::string_view(&kForbidden[i], 1), safe[i]);
  }
  return result;
}

}  // namespace

std::string ReplaceForbiddenCharacters(std::string_view text, const std::array<std::string, 10>& replacements) {
  return ReplaceWithSafe(text, SafeReplacements(replacements));
}

std::string ExpandOutputPath(const ConversionJob& job, std::string_view folder, std::string_view extension,
                             const Settings& settings) {
  const std::array<std::string, 10> safe = SafeReplacements(settings.ReplaceStr);
  auto value = [&safe](const std::string& text) { return ReplaceWithSafe(ControlCharactersToBlanks(text), safe); };
  std::array<std::string, 5> values = {
      value(OrDefault(job.tags.Artist, text::kUnknownArtist)),
      value(OrDefault(job.tags.Album, text::kUnknownAlbum)),
      value(job.sourceName),
      FormatText("%02d", job.trackIndex + 1),
      value(OrDefault(job.tags.Year, text::kUnknownYear)),
  };
  std::string expanded = ControlCharactersToBlanks(settings.NamingRule);
  for (size_t i = 0; i < kTokens.size(); ++i) expanded = ReplaceAll(expanded, kTokens[i], values[i]);

  std::string path = WithoutTrailingSlashes(folder);
  if (path != "/") path += '/';
  path += DefuseDotComponents(expanded, safe[0]);
  path += extension;
  return path;
}

bool LiesInsideFolder(std::string_view path, std::string_view folder) {
  namespace fs = std::filesystem;
  fs::path inside = fs::path(path).lexically_normal();
  fs::path base = fs::path(WithoutTrailingSlashes(folder)).lexically_normal();
  fs::path relative = inside.lexically_relative(base);
  if (relative.empty() || relative == ".") return false;
  for (const fs::path& part : relative) {
    if (part == "..") return false;
  }
  return true;
}

std::optional<std::string> BuildOutputPath(const ConversionJob& job, std::string_view folder,
                                           std::string_view extension, const Settings& settings) {
  std::string path = ExpandOutputPath(job, folder, extension, settings);
  if (!LiesInsideFolder(path, folder)) return std::nullopt;
  MakeSureDirectoryPathExists(path);
  return path;
}

std::string ConvertedOutputPath(std::string_view sourcePath, std::string_view folder, std::string_view extension) {
  size_t slash = sourcePath.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? sourcePath : sourcePath.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  std::string path = WithoutTrailingSlashes(folder);
  if (path != "/") path += '/';
  return path + std::string(name) + std::string(extension);
}

NamingRuleCheck CheckNamingRule(std::string& rule) {
  if (rule.empty()) rule = "<title>";
  for (const char* token : kTokens) {
    if (rule.find(token) != std::string::npos) return NamingRuleCheck::Accepted;
  }
  return NamingRuleCheck::Refused;
}

FreeSpace GetFreeDiskSpace(std::string_view path, const DiskSpaceProbe& probe) { return probe.Query(path); }

FreeSpaceCheck CheckFreeDiskSpace(std::string_view path, uint64_t requiredBytes, const DiskSpaceProbe& probe) {
  FreeSpace space = probe.Query(path);
  return {!space.queried || space.freeBytes > requiredBytes, space.folder};
}

}  // namespace sonvarek
