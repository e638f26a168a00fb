#include "platform/auto_play.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

// The desktop's value in memory, with every write kept.
class StandInSetting final : public AutoRunSetting {
 public:
  explicit StandInSetting(std::optional<bool> value) : value(value) {}
  std::optional<bool> ReadNever() override { return value; }
  bool WriteNever(bool never) override {
    writes.push_back(never);
    value = never;
    return true;
  }
  std::optional<bool> value;
  std::vector<bool> writes;
};

TEST(AutoPlaySwitchTest, SwitchesAutoRunOffWhileRunningAndRestoresTheDesktopsValue) {
  struct Case {
    bool desktopNever;
    bool disableAtStart;
    std::vector<bool> writesAtStart;
  };
  const Case cases[] = {
      {false, true, {true}},
      {false, false, {}},
      {true, true, {true}},
      {true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "desktop " << c.desktopNever << ", disable " << c.disableAtStart);
    StandInSetting setting(c.desktopNever);
    AutoPlaySwitch autoPlay(setting);
    autoPlay.Start(c.disableAtStart);
    EXPECT_EQ(setting.writes, c.writesAtStart);
    EXPECT_EQ(autoPlay.Saved(), c.desktopNever);
    autoPlay.Restore();
    EXPECT_EQ(setting.value, c.desktopNever);
  }
}

TEST(AutoPlaySwitchTest, ApplyFollowsTheOptionBothWays) {
  for (bool desktopNever : {false, true}) {
    StandInSetting setting(desktopNever);
    AutoPlaySwitch autoPlay(setting);
    autoPlay.Start(false);
    autoPlay.Apply(true);
    EXPECT_EQ(setting.value, true) << desktopNever;
    autoPlay.Apply(false);
    EXPECT_EQ(setting.value, desktopNever) << desktopNever;  // the desktop's own value, not simply false
    autoPlay.Apply(true);
    autoPlay.Restore();
    EXPECT_EQ(setting.value, desktopNever) << desktopNever;
  }
}

TEST(AutoPlaySwitchTest, ADesktopWithoutTheSettingIsNeverWritten) {
  StandInSetting setting(std::nullopt);
  AutoPlaySwitch autoPlay(setting);
  autoPlay.Start(true);
  // A value that shows up later (the desktop started meanwhile) was not read at start-up.
  setting.value = false;
  autoPlay.Apply(true);
  autoPlay.Apply(false);
  autoPlay.Restore();
  EXPECT_TRUE(setting.writes.empty());
  EXPECT_EQ(autoPlay.Saved(), std::nullopt);
}

// gsettings replaced by a stub on PATH that notes its arguments and answers as told.
class GsettingsAutoRunSettingTest : public ::testing::Test {
 protected:
  GsettingsAutoRunSettingTest() {
    fs::create_directory(temp / "bin");
    environment.Set("PATH", temp / "bin");
  }
  void InstallStub(const std::string& answer, int status) {
    test::WriteWholeFile(temp / "answer", answer);
    test::WriteWholeFile(temp / "bin/gsettings", "#!/bin/sh\necho \"$*\" >> " + temp / "calls" + "\n/bin/cat " +
                                                     temp / "answer" + "\nexit " + std::to_string(status) + "\n");
    fs::permissions(temp / "bin/gsettings", fs::perms::owner_all);
  }
  std::string Calls() const { return test::ReadWholeFile(temp / "calls"); }

  test::TempFolder temp;
  test::ScopedEnvironment environment;
};

TEST_F(GsettingsAutoRunSettingTest, ReadsTheKeyAndRefusesAnythingButABoolean) {
  struct Case {
    std::string answer;
    int status;
    std::optional<bool> read;
  };
  const Case cases[] = {
      {"true\n", 0, true},
      {"false\n", 0, false},
      {"No such schema \u201corg.gnome.desktop.media-handling\u201d\n", 1, std::nullopt},
      {"true\n", 1, std::nullopt},
      {"'true'\n", 0, std::nullopt},
      {"", 0, std::nullopt},
  };
  GsettingsAutoRunSetting setting;
  for (const Case& c : cases) {
    InstallStub(c.answer, c.status);
    EXPECT_EQ(setting.ReadNever(), c.read) << c.answer << c.status;
  }
  std::string expected;
  for (size_t i = 0; i < std::size(cases); ++i) expected += "get org.gnome.desktop.media-handling autorun-never\n";
  EXPECT_EQ(Calls(), expected);
}

TEST_F(GsettingsAutoRunSettingTest, WritesTheKeyAndReportsAFailure) {
  GsettingsAutoRunSetting setting;
  InstallStub("", 0);
  EXPECT_TRUE(setting.WriteNever(true));
  EXPECT_TRUE(setting.WriteNever(false));
  InstallStub("", 1);
  EXPECT_FALSE(setting.WriteNever(true));
  EXPECT_EQ(Calls(),
            "set org.gnome.desktop.media-handling autorun-never true\n"
            "set org.gnome.desktop.media-handling autorun-never false\n"
            "set org.gnome.desktop.media-handling autorun-never true\n");
}

TEST_F(GsettingsAutoRunSettingTest, WithoutGsettingsNothingIsReadOrWritten) {
  GsettingsAutoRunSetting setting;
  EXPECT_EQ(setting.ReadNever(), std::nullopt);
  EXPECT_FALSE(setting.WriteNever(true));
}

}  // namespace
}  // namespace sonvarek
