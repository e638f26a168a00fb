#include "platform/folders.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sonvarek {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool MakeOneFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST) {
    struct stat status {};
    return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  }
  return false;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  std::string folder = WithoutTrailingSlashes(home != nullptr ? home : "");
  return folder.empty() || folder == "/" ? std::string() : folder;
}

// Reads XDG_MUSIC_DIR="$HOME/…" from user-dirs.dirs; empty when absent.
std::string XdgMusicFolder() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string config = configHome != nullptr && *configHome != '\0' ? configHome : HomeFolder() + "/.config";
  std::ifstream file(config + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_MUSIC_DIR=";
  while (std::getline(file, line)) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
    return value.empty() || value.front() != '/' ? std::string() : value;
  }
  return {};
}

}  // namespace

bool MakeSureDirectoryPathExists(std::string_view path) {
  std::string current;
  for (char c : path) {
    if (!IsSeparator(c)) {
      current += c;
      continue;
    }
    // Empty (root or doubled separator) components need no folder.
    if (!current.empty() && !IsSeparator(current.back()) && !MakeOneFolder(current)) return false;
    current += '/';
  }
  return true;
}

std::string WithoutTrailingSlashes(std::string_view folder) {
  size_t begin = 0;
  while (begin < folder.size() && IsSpace(folder[begin])) ++begin;
  size_t end = folder.size();
  while (end > begin && (IsSpace(folder[end - 1]) || IsSeparator(folder[end - 1]))) --end;
  if (end == begin && begin < folder.size() && IsSeparator(folder[begin])) return "/";
  return std::string(folder.substr(begin, end - begin));
}

std::string WithOneTrailingSlash(std::string_view folder) {
  std::string trimmed = WithoutTrailingSlashes(folder);
  if (trimmed == "/") return trimmed;
  return trimmed + '/';
}

std::optional<std::string> CreateUniqueTemporaryFile(std::string_view folder, std::string_view prefix) {
  std::string pattern = WithOneTrailingSlash(folder) + std::string(prefix) + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int descriptor = mkstemp(name.data());
  if (descriptor < 0) return std::nullopt;
  close(descriptor);
  return std::string(name.data());
}

std::string SystemTemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return WithOneTrailingSlash(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
}

std::string DefaultOutputFolder() {
  std::string music = XdgMusicFolder();
  if (music.empty()) music = HomeFolder() + "/Music";
  return WithoutTrailingSlashes(music) + "/Sonvarek Maker";
}

}  // namespace sonvarek
