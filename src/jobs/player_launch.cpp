#include "jobs/player_launch.h"

#include <cstdlib>
#include <fstream>

#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/process.h"

namespace sonvarek {
namespace {

std::string TrimEnd(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

std::vector<std::string> ApplicationFolders() {
  std::vector<std::string> folders;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (dataHome != nullptr && *dataHome != '\0') {
    folders.push_back(std::string(dataHome) + "/applications/");
  } else if (home != nullptr) {
    folders.push_back(std::string(home) + "/.local/share/applications/");
  }
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  std::string dirs = dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
  size_t start = 0;
  while (start < dirs.size()) {
    size_t end = dirs.find(':', start);
    std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty()) folders.push_back(dir + "/applications/");
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return folders;
}

std::string DesktopExec(const std::string& desktopId) {
  for (const std::string& folder : ApplicationFolders()) {
    std::ifstream entry(folder + desktopId);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(entry, line)) {
      if (!line.empty() && line.front() == '[') inMainGroup = line == "[Desktop Entry]";
      if (inMainGroup && line.rfind("Exec=", 0) == 0) return line.substr(5);
    }
  }
  return {};
}

}  // namespace

std::vector<std::string> SplitParameters(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else if (c == '\\' && quote == '"' && i + 1 < text.size()) {
        word += text[++i];
      } else {
        word += c;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

CommandLine ParseDesktopExec(const std::string& exec) {
  CommandLine command;
  for (std::string& word : SplitParameters(exec)) {
    if (word.size() == 2 && word[0] == '%') continue;  // %f %F %u %U %i %c %k and the like
    std::string unescaped;
    for (size_t i = 0; i < word.size(); ++i) {
      if (word[i] == '%' && i + 1 < word.size() && word[i + 1] == '%') ++i;
      unescaped += word[i];
    }
    command.push_back(std::move(unescaped));
  }
  return command;
}

CommandLine FindDefaultMp3Player() {
  if (std::optional<std::string> desktopId = RunAndCapture({"xdg-mime", "query", "default", "audio/mpeg"})) {
    std::string id = TrimEnd(*desktopId);
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
    // Our own entry takes MP3 files to decode them; playing them there would convert
    // them instead, and xdg-open would only ask the same entry again.
    if (id == kOwnDesktopId) return {};
    CommandLine command = id.empty() ? CommandLine() : ParseDesktopExec(DesktopExec(id));
    if (!command.empty()) return command;
  }
  if (!FindProgram("xdg-open").empty()) return {"xdg-open"};
  return {};
}

PlayNowPlan PlanPlayNow(const Settings& settings, const std::vector<std::string>& files,
                        const std::function<CommandLine()>& findDefaultPlayer) {
  PlayNowPlan plan;
  CommandLine base;
  std::string player = TrimEnd(settings.MP3Player);
  if (!player.empty()) {
    base.push_back(player);
    for (std::string& word : SplitParameters(settings.MP3PlayerParameters)) base.push_back(std::move(word));
  } else {
    base = findDefaultPlayer();
  }
  if (base.empty()) {
    plan.message = text::kNoDefaultPlayer;
    return plan;
  }
  plan.player = base.front();
  if (files.empty()) {
    plan.message = text::kNoItemsToPlay;
    return plan;
  }
  for (const std::string& file : files) {
    CommandLine command = base;
    command.push_back(file);
    plan.commands.push_back(std::move(command));
  }
  return plan;
}

std::string RunPlayNow(const PlayNowPlan& plan, const std::function<bool(const CommandLine&)>& start) {
  if (!plan.message.empty()) return plan.message;
  for (const CommandLine& command : plan.commands) {
    if (!start(command)) return FormatText(text::kPlayerLaunchFailed, plan.player);
  }
  return {};
}

CommandLine OpenFolderCommand(const std::string& folder) { return {"xdg-open", folder}; }

}  // namespace sonvarek
