#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"

namespace sonvarek {

using CommandLine = std::vector<std::string>;

// What "Play Now!" does, as data: one command per file in order, or the message to
// show instead.
struct PlayNowPlan {
  std::string message;  // non-empty: show it and start nothing
  std::string player;   // the player program, for the failure message
  std::vector<CommandLine> commands;
};

// The user's MP3Player (trailing blanks removed) with MP3PlayerParameters and the
// file, or when it is empty the desktop's default player (`findDefaultPlayer`),
// which never gets MP3PlayerParameters.
PlayNowPlan PlanPlayNow(const Settings& settings, const std::vector<std::string>& files,
                        const std::function<CommandLine()>& findDefaultPlayer);

// Starts the plan's commands one after another through `start`; at the first that
// fails, returns the failure message and starts no more. Empty when all started.
std::string RunPlayNow(const PlayNowPlan& plan, const std::function<bool(const CommandLine&)>& start);

// The desktop entry the program installs for itself.
inline constexpr char kOwnDesktopId[] = "sonvarek-maker.desktop";

// The desktop's default application for audio/mpeg (xdg-mime, then its desktop
// file's Exec without field codes), else xdg-open; empty when there is neither, or
// when the default is this program's own entry.
CommandLine FindDefaultMp3Player();

// The program and arguments of a desktop entry's Exec value, field codes removed.
CommandLine ParseDesktopExec(const std::string& exec);

// Splits a parameter text into words the way a shell would for plain quoting.
std::vector<std::string> SplitParameters(const std::string& text);

// How the output folder is shown in the file manager.
CommandLine OpenFolderCommand(const std::string& folder);

}  // namespace sonvarek
