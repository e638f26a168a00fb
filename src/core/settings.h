#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sonvarek {

// The format of ripped tracks; the setting keeps its number in the file.
enum class OutputFormat : int32_t { Mp3 = 0, Wav = 1, Ogg = 2 };

// Every user setting, named as its key in Settings.ini. Booleans are integers
// (non-zero is on); colours are 0x00BBGGRR.
struct Settings {
  // [MP3]
  int32_t MP3Encoder = 0;
  int32_t BitRate = 8;
  int32_t EnableID3 = 1;
  int32_t EnableID3V2 = 1;
  int32_t EnableVBR = 0;
  int32_t MaxBitRate = 13;
  int32_t MPEGQuality = 2;
  int32_t VBRQuality = 4;
  int32_t Copyright = 1;
  int32_t Original = 1;
  int32_t Private = 1;
  int32_t WriteVBRHeader = 1;
  int32_t StereoMode = 0;

  // [General]
  std::string OutputFolder;
  int32_t OutputFormat = 0;  // an OutputFormat: 0 MP3, 1 WAV, 2 Ogg Vorbis

  // [CDROM]
  int32_t CDROMDriver = 0;
  int32_t DeleteSilence = 0;
  int32_t LeadingFrame = 0;
  int32_t TrailingFrame = 0;
  int32_t RetryTimes = 5;
  int32_t DisableAutoPlay = 1;
  int32_t StopPlayExit = 1;
  int32_t PlaybackOutput = 0;  // 0: through the sound system (digital), 1: the drive's own output
  int32_t BufferSize = 26;  // sectors per read request, 1..255
  int32_t DeviceType = 0;
  int32_t ReadOffset = 0;     // samples the drive reads late (negative: early), -5000..5000
  int32_t SecureMode = 0;     // test and copy: every track read twice
  int32_t SecureRetries = 4;  // re-reads of a block whose two readings differ, 1..32

  // [COLOR]
  int32_t TextColor = 65280;
  int32_t TextSelColor = 65535;
  int32_t BackgroundColor = 0;
  int32_t StatusLineColor = 11847880;
  int32_t TextShadowColor = 1315860;
  int32_t BoolShadowColor = 1;

  // [Misc]
  std::string MP3Player;
  std::string MP3PlayerParameters;
  std::array<std::string, 10> ReplaceStr = {"#", "&", "#", "=", "#", "#", "#", "(", ")", " "};  // ReplaceStr01..10
  std::string NamingRule = "<number>-<title>";
  int32_t WindowWidth = 580;
  int32_t WindowHeight = 380;
  int32_t WindowLeft = 130;
  int32_t WindowTop = 90;
  std::array<int32_t, 4> ColumnWidth = {60, 280, 80, 80};  // ColumnWidth1..4
  int32_t BoolSkipError = 0;
  int32_t ThreadPriority = 2;
  int32_t Normalize = 0;
  int32_t NormalizeRatio = 95;
  int32_t AutoLoadCDPlayerINI = 1;
  std::string TEMPDIRECTORY;
  int32_t bUseASPI = 0;
  int32_t AutoSelectAll = 1;
  int32_t bOpenOutputFolder = 1;

  // [Ogg Vorbis]
  int32_t OggQuality = 50;  // key "Quality"
  // Which Vorbis comments are written, keys "Title" … "TrackNo" in this order.
  std::array<int32_t, 12> OggComment = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};

  // [CDDB]
  std::string Server = "gnudb.gnudb.org";
  std::string QueryScript = "/~cddb/cddb.cgi";
  std::string SubmitScript = "/~cddb/submit.cgi";
  std::string Email = "user@example.com";
  int32_t bProxy = 0;
  std::string ProxyServer;
  int32_t ProxyPort = 80;
  int32_t ProxyAuthorization = 0;
  std::string ProxyUsername;
  std::string ProxyPassword;  // stored scrambled under Proxy000, Proxy001, …

  // [Verify]
  std::string AccurateRipServer = "http://www.accuraterip.com/accuraterip/";  // empty: no look-ups

  // Derived at the end of loading, never stored: OutputFolder trimmed with exactly
  // one trailing '/'; the folder temporary WAV files go to, with its trailing '/'.
  std::string effectiveOutputFolder;
  std::string temporaryFolder;

  bool operator==(const Settings&) const = default;
};

// The Vorbis comment flag keys of [Ogg Vorbis], in the order of Settings::OggComment.
inline constexpr std::array<const char*, 12> kOggCommentKeys = {
    "Title", "Artist", "Album", "Year", "Genre", "Comment", "Composer", "Orig.Artist",
    "Copyright", "URL", "EncodedBy", "TrackNo"};

// The OutputFormat setting as its enum (the loader keeps it within 0..2).
inline OutputFormat OutputFormatOf(const Settings& settings) {
  return static_cast<OutputFormat>(settings.OutputFormat);
}

}  // namespace sonvarek
