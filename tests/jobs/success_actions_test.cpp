#include <filesystem>
#include <gtest/gtest.h>

#include "jobs/player_launch.h"
#include "jobs/playlist.h"
#include "platform/process.h"
#include "support/small_disk.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

TEST(Playlist, CreatesOrAppendsPathsWithLineFeedsOnly) {
  test::TempFolder temp;
  std::string path = temp / "list.m3u";
  ASSERT_TRUE(AppendPlaylist(path, {"/music/a b.mp3", "/music/ü.mp3"}));
  EXPECT_EQ(test::ReadWholeFile(path), "/music/a b.mp3\n/music/ü.mp3\n");
  ASSERT_TRUE(AppendPlaylist(path, {"/music/c.mp3"}));
  EXPECT_EQ(test::ReadWholeFile(path), "/music/a b.mp3\n/music/ü.mp3\n/music/c.mp3\n");
  EXPECT_FALSE(AppendPlaylist(temp / "missing/list.m3u", {"/x"}));
}

// One entry is one line: a path with a line break in it is written as a file URL.
TEST(Playlist, APathWithALineBreakStaysOneLine) {
  test::TempFolder temp;
  std::string path = temp / "list.m3u";
  ASSERT_TRUE(AppendPlaylist(path, {"/music/two\nlines é.mp3", "/music/plain.mp3"}));
  EXPECT_EQ(test::ReadWholeFile(path), "file:///music/two%0Alines%20%C3%A9.mp3\n/music/plain.mp3\n");
}

TEST(Playlist, AFullDiskLeavesTheOldListAsItWas) {
  test::SmallDisk disk(16 * 1024);
  const std::string path = disk / "list.m3u";
  test::WriteWholeFile(path, "/music/old.mp3\n");
  {
    test::FullDiskScope full(disk);
    EXPECT_FALSE(AppendPlaylist(path, std::vector<std::string>(1000, "/music/a rather long name of a file.mp3")));
  }
  EXPECT_EQ(test::ReadWholeFile(path), "/music/old.mp3\n");
  EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"list.m3u"});
}

TEST(PlayNow, CommandLinesForTheChosenOrTheDefaultPlayer) {
  Settings settings;
  auto noDefault = [] { return CommandLine(); };
  auto desktopDefault = [] { return CommandLine{"vlc", "--started-from-file"}; };
  std::vector<std::string> files = {"/m/a.mp3", "/m/b c.mp3"};

  settings.MP3Player = "/usr/bin/mpv   ";
  settings.MP3PlayerParameters = "";
  PlayNowPlan plain = PlanPlayNow(settings, files, noDefault);
  EXPECT_EQ(plain.commands, (std::vector<CommandLine>{{"/usr/bin/mpv", "/m/a.mp3"}, {"/usr/bin/mpv", "/m/b c.mp3"}}));

  settings.MP3PlayerParameters = "--volume=50 --title \"my player\"";
  PlayNowPlan withParameters = PlanPlayNow(settings, {"/m/a.mp3"}, noDefault);
  EXPECT_EQ(withParameters.commands,
            (std::vector<CommandLine>{{"/usr/bin/mpv", "--volume=50", "--title", "my player", "/m/a.mp3"}}));

  settings.MP3Player = "";
  PlayNowPlan byDefault = PlanPlayNow(settings, {"/m/a.mp3"}, desktopDefault);
  EXPECT_EQ(byDefault.commands, (std::vector<CommandLine>{{"vlc", "--started-from-file", "/m/a.mp3"}}));

  EXPECT_EQ(PlanPlayNow(settings, files, noDefault).message, "Cann't find the default MP3 player!");
  EXPECT_EQ(PlanPlayNow(settings, {}, desktopDefault).message, "No items to be played!");
}

TEST(PlayNow, AFailedStartStopsTheRest) {
  Settings settings;
  settings.MP3Player = "player";
  PlayNowPlan plan = PlanPlayNow(settings, {"/a", "/b", "/c"}, [] { return CommandLine(); });
  std::vector<CommandLine> started;
  std::string message = RunPlayNow(plan, [&](const CommandLine& command) {
    started.push_back(command);
    return started.size() < 2;
  });
  EXPECT_EQ(message, "Failed to launch default MP3 player: player");
  EXPECT_EQ(started.size(), 2u);
  EXPECT_EQ(RunPlayNow(plan, [](const CommandLine&) { return true; }), "");

  // A real start of a program that does not exist fails.
  std::string error;
  EXPECT_FALSE(StartProgram({"/nonexistent/player", "/a"}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(StartProgram({"true"}));
}

TEST(PlayNow, DesktopEntriesGiveTheirProgramWithoutFieldCodes) {
  struct Case {
    const char* exec;
    CommandLine expected;
  } cases[] = {
      {"vlc --started-from-file %U", {"vlc", "--started-from-file"}},
      {"\"/opt/My Player/player\" %f", {"/opt/My Player/player"}},
      {"audacious -e %F", {"audacious", "-e"}},
      {"app --percent=100%%", {"app", "--percent=100%"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDesktopExec(c.exec), c.expected) << c.exec;
}

TEST(PlayNow, TheDefaultPlayerComesFromTheDesktopDatabase) {
  test::TempFolder temp;
  std::filesystem::create_directories(temp / "bin");
  std::filesystem::create_directories(temp / "data/applications");
  test::WriteWholeFile(temp / "bin/xdg-mime", "#!/bin/sh\necho test-player.desktop\n");
  std::filesystem::permissions(temp / "bin/xdg-mime", std::filesystem::perms::owner_all);
  test::WriteWholeFile(temp / "data/applications/test-player.desktop",
                       "[Desktop Entry]\nName=Test\nExec=testplayer --enqueue %U\n[Desktop Action x]\nExec=other\n");
  std::string oldPath = getenv("PATH");
  setenv("PATH", (temp / "bin:" + oldPath).c_str(), 1);
  setenv("XDG_DATA_HOME", (temp / "data").c_str(), 1);
  EXPECT_EQ(FindDefaultMp3Player(), (CommandLine{"testplayer", "--enqueue"}));
  setenv("PATH", oldPath.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(OpenFolderCommand("/music/out"), (CommandLine{"xdg-open", "/music/out"}));
}

}  // namespace
}  // namespace sonvarek
