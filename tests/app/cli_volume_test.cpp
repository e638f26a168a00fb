#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/private_pulse.h"
#include "support/run_program.h"

namespace sonvarek {
namespace {

using test::PrivatePulse;
using test::ShellQuoted;

// `sonvarek volume ARGUMENTS`; the private server's environment is inherited.
test::ProgramResult Volume(const PrivatePulse& pulse, const std::string& arguments, bool withErrors) {
  return test::RunProgram(std::string(SONVAREK_CLI) + " --home " + ShellQuoted(pulse.Folder() + "program") +
                          " volume " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null"));
}

TEST(CliVolumeTest, PrintsAndSetsTheMasterVolume) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Ready()) << pulse.Problem();
  ASSERT_TRUE(pulse.SetSinkVolume(12345));
  test::ProgramResult printed = Volume(pulse, "", false);
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.out, "volume 12345 (0 .. 65536)\n");

  for (long value : {40000L, 0L, 65536L}) {
    test::ProgramResult set = Volume(pulse, std::to_string(value), false);
    EXPECT_EQ(set.status, 0) << value;
    EXPECT_EQ(set.out, "volume " + std::to_string(value) + " (0 .. 65536)\n");
    EXPECT_EQ(pulse.SinkVolumes(), (std::vector<long>{value, value}));
  }
}

TEST(CliVolumeTest, RefusesAValueOutsideTheRangeOrNotANumberAndLeavesTheVolume) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Ready()) << pulse.Problem();
  ASSERT_TRUE(pulse.SetSinkVolume(30000));
  struct Case {
    std::string arguments;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"65537", 1, "sonvarek: volume 65537 lies outside the master volume's range 0 .. 65536\n"},
      {"-1", 1, "sonvarek: volume -1 lies outside the master volume's range 0 .. 65536\n"},
      {"abc", 64, "sonvarek: volume takes a whole number, not 'abc'\n"},
      {"12x", 64, "sonvarek: volume takes a whole number, not '12x'\n"},
      {"''", 64, "sonvarek: volume takes a whole number, not ''\n"},
      {"99999999999", 64, "sonvarek: volume takes a whole number, not '99999999999'\n"},
      {"1 2", 64, "sonvarek: usage: volume [VALUE]\n"},
  };
  for (const Case& c : cases) {
    test::ProgramResult result = Volume(pulse, c.arguments, true);
    EXPECT_EQ(result.status, c.status) << c.arguments;
    EXPECT_EQ(result.out, c.message) << c.arguments;
    EXPECT_EQ(pulse.SinkVolumes(), (std::vector<long>{30000, 30000})) << c.arguments;
  }
}

TEST(CliVolumeTest, WithoutASoundServerSaysThereIsNoMasterVolume) {
  PrivatePulse noServer(PrivatePulse::Mode::NoServer);
  const std::string message =
      "sonvarek: there is no master volume control (ALSA's default mixer, element Master or PCM, could not be "
      "opened)\n";
  for (const char* arguments : {"", "100"}) {
    test::ProgramResult result = Volume(noServer, arguments, true);
    EXPECT_EQ(result.status, 1) << arguments;
    EXPECT_EQ(result.out, message) << arguments;  // libasound's own complaints kept off the terminal
    EXPECT_EQ(Volume(noServer, arguments, false).out, "") << arguments;
  }
  EXPECT_EQ(Volume(noServer, "x", false).status, 64);  // the number is checked before the mixer
}

}  // namespace
}  // namespace sonvarek
