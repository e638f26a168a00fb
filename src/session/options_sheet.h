#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "core/settings_store.h"
#include "platform/user_notice.h"

namespace sonvarek {

// The sheet's pages in tree order (text::kOptionsPageNames).
enum class OptionsPage { Output, Mp3, Ogg, Freedb, CdRom, Appearance, Misc1, Misc2 };

// The control that gets the focus when a page refuses.
enum class OptionsField {
  None,
  OutputFolder,
  NamingRule,
  NormalizeRatio,
  LeadingFrames,
  TrailingFrames,
  RetryTimes,
  BufferSize,
};

// The limits the controls enforce; a page refuses a value outside them.
struct IntegerRange {
  int32_t low;
  int32_t high;
};
inline constexpr IntegerRange kNormalizeRatioRange{1, 100};
inline constexpr IntegerRange kSilentFramesRange{0, 15000};
inline constexpr IntegerRange kRetryTimesRange{1, 100};
inline constexpr IntegerRange kBufferSizeRange{1, 255};
inline constexpr IntegerRange kOggQualityRange{1, 100};
inline constexpr IntegerRange kProxyPortRange{0, 65535};
// The spin boxes hold these; a value from outside (an edited Settings.ini) is clamped.
inline constexpr IntegerRange kReadOffsetRange{-5000, 5000};
inline constexpr IntegerRange kSecureRetriesRange{1, 32};

// Longest texts, in characters (not bytes).
inline constexpr size_t kMaxOutputFolderLength = 200;
inline constexpr size_t kMaxNamingRuleLength = 255;
inline constexpr size_t kMaxPlayerLength = 250;
inline constexpr size_t kMaxPlayerParametersLength = 100;
inline constexpr size_t kMaxReplacementLength = 6;

// The bit-rate position a stored minimum outside the list is shown as (160 kbit/s).
inline constexpr int kFallbackBitRatePosition = 9;

// Public cddb servers for the server box; the box also takes any typed host.
inline constexpr std::array<const char*, 4> kFreedbServers = {"gnudb.gnudb.org", "gnudb.org", "www.gnudb.org",
                                                              "freedb.dbpoweramp.com"};

// Each page as its controls show it: texts of edits, positions of drop-down lists
// (−1: nothing selected, and then the setting is kept as it was), numbers, check
// boxes.
struct OutputPage {
  std::string folder;
  std::string namingRule;
  int outputFormat = 0;
  bool normalize = false;
  int normalizeRatio = 95;
};

struct Mp3Page {
  int encoder = 0;
  int minBitRate = 8;
  int maxBitRate = 13;
  int mpegQuality = 2;
  int vbrQuality = 4;  // position 0..8 shows "1".."9"
  bool enableVbr = false;
  bool writeVbrHeader = true;
  int stereoMode = 0;
  bool enableId3v1 = true;
  bool enableId3v2 = true;
  // The " Advanced" dialog's three boxes.
  bool copyright = true;
  bool original = true;
  bool privateBit = true;
};

struct OggPage {
  int quality = 50;
  std::array<bool, 12> comments{};  // in the order of kOggCommentKeys
};

struct FreedbPage {
  std::string server;
  std::string queryScript;
  std::string submitScript;
  std::string email;
  bool useProxy = false;
  std::string proxyServer;
  int proxyPort = 80;
  bool authorization = false;
  std::string userName;
  std::string password;  // in clear; Settings.ini keeps it scrambled
};

struct CdRomPage {
  int unit = 0;
  int deviceType = 0;
  bool deleteSilence = false;
  int leadingFrames = 0;
  int trailingFrames = 0;
  bool disableAutoPlay = true;
  int retryTimes = 5;
  int bufferSize = 26;
  bool skipErrors = false;
  int playbackOutput = 0;  // 0 digital through the sound system, 1 the drive's own output
  int readOffset = 0;      // samples
  bool secureMode = false;
  int secureRetries = 4;
  std::string accurateRipServer;  // blank: no look-ups
};

// Colours are 0x00BBGGRR, as the settings keep them.
struct AppearancePage {
  int32_t text = 0;
  int32_t highlightedText = 0;
  int32_t textShadow = 0;
  int32_t statusLine = 0;
  int32_t background = 0;
  bool drawShadow = true;
};

struct Misc1Page {
  std::string player;
  std::string playerParameters;
  std::array<std::string, 10> replacements;  // in the order of Settings::ReplaceStr
  int threadPriority = 2;
};

struct Misc2Page {
  std::string temporaryFolder;
  bool autoLoadCdPlayerIni = true;
  bool autoSelectAll = true;
  bool openOutputFolder = true;
  bool forceGenericDriver = false;  // bUseASPI
};

// What OK led to: the settings to make live, or the page that refused, the control
// to focus and the message that was shown.
struct OptionsAcceptance {
  std::optional<Settings> settings;
  OptionsPage page = OptionsPage::Output;
  OptionsField focus = OptionsField::None;
  std::string message;

