#include "session/options_sheet.h"

#include <algorithm>
#include <utility>

#include "core/output_naming.h"
#include "core/profile_file.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/folders.h"

namespace sonvarek {
namespace {

// The sheet offers the presets the naming code knows; the two lists must not drift.
constexpr bool PresetsAgree() {
  if (std::size(text::kOptionsNamingRulePresets) != kPresetNamingRules.size()) return false;
  for (size_t i = 0; i < kPresetNamingRules.size(); ++i) {
    if (std::string_view(text::kOptionsNamingRulePresets[i]) != kPresetNamingRules[i]) return false;
  }
  return true;
}
static_assert(PresetsAgree());
static_assert(std::size(text::kOptionsOggComments) == kOggCommentKeys.size());
static_assert(std::size(text::kOptionsBitRates) == 14);

constexpr char kCustomColourSection[] = "CustomColor";
constexpr int32_t kWhite = 0x00FFFFFF;

// A list position for a stored index: −1 (nothing selected) when outside the list.
int Position(int32_t value, size_t itemCount) {
  return value >= 0 && static_cast<size_t>(value) < itemCount ? value : -1;
}

// A list position back into its setting; nothing selected keeps the setting.
void StorePosition(int position, size_t itemCount, int32_t& setting) {
  if (position >= 0 && static_cast<size_t>(position) < itemCount) setting = position;
}

size_t CharacterCount(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// `text` cut to `limit` characters, never inside a UTF-8 character.
std::string CutToCharacters(std::string_view text, size_t limit) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == limit) {
      return std::string(text.substr(0, i));
    }
  }
  return std::string(text);
}

