#include "core/profile_file.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace sonvarek {
namespace {

TEST(ProfileFile, IntegersAreReadByTheWindowsRules) {
  struct Case {
    const char* value;
    int32_t expected;
  } cases[] = {
      {"42", 42},          {"  42  ", 42},          {"-7", -7},          {"+9", 9},
      {"12abc", 12},       {"abc", 0},              {"", 0},             {"-", 0},
      {"  ", 0},           {"- 5", 0},              {"+x", 0},
      {"0x10", 0},         {"007", 7},              {"\"15\"", 15},      {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},            {"2147483647", 2147483647},
  };
  for (const Case& c : cases) {
    ProfileFile profile = ProfileFile::Parse(std::string("[s]\nkey=") + c.value + "\n");
    EXPECT_EQ(profile.GetInt("s", "key", 99), c.expected) << "value '" << c.value << "'";
  }
  // Only a missing section or key gives the fallback.
  EXPECT_EQ(ProfileFile().GetInt("s", "key", 99), 99);
  EXPECT_EQ(ProfileFile::Parse("[s]\nother=1\n").GetInt("s", "key", 99), 99);
}

TEST(ProfileFile, NamesMatchWithoutCaseAndTheFirstMatchWins) {
  ProfileFile profile = ProfileFile::Parse(
      "orphan=before any section\n"
      "[Misc]\n"
      "; Name=commented out\n"
      "  NAME  =  first  \n"
      "name=second\n"
      "[misc]\n"
      "name=other section\n"
      "Quoted=\"  padded  \"\n");
  EXPECT_EQ(profile.GetString("MISC", "name", "-", 100), "first");
  EXPECT_EQ(profile.Find("misc", "orphan"), std::nullopt);
  EXPECT_EQ(profile.Find("misc", "quoted"), std::nullopt);  // only the first [Misc] counts
  EXPECT_EQ(profile.GetString("other", "name", "fallback", 100), "fallback");
}

TEST(ProfileFile, ValuesAreCutToTheBuffer) {
  std::string value(300, 'v');
  ProfileFile profile = ProfileFile::Parse("[s]\nk=" + value + "\n");
  EXPECT_EQ(profile.GetString("s", "k", "", 254).size(), 253u);
  EXPECT_EQ(profile.GetString("s", "k", "", 255).size(), 254u);
  EXPECT_EQ(profile.GetString("s", "k", "", 2500).size(), 300u);
  EXPECT_EQ(profile.GetString("s", "missing", std::string(300, 'd'), 254).size(), 253u);

  // A cut never splits a character: "é" is two bytes and would end at byte 253.
  ProfileFile accented = ProfileFile::Parse("[s]\nk=" + std::string(252, 'a') + "\xC3\xA9" + "\n");
  EXPECT_EQ(accented.GetString("s", "k", "", 254), std::string(252, 'a'));
}

TEST(ProfileFile, WritingAKeyKeepsEveryOtherLine) {
  const std::string original =
      "; written by hand\r\n"
      "[Unknown Section]\r\n"
      "  strange   =   spacing   \r\n"
      "\r\n"
      "[Misc]\r\n"
      "NamingRule = <title>\r\n"
      "# another comment\r\n"
      "Other=1\r\n"
      "\r\n"
      "[Tail]\r\n"
      "x=y\r\n";
  ProfileFile profile = ProfileFile::Parse(original);
  profile.SetString("misc", "NamingRule", "<number>-<title>");
  profile.SetInt("Misc", "Added", -5);
  profile.SetString("New", "Key", " blank ");
  EXPECT_EQ(profile.Text(),
            "; written by hand\r\n"
            "[Unknown Section]\r\n"
            "  strange   =   spacing   \r\n"
            "\r\n"
            "[Misc]\r\n"
            "NamingRule=<number>-<title>\r\n"
            "# another comment\r\n"
            "Other=1\r\n"
            "Added=-5\r\n"
            "\r\n"
            "[Tail]\r\n"
            "x=y\r\n"
            "\r\n"
            "[New]\r\n"
            "Key=\" blank \"\r\n");
  EXPECT_EQ(profile.GetString("new", "key", "", 100), " blank ");
}

TEST(ProfileFile, ValuesReadBackAsWritten) {
  const char* values[] = {" ", "", "a=b", "\"quoted\"", "\"", "<artist>\\<title>", "Ünïcødé ☃", "  lead", "trail  "};
  ProfileFile profile;
  for (const char* value : values) profile.SetString("s", "k", value);
  for (const char* value : values) {
    profile.SetString("s", "k", value);
    EXPECT_EQ(ProfileFile::Parse(profile.Text()).GetString("s", "k", "-", 100), value);
  }
}

TEST(ProfileFile, RemovedKeysAreGone) {
  ProfileFile profile = ProfileFile::Parse("[s]\na=1\nb=2\n");
  profile.RemoveKey("S", "A");
  EXPECT_EQ(profile.Text(), "[s]\nb=2\n");
}

TEST(ProfileFile, SaveReplacesTheFileAndKeepsItsPermissions) {
  test::TempFolder temp;
  std::string path = temp / "Settings.ini";
  test::WriteWholeFile(path, "[a]\nk=old\n");
  chmod(path.c_str(), 0600);
  ProfileFile profile = ProfileFile::Load(path);
  profile.SetString("a", "k", "new");
  ASSERT_TRUE(profile.Save(path));
  EXPECT_EQ(test::ReadWholeFile(path), "[a]\nk=new\n");
  struct stat status {};
  stat(path.c_str(), &status);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path()), {}), 1);  // no temporary left

  std::string error;
  EXPECT_FALSE(profile.Save(temp / "missing/Settings.ini", &error));
  EXPECT_FALSE(error.empty());
}

