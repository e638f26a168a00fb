#include <filesystem>
#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

using test::ShellQuoted;

class CliCdromTest : public ::testing::Test {
 protected:
  // Runs the program in a fresh program folder; `environment` adds variables.
  test::ProgramResult Run(const std::string& arguments, const std::string& environment = "", bool withErrors = false) {
    std::string prefix = "env -u SONVAREK_CD_IMAGE -u SONVAREK_CD_BAD_SECTORS HOME=" + ShellQuoted(temp / "user") +
                         " " + environment + " ";
    return test::RunProgram(prefix + SONVAREK_CLI + std::string(" --home ") + ShellQuoted(temp / "home") + " " +
                            arguments + (withErrors ? " 2>&1" : " 2>/dev/null"));
  }
  static std::string Sample(const char* name) { return std::string(SONVAREK_SAMPLE_DISC_DIR) + "/" + name; }

  test::TempFolder temp;
};

TEST_F(CliCdromTest, TocOfAnImagePrintsTheTrackListAndTheLeadOut) {
  test::ProgramResult result = Run("toc --image " + ShellQuoted(Sample("sample-disc-data.cue")));
  ASSERT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "01       0    1073  00:14  2.41\n"
            "02    1073    1458  00:05  0.86\n"
            "03    1458    2363  00:12  2.03\n"
            "04    2363    6753  00:58  9.85\n"
            "05    6753    8260  00:20  3.38\n"
            "06    8260    8560  00:04  0.67  data\n"
            "lead-out  8560\n"
            "freedb disc id: 21007206\n"  // the data track counts here
            "cache id: 20007206\n"
            "volume id: 16861\n");        // and not here: the audio tracks' id

}

TEST_F(CliCdromTest, DevicesListsImageUnitsAfterTheDrivesAndTocReadsThem) {
  std::string images = "SONVAREK_CD_IMAGE=" + ShellQuoted(Sample("sample-disc.cue") + ":" + Sample("sample-disc-data.cue"));
  test::ProgramResult devices = Run("devices", images);
  ASSERT_EQ(devices.status, 0);
  EXPECT_NE(devices.out.find("  " + Sample("sample-disc.cue") + "  SONVAREKIMAGE DRIVE\n"), std::string::npos);
  EXPECT_TRUE(devices.out.ends_with("  " + Sample("sample-disc-data.cue") + "  SONVAREKIMAGE DRIVE\n")) << devices.out;

  // The last unit is the disc with the data track.
  size_t units = static_cast<size_t>(std::count(devices.out.begin(), devices.out.end(), '\n'));
  test::ProgramResult toc = Run("toc --device " + std::to_string(units - 1), images);
  ASSERT_EQ(toc.status, 0);
  EXPECT_NE(toc.out.find("lead-out  8560\n"), std::string::npos) << toc.out;

  test::ProgramResult beyond = Run("toc --device 16", images, true);
  EXPECT_EQ(beyond.status, 2);
  EXPECT_NE(beyond.out.find("there is no unit 16"), std::string::npos) << beyond.out;
}

TEST_F(CliCdromTest, BrokenOrMissingImagesAreNamedAndEndWithStatusTwo) {
  test::WriteWholeFile(temp / "bad.cue", "FILE gone.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
  struct Case {
    std::string image;
    std::string message;
  } cases[] = {
      {temp / "missing.cue", temp / "missing.cue" + ": cannot open the CUE sheet: No such file or directory"},
      {temp / "bad.cue", temp / "bad.cue" + ":1: cannot open 'gone.bin': No such file or directory"},
  };
  for (const Case& c : cases) {
    test::ProgramResult result = Run("toc --image " + ShellQuoted(c.image), "", true);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find(c.message), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("No CDROM found!"), std::string::npos) << result.out;
  }
}

TEST_F(CliCdromTest, BadSectorsDoNotHideTheTableOfContents) {
  test::ProgramResult result =
      Run("toc --image " + ShellQuoted(Sample("sample-disc.cue")), "SONVAREK_CD_BAD_SECTORS=0-9999");
  EXPECT_EQ(result.status, 0);
}

// A sheet or a bad-sector list that cannot be read is the user's mistake, not a missing
// drive: it is named with what is wrong, and the command fails.
TEST_F(CliCdromTest, MalformedImagesAndBadSectorListsEndWithStatusOne) {
  test::WriteWholeFile(temp / "long.cue", "FILE \"" + Sample("sample-disc.bin") +
                                              "\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 100:00:00\n");
  const std::string sheetError = temp / "long.cue" + ":3: '100:00:00' runs the disc past 99:59:74";
  const std::string sample = ShellQuoted(Sample("sample-disc.cue"));
  struct Case {
    std::string arguments;
    std::string environment;
    std::string message;
  } cases[] = {
      {"toc --image " + ShellQuoted(temp / "long.cue"), "", sheetError},
      {"rip --image " + ShellQuoted(temp / "long.cue") + " --output " + ShellQuoted(temp / "out"), "", sheetError},
      {"toc --image " + sample, "SONVAREK_CD_BAD_SECTORS=oops",
       "SONVAREK_CD_BAD_SECTORS: cannot read the bad sector range 'oops'"},
      {"rip --image " + sample + " --output " + ShellQuoted(temp / "out"), "SONVAREK_CD_BAD_SECTORS=1-",
       "SONVAREK_CD_BAD_SECTORS: cannot read the bad sector range '1-'"},
  };
  for (const Case& c : cases) {
    test::ProgramResult result = Run(c.arguments, c.environment, true);
    EXPECT_EQ(result.status, 1) << c.arguments << ": " << result.out;
    EXPECT_NE(result.out.find(c.message), std::string::npos) << c.arguments << ": " << result.out;
    EXPECT_EQ(result.out.find("No CDROM found!"), std::string::npos) << c.arguments << ": " << result.out;
  }
  EXPECT_FALSE(std::filesystem::exists(temp / "out") && !std::filesystem::is_empty(temp / "out"));
}

TEST_F(CliCdromTest, WithoutAnyDriveBothCommandsEndWithStatusTwo) {
  bool hasDrive = false;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/block", error)) {
    hasDrive = hasDrive || entry.path().filename().string().starts_with("sr");
  }
  if (hasDrive) GTEST_SKIP() << "this machine has a CD drive";
  for (const char* command : {"devices", "toc"}) {
    test::ProgramResult result = Run(command, "", true);
    EXPECT_EQ(result.status, 2) << command;
    EXPECT_NE(result.out.find("No CDROM found!"), std::string::npos) << result.out;
  }
  // With images listed, a malformed one is what failed.
  test::WriteWholeFile(temp / "bad.cue", "GARBAGE\n");
  test::ProgramResult listed = Run("devices", "SONVAREK_CD_IMAGE=" + ShellQuoted(temp / "bad.cue"), true);
  EXPECT_EQ(listed.status, 1) << listed.out;
  EXPECT_NE(listed.out.find(temp / "bad.cue" + ":1: unknown command 'GARBAGE'"), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find("No CDROM found!"), std::string::npos) << listed.out;
}

TEST_F(CliCdromTest, MistakesInTheOptionsAreUsageErrors) {
  for (const char* arguments : {"toc --device x", "toc --device -1", "toc --device 0 --image a.cue", "toc --image",
                                "toc extra", "devices --all"}) {
    EXPECT_EQ(Run(arguments).status, 64) << arguments;
  }
}

}  // namespace
}  // namespace sonvarek
