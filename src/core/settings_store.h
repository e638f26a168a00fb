#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/profile_file.h"
#include "core/settings.h"
#include "platform/user_notice.h"

namespace sonvarek {

// Where the settings come from and what their folder defaults are. Front ends fill
// it from the system (SystemFolders); tests point it at a temporary directory.
struct PlatformFolders {
  std::string programFolder;          // with trailing '/'
  std::string defaultOutputFolder;    // without trailing '/'
  std::string systemTemporaryFolder;  // with trailing '/'
};

PlatformFolders SystemFolders(std::string_view programFolderOverride = {});

std::string SettingsFilePath(const PlatformFolders& folders);

// Every key at its default.
Settings DefaultSettings(const PlatformFolders& folders);

// Reads every key in load order with its default and correction, then derives the
// effective output folder and the temporary folder and makes sure both exist. A
// folder that cannot be made falls back to the default one, and the user is told
// ("Can't open  output directory!", "Can't open temp directory!") and which folder is
// used instead; when the default fails too only the first text is shown. Loading
// goes on either way. A missing file gives the defaults; a file larger than 1 MiB is
// read up to its last whole line inside 1 MiB, and the user is told.
Settings LoadSettings(const PlatformFolders& folders, UserNotice& notice);
Settings ReadSettings(const ProfileFile& profile, const PlatformFolders& folders);

// The main window's rectangle and track-list column widths, saved with the settings.
struct WindowGeometry {
  int32_t left = 130;
  int32_t top = 90;
  int32_t width = 580;
  int32_t height = 380;
  std::array<int32_t, 4> columnWidths = {60, 280, 80, 80};
};

// The geometry as loaded, for front ends without a main window.
WindowGeometry GeometryFromSettings(const Settings& settings);

// Writes every key into the profile ("%ld" integers, OutputFolder without trailing
// '/'), keeping every other line of it.
void WriteSettings(const Settings& settings, const WindowGeometry& geometry, ProfileFile& profile);

// Writes every key back to Settings.ini atomically; false with the reason on failure.
bool SaveSettings(const Settings& settings, const WindowGeometry& geometry, const PlatformFolders& folders,
                  std::string* errorText = nullptr);

}  // namespace sonvarek
