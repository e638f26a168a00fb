#include "cdrom/cue_sheet.h"

#include <algorithm>
#include <filesystem>

#include "core/cd_units.h"
#include "core/number_text.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper;
}

// Splits a line into words; a double-quoted word may hold blanks.
std::optional<std::vector<std::string>> Words(std::string_view line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (true) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) return words;
    if (line[at] == '"') {
      size_t close = line.find('"', at + 1);
      if (close == std::string_view::npos) return std::nullopt;
      words.emplace_back(line.substr(at + 1, close - at - 1));
      at = close + 1;
    } else {
      size_t end = at;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
      words.emplace_back(line.substr(at, end - at));
      at = end;
    }
  }
}

bool ParseNumber(std::string_view text, int& value, int low, int high) {
  std::optional<int> number = ParseWholeNumber<int>(text);
  if (number) value = *number;
  return number && *number >= low && *number <= high;
}

// "mm:ss:ff" with seconds below 60 and frames below 75.
bool ParseTime(std::string_view text, uint32_t& frames) {
  size_t first = text.find(':');
  size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
  if (second == std::string_view::npos) return false;
  int minutes = 0, seconds = 0, frame = 0;
  if (!ParseNumber(text.substr(0, first), minutes, 0, 9999) ||
      !ParseNumber(text.substr(first + 1, second - first - 1), seconds, 0, 59) ||
      !ParseNumber(text.substr(second + 1), frame, 0, 74)) {
    return false;
  }
  frames = MsfToFrames(static_cast<uint32_t>(minutes), static_cast<uint32_t>(seconds), static_cast<uint32_t>(frame));
  return true;
}

// Comments and disc texts are skipped before the line is split into words, so a stray
// quote in a title or comment does not spoil the sheet.
bool IsIgnoredLine(std::string_view line) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return false;
  size_t end = line.find_first_of(" \t", start);
  std::string command = Upper(line.substr(start, end == std::string_view::npos ? end : end - start));
  static const char* const kIgnored[] = {"REM", "CATALOG", "TITLE", "PERFORMER", "SONGWRITER", "ISRC", "CDTEXTFILE"};
  return std::any_of(std::begin(kIgnored), std::end(kIgnored), [&](const char* name) { return command == name; });
}

class CueParser {
 public:
  CueParser(const std::string& cuePath, CueFileTypes types) : cuePath_(cuePath), types_(types) {}

  std::optional<CueSheet> Parse(std::string_view text, std::string& error);

 private:
  bool Line(const std::vector<std::string>& words);
  bool File(const std::vector<std::string>& words);
  bool Track(const std::vector<std::string>& words);
  bool Index(const std::vector<std::string>& words);
  bool Gap(const std::vector<std::string>& words, bool pregap);
  bool Flags(const std::vector<std::string>& words);
  bool Finish();
  std::string At(int line, const std::string& what) const { return CueLineError(cuePath_, line, what); }
  template <typename... Args>
  bool Fail(const char* format, const Args&... args) {
    error_ = At(line_, FormatText(format, args...));
    return false;
  }
  bool CloseTrack(bool byFile);
  // Whether a position `fileFrames` into the current file stays on the longest disc.
  bool OnLongestDisc(uint32_t fileFrames) const {
    return closedFilesFrames_ + gapFrames_ + fileFrames <= kLongestDiscFrames;
  }
  bool PastLongestDisc(const std::string& time) { return Fail(text::kCueTimePastLongestDisc, time); }

  const std::string& cuePath_;
  CueFileTypes types_;
  CueSheet sheet_;
  int line_ = 0;
  std::string error_;
  // What the disc holds before the current file's last index at least: the earlier
  // files (up to their last index, as their sizes are unknown here) and every gap.
  uint64_t closedFilesFrames_ = 0;
  uint64_t gapFrames_ = 0;
  uint32_t fileFrames_ = 0;
};

