#include "platform/folders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/disk_space.h"
#include "platform/program_folder.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

TEST(Folders, MakeSureDirectoryPathExistsCreatesFoldersUpToTheLastSeparator) {
  test::TempFolder temp;
  EXPECT_TRUE(MakeSureDirectoryPathExists(temp / "a/b/file.mp3"));
  EXPECT_TRUE(fs::is_directory(temp / "a/b"));
  EXPECT_FALSE(fs::exists(temp / "a/b/file.mp3"));

  EXPECT_TRUE(MakeSureDirectoryPathExists(temp / "c\\d/"));  // a stored rule's backslash is a separator too
  EXPECT_TRUE(fs::is_directory(temp / "c/d"));
  EXPECT_TRUE(MakeSureDirectoryPathExists(temp / "c/d/"));  // existing folders are fine
}

TEST(Folders, MakeSureDirectoryPathExistsFailsWhereAFileBlocksThePath) {
  test::TempFolder temp;
  test::WriteWholeFile(temp / "blocker", "x");
  EXPECT_FALSE(MakeSureDirectoryPathExists(temp / "blocker/sub/"));
}

TEST(Folders, TrailingSeparatorsAreNormalized) {
  struct Case {
    const char* input;
    const char* oneSlash;
    const char* noSlash;
  } cases[] = {
      {"/music", "/music/", "/music"},
      {"  /music///  ", "/music/", "/music"},
      {"/music\\\\", "/music/", "/music"},
      {"/", "/", "/"},
      {"///", "/", "/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithOneTrailingSlash(c.input), c.oneSlash) << c.input;
    EXPECT_EQ(WithoutTrailingSlashes(c.input), c.noSlash) << c.input;
  }
}

TEST(Folders, UniqueTemporaryFilesAreCreatedEmptyWithThePrefix) {
  test::TempFolder temp;
  auto first = CreateUniqueTemporaryFile(temp.Path(), "PW");
  auto second = CreateUniqueTemporaryFile(temp.Path(), "PW");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(fs::path(*first).filename().string().substr(0, 2), "PW");
  EXPECT_EQ(fs::file_size(*first), 0u);
  EXPECT_FALSE(CreateUniqueTemporaryFile(temp / "missing", "PW"));
}

TEST(Folders, SystemTemporaryFolderFollowsTmpdir) {
  const char* saved = getenv("TMPDIR");
  std::string old = saved ? saved : "";
  setenv("TMPDIR", "/var/tmp//", 1);
  EXPECT_EQ(SystemTemporaryFolder(), "/var/tmp/");
  unsetenv("TMPDIR");
  EXPECT_EQ(SystemTemporaryFolder(), "/tmp/");
  if (saved) setenv("TMPDIR", old.c_str(), 1);
}

TEST(Folders, DefaultOutputFolderIsTheMusicFolderFromUserDirs) {
  test::TempFolder temp;
  std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", temp.Path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
  EXPECT_EQ(DefaultOutputFolder(), temp / "Music/Sonvarek Maker");

  fs::create_directories(temp / "config");
  test::WriteWholeFile(temp / "config/user-dirs.dirs", "# comment\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n");
  EXPECT_EQ(DefaultOutputFolder(), temp / "Musik/Sonvarek Maker");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", oldHome.c_str(), 1);
}

TEST(ProgramFolder, OverrideThenEnvironmentThenConfigFolder) {
  test::TempFolder temp;
  EXPECT_EQ(FindProgramFolder(temp / "given"), temp / "given/");
  EXPECT_TRUE(fs::is_directory(temp / "given"));

  setenv("SONVAREK_HOME", (temp / "env").c_str(), 1);
  EXPECT_EQ(FindProgramFolder(), temp / "env/");
  unsetenv("SONVAREK_HOME");

  setenv("XDG_CONFIG_HOME", (temp / "xdg").c_str(), 1);
  EXPECT_EQ(FindProgramFolder(), temp / "xdg/sonvarek-maker/");
  EXPECT_TRUE(fs::is_directory(temp / "xdg/sonvarek-maker"));
  unsetenv("XDG_CONFIG_HOME");
}

TEST(DiskSpace, AsksTheNearestExistingFolder) {
  test::TempFolder temp;
  FreeSpace space = SystemDiskSpaceProbe().Query(temp / "not/yet/made/file.wav");
  EXPECT_TRUE(space.queried);
  EXPECT_EQ(space.folder + "/", temp.Path());
  EXPECT_GT(space.freeBytes, 0u);
}

}  // namespace
}  // namespace sonvarek