// A server of only blanks is no server: the look-up is off, not sent to "  ".
std::string WithoutBlanksAround(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

struct Refusal {
  OptionsPage page;
  OptionsField focus;
  std::string message;
};

std::optional<Refusal> CheckLength(std::string_view text, size_t limit, OptionsPage page, OptionsField focus) {
  if (CharacterCount(text) <= limit) return std::nullopt;
  return Refusal{page, focus, FormatText(text::kOptionsTooManyCharacters, static_cast<int>(limit))};
}

std::optional<Refusal> CheckRange(int value, IntegerRange range, OptionsPage page, OptionsField focus) {
  if (value >= range.low && value <= range.high) return std::nullopt;
  return Refusal{page, focus, FormatText(text::kOptionsIntegerRange, range.low, range.high)};
}

// A typed folder with one trailing '/'; blank stands for `fallback`, since "/" alone
// would put the files into the file system's root.
std::string NormalizedFolder(std::string_view typed, std::string_view fallback) {
  if (WithoutTrailingSlashes(typed).empty()) return WithOneTrailingSlash(fallback);
  return WithOneTrailingSlash(typed);
}

std::optional<Refusal> StoreOutput(const OutputPage& page, const PlatformFolders& folders, Settings& settings) {
  constexpr OptionsPage kPage = OptionsPage::Output;
  if (auto refusal = CheckLength(page.folder, kMaxOutputFolderLength, kPage, OptionsField::OutputFolder)) {
    return refusal;
  }
  if (auto refusal = CheckLength(page.namingRule, kMaxNamingRuleLength, kPage, OptionsField::NamingRule)) {
    return refusal;
  }
  if (auto refusal = CheckRange(page.normalizeRatio, kNormalizeRatioRange, kPage, OptionsField::NormalizeRatio)) {
    return refusal;
  }
  std::string folder = NormalizedFolder(page.folder, folders.defaultOutputFolder);
  std::string rule = page.namingRule;
  if (CheckNamingRule(rule) == NamingRuleCheck::Refused) {
    return Refusal{kPage, OptionsField::NamingRule, text::kNamingRuleNeedsToken};
  }
  if (!MakeSureDirectoryPathExists(folder)) {
    return Refusal{kPage, OptionsField::OutputFolder, FormatText(text::kOptionsCannotCreateDirectory, folder)};
  }
  settings.OutputFolder = folder;
  settings.effectiveOutputFolder = folder;
  settings.NamingRule = rule;
  StorePosition(page.outputFormat, std::size(text::kOptionsOutputFormats), settings.OutputFormat);
  settings.Normalize = page.normalize ? 1 : 0;
  settings.NormalizeRatio = page.normalizeRatio;
  return std::nullopt;
}

void StoreMp3(const Mp3Page& page, Settings& settings) {
  const size_t bitRates = std::size(text::kOptionsBitRates);
  StorePosition(page.encoder, std::size(text::kOptionsEncoderEngines), settings.MP3Encoder);
  StorePosition(page.minBitRate, bitRates, settings.BitRate);
  StorePosition(page.maxBitRate, bitRates, settings.MaxBitRate);
  StorePosition(page.mpegQuality, std::size(text::kOptionsMpegQualities), settings.MPEGQuality);
  StorePosition(page.vbrQuality, std::size(text::kOptionsVbrQualities), settings.VBRQuality);
  StorePosition(page.stereoMode, std::size(text::kOptionsStereoModes), settings.StereoMode);
  settings.EnableVBR = page.enableVbr ? 1 : 0;
  settings.WriteVBRHeader = page.writeVbrHeader ? 1 : 0;
  settings.EnableID3 = page.enableId3v1 ? 1 : 0;
  settings.EnableID3V2 = page.enableId3v2 ? 1 : 0;
  settings.Copyright = page.copyright ? 1 : 0;
  settings.Original = page.original ? 1 : 0;
  settings.Private = page.privateBit ? 1 : 0;
}

void StoreFreedb(const FreedbPage& page, Settings& settings) {
  settings.Server = page.server;
  settings.QueryScript = page.queryScript;
  settings.SubmitScript = page.submitScript;
  settings.Email = page.email;
  settings.bProxy = page.useProxy ? 1 : 0;
  settings.ProxyServer = page.proxyServer;
  settings.ProxyPort = page.proxyPort;
  settings.ProxyAuthorization = page.authorization ? 1 : 0;
  settings.ProxyUsername = page.userName;
  settings.ProxyPassword = page.password;
}

std::optional<Refusal> StoreCdRom(const CdRomPage& page, size_t unitCount, Settings& settings) {
  constexpr OptionsPage kPage = OptionsPage::CdRom;
  const std::pair<int, std::pair<IntegerRange, OptionsField>> checks[] = {
      {page.leadingFrames, {kSilentFramesRange, OptionsField::LeadingFrames}},
      {page.trailingFrames, {kSilentFramesRange, OptionsField::TrailingFrames}},
      {page.retryTimes, {kRetryTimesRange, OptionsField::RetryTimes}},
      {page.bufferSize, {kBufferSizeRange, OptionsField::BufferSize}},
  };
  for (const auto& [value, check] : checks) {
    if (auto refusal = CheckRange(value, check.first, kPage, check.second)) return refusal;
  }
  StorePosition(page.unit, unitCount, settings.CDROMDriver);
  StorePosition(page.deviceType, std::size(text::kDriveTypeNames), settings.DeviceType);
  StorePosition(page.playbackOutput, std::size(text::kOptionsPlaybackOutputs), settings.PlaybackOutput);
  settings.DeleteSilence = page.deleteSilence ? 1 : 0;
  settings.LeadingFrame = page.leadingFrames;
  settings.TrailingFrame = page.trailingFrames;
  settings.DisableAutoPlay = page.disableAutoPlay ? 1 : 0;
  settings.RetryTimes = page.retryTimes;
  settings.BufferSize = page.bufferSize;
  settings.BoolSkipError = page.skipErrors ? 1 : 0;
  settings.ReadOffset = std::clamp(page.readOffset, kReadOffsetRange.low, kReadOffsetRange.high);
  settings.SecureMode = page.secureMode ? 1 : 0;
  settings.SecureRetries = std::clamp(page.secureRetries, kSecureRetriesRange.low, kSecureRetriesRange.high);
  settings.AccurateRipServer = WithoutBlanksAround(page.accurateRipServer);
  return std::nullopt;
}

void StoreAppearance(const AppearancePage& page, Settings& settings) {
  settings.TextColor = page.text & kWhite;
  settings.TextSelColor = page.highlightedText & kWhite;
  settings.TextShadowColor = page.textShadow & kWhite;
  settings.StatusLineColor = page.statusLine & kWhite;
  settings.BackgroundColor = page.background & kWhite;
  settings.BoolShadowColor = page.drawShadow ? 1 : 0;
}

// The edits limit their texts; a longer one (pasted past the limit) is cut, as the
// edit would have cut it.
void StoreMisc1(const Misc1Page& page, Settings& settings) {
  settings.MP3Player = CutToCharacters(page.player, kMaxPlayerLength);
  settings.MP3PlayerParameters = CutToCharacters(page.playerParameters, kMaxPlayerParametersLength);
  for (size_t i = 0; i < settings.ReplaceStr.size(); ++i) {
    settings.ReplaceStr[i] = CutToCharacters(page.replacements[i], kMaxReplacementLength);
  }
  // As loading does: no replacement for the blank would glue the words of names together.
  if (settings.ReplaceStr[9].empty()) settings.ReplaceStr[9].assign(1, ' ');
  StorePosition(page.threadPriority, std::size(text::kOptionsThreadPriorities), settings.ThreadPriority);
}

// Never refuses: a folder that cannot be made falls back to the one of the sheet's
// opening, else the user is told and the typed one is kept.
void StoreMisc2(const Misc2Page& page, std::string_view openedFolder, const PlatformFolders& folders,
                UserNotice& notice, Settings& settings) {
  std::string folder = NormalizedFolder(page.temporaryFolder, folders.systemTemporaryFolder);
  if (!MakeSureDirectoryPathExists(folder)) {
    std::string opened = NormalizedFolder(openedFolder, folders.systemTemporaryFolder);
    if (MakeSureDirectoryPathExists(opened)) {
      folder = opened;
    } else {
      notice.Show(text::kCantOpenTempDirectory, NoticeKind::Warning);
    }
  }
  settings.TEMPDIRECTORY = folder;
  settings.temporaryFolder = folder;
  settings.AutoLoadCDPlayerINI = page.autoLoadCdPlayerIni ? 1 : 0;
  settings.AutoSelectAll = page.autoSelectAll ? 1 : 0;
  settings.bOpenOutputFolder = page.openOutputFolder ? 1 : 0;
  settings.bUseASPI = page.forceGenericDriver ? 1 : 0;
}

void StoreOgg(const OggPage& page, Settings& settings) {
  settings.OggQuality = page.quality;
  for (size_t i = 0; i < page.comments.size(); ++i) settings.OggComment[i] = page.comments[i] ? 1 : 0;
}

}  // namespace

