// Settings.ini, cdplayer.ini and the disc cache files as any text.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/profile_file.h"
#include "fuzz_harness.h"

namespace sonvarek::fuzz {

namespace {

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

}  // namespace

void FuzzProfileFile(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ProfileFile profile = ProfileFile::Parse(text);

  // What a save writes reads back as the same file. Carriage returns are left out of the
  // comparison: a line ending in several of them loses one on each load, as line ends do.
  const std::string saved = profile.Text();
  FUZZ_CHECK(WithoutCarriageReturns(ProfileFile::Parse(saved).Text()) == WithoutCarriageReturns(saved));

  // The first section and key of the text, read the way the settings read them.
  const size_t open = text.find('[');
  const size_t close = text.find(']', open == std::string_view::npos ? 0 : open);
  if (open != std::string_view::npos && close != std::string_view::npos) {
    const std::string_view section = text.substr(open + 1, close - open - 1);
    const size_t equals = text.find('=', close);
    const size_t lineStart = text.rfind('\n', equals == std::string_view::npos ? 0 : equals);
    if (equals != std::string_view::npos && lineStart != std::string_view::npos && lineStart > close) {
      const std::string_view key = text.substr(lineStart + 1, equals - lineStart - 1);
      for (size_t bufferSize : {size_t{1}, size_t{5}, size_t{260}}) {
        const std::optional<std::string> whole = profile.Find(section, key);
        const std::string value = profile.GetString(section, key, "fallback", bufferSize);
        FUZZ_CHECK(value.size() < bufferSize);
        // A cut value is a prefix that lost at most the 3 bytes of a character it would split.
        if (whole) FUZZ_CHECK(whole->starts_with(value) && value.size() + 3 >= std::min(whole->size(), bufferSize - 1));
      }
      profile.GetInt(section, key, 7);
    }
  }

  // A written key is found again after a save, whatever else the file holds.
  profile.SetString("Fuzz", "Key", "value\r\none");
  profile.SetInt("fuzz", "Number", -12);
  const ProfileFile reread = ProfileFile::Parse(profile.Text());
  FUZZ_CHECK(reread.Find("FUZZ", "key") == std::optional<std::string>("value  one"));
  FUZZ_CHECK(reread.GetInt("Fuzz", "number", 0) == -12);

  ParseProfileInt(text);
  const std::string blanks = LineBreaksAsBlanks(text);
  FUZZ_CHECK(blanks.size() == size && blanks.find_first_of("\r\n") == std::string::npos);
}

}  // namespace sonvarek::fuzz
