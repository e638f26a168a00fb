#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonvarek {

// Creates every missing folder of `path` up to its last separator ('/' or '\'),
// mode 0755, like `mkdir -p` of the path's folder part. "a/b/" creates a and b;
// "a/b" creates only a. Returns false when a folder could not be made.
bool MakeSureDirectoryPathExists(std::string_view path);

// Trims white space, removes trailing '/' and '\' and appends exactly one '/'.
// A path made only of separators stays the root "/".
std::string WithOneTrailingSlash(std::string_view folder);

// Removes trailing white space and trailing '/' and '\' (keeps "/" for the root).
std::string WithoutTrailingSlashes(std::string_view folder);

// Creates a new empty file `<folder>/<prefix>XXXXXX` with a unique name (mkstemp)
// and returns its path; nothing when the folder is not writable.
std::optional<std::string> CreateUniqueTemporaryFile(std::string_view folder, std::string_view prefix);

// The system temporary folder with its trailing '/': $TMPDIR, else /tmp/.
std::string SystemTemporaryFolder();

// The default output folder (no trailing '/'): the user's music folder
// (XDG_MUSIC_DIR from user-dirs.dirs, else ~/Music) + "/Sonvarek Maker".
std::string DefaultOutputFolder();

}  // namespace sonvarek
