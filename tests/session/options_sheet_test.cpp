#include "session/options_sheet.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/profile_file.h"
#include "core/settings_store.h"
#include "core/string_table.h"
#include "platform/user_notice.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

// Settings.ini text of a record: compares every key at once.
std::string IniText(const Settings& settings) {
  ProfileFile profile;
  WriteSettings(settings, GeometryFromSettings(settings), profile);
  return profile.Text();
}

class OptionsSheetTest : public ::testing::Test {
 protected:
  OptionsSheetTest() {
    folders = {home.Path(), home / "default-output", home / "system-temp/"};
    live = DefaultSettings(folders);
    live.OutputFolder = home / "out";
    live.TEMPDIRECTORY = home / "temp/";
    // A path below a plain file can never be made, whoever runs the test.
    test::WriteWholeFile(home / "file", "x");
  }

  OptionsSheet Sheet() const { return OptionsSheet(live, {"/dev/sr0", "/dev/sr1"}, folders); }
  std::string Unmakeable() const { return home / "file/sub"; }

  test::TempFolder home;
  PlatformFolders folders;
  Settings live;
  RecordingNotice notice;
};

TEST_F(OptionsSheetTest, TheOutputFolderIsStoredTrimmedWithExactlyOneTrailingSlash) {
  struct Case {
    std::string typed;
    std::string stored;
  } cases[] = {
      {"  " + home / "Music///  ", home / "Music/"},
      {home / "a/b/c", home / "a/b/c/"},
      {"/", "/"},
      {" //// ", "/"},
      {"   ", home / "default-output/"},  // blank would mean the root
  };
  for (const Case& c : cases) {
    OptionsSheet sheet = Sheet();
    sheet.output.folder = c.typed;
    OptionsAcceptance result = sheet.Accept(notice);
    ASSERT_TRUE(result.accepted()) << c.typed;
    EXPECT_EQ(result.settings->OutputFolder, c.stored) << c.typed;
    EXPECT_EQ(result.settings->effectiveOutputFolder, c.stored) << c.typed;
    EXPECT_TRUE(std::filesystem::is_directory(c.stored)) << c.typed;
  }
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(OptionsSheetTest, TheOutputPageRefusesAndNamesTheFieldToFocus) {
  const std::string unmakeable = Unmakeable();
  std::string accents;
  for (int i = 0; i < 248; ++i) accents += "\xC3\xA9";
  struct Case {
    std::string folder;
    std::string rule;
    int ratio;
    OptionsField focus;  // None: accepted
    std::string message;
    std::string storedRule;
  } cases[] = {
      {home / "out", "<genre>", 95, OptionsField::NamingRule, text::kNamingRuleNeedsToken, ""},
      {home / "out", "just words", 95, OptionsField::NamingRule, text::kNamingRuleNeedsToken, ""},
      {home / "out", "<Title>", 95, OptionsField::NamingRule, text::kNamingRuleNeedsToken, ""},
      {home / "out", "<year>", 95, OptionsField::None, "", "<year>"},
      {home / "out", "", 95, OptionsField::None, "", "<title>"},
      {unmakeable, "<title>", 95, OptionsField::OutputFolder, "Cannot create directory  " + unmakeable + "/", ""},
      // The rule is checked before the folder is made.
      {unmakeable, "<genre>", 95, OptionsField::NamingRule, text::kNamingRuleNeedsToken, ""},
      {home / "out", "<title>", 0, OptionsField::NormalizeRatio, "Please enter an integer between 1 and 100.", ""},
      {home / "out", "<title>", 101, OptionsField::NormalizeRatio, "Please enter an integer between 1 and 100.", ""},
      // Lengths count characters: 255 two-byte characters are within the limit.
      {home / "out", "<title>" + std::string(248, 'x'), 95, OptionsField::None, "", "<title>" + std::string(248, 'x')},
      {home / "out", "<title>" + std::string(249, 'x'), 95, OptionsField::NamingRule,
       "Please enter no more than 255 characters.", ""},
      {home / "out", "<title>" + accents, 95, OptionsField::None, "", "<title>" + accents},
      {"/" + std::string(200, 'd'), "<title>", 95, OptionsField::OutputFolder,
       "Please enter no more than 200 characters.", ""},
  };
  for (const Case& c : cases) {
    notice.texts.clear();
    OptionsSheet sheet = Sheet();
    sheet.output.folder = c.folder;
    sheet.output.namingRule = c.rule;
    sheet.output.normalizeRatio = c.ratio;
    OptionsAcceptance result = sheet.Accept(notice);
    if (c.focus == OptionsField::None) {
      ASSERT_TRUE(result.accepted()) << c.rule;
      EXPECT_EQ(result.settings->NamingRule, c.storedRule);
      EXPECT_TRUE(notice.texts.empty()) << c.rule;
    } else {
      EXPECT_FALSE(result.accepted()) << c.rule;
      EXPECT_EQ(result.page, OptionsPage::Output) << c.rule;
      EXPECT_EQ(result.focus, c.focus) << c.rule;
      EXPECT_EQ(result.message, c.message) << c.rule;
      EXPECT_EQ(notice.texts, std::vector<std::string>{c.message}) << c.rule;
    }
  }
}

TEST_F(OptionsSheetTest, TheCdRomPageRefusesNumbersOutsideTheirRanges) {
  struct Case {
    int CdRomPage::*field;
    int value;
    OptionsField focus;  // None: accepted
    const char* message;
  } cases[] = {
      {&CdRomPage::leadingFrames, 15001, OptionsField::LeadingFrames, "Please enter an integer between 0 and 15000."},
      {&CdRomPage::leadingFrames, 15000, OptionsField::None, ""},
      {&CdRomPage::trailingFrames, -1, OptionsField::TrailingFrames, "Please enter an integer between 0 and 15000."},
      {&CdRomPage::trailingFrames, 0, OptionsField::None, ""},
      {&CdRomPage::retryTimes, 0, OptionsField::RetryTimes, "Please enter an integer between 1 and 100."},
      {&CdRomPage::retryTimes, 101, OptionsField::RetryTimes, "Please enter an integer between 1 and 100."},
      {&CdRomPage::retryTimes, 100, OptionsField::None, ""},
      {&CdRomPage::bufferSize, 0, OptionsField::BufferSize, "Please enter an integer between 1 and 255."},
      {&CdRomPage::bufferSize, 256, OptionsField::BufferSize, "Please enter an integer between 1 and 255."},
      {&CdRomPage::bufferSize, 255, OptionsField::None, ""},
  };
  for (const Case& c : cases) {
    notice.texts.clear();
    OptionsSheet sheet = Sheet();
    sheet.cdRom.*c.field = c.value;
    OptionsAcceptance result = sheet.Accept(notice);
    if (c.focus == OptionsField::None) {
      ASSERT_TRUE(result.accepted()) << c.value;
      CdRomPage reopened = OptionsSheet(*result.settings, {"/dev/sr0"}, folders).cdRom;
      EXPECT_EQ(reopened.*c.field, c.value);
    } else {
      EXPECT_FALSE(result.accepted()) << c.value;
      EXPECT_EQ(result.page, OptionsPage::CdRom);
      EXPECT_EQ(result.focus, c.focus) << c.value;
      EXPECT_EQ(notice.texts, std::vector<std::string>{c.message}) << c.value;
    }
  }
}

// Every page changed; the CD-ROM page then refuses, and the user cancels.
TEST_F(OptionsSheetTest, NeitherARefusalNorCancelChangesAnySetting) {
  const std::string before = IniText(live);
  {
    OptionsSheet sheet = Sheet();
    sheet.output.folder = home / "elsewhere";
    sheet.output.namingRule = "<artist>-<title>";
    sheet.output.outputFormat = 2;
    sheet.mp3.minBitRate = 3;
    sheet.mp3.enableVbr = true;
    sheet.ogg.quality = 7;
    sheet.freedb.server = "gnudb.org";
    sheet.freedb.password = "secret";
    sheet.cdRom.unit = 1;
    sheet.cdRom.leadingFrames = 15001;
    sheet.appearance.text = 0x123456;
    sheet.misc1.replacements[0] = "_";
    sheet.misc2.temporaryFolder = home / "other-temp";
    sheet.misc2.forceGenericDriver = true;
    EXPECT_FALSE(sheet.Accept(notice).accepted());
    // Corrected, OK again, then Cancel: the accepted outcome is dropped.
    sheet.cdRom.leadingFrames = 10;
    ASSERT_TRUE(sheet.Accept(notice).accepted());
  }
  EXPECT_EQ(IniText(live), before);
}

// Settings that differ in every key the pages show: between the two variants (so
// that a setting a page leaves out shows) and, for the flags, from their neighbours
// (so that two swapped settings show).
Settings Distinctive(const Settings& base, const test::TempFolder& home, int variant) {
  auto flag = [variant](bool on) { return on == (variant == 0) ? 1 : 0; };
  const std::string v = std::to_string(variant);
  Settings s = base;
  s.BitRate = 3 + variant;
  s.MaxBitRate = 11 + variant;
  s.MPEGQuality = 1 + variant;
  s.VBRQuality = 7 - variant;
  s.EnableID3 = flag(false);
  s.EnableID3V2 = flag(true);
  s.EnableVBR = flag(false);
  s.WriteVBRHeader = flag(true);
  s.Copyright = flag(false);
  s.Original = flag(true);
  s.Private = flag(false);
  s.StereoMode = 1 - variant;
  s.OutputFolder = home / ("music" + v + "/");
  s.OutputFormat = 2 - variant;
  s.Normalize = flag(true);
  s.NormalizeRatio = 42 + variant;
  s.CDROMDriver = 1 - variant;
  s.DeleteSilence = flag(false);
  s.LeadingFrame = 11 + variant;
  s.TrailingFrame = 21 + variant;
  s.RetryTimes = 13 + variant;
  s.DisableAutoPlay = flag(true);
  s.PlaybackOutput = 1 - variant;
  s.BufferSize = 14 + variant;
  s.DeviceType = 9 + variant;
  s.ReadOffset = variant == 0 ? -667 : 1200;
  s.SecureMode = flag(false);
  s.SecureRetries = 7 + variant;
  s.AccurateRipServer = "http://ar" + v + ".example/";
  s.TextColor = 1 + 10 * variant;
  s.TextSelColor = 2 + 10 * variant;
  s.BackgroundColor = 3 + 10 * variant;
  s.StatusLineColor = 4 + 10 * variant;
  s.TextShadowColor = 5 + 10 * variant;
  s.BoolShadowColor = flag(false);
  s.MP3Player = "/usr/bin/mpv" + v;
  s.MP3PlayerParameters = "--no-video" + v;
  s.ReplaceStr = {"a" + v, "b" + v, "c" + v, "d" + v, "e" + v, "f" + v, "g" + v, "h" + v, "i" + v, "j" + v};
  s.NamingRule = "<year>\\<album>" + v;
  s.BoolSkipError = flag(true);
  s.ThreadPriority = 4 - variant;
  s.AutoLoadCDPlayerINI = flag(false);
  s.TEMPDIRECTORY = home / ("tmp" + v + "/");
  s.bUseASPI = flag(true);
  s.AutoSelectAll = flag(false);
  s.bOpenOutputFolder = flag(true);
  s.OggQuality = 77 + variant;
  for (size_t i = 0; i < s.OggComment.size(); ++i) s.OggComment[i] = flag(i % 2 == 0);
  s.Server = "server" + v;
  s.QueryScript = "/q" + v;
  s.SubmitScript = "/s" + v;
  s.Email = "me" + v + "@example.org";
  s.bProxy = flag(true);
  s.ProxyServer = "proxy" + v;
  s.ProxyPort = 3128 + variant;
  s.ProxyAuthorization = flag(false);
  s.ProxyUsername = "me" + v;
  s.ProxyPassword = "pass word" + v;
  return s;
}

// The pages of a sheet opened on one record, accepted on a sheet opened on the other,
// give exactly the first record: every setting goes from its control to its key.
TEST_F(OptionsSheetTest, PagesCarryEverySettingTheyShow) {
  const Settings variants[] = {Distinctive(live, home, 0), Distinctive(live, home, 1)};
  for (int from = 0; from < 2; ++from) {
    const Settings& shownSettings = variants[from];
    OptionsSheet shown(shownSettings, {"/dev/sr0", "/dev/sr1"}, folders);
    OptionsSheet edited(variants[1 - from], {"/dev/sr0", "/dev/sr1"}, folders);
    edited.output = shown.output;
    edited.mp3 = shown.mp3;
    edited.ogg = shown.ogg;
    edited.freedb = shown.freedb;
    edited.cdRom = shown.cdRom;
    edited.appearance = shown.appearance;
    edited.misc1 = shown.misc1;
    edited.misc2 = shown.misc2;
    OptionsAcceptance result = edited.Accept(notice);
    ASSERT_TRUE(result.accepted()) << from;
    EXPECT_EQ(IniText(*result.settings), IniText(shownSettings)) << from;
    EXPECT_EQ(result.settings->effectiveOutputFolder, shownSettings.OutputFolder);
    EXPECT_EQ(result.settings->temporaryFolder, shownSettings.TEMPDIRECTORY);
    // OK without an edit changes nothing either.
    OptionsAcceptance unedited = shown.Accept(notice);
    ASSERT_TRUE(unedited.accepted()) << from;
    EXPECT_EQ(IniText(*unedited.settings), IniText(shownSettings)) << from;
  }
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(OptionsSheetTest, PagesShowTheSettingsAsTheirControlsDo) {
  live = Distinctive(live, home, 0);
  for (int stored : {-1, 14, 99}) {
    live.BitRate = stored;
    EXPECT_EQ(Sheet().mp3.minBitRate, kFallbackBitRatePosition) << stored;
  }
  live.MaxBitRate = 14;
  live.CDROMDriver = 5;  // only two units
  live.OggQuality = 0;
  OptionsSheet sheet = Sheet();
  EXPECT_EQ(sheet.mp3.maxBitRate, -1);
  EXPECT_EQ(sheet.cdRom.unit, -1);
  EXPECT_EQ(sheet.ogg.quality, 1);
  EXPECT_EQ(sheet.freedb.password, "pass word0");
  EXPECT_EQ(sheet.mp3.vbrQuality, 7);
  EXPECT_EQ(sheet.cdRom.deviceType, 9);

  // A list showing nothing keeps its setting; the shown fallback position is stored.
  OptionsAcceptance result = sheet.Accept(notice);
  ASSERT_TRUE(result.accepted());
  EXPECT_EQ(result.settings->MaxBitRate, 14);
  EXPECT_EQ(result.settings->CDROMDriver, 5);
  EXPECT_EQ(result.settings->BitRate, kFallbackBitRatePosition);
  EXPECT_EQ(result.settings->OggQuality, 1);
}

TEST_F(OptionsSheetTest, TheTemporaryFolderFallsBackToTheOneOfTheOpeningAndNeverRefuses) {
  const std::string unmakeable = Unmakeable();
  struct Case {
    std::string opened;
    std::string typed;
    std::string stored;
    bool told;
  } cases[] = {
      {home / "temp/", "  " + home / "new-temp//", home / "new-temp/", false},
      {home / "temp/", unmakeable, home / "temp/", false},
      {unmakeable + "/", unmakeable + "/x", unmakeable + "/x/", true},
      {home / "temp/", "", home / "system-temp/", false},
  };
  for (const Case& c : cases) {
    notice.texts.clear();
    live.TEMPDIRECTORY = c.opened;
    OptionsSheet sheet = Sheet();
    sheet.misc2.temporaryFolder = c.typed;
    OptionsAcceptance result = sheet.Accept(notice);
    ASSERT_TRUE(result.accepted()) << c.typed;
    EXPECT_EQ(result.settings->TEMPDIRECTORY, c.stored) << c.typed;
    EXPECT_EQ(result.settings->temporaryFolder, c.stored) << c.typed;
    EXPECT_EQ(notice.texts, c.told ? std::vector<std::string>{"Can't open temp directory!"}
                                   : std::vector<std::string>{})
        << c.typed;
  }
}

// The spin boxes cannot show a number outside their range: the sheet opens and stores
// its nearest end. A blank server turns the look-ups off.
TEST_F(OptionsSheetTest, VerifiedRipSettingsAreClampedAndTheServerTrimmed) {
  struct Case {
    int32_t offset;
    int32_t retries;
    int shownOffset;
    int shownRetries;
  } cases[] = {{-5001, 0, -5000, 1}, {5001, 33, 5000, 32}, {-5000, 1, -5000, 1}, {5000, 32, 5000, 32},
               {0, 4, 0, 4}};
  for (const Case& c : cases) {
    live.ReadOffset = c.offset;
    live.SecureRetries = c.retries;
    OptionsSheet sheet = Sheet();
    EXPECT_EQ(sheet.cdRom.readOffset, c.shownOffset) << c.offset;
    EXPECT_EQ(sheet.cdRom.secureRetries, c.shownRetries) << c.retries;
    // As typed into the sheet's pages directly: stored clamped, never refused.
    sheet.cdRom.readOffset = c.offset;
    sheet.cdRom.secureRetries = c.retries;
    OptionsAcceptance result = sheet.Accept(notice);
    ASSERT_TRUE(result.accepted()) << c.offset;
    EXPECT_EQ(result.settings->ReadOffset, c.shownOffset) << c.offset;
    EXPECT_EQ(result.settings->SecureRetries, c.shownRetries) << c.retries;
  }
  for (auto [typed, stored] : {std::pair{"  \t ", ""}, {" http://127.0.0.1:8080/ar/\t", "http://127.0.0.1:8080/ar/"}}) {
    OptionsSheet sheet = Sheet();
    sheet.cdRom.accurateRipServer = typed;
    OptionsAcceptance result = sheet.Accept(notice);
    ASSERT_TRUE(result.accepted());
    EXPECT_EQ(result.settings->AccurateRipServer, stored);
  }
  EXPECT_TRUE(notice.texts.empty());
}

TEST_F(OptionsSheetTest, MiscTextsAreCutToTheirEditsAndTheBlankKeepsAReplacement) {
  OptionsSheet sheet = Sheet();
  sheet.misc1.player = std::string(249, 'p') + "\xC3\xA9\xC3\xA9";
  sheet.misc1.replacements[9] = "";
  sheet.misc1.replacements[1] = "1234567";
  OptionsAcceptance result = sheet.Accept(notice);
  ASSERT_TRUE(result.accepted());
  EXPECT_EQ(result.settings->MP3Player, std::string(249, 'p') + "\xC3\xA9");
  EXPECT_EQ(result.settings->ReplaceStr[9], " ");
  EXPECT_EQ(result.settings->ReplaceStr[1], "123456");
}

TEST(OptionsPagesTest, EnablingRulesFollowTheirBoxes) {
  struct Case {
    bool useProxy;
    bool authorization;
    bool proxyFields;
    bool credentials;
  } cases[] = {{false, false, false, false}, {false, true, false, false}, {true, false, true, false},
               {true, true, true, true}};
  for (const Case& c : cases) {
    FreedbPage page;
    page.useProxy = c.useProxy;
    page.authorization = c.authorization;
    EXPECT_EQ(ProxyFieldsEnabled(page), c.proxyFields);
    EXPECT_EQ(ProxyCredentialsEnabled(page), c.credentials);
  }
  Mp3Page mp3;
  EXPECT_FALSE(VbrControlsEnabled(mp3));
  mp3.enableVbr = true;
  EXPECT_TRUE(VbrControlsEnabled(mp3));
  CdRomPage cdRom;
  EXPECT_FALSE(SecureRetriesEnabled(cdRom));
  cdRom.secureMode = true;
  EXPECT_TRUE(SecureRetriesEnabled(cdRom));
}

TEST(OptionsPagesTest, SetDefaultRestoresTheColoursAndKeepsTheShadowBox) {
  AppearancePage page{1, 2, 3, 4, 5, false};
  SetDefaultColours(page);
  EXPECT_EQ(page.text, 65280);
  EXPECT_EQ(page.highlightedText, 65535);
  EXPECT_EQ(page.textShadow, 1315860);
  EXPECT_EQ(page.statusLine, 11847880);
  EXPECT_EQ(page.background, 0);
  EXPECT_FALSE(page.drawShadow);
}

TEST(OptionsPagesTest, CustomColoursSurviveARunAndJunkReadsAsColours) {
  test::TempFolder home;
  CustomColours white;
  white.fill(0xFFFFFF);
  EXPECT_EQ(LoadCustomColours(home.Path()), white);

  CustomColours colours;
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<int32_t>(i * 0x010203);
  std::string error;
  ASSERT_TRUE(SaveCustomColours(home.Path(), colours, &error)) << error;
  EXPECT_EQ(LoadCustomColours(home.Path()), colours);

  test::WriteWholeFile(CustomColoursPath(home.Path()), "[CustomColor]\nColor01=-1\nColor02=abc\n");
  CustomColours junk = LoadCustomColours(home.Path());
  EXPECT_EQ(junk[0], 0xFFFFFF);
  EXPECT_EQ(junk[1], 0);
  EXPECT_EQ(junk[2], 0xFFFFFF);

  test::WriteWholeFile(home / "file", "x");
  EXPECT_FALSE(SaveCustomColours(home / "file/", colours));
}

TEST(OptionsPagesTest, ChangesNameWhatTheMainWindowMustApply) {
  struct Case {
    void (*edit)(Settings&);
    OptionsChanges changes;
  } cases[] = {
      {[](Settings&) {}, {}},
      {[](Settings& s) { s.MP3Encoder = 1; }, {.encoderEngine = true}},
      {[](Settings& s) { s.CDROMDriver = 1; }, {.reopenDrive = true}},
      {[](Settings& s) { s.bUseASPI = 1; }, {.reopenDrive = true}},
      {[](Settings& s) { s.DeviceType = 3; }, {.driveOptions = true}},
      {[](Settings& s) { s.RetryTimes = 9; }, {.driveOptions = true}},
      {[](Settings& s) { s.BufferSize = 9; }, {}},  // read when a rip starts
      {[](Settings& s) { s.PlaybackOutput = 1; }, {.playbackOutput = true}},
      {[](Settings& s) { s.DisableAutoPlay = 0; }, {.autoPlay = true}},
      {[](Settings& s) { s.TextShadowColor = 7; }, {.colours = true}},
      {[](Settings& s) { s.BoolShadowColor = 0; }, {.colours = true}},
      {[](Settings& s) { s.NamingRule = "<title>"; }, {}},
  };
  const Settings before;
  for (size_t i = 0; i < std::size(cases); ++i) {
    Settings after = before;
    cases[i].edit(after);
    EXPECT_EQ(ChangesToApply(before, after), cases[i].changes) << i;
  }
}

}  // namespace
}  // namespace sonvarek