  bool accepted() const { return settings.has_value(); }
};

// The options sheet without its widgets. It is made from a copy of the live settings
// and edits only its pages; the live settings change only when the caller takes the
// settings of an accepted OK. Cancel is simply dropping the sheet.
class OptionsSheet {
 public:
  // `unitNames`: the CD-ROM units in list order. `folders` give the folders an empty
  // output or temporary folder stands for.
  OptionsSheet(const Settings& live, std::vector<std::string> unitNames, PlatformFolders folders);

  // OK. "Output", "MP3", "Freedb" and "CD-ROM" are checked and stored in this order;
  // the first refusal is shown through `notice` and returned, and then nothing is
  // taken (the pages accepted before it included). Only when all four accept are
  // "Appearance", "Misc. #1", "Misc. #2" and "Ogg Vorbis" stored too. Folders are
  // made on the way: the output folder even when a later page refuses.
  OptionsAcceptance Accept(UserNotice& notice) const;

  const std::vector<std::string>& unitNames() const { return unitNames_; }

  OutputPage output;
  Mp3Page mp3;
  OggPage ogg;
  FreedbPage freedb;
  CdRomPage cdRom;
  AppearancePage appearance;
  Misc1Page misc1;
  Misc2Page misc2;

 private:
  Settings opened_;
  std::vector<std::string> unitNames_;
  PlatformFolders folders_;
};

// The pages' enabling rules, evaluated on opening and on every click of the boxes.
inline bool VbrControlsEnabled(const Mp3Page& page) { return page.enableVbr; }
inline bool ProxyFieldsEnabled(const FreedbPage& page) { return page.useProxy; }
inline bool ProxyCredentialsEnabled(const FreedbPage& page) { return page.useProxy && page.authorization; }
inline bool SilentFramesEnabled(const CdRomPage& page) { return page.deleteSilence; }
inline bool SecureRetriesEnabled(const CdRomPage& page) { return page.secureMode; }

// "Set Default": the five colours of a fresh Settings; the shadow box is kept.
void SetDefaultColours(AppearancePage& page);

// The colour chooser's custom colours, kept across runs in CustomColor.ini of the
// program folder (section [CustomColor], keys Color01..Color16, 0x00BBGGRR as
// decimal). Missing or unreadable colours are white.
using CustomColours = std::array<int32_t, 16>;
std::string CustomColoursPath(std::string_view programFolder);
CustomColours LoadCustomColours(std::string_view programFolder);
// Writes the file whole or not at all; false with the reason on failure.
bool SaveCustomColours(std::string_view programFolder, const CustomColours& colours,
                       std::string* errorText = nullptr);

// What the main window must do after an accepted OK, comparing the settings before
// and after.
struct OptionsChanges {
  bool encoderEngine = false;   // MP3Encoder: ChangeEncoder
  bool reopenDrive = false;     // CDROMDriver or bUseASPI: the driver made anew, the TOC read again
  bool driveOptions = false;    // RetryTimes or DeviceType: the driver's copy of them renewed
  bool playbackOutput = false;  // PlaybackOutput: the player made anew over the other output
  bool autoPlay = false;        // DisableAutoPlay: the desktop's auto-play switched
  bool colours = false;         // a [COLOR] key: the track list drawn again

  bool operator==(const OptionsChanges&) const = default;
};
OptionsChanges ChangesToApply(const Settings& before, const Settings& after);

}  // namespace sonvarek
