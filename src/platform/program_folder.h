#pragma once

#include <string>
#include <string_view>

namespace sonvarek {

// The folder that holds Settings.ini, db/, cdplayer.ini and cddb.txt, always with
// its trailing '/', created on demand. In order: `overrideFolder` when not empty
// (the front ends' --home), $SONVAREK_HOME, the executable's folder when it holds
// a Settings.ini (portable mode), else $XDG_CONFIG_HOME/sonvarek-maker/
// (~/.config/sonvarek-maker/).
std::string FindProgramFolder(std::string_view overrideFolder = {});

// The folder of the running executable with its trailing '/'; empty when unknown.
std::string ExecutableFolder();

}  // namespace sonvarek