class ProfileLoadTest : public ::testing::Test {
 protected:
  // A file of `[s]` and numbered keys, grown past `size` bytes with its last line
  // "last=end".
  std::string WriteKeys(size_t size) {
    std::string text = "[s]\n";
    for (int i = 0; text.size() < size; ++i) text += "key" + std::to_string(i) + "=" + std::string(50, 'v') + "\n";
    text += "last=end\n";
    test::WriteWholeFile(path, text);
    return text;
  }

  test::TempFolder temp;
  std::string path = temp / "big.ini";
  ProfileLoad outcome = ProfileLoad::Missing;
};

TEST_F(ProfileLoadTest, AFileOverOneMiBIsReadUpToItsLastWholeLineInsideIt) {
  std::string text = WriteKeys(3 * kLargestProfileBytes);
  ProfileFile profile = ProfileFile::Load(path, &outcome);
  EXPECT_EQ(outcome, ProfileLoad::Cut);
  // The line that crosses the limit is dropped whole, never read as a shorter value.
  size_t crossing = text.rfind('\n', kLargestProfileBytes - 1) + 1;
  std::string crossingKey = text.substr(crossing, text.find('=', crossing) - crossing);
  size_t lastWhole = text.rfind('\n', crossing - 2) + 1;
  std::string lastWholeKey = text.substr(lastWhole, text.find('=', lastWhole) - lastWhole);
  EXPECT_EQ(profile.Find("s", lastWholeKey), std::string(50, 'v'));
  EXPECT_EQ(profile.Find("s", crossingKey), std::nullopt);
  EXPECT_EQ(profile.Find("s", "last"), std::nullopt);
  EXPECT_EQ(profile.Text(), text.substr(0, crossing));
}

TEST_F(ProfileLoadTest, AFileOfExactlyOneMiBIsReadWhole) {
  std::string text = WriteKeys(0);
  text.insert(4, std::string(kLargestProfileBytes - text.size() - 1, ';') + "\n");  // a long comment line
  ASSERT_EQ(text.size(), kLargestProfileBytes);
  test::WriteWholeFile(path, text);
  EXPECT_EQ(ProfileFile::Load(path, &outcome).Find("s", "last"), "end");
  EXPECT_EQ(outcome, ProfileLoad::Whole);
  ProfileFile::Load(temp / "missing.ini", &outcome);
  EXPECT_EQ(outcome, ProfileLoad::Missing);
}

// A file of gigabytes (sparse here, so it costs no disk) is never read whole.
TEST_F(ProfileLoadTest, AGigabyteFileIsNotReadIntoMemory) {
  test::WriteWholeFile(path, "[s]\nk=1\n");
  std::error_code error;
  std::filesystem::resize_file(path, uint64_t{3} << 30, error);
  ASSERT_FALSE(error) << error.message();
  ProfileFile profile = ProfileFile::Load(path, &outcome);
  EXPECT_EQ(outcome, ProfileLoad::Cut);
  EXPECT_EQ(profile.GetInt("s", "k", 0), 1);
}

// A process killed at any moment of a save leaves the old or the new file whole.
TEST(ProfileFile, KillingASaveNeverLeavesATruncatedFile) {
  test::TempFolder temp;
  std::string path = temp / "Settings.ini";
  auto fileWith = [](char fill) {
    ProfileFile profile;
    for (int i = 0; i < 2000; ++i) profile.SetString("s", "key" + std::to_string(i), std::string(40, fill));
    return profile;
  };
  ProfileFile first = fileWith('a');
  ProfileFile second = fileWith('b');
  ASSERT_TRUE(first.Save(path));

  for (int round = 0; round < 20; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) {
        second.Save(path);
        first.Save(path);
      }
    }
    usleep(static_cast<useconds_t>(2000 + round * 1500));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::string text = test::ReadWholeFile(path);
    EXPECT_TRUE(text == first.Text() || text == second.Text()) << "round " << round << ": " << text.size() << " bytes";
  }
}

}  // namespace
}  // namespace sonvarek
