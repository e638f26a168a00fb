#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/folders.h"

namespace sonvarek {
namespace {

std::string NonEmptyEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string Created(const std::string& folder) {
  std::string withSlash = WithOneTrailingSlash(folder);
  MakeSureDirectoryPathExists(withSlash);
  return withSlash;
}

}  // namespace

std::string ExecutableFolder() {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return WithOneTrailingSlash(executable.parent_path().string());
}

std::string FindProgramFolder(std::string_view overrideFolder) {
  if (!overrideFolder.empty()) return Created(std::string(overrideFolder));
  std::string home = NonEmptyEnvironment("SONVAREK_HOME");
  if (!home.empty()) return Created(home);

  std::string executableFolder = ExecutableFolder();
  std::error_code error;
  if (!executableFolder.empty() && std::filesystem::is_regular_file(executableFolder + "Settings.ini", error)) {
    return executableFolder;
  }

  std::string configHome = NonEmptyEnvironment("XDG_CONFIG_HOME");
  if (configHome.empty()) {
    std::string userHome = NonEmptyEnvironment("HOME");
    configHome = (userHome.empty() ? std::string("/") : userHome) + "/.config";
  }
  return Created(WithoutTrailingSlashes(configHome) + "/sonvarek-maker");
}

}  // namespace sonvarek