OptionsSheet::OptionsSheet(const Settings& live, std::vector<std::string> unitNames, PlatformFolders folders)
    : opened_(live), unitNames_(std::move(unitNames)), folders_(std::move(folders)) {
  const Settings& s = live;
  output = {s.OutputFolder, s.NamingRule, Position(s.OutputFormat, std::size(text::kOptionsOutputFormats)),
            s.Normalize != 0, s.NormalizeRatio};

  const size_t bitRates = std::size(text::kOptionsBitRates);
  int minBitRate = Position(s.BitRate, bitRates);
  mp3 = {Position(s.MP3Encoder, std::size(text::kOptionsEncoderEngines)),
         minBitRate < 0 ? kFallbackBitRatePosition : minBitRate,
         Position(s.MaxBitRate, bitRates),
         Position(s.MPEGQuality, std::size(text::kOptionsMpegQualities)),
         Position(s.VBRQuality, std::size(text::kOptionsVbrQualities)),
         s.EnableVBR != 0,
         s.WriteVBRHeader != 0,
         Position(s.StereoMode, std::size(text::kOptionsStereoModes)),
         s.EnableID3 != 0,
         s.EnableID3V2 != 0,
         s.Copyright != 0,
         s.Original != 0,
         s.Private != 0};

  // The slider cannot show a value outside its range.
  ogg.quality = std::clamp(s.OggQuality, kOggQualityRange.low, kOggQualityRange.high);
  for (size_t i = 0; i < ogg.comments.size(); ++i) ogg.comments[i] = s.OggComment[i] != 0;

  freedb = {s.Server,      s.QueryScript, s.SubmitScript,           s.Email,         s.bProxy != 0,
            s.ProxyServer, s.ProxyPort,   s.ProxyAuthorization != 0, s.ProxyUsername, s.ProxyPassword};

  cdRom = {Position(s.CDROMDriver, unitNames_.size()),
           Position(s.DeviceType, std::size(text::kDriveTypeNames)),
           s.DeleteSilence != 0,
           s.LeadingFrame,
           s.TrailingFrame,
           s.DisableAutoPlay != 0,
           s.RetryTimes,
           s.BufferSize,
           s.BoolSkipError != 0,
           Position(s.PlaybackOutput, std::size(text::kOptionsPlaybackOutputs)),
           std::clamp(s.ReadOffset, kReadOffsetRange.low, kReadOffsetRange.high),
           s.SecureMode != 0,
           std::clamp(s.SecureRetries, kSecureRetriesRange.low, kSecureRetriesRange.high),
           s.AccurateRipServer};

  appearance = {s.TextColor, s.TextSelColor, s.TextShadowColor, s.StatusLineColor, s.BackgroundColor,
                s.BoolShadowColor != 0};

  misc1 = {s.MP3Player, s.MP3PlayerParameters, s.ReplaceStr,
           Position(s.ThreadPriority, std::size(text::kOptionsThreadPriorities))};

  misc2 = {s.TEMPDIRECTORY, s.AutoLoadCDPlayerINI != 0, s.AutoSelectAll != 0, s.bOpenOutputFolder != 0,
           s.bUseASPI != 0};
}

