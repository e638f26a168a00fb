#include <filesystem>

#include "core/cd_units.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "verify/rip_log.h"

namespace sonvarek {
namespace {

// A CUE sheet has no escapes: a double quote would end the text early and a line
// break would start a new command, so both are replaced.
std::string Quoted(const std::string& value) {
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') {
      quoted += '\'';
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      quoted += ' ';
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

void AppendLine(std::string& sheet, const std::string& line) {
  sheet += line;
  sheet += '\n';
}

// "mm:ss:ff", the sheet's form of a time.
std::string CueTime(uint32_t sectors) {
  const uint32_t seconds = sectors / kSectorsPerSecond;
  return FormatText("%02u:%02u:%02u", seconds / 60, seconds % 60, sectors % kSectorsPerSecond);
}

// MP3 files are MP3; WAV and Ogg files are WAVE, the type players take for any audio
// file they decode themselves.
const char* FileType(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == ".mp3" ? "MP3" : "WAVE";
}

void AppendDisc(std::string& sheet, const RipReport& report) {
  if (!report.genre.empty()) AppendLine(sheet, "REM GENRE " + Quoted(report.genre));
  if (!report.year.empty()) {
    const bool digits = report.year.find_first_not_of("0123456789") == std::string::npos;
    AppendLine(sheet, "REM DATE " + (digits ? report.year : Quoted(report.year)));
  }
  AppendLine(sheet, FormatText("REM DISCID %08X", report.freedbId));
  AppendLine(sheet, "REM COMMENT " + Quoted(FormatText(text::kRipCueComment, report.programVersion)));
  if (!report.albumArtist.empty()) AppendLine(sheet, "PERFORMER " + Quoted(report.albumArtist));
  if (!report.albumTitle.empty()) AppendLine(sheet, "TITLE " + Quoted(report.albumTitle));
}

}  // namespace

std::string RipCueSheetText(const RipReport& report) {
  std::string sheet;
  AppendDisc(sheet, report);
  // Tracks are numbered in the sheet's order: a sheet's numbers rise by one, whatever
  // tracks of the disc were ripped.
  int number = 0;
  for (const RipTrackReport& track : report.tracks) {
    if (track.outputPath.empty()) continue;
    const std::filesystem::path file(track.outputPath);
    AppendLine(sheet, "FILE " + Quoted(file.filename().string()) + " " + FileType(file));
    AppendLine(sheet, FormatText("  TRACK %02d AUDIO", ++number));
    if (!track.title.empty()) AppendLine(sheet, "    TITLE " + Quoted(track.title));
    const std::string& performer = track.performer.empty() ? report.albumArtist : track.performer;
    if (!performer.empty()) AppendLine(sheet, "    PERFORMER " + Quoted(performer));
    // The sectors before the disc's first track are in no file; the sheet keeps them as a gap.
    if (number == 1 && !report.toc.empty() && track.number == report.toc.front().number &&
        report.toc.front().startSector > 0) {
      AppendLine(sheet, "    PREGAP " + CueTime(report.toc.front().startSector));
    }
    AppendLine(sheet, "    INDEX 01 00:00:00");
  }
  return sheet;
}

}  // namespace sonvarek
