#include "core/output_naming.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

const std::array<std::string, 10> kDefaults = Settings().ReplaceStr;

TEST(ReplaceForbiddenCharacters, ReplacesInTableOrderIncludingWhatEarlierStepsInserted) {
  struct Case {
    const char* text;
    std::array<std::string, 10> replacements;
    const char* expected;
  } cases[] = {
      {"What?", kDefaults, "What#"},
      {"a<b>", kDefaults, "a(b)"},
      {"Back: In Black", kDefaults, "Back& In Black"},
      {"AC/DC", kDefaults, "AC#DC"},
      {"say \"hi\" | *x* \\ y", kDefaults, "say =hi= # #x# # y"},
      // '*' becomes '?', which the third step turns into '#'.
      {"a*b", {"?", "&", "#", "=", "#", "#", "#", "(", ")", " "}, "a#b"},
      // A replacement holding an earlier character stays: ':' is replaced after '*'.
      {"a:b", {"#", "*", "#", "=", "#", "#", "#", "(", ")", " "}, "a*b"},
      {"two words", {"#", "&", "#", "=", "#", "#", "#", "(", ")", "_"}, "two_words"},
      {"", kDefaults, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceForbiddenCharacters(c.text, c.replacements), c.expected) << c.text;
}

class BuildOutputPathTest : public ::testing::Test {
 protected:
  ConversionJob Job(const std::string& artist, const std::string& album, const std::string& title, int track,
                    const std::string& year = "") {
    ConversionJob job;
    job.tags.Artist = artist;
    job.tags.Album = album;
    job.tags.Year = year;
    job.sourceName = title;
    job.trackIndex = track - 1;
    return job;
  }
  std::string Build(const ConversionJob& job, const std::string& rule, const std::string& extension = ".MP3") {
    settings.NamingRule = rule;
    return BuildOutputPath(job, folder, extension, settings).value_or("(outside)");
  }

  test::TempFolder temp;
  std::string folder = temp / "Music";
  Settings settings;
};

TEST_F(BuildOutputPathTest, ExpandsTheRuleAndMakesItsFolders) {
  std::string path = Build(Job("AC/DC", "", "Back: In Black", 6), "<artist>\\<album>\\<number>-<title>");
  EXPECT_EQ(path, temp / "Music/AC#DC/Album/06-Back& In Black.MP3");
  EXPECT_TRUE(fs::is_directory(temp / "Music/AC#DC"));
  EXPECT_TRUE(fs::is_directory(temp / "Music/AC#DC/Album"));
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(BuildOutputPathTest, RuleCases) {
  struct Case {
    const char* rule;
    ConversionJob job;
    const char* expected;  // relative to the folder
  } cases[] = {
      {"<title>", Job("A", "B", "", 1), ".MP3"},
      {"<title>-<title>", Job("A", "B", "Song", 1), "Song-Song.MP3"},
      {"<year>-<title>", Job("A", "B", "Song", 1), "Year-Song.MP3"},
      {"<year>-<title>", Job("A", "B", "Song", 1, "1999"), "1999-Song.MP3"},
      {"<number>", Job("A", "B", "Song", 99), "99.MP3"},
      {"<artist>/<title>", Job("", "", "Song", 1), "Artist/Song.MP3"},
      // A value holding a later token gets it expanded; the rule's own text is not filtered.
      {"<artist> - <title>", Job("<title>", "B", "Song", 1), "(title) - Song.MP3"},
      {"<album>: <title>", Job("A", "<title>", "Song", 1), "(title): Song.MP3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Build(c.job, c.rule), folder + "/" + c.expected) << c.rule;
  }
  settings.ReplaceStr[7] = "<";  // a replacement that brings a token back
  settings.ReplaceStr[8] = ">";
  EXPECT_EQ(Build(Job("<year>", "B", "Song", 1, "2001"), "<artist>-<title>"), folder + "/2001-Song.MP3");
}

TEST_F(BuildOutputPathTest, TrailingSeparatorsOfTheFolderAreDropped) {
  settings.NamingRule = "<title>";
  EXPECT_EQ(BuildOutputPath(Job("A", "B", "Song", 1), folder + "//  ", ".WAV", settings), folder + "/Song.WAV");
}

// Disc texts come from remote servers: no value may lead outside the output folder.
TEST_F(BuildOutputPathTest, HostileDotsNeverLeaveTheFolder) {
  struct Case {
    const char* rule;
    ConversionJob job;
    const char* expected;
  } cases[] = {
      {"<artist>\\<title>", Job("..", "B", "x", 1), "##/x.MP3"},
      {"<artist>\\<album>\\<title>", Job(".", "...", "x", 1), "#/###/x.MP3"},
      {"<title>", Job("A", "B", "..", 1), "##.MP3"},
      {"<album>\\<title>", Job("A", "..", "..", 1), "##/##.MP3"},
      {"<artist>\\<title>", Job("...a", "B", ".hidden", 1), "...a/.hidden.MP3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Build(c.job, c.rule), folder + "/" + c.expected) << c.rule;
  }

  // Replacement strings never make a subfolder, whatever the settings say.
  settings.ReplaceStr[5] = "/";
  settings.ReplaceStr[6] = "/";
  const char* hostile[] = {"../../../etc/passwd", "..\\..\\x", "/../..", "a/../../b", "./.", ".."};
  for (const char* value : hostile) {
    for (const char* rule : {"<artist>\\<title>", "<title>", "<album>/<number>"}) {
      std::string path = Build(Job(value, value, value, 1), rule);
      EXPECT_TRUE(LiesInsideFolder(path, folder)) << value << " with " << rule << " gave " << path;
      for (const auto& part : fs::path(path).lexically_relative(folder)) {
        EXPECT_NE(part, "..") << path;
      }
    }
  }
  EXPECT_FALSE(fs::exists(temp / "etc"));

  // A replacement that brought a separator and dots with it once led above the folder.
  settings.ReplaceStr = {"/..", "&", "#", "=", "#", "#", "#", "(", ")", " "};
  EXPECT_EQ(Build(Job("..", "B", "x*y", 1), "<artist>\\<title>"), folder + "/##/x..y.MP3");
  EXPECT_EQ(Build(Job("*", "B", "x", 1), "<artist>\\<title>"), folder + "/##/x.MP3");
}

TEST_F(BuildOutputPathTest, ControlCharactersBecomeBlanks) {
  settings.ReplaceStr[9] = "_";
  EXPECT_EQ(Build(Job("A\x1b[31m", "B", "Line\nbreak\tand\rreturn", 2), "<artist>-<number>-<title>"),
            folder + "/A_[31m-02-Line_break_and_return.MP3");
}

TEST(LiesInsideFolder, OnlyPathsBelowTheFolder) {
  struct Case {
    const char* path;
    bool inside;
  } cases[] = {
      {"/music/a.MP3", true},       {"/music/x/../a.MP3", true}, {"/music//a/b.MP3", true},
      {"/music/../etc/a", false},   {"/music", false},           {"/music/", false},
      {"/musicals/a.MP3", false},   {"/etc/passwd", false},      {"/music/./../music2/a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(LiesInsideFolder(c.path, "/music/"), c.inside) << c.path;
}

TEST(ConvertedOutputPath, UsesTheSourceNameWithoutItsLastExtension) {
  struct Case {
    const char* source;
    const char* folder;
    const char* expected;
  } cases[] = {
      {"/in/song.wav", "/out/", "/out/song.MP3"},
      {"/in/a.b.c.wav", "/out//", "/out/a.b.c.MP3"},
      {"/in/noext", "/out", "/out/noext.MP3"},
      {"/in/.hidden", "/out", "/out/.hidden.MP3"},
      {"relative.wav", "/out", "/out/relative.MP3"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertedOutputPath(c.source, c.folder, ".MP3"), c.expected) << c.source;
}

TEST(NamingRuleCheck, EmptyBecomesTitleAndTokenlessIsRefused) {
  struct Case {
    std::string rule;
    NamingRuleCheck result;
    std::string after;
  } cases[] = {
      {"", NamingRuleCheck::Accepted, "<title>"},
      {"<year>", NamingRuleCheck::Accepted, "<year>"},
      {"x\\<number>", NamingRuleCheck::Accepted, "x\\<number>"},
      {"no tokens", NamingRuleCheck::Refused, "no tokens"},
      {"<Title>", NamingRuleCheck::Refused, "<Title>"},
  };
  for (Case c : cases) {
    std::string rule = c.rule;
    EXPECT_EQ(CheckNamingRule(rule), c.result) << c.rule;
    EXPECT_EQ(rule, c.after);
  }
}

class FixedProbe final : public DiskSpaceProbe {
 public:
  explicit FixedProbe(FreeSpace space) : space_(std::move(space)) {}
  FreeSpace Query(std::string_view) const override { return space_; }

 private:
  FreeSpace space_;
};

TEST(FreeDiskSpace, FailsOnlyWhenTheQueryWorkedAndSpaceIsAtMostTheNeed) {
  struct Case {
    FreeSpace space;
    uint64_t required;
    bool enough;
  } cases[] = {
      {{true, 1000, "/out"}, 999, true},
      {{true, 1000, "/out"}, 1000, false},
      {{true, 0, "/out"}, 0, false},
      {{false, 0, "/out"}, 1u << 30, true},
  };
  for (const Case& c : cases) {
    FreeSpaceCheck check = CheckFreeDiskSpace("/out/file.mp3", c.required, FixedProbe(c.space));
    EXPECT_EQ(check.enough, c.enough) << c.space.freeBytes << " vs " << c.required;
    EXPECT_EQ(check.folder, "/out");
  }
  EXPECT_TRUE(GetFreeDiskSpace("/").queried);
}

}  // namespace
}  // namespace sonvarek