std::optional<CueSheet> CueParser::Parse(std::string_view text, std::string& error) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty() || line_ == 0) {
    ++line_;
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) {
      error = At(line_, text::kCueNotText);
      return std::nullopt;
    }
    if (IsIgnoredLine(line)) continue;
    std::optional<std::vector<std::string>> words = Words(line);
    if (!words) {
      Fail(text::kCueUnterminatedQuote);
      error = error_;
      return std::nullopt;
    }
    if (!words->empty() && !Line(*words)) {
      error = error_;
      return std::nullopt;
    }
  }
  if (!Finish()) {
    error = error_;
    return std::nullopt;
  }
  return std::move(sheet_);
}

bool CueParser::Line(const std::vector<std::string>& words) {
  std::string command = Upper(words[0]);
  if (command == "FILE") return File(words);
  if (command == "TRACK") return Track(words);
  if (command == "INDEX") return Index(words);
  if (command == "PREGAP") return Gap(words, true);
  if (command == "POSTGAP") return Gap(words, false);
  if (command == "FLAGS") return Flags(words);
  return Fail(text::kCueUnknownCommand, words[0]);
}

bool CueParser::File(const std::vector<std::string>& words) {
  if (words.size() != 3) return Fail(text::kCueFileNeedsNameAndType);
  std::string type = Upper(words[2]);
  if (type == "MOTOROLA") return Fail(text::kCueBigEndianFile);
  CueFileType fileType = CueFileType::Binary;
  if (types_ == CueFileTypes::Audio && (type == "WAVE" || type == "MP3")) {
    fileType = type == "WAVE" ? CueFileType::Wave : CueFileType::Mp3;
  } else if (type != "BINARY") {
    return Fail(types_ == CueFileTypes::Audio ? text::kCueAudioFileTypeUnsupported : text::kCueFileTypeUnsupported,
                words[2]);
  }
  if (words[1].empty()) return Fail(text::kCueEmptyFileName);
  if (!CloseTrack(true)) return false;
  closedFilesFrames_ += fileFrames_;
  fileFrames_ = 0;
  std::filesystem::path folder = std::filesystem::path(cuePath_).parent_path();
  std::filesystem::path name(words[1]);
  CueFile file;
  file.name = words[1];
  file.type = fileType;
  file.path = (name.is_absolute() || folder.empty() ? name : folder / name).string();
  file.line = line_;
  sheet_.files.push_back(std::move(file));
  return true;
}

bool CueParser::Track(const std::vector<std::string>& words) {
  if (sheet_.files.empty()) return Fail(text::kCueTrackBeforeFile);
  if (words.size() != 3) return Fail(text::kCueTrackNeedsNumberAndMode);
  int number = 0;
  if (!ParseNumber(words[1], number, 1, 99)) return Fail(text::kCueTrackNumberRange, words[1]);
  if (!sheet_.tracks.empty() && number != sheet_.tracks.back().number + 1) {
    return Fail(text::kCueTrackOutOfOrder, words[1], sheet_.tracks.back().number);
  }
  if (!CloseTrack(false)) return false;
  CueTrack track;
  track.number = number;
  track.line = line_;
  std::string mode = Upper(words[2]);
  if (mode == "AUDIO") {
    track.mode = TrackMode::Audio;
  } else if (mode == "MODE1/2352") {
    track.mode = TrackMode::Mode1Raw;
    track.control = 0x04;
  } else if (mode == "MODE2/2352") {
    track.mode = TrackMode::Mode2Raw;
    track.control = 0x04;
  } else {
    return Fail(text::kCueTrackModeUnsupported, words[2]);
  }
  sheet_.tracks.push_back(std::move(track));
  return true;
}

