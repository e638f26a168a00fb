#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/records.h"
#include "core/settings.h"
#include "platform/disk_space.h"

namespace sonvarek {

// The preset naming rules of the options page, in order; the first rule with a
// token is the default ("<number>-<title>").
inline constexpr std::array<const char*, 10> kPresetNamingRules = {
    "<title>", "<number>-<title>", "<number>-<artist>-<title>", "<number>-<artist>-<album>-<title>",
    "<artist>-<title>", "<artist>-<album>-<title>", "<artist>\\<title>", "<artist>\\<number>-<title>",
    "<artist>\\<album>\\<title>", "<artist>\\<album>\\<number>-<title>"};

// Replaces every forbidden file-name character by its replacement string, one
// character after the other in the order * : ? " | / \ < > blank (all '*' first,
// then all ':' …). A later step also acts on what an earlier one inserted.
// Separators and control characters are left out of the replacement strings, so a
// replacement never makes a subfolder.
std::string ReplaceForbiddenCharacters(std::string_view text, const std::array<std::string, 10>& replacements);

// The full path of a CD track's output file: `folder` (trailing blanks and
// separators removed) + "/" + the naming rule expanded with the job's texts +
// `extension` (".WAV", ".MP3", ".ogg"). '\' and '/' in the rule make subfolders.
// Control characters of the texts and the rule become blanks; a path component made
// only of dots ("." or ".." from a disc text) has its dots replaced by the '*'
// replacement (or "#"). Makes no folder.
std::string ExpandOutputPath(const ConversionJob& job, std::string_view folder, std::string_view extension,
                             const Settings& settings);

// Whether `path` names something below `folder` (lexically: no ".." leads out).
bool LiesInsideFolder(std::string_view path, std::string_view folder);

// ExpandOutputPath, then the subfolders are created (a failure shows later, when the
// file is opened). Nothing, and no folder made, when the path would lie outside
// `folder`, whatever the settings say.
std::optional<std::string> BuildOutputPath(const ConversionJob& job, std::string_view folder,
                                           std::string_view extension, const Settings& settings);

// The output of a converted file: `folder` + "/" + the source's name without its
// folder and last extension + `extension`.
std::string ConvertedOutputPath(std::string_view sourcePath, std::string_view folder, std::string_view extension);

enum class NamingRuleCheck { Accepted, Refused };

// An empty rule becomes "<title>"; a rule without any of the five tokens is
// refused (the caller shows text::kNamingRuleNeedsToken).
NamingRuleCheck CheckNamingRule(std::string& rule);

// The free bytes available where `path` would be written.
FreeSpace GetFreeDiskSpace(std::string_view path, const DiskSpaceProbe& probe = SystemDiskSpaceProbe());

// The jobs' check before they write: fails when the query succeeded and the free
// bytes are at most `requiredBytes`; a failed query skips the check. `folder`
// names the place asked, for the log line.
struct FreeSpaceCheck {
  bool enough = true;
  std::string folder;
};
FreeSpaceCheck CheckFreeDiskSpace(std::string_view path, uint64_t requiredBytes,
                                  const DiskSpaceProbe& probe = SystemDiskSpaceProbe());

}  // namespace sonvarek
