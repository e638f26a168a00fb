#pragma once

#include <filesystem>
#include <string>

#include "freedb/cddb_request.h"
#include "session/disc_session.h"
#include "support/temp_folder.h"

namespace sonvarek::test {

inline const std::string kSampleDiscCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
inline const std::string kSampleFreedbId = "1d006e05";
inline constexpr int kSampleTracks = 5;

// An xmcd entry for the sample disc: tracks titled "<prefix> 1" ... "<prefix> 5".
inline std::string SampleEntry(const std::string& discTitle, const std::string& prefix) {
  std::string text = "# xmcd\n#\n# Track frame offsets:\n#  150\n#  1223\n#  1608\n#  2513\n#  6903\n#\n"
                     "# Disc length: 112 seconds\n#\n# Revision: 3\n#\nDISCID=1d006e05\nDTITLE=" + discTitle + "\n";
  for (int i = 0; i < kSampleTracks; ++i) {
    text += "TTITLE" + std::to_string(i) + "=" + prefix + " " + std::to_string(i + 1) + "\n";
  }
  return text;
}

// The sample disc in a session with its program folder, a database folder for a
// loopback cddb server and the notices the dialogs show.
struct SampleDiscSession {
  SampleDiscSession() {
    settings.Email = "ann@mail.example";
    session.Open(DriveChoice{std::nullopt, kSampleDiscCue});
  }
  void AddEntry(const std::string& category, const std::string& text) const {
    std::filesystem::create_directories(database / category);
    WriteWholeFile(database / (category + "/" + kSampleFreedbId), text);
  }
  static CddbRequest Aimed(CddbRequest request, uint16_t port) {
    request.host = "127.0.0.1";
    request.port = port;
    return request;
  }
  CddbRequest QueryTo(uint16_t port) const { return Aimed(QueryRequestFromSettings(settings), port); }
  CddbRequest SubmitTo(uint16_t port) const { return Aimed(SubmitRequestFromSettings(settings), port); }
  std::string DiagnosticPath() const { return home / "cddb.txt"; }
  std::string Title(int track) { return session.disc().entries[static_cast<size_t>(track)].Title; }
  std::string RowTitle(int row) { return session.tracks().Rows()[static_cast<size_t>(row)].title; }

  TempFolder home;
  TempFolder database;
  Settings settings;
  RecordingNotice notice;
  DiscSession session{settings, notice, home.Path()};
};

}  // namespace sonvarek::test