OptionsAcceptance OptionsSheet::Accept(UserNotice& notice) const {
  // Each page stores into this copy as it accepts; a refusal drops the copy whole, so
  // the pages accepted before it leave no trace in the live settings.
  Settings settings = opened_;
  std::optional<Refusal> refusal = StoreOutput(output, folders_, settings);
  if (!refusal) {
    StoreMp3(mp3, settings);
    StoreFreedb(freedb, settings);
    refusal = StoreCdRom(cdRom, unitNames_.size(), settings);
  }
  if (refusal) {
    notice.Show(refusal->message, NoticeKind::Warning);
    return {std::nullopt, refusal->page, refusal->focus, refusal->message};
  }
  StoreAppearance(appearance, settings);
  StoreMisc1(misc1, settings);
  StoreMisc2(misc2, opened_.TEMPDIRECTORY, folders_, notice, settings);
  StoreOgg(ogg, settings);
  return {std::move(settings), OptionsPage::Output, OptionsField::None, {}};
}

void SetDefaultColours(AppearancePage& page) {
  const Settings defaults;
  page.text = defaults.TextColor;
  page.highlightedText = defaults.TextSelColor;
  page.textShadow = defaults.TextShadowColor;
  page.statusLine = defaults.StatusLineColor;
  page.background = defaults.BackgroundColor;
}

std::string CustomColoursPath(std::string_view programFolder) {
  return WithOneTrailingSlash(programFolder) + "CustomColor.ini";
}

CustomColours LoadCustomColours(std::string_view programFolder) {
  ProfileFile file = ProfileFile::Load(CustomColoursPath(programFolder));
  CustomColours colours;
  for (size_t i = 0; i < colours.size(); ++i) {
    colours[i] = file.GetInt(kCustomColourSection, FormatText("Color%02d", static_cast<int>(i + 1)), kWhite) & kWhite;
  }
  return colours;
}

bool SaveCustomColours(std::string_view programFolder, const CustomColours& colours, std::string* errorText) {
  // The file is ours alone: written whole each time, never merged.
  ProfileFile file;
  for (size_t i = 0; i < colours.size(); ++i) {
    file.SetInt(kCustomColourSection, FormatText("Color%02d", static_cast<int>(i + 1)), colours[i] & kWhite);
  }
  return file.Save(CustomColoursPath(programFolder), errorText);
}

OptionsChanges ChangesToApply(const Settings& before, const Settings& after) {
  OptionsChanges changes;
  changes.encoderEngine = before.MP3Encoder != after.MP3Encoder;
  changes.reopenDrive = before.CDROMDriver != after.CDROMDriver || before.bUseASPI != after.bUseASPI;
  changes.driveOptions = before.RetryTimes != after.RetryTimes || before.DeviceType != after.DeviceType;
  changes.playbackOutput = before.PlaybackOutput != after.PlaybackOutput;
  changes.autoPlay = before.DisableAutoPlay != after.DisableAutoPlay;
  changes.colours = before.TextColor != after.TextColor || before.TextSelColor != after.TextSelColor ||
                    before.BackgroundColor != after.BackgroundColor ||
                    before.StatusLineColor != after.StatusLineColor ||
                    before.TextShadowColor != after.TextShadowColor ||
                    before.BoolShadowColor != after.BoolShadowColor;
  return changes;
}

}  // namespace sonvarek