bool CueParser::Index(const std::vector<std::string>& words) {
  if (sheet_.tracks.empty()) return Fail(text::kCueBeforeAnyTrack, "INDEX");
  if (words.size() != 3) return Fail(text::kCueIndexNeedsNumberAndTime);
  CueIndex index;
  index.line = line_;
  index.file = static_cast<int>(sheet_.files.size()) - 1;
  if (!ParseNumber(words[1], index.number, 0, 99)) return Fail(text::kCueIndexNumberRange, words[1]);
  if (!ParseTime(words[2], index.frames)) return Fail(text::kCueNotATime, words[2]);
  if (!OnLongestDisc(index.frames)) return PastLongestDisc(words[2]);
  CueTrack& track = sheet_.tracks.back();
  int expected = track.indices.empty() ? (index.number == 0 ? 0 : 1) : track.indices.back().number + 1;
  if (index.number != expected) return Fail(text::kCueIndexOutOfOrder, words[1]);
  // Within one file positions never go back, across tracks as well.
  auto earlier = std::find_if(sheet_.tracks.rbegin(), sheet_.tracks.rend(),
                              [](const CueTrack& t) { return !t.indices.empty(); });
  if (earlier != sheet_.tracks.rend()) {
    const CueIndex& previous = earlier->indices.back();
    if (previous.file == index.file && index.frames < previous.frames) return Fail(text::kCueIndexGoesBack, words[1]);
  }
  track.indices.push_back(index);
  fileFrames_ = index.frames;
  return true;
}

bool CueParser::Gap(const std::vector<std::string>& words, bool pregap) {
  const char* name = pregap ? "PREGAP" : "POSTGAP";
  if (sheet_.tracks.empty()) return Fail(text::kCueBeforeAnyTrack, name);
  if (words.size() != 2) return Fail(text::kCueGapNeedsTime, name);
  CueTrack& track = sheet_.tracks.back();
  if (pregap && !track.indices.empty()) return Fail(text::kCuePregapAfterIndex);
  if (!pregap && track.indices.empty()) return Fail(text::kCuePostgapBeforeIndex);
  uint32_t frames = 0;
  if (!ParseTime(words[1], frames)) return Fail(text::kCueNotATime, words[1]);
  uint32_t& gap = pregap ? track.pregap : track.postgap;
  gapFrames_ = gapFrames_ - gap + frames;  // a repeated line replaces the track's gap
  gap = frames;
  return OnLongestDisc(fileFrames_) || PastLongestDisc(words[1]);
}

bool CueParser::Flags(const std::vector<std::string>& words) {
  if (sheet_.tracks.empty()) return Fail(text::kCueBeforeAnyTrack, "FLAGS");
  CueTrack& track = sheet_.tracks.back();
  for (size_t i = 1; i < words.size(); ++i) {
    std::string flag = Upper(words[i]);
    if (flag == "PRE") {
      track.control |= 0x01;
    } else if (flag == "DCP") {
      track.control |= 0x02;
    } else if (flag == "4CH") {
      track.control |= 0x08;
    } else if (flag != "SCMS") {
      return Fail(text::kCueUnknownFlag, words[i]);
    }
  }
  return true;
}

// A track is complete once a TRACK line follows it or the sheet ends; a FILE line may
// come between its INDEX 00 and INDEX 01 (a pregap held at the end of the previous file).
bool CueParser::CloseTrack(bool byFile) {
  if (sheet_.tracks.empty()) return true;
  const CueTrack& track = sheet_.tracks.back();
  bool hasIndex01 = std::any_of(track.indices.begin(), track.indices.end(),
                                [](const CueIndex& index) { return index.number == 1; });
  if (hasIndex01 || byFile) return true;
  error_ = At(track.line, FormatText(text::kCueTrackWithoutIndex01, track.number));
  return false;
}

bool CueParser::Finish() {
  if (sheet_.tracks.empty()) return Fail(text::kCueNoTrack);
  return CloseTrack(false);
}

}  // namespace

std::optional<CueSheet> ParseCueSheet(std::string_view text, const std::string& cuePath, std::string& error,
                                      CueFileTypes types) {
  CueParser parser(cuePath, types);
  return parser.Parse(text, error);
}

std::string CueLineError(const std::string& cuePath, int line, const std::string& what) {
  return FormatText(text::kCueLineError, cuePath, line, what);
}

}  // namespace sonvarek
