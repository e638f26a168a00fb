#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvarek {

// Profile files are small; a larger one is junk, and is read only up to this size
// so that it can never take the memory of the whole file.
inline constexpr size_t kLargestProfileBytes = size_t{1} << 20;

// How ProfileFile::Load found the file.
enum class ProfileLoad {
  Missing,  // absent or unreadable: an empty profile
  Whole,
  Cut,  // larger than kLargestProfileBytes: read up to the last whole line inside that size
};

// A profile file (Settings.ini, cdplayer.ini, the disc cache files) held in memory
// line by line, so that writing one key leaves every other line as it was:
// comments, unknown sections, blank lines and odd spacing survive a save.
//
// Reading follows the Windows profile rules: "[section]" lines and "key=value"
// lines; section and key names compare case-insensitively (ASCII); the first
// matching section and the first matching key in it win; white space around names
// and values is trimmed and one pair of enclosing double quotes is removed. Lines
// starting with ';' or '#' are comments. Keys before the first section belong to
// no section and are never found.
class ProfileFile {
 public:
  ProfileFile() = default;

  // A missing or unreadable file loads as an empty profile. Saving a cut profile
  // writes only what was read.
  static ProfileFile Load(const std::string& path, ProfileLoad* outcome = nullptr);
  static ProfileFile Parse(std::string_view text);

  // The raw value of a key, or nothing when the section or key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // GetPrivateProfileString: the value or `fallback`, cut to `bufferSize` − 1 bytes
  // (at a UTF-8 character boundary, never inside a character).
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                        size_t bufferSize) const;

  // GetPrivateProfileInt: a missing section or key gives `fallback`; a present value
  // is read by ParseProfileInt, so an empty value or one without leading digits
  // ("abc", "") is 0, as on Windows.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t fallback) const;

  // WritePrivateProfileString: replaces the first matching key's line, or adds the
  // key at the end of its section, or adds the section at the end of the file.
  // A value is one line: a line break in it is written as a blank, so that no text
  // can start a key or section of its own.
  void SetString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the value as decimal text ("%ld").
  void SetInt(std::string_view section, std::string_view key, long value);
  void RemoveKey(std::string_view section, std::string_view key);

  std::string Text() const;
  // Writes the whole file to a temporary file in the same folder, flushes it to disk
  // and renames it over `path`, so a crash leaves either the old or the new file.
  bool Save(const std::string& path, std::string* errorText = nullptr) const;

 private:
  struct Line {
    std::string text;
  };

  // Index of the first line of the first matching section's body, and one past its
  // last line; nothing when the section is absent.
  std::optional<std::pair<size_t, size_t>> SectionBody(std::string_view section) const;
  std::optional<size_t> KeyLine(size_t begin, size_t end, std::string_view key) const;

  std::vector<Line> lines_;
  std::string lineEnd_ = "\n";
  bool byteOrderMark_ = false;
};

// `text` with every carriage return and line feed as a blank: what a one-line value
// (a profile value, a header, an xmcd line) holds of a text that had line breaks.
std::string LineBreaksAsBlanks(std::string_view text);

// Loads a profile that is about to be changed and saved: false when the file exists
// but could not be read whole (unreadable, or cut for its size), since saving what
// was read would drop the rest of it.
bool LoadForUpdate(const std::string& path, ProfileFile& profile);

// A profile integer: after optional white space and sign, the leading decimal digits
// ("12abc" is 12, "-7" is −7, "0x10" is 0); 0 when there are none. Out-of-range
// numbers saturate at the limits of 32 bits. Lenient by design: command-line
// values want a strict parser instead.
int32_t ParseProfileInt(std::string_view text);

}  // namespace sonvarek
