#include "core/settings_store.h"

#include <functional>
#include <variant>
#include <vector>

#include "core/proxy_password.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/folders.h"
#include "platform/program_folder.h"

namespace sonvarek {
namespace {

constexpr size_t kStringBuffer = 2500;
constexpr size_t kCddbStringBuffer = 1024;

using Correction = int32_t (*)(int32_t);

struct IntKey {
  const char* section;
  std::string key;
  std::function<int32_t&(Settings&)> field;
  Correction correct = nullptr;
};

struct StringKey {
  const char* section;
  std::string key;
  std::function<std::string&(Settings&)> field;
  size_t bufferSize = kStringBuffer;
};

struct PasswordKey {};

using Key = std::variant<IntKey, StringKey, PasswordKey>;

template <int32_t Low, int32_t High, int32_t Replacement>
int32_t OutsideBecomes(int32_t value) {
  return value < Low || value > High ? Replacement : value;
}
template <int32_t Low, int32_t Replacement>
int32_t BelowBecomes(int32_t value) {
  return value < Low ? Replacement : value;
}

int32_t CorrectWindowWidth(int32_t value) { return value < 420 ? 420 : value > 800 ? 600 : value; }
int32_t CorrectWindowHeight(int32_t value) { return value < 352 ? 352 : value > 600 ? 380 : value; }
int32_t CorrectOutputFormat(int32_t value) { return value == 0 || value == 1 || value == 2 ? value : 0; }

#define SETTING(member) ([](Settings& s) -> auto& { return s.member; })

// Every key in the order it is loaded; saving writes them in the same order.
const std::vector<Key>& SettingKeys() {
  static const std::vector<Key> keys = [] {
    std::vector<Key> k;
    k.push_back(IntKey{"MP3", "MP3Encoder", SETTING(MP3Encoder), OutsideBecomes<0, 0, 0>});
    k.push_back(StringKey{"General", "OutputFolder", SETTING(OutputFolder)});
    k.push_back(IntKey{"General", "OutputFormat", SETTING(OutputFormat), CorrectOutputFormat});
    k.push_back(IntKey{"MP3", "BitRate", SETTING(BitRate), OutsideBecomes<0, 13, 8>});
    k.push_back(IntKey{"MP3", "EnableID3", SETTING(EnableID3)});
    k.push_back(IntKey{"MP3", "EnableID3V2", SETTING(EnableID3V2)});
    k.push_back(IntKey{"MP3", "EnableVBR", SETTING(EnableVBR)});
    k.push_back(IntKey{"MP3", "MaxBitRate", SETTING(MaxBitRate), OutsideBecomes<0, 13, 13>});
    k.push_back(IntKey{"MP3", "MPEGQuality", SETTING(MPEGQuality), OutsideBecomes<0, 3, 2>});
    k.push_back(IntKey{"MP3", "VBRQuality", SETTING(VBRQuality), OutsideBecomes<0, 8, 4>});
    k.push_back(IntKey{"MP3", "Copyright", SETTING(Copyright)});
    k.push_back(IntKey{"MP3", "Original", SETTING(Original)});
    k.push_back(IntKey{"MP3", "Private", SETTING(Private)});
    k.push_back(IntKey{"MP3", "WriteVBRHeader", SETTING(WriteVBRHeader)});
    // A negative mode would index outside the stereo-mode list, so it is corrected too.
    k.push_back(IntKey{"MP3", "StereoMode", SETTING(StereoMode), OutsideBecomes<0, 1, 0>});

    k.push_back(IntKey{"CDROM", "CDROMDriver", SETTING(CDROMDriver), BelowBecomes<0, 0>});
    k.push_back(IntKey{"CDROM", "DeleteSilence", SETTING(DeleteSilence)});
    k.push_back(IntKey{"CDROM", "LeadingFrame", SETTING(LeadingFrame)});
    k.push_back(IntKey{"CDROM", "TrailingFrame", SETTING(TrailingFrame)});
    k.push_back(IntKey{"CDROM", "RetryTimes", SETTING(RetryTimes), BelowBecomes<1, 5>});
    k.push_back(IntKey{"CDROM", "DisableAutoPlay", SETTING(DisableAutoPlay)});
    k.push_back(IntKey{"CDROM", "StopPlayExit", SETTING(StopPlayExit)});
    // One read request carries at most 255 sectors (255 × 2352 bytes), the options page's range.
    k.push_back(IntKey{"CDROM", "BufferSize", SETTING(BufferSize), OutsideBecomes<1, 255, 26>});
    k.push_back(IntKey{"CDROM", "DeviceType", SETTING(DeviceType), OutsideBecomes<0, 11, 0>});
    k.push_back(IntKey{"CDROM", "PlaybackOutput", SETTING(PlaybackOutput), OutsideBecomes<0, 1, 0>});
    // Drive offsets in the database lie within a few thousand samples; more is a typing slip.
    k.push_back(IntKey{"CDROM", "ReadOffset", SETTING(ReadOffset), OutsideBecomes<-5000, 5000, 0>});
    k.push_back(IntKey{"CDROM", "SecureMode", SETTING(SecureMode), OutsideBecomes<0, 1, 0>});
    k.push_back(IntKey{"CDROM", "SecureRetries", SETTING(SecureRetries), OutsideBecomes<1, 32, 4>});

    k.push_back(IntKey{"COLOR", "TextColor", SETTING(TextColor)});
    k.push_back(IntKey{"COLOR", "TextSelColor", SETTING(TextSelColor)});
    k.push_back(IntKey{"COLOR", "BackgroundColor", SETTING(BackgroundColor)});
    k.push_back(IntKey{"COLOR", "StatusLineColor", SETTING(StatusLineColor)});
    k.push_back(IntKey{"COLOR", "TextShadowColor", SETTING(TextShadowColor)});
    k.push_back(IntKey{"COLOR", "BoolShadowColor", SETTING(BoolShadowColor)});

    k.push_back(StringKey{"Misc", "MP3Player", SETTING(MP3Player)});
    k.push_back(StringKey{"Misc", "MP3PlayerParameters", SETTING(MP3PlayerParameters)});
    for (size_t i = 0; i < 10; ++i) {
      k.push_back(StringKey{"Misc", FormatText("ReplaceStr%02d", static_cast<int>(i + 1)),
                            [i](Settings& s) -> std::string& { return s.ReplaceStr[i]; }});
    }
    k.push_back(StringKey{"Misc", "NamingRule", SETTING(NamingRule)});
    k.push_back(IntKey{"Misc", "WindowWidth", SETTING(WindowWidth), CorrectWindowWidth});
    k.push_back(IntKey{"Misc", "WindowHeight", SETTING(WindowHeight), CorrectWindowHeight});
    k.push_back(IntKey{"Misc", "WindowLeft", SETTING(WindowLeft), BelowBecomes<0, 130>});
    k.push_back(IntKey{"Misc", "WindowTop", SETTING(WindowTop), BelowBecomes<0, 90>});
    for (size_t i = 0; i < 4; ++i) {
      k.push_back(IntKey{"Misc", FormatText("ColumnWidth%d", static_cast<int>(i + 1)),
                         [i](Settings& s) -> int32_t& { return s.ColumnWidth[i]; }});
    }
    k.push_back(IntKey{"Misc", "BoolSkipError", SETTING(BoolSkipError)});
    k.push_back(IntKey{"Misc", "ThreadPriority", SETTING(ThreadPriority)});
    k.push_back(IntKey{"Misc", "Normalize", SETTING(Normalize)});
    k.push_back(IntKey{"Misc", "NormalizeRatio", SETTING(NormalizeRatio), OutsideBecomes<1, 100, 95>});
    k.push_back(IntKey{"Misc", "AutoLoadCDPlayerINI", SETTING(AutoLoadCDPlayerINI)});
    k.push_back(StringKey{"Misc", "TEMPDIRECTORY", SETTING(TEMPDIRECTORY)});

    k.push_back(IntKey{"Ogg Vorbis", "Quality", SETTING(OggQuality)});
    for (size_t i = 0; i < kOggCommentKeys.size(); ++i) {
      k.push_back(IntKey{"Ogg Vorbis", kOggCommentKeys[i], [i](Settings& s) -> int32_t& { return s.OggComment[i]; }});
    }

    k.push_back(StringKey{"Verify", "AccurateRipServer", SETTING(AccurateRipServer)});
    k.push_back(StringKey{"CDDB", "Server", SETTING(Server), kCddbStringBuffer});
    k.push_back(StringKey{"CDDB", "QueryScript", SETTING(QueryScript), kCddbStringBuffer});
    k.push_back(StringKey{"CDDB", "SubmitScript", SETTING(SubmitScript), kCddbStringBuffer});
    k.push_back(StringKey{"CDDB", "Email", SETTING(Email), kCddbStringBuffer});
    k.push_back(IntKey{"CDDB", "bProxy", SETTING(bProxy)});
    k.push_back(StringKey{"CDDB", "ProxyServer", SETTING(ProxyServer), kCddbStringBuffer});
    k.push_back(IntKey{"CDDB", "ProxyPort", SETTING(ProxyPort)});
    k.push_back(IntKey{"CDDB", "ProxyAuthorization", SETTING(ProxyAuthorization)});
    k.push_back(StringKey{"CDDB", "ProxyUsername", SETTING(ProxyUsername), kCddbStringBuffer});
    k.push_back(PasswordKey{});

    k.push_back(IntKey{"Misc", "bUseASPI", SETTING(bUseASPI)});
    k.push_back(IntKey{"Misc", "AutoSelectAll", SETTING(AutoSelectAll)});
    k.push_back(IntKey{"Misc", "bOpenOutputFolder", SETTING(bOpenOutputFolder)});
    return k;
  }();
  return keys;
}

#undef SETTING

void DeriveFolders(Settings& settings, const PlatformFolders& folders) {
  // An empty folder would put the output in the file system's root.
  if (WithoutTrailingSlashes(settings.OutputFolder).empty()) settings.OutputFolder = folders.defaultOutputFolder;
  settings.effectiveOutputFolder = WithOneTrailingSlash(settings.OutputFolder);
  if (WithoutTrailingSlashes(settings.TEMPDIRECTORY).empty()) settings.TEMPDIRECTORY = folders.systemTemporaryFolder;
  settings.TEMPDIRECTORY = WithOneTrailingSlash(settings.TEMPDIRECTORY);
  settings.temporaryFolder = settings.TEMPDIRECTORY;
}

struct FolderTexts {
  const char* cantOpen;
  const char* usedInstead;
};

// Makes `folder`, else `fallback`; true when `fallback` is to be used. The user is
// told of a fallback and which folder it is, or only that the folder cannot be opened
// when neither can be made.
bool FallsBack(std::string_view folder, std::string_view fallback, FolderTexts texts, UserNotice& notice) {
  if (MakeSureDirectoryPathExists(folder)) return false;
  if (!MakeSureDirectoryPathExists(WithOneTrailingSlash(fallback))) {
    notice.Show(texts.cantOpen, NoticeKind::Error);
    return false;
  }
  notice.Show(texts.cantOpen, NoticeKind::Warning);
  notice.Show(FormatText(texts.usedInstead, WithoutTrailingSlashes(fallback)), NoticeKind::Information);
  return true;
}

void MakeFolders(Settings& settings, const PlatformFolders& folders, UserNotice& notice) {
  if (FallsBack(settings.effectiveOutputFolder, folders.defaultOutputFolder,
                {text::kCantOpenOutputDirectory, text::kOutputFolderUsedInstead}, notice)) {
    settings.OutputFolder = folders.defaultOutputFolder;
    settings.effectiveOutputFolder = WithOneTrailingSlash(settings.OutputFolder);
  }
  if (FallsBack(settings.temporaryFolder, folders.systemTemporaryFolder,
                {text::kCantOpenTempDirectory, text::kTempFolderUsedInstead}, notice)) {
    settings.TEMPDIRECTORY = WithOneTrailingSlash(folders.systemTemporaryFolder);
    settings.temporaryFolder = settings.TEMPDIRECTORY;
  }
}

}  // namespace

PlatformFolders SystemFolders(std::string_view programFolderOverride) {
  return {FindProgramFolder(programFolderOverride), DefaultOutputFolder(), SystemTemporaryFolder()};
}

std::string SettingsFilePath(const PlatformFolders& folders) {
  return WithOneTrailingSlash(folders.programFolder) + "Settings.ini";
}

Settings DefaultSettings(const PlatformFolders& folders) {
  Settings settings;
  settings.OutputFolder = folders.defaultOutputFolder;
  settings.TEMPDIRECTORY = folders.systemTemporaryFolder;
  return settings;
}

Settings ReadSettings(const ProfileFile& profile, const PlatformFolders& folders) {
  Settings settings = DefaultSettings(folders);
  for (const Key& key : SettingKeys()) {
    if (const auto* number = std::get_if<IntKey>(&key)) {
      int32_t& field = number->field(settings);
      field = profile.GetInt(number->section, number->key, field);
      if (number->correct != nullptr) field = number->correct(field);
    } else if (const auto* string = std::get_if<StringKey>(&key)) {
      std::string& field = string->field(settings);
      field = profile.GetString(string->section, string->key, field, string->bufferSize);
    } else {
      settings.ProxyPassword = LoadProxyPassword(profile);
    }
  }
  if (settings.ReplaceStr[9].empty()) settings.ReplaceStr[9].assign(1, ' ');
  DeriveFolders(settings, folders);
  return settings;
}

Settings LoadSettings(const PlatformFolders& folders, UserNotice& notice) {
  const std::string path = SettingsFilePath(folders);
  ProfileLoad outcome = ProfileLoad::Missing;
  ProfileFile profile = ProfileFile::Load(path, &outcome);
  if (outcome == ProfileLoad::Cut) notice.Show(FormatText(text::kSettingsFileTooLarge, path), NoticeKind::Warning);
  Settings settings = ReadSettings(profile, folders);
  MakeFolders(settings, folders, notice);
  return settings;
}

WindowGeometry GeometryFromSettings(const Settings& settings) {
  return {settings.WindowLeft, settings.WindowTop, settings.WindowWidth, settings.WindowHeight, settings.ColumnWidth};
}

void WriteSettings(const Settings& settings, const WindowGeometry& geometry, ProfileFile& profile) {
  Settings saved = settings;
  saved.OutputFolder = WithoutTrailingSlashes(settings.OutputFolder);
  saved.WindowLeft = geometry.left;
  saved.WindowTop = geometry.top;
  saved.WindowWidth = geometry.width;
  saved.WindowHeight = geometry.height;
  saved.ColumnWidth = geometry.columnWidths;
  for (const Key& key : SettingKeys()) {
    if (const auto* number = std::get_if<IntKey>(&key)) {
      profile.SetInt(number->section, number->key, number->field(saved));
    } else if (const auto* string = std::get_if<StringKey>(&key)) {
      profile.SetString(string->section, string->key, string->field(saved));
    } else {
      SaveProxyPassword(profile, saved.ProxyPassword);
    }
  }
}

bool SaveSettings(const Settings& settings, const WindowGeometry& geometry, const PlatformFolders& folders,
                  std::string* errorText) {
  std::string path = SettingsFilePath(folders);
  MakeSureDirectoryPathExists(path);
  ProfileFile profile = ProfileFile::Load(path);
  WriteSettings(settings, geometry, profile);
  return profile.Save(path, errorText);
}

}  // namespace sonvarek
