#include "platform/volume_program.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

// A PATH holding only stub programs that note how they were started.
class VolumeProgramTest : public ::testing::Test {
 protected:
  VolumeProgramTest() {
    fs::create_directory(temp / "bin");
    environment.Set("PATH", temp / "bin");
  }

  void AddStub(const std::string& name, const std::string& body, fs::perms permissions = fs::perms::owner_all) {
    test::WriteWholeFile(temp / ("bin/" + name), body);
    fs::permissions(temp / ("bin/" + name), permissions, fs::perm_options::replace);
  }
  void AddRecordingStub(const std::string& name) {
    AddStub(name, "#!/bin/sh\necho \"${0##*/} $*\" > " + temp / "started.tmp" + " && /bin/mv " + temp / "started.tmp " +
                      temp / "started\n");
  }
  // What the stub that ran wrote, waiting for it up to 10 s (it runs detached).
  std::string Started() const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(temp / "started") && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return test::ReadWholeFile(temp / "started");
  }

  test::TempFolder temp;
  test::ScopedEnvironment environment;
};

TEST_F(VolumeProgramTest, StartsTheFirstCandidateOnThePath) {
  struct Case {
    std::vector<std::string> present;
    std::string started;
  };
  const Case cases[] = {
      {{"pavucontrol", "pwvucontrol", "gnome-control-center", "kmix"}, "pavucontrol \n"},
      {{"kmix", "gnome-control-center", "pwvucontrol"}, "pwvucontrol \n"},
      {{"kmix", "gnome-control-center"}, "gnome-control-center sound\n"},
      {{"kmix"}, "kmix \n"},
  };
  for (const Case& c : cases) {
    fs::remove_all(temp / "bin");
    fs::create_directory(temp / "bin");
    fs::remove(temp / "started");
    for (const std::string& name : c.present) AddRecordingStub(name);
    EXPECT_EQ(StartVolumeProgram(), VolumeProgramOutcome::Started) << c.started;
    EXPECT_EQ(Started(), c.started);
  }
}

TEST_F(VolumeProgramTest, NoCandidateOrANonExecutableOneIsNotFound) {
  EXPECT_EQ(StartVolumeProgram(), VolumeProgramOutcome::NotFound);
  AddStub("pavucontrol", "#!/bin/sh\n", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(StartVolumeProgram(), VolumeProgramOutcome::NotFound);
  AddRecordingStub("kmix");
  EXPECT_EQ(StartVolumeProgram(), VolumeProgramOutcome::Started);
  EXPECT_EQ(Started(), "kmix \n");
}

TEST_F(VolumeProgramTest, ACandidateThatCannotRunIsAFailureWithTheReason) {
  AddStub("pavucontrol", "no interpreter line, not a program\n");
  AddRecordingStub("kmix");
  std::string reason;
  EXPECT_EQ(StartVolumeProgram(&reason), VolumeProgramOutcome::Failed);
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace sonvarek
