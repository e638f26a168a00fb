#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/loopback_servers.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
constexpr char kSampleFreedbId[] = "1d006e05";

std::string Entry(const std::string& discTitle, const std::string& prefix) {
  std::string text = "# xmcd\n#\n# Track frame offsets:\n#  150\n#  1223\n#  1608\n#  2513\n#  6903\n#\n"
                     "# Disc length: 112 seconds\n#\n# Revision: 3\n#\nDISCID=1d006e05\nDTITLE=" + discTitle + "\nDYEAR=1994\n";
  for (int i = 0; i < 5; ++i) text += "TTITLE" + std::to_string(i) + "=" + prefix + " " + std::to_string(i + 1) + "\n";
  return text;
}

class CliCddbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp / "home");
    test::WriteWholeFile(temp / "home/Settings.ini", "[CDDB]\nEmail=ann@mail.example\n");
  }
  void AddEntry(const std::string& category, const std::string& text) {
    fs::create_directories(database / category);
    test::WriteWholeFile(database / (category + "/" + kSampleFreedbId), text);
  }
  std::string CommandLine(const std::string& command, const std::string& arguments) {
    return "env -u SONVAREK_CD_IMAGE HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" + ShellQuoted(temp.Path()) + " " +
           SONVAREK_CLI + " --home " + ShellQuoted(temp / "home") + " " + command + " --image " +
           ShellQuoted(kSampleCue) + " " + arguments;
  }
  test::ProgramResult Run(const std::string& command, const std::string& arguments = "", bool withErrors = true) {
    return test::RunProgram(CommandLine(command, arguments) + (withErrors ? " 2>&1" : " 2>/dev/null"));
  }
  static std::string Server(uint16_t port) { return "--server 127.0.0.1:" + std::to_string(port); }

  test::TempFolder temp;
  test::TempFolder database;
};

TEST_F(CliCddbTest, AQueryFillsTheDatabaseAndTheNextRipIsNamedFromIt) {
  AddEntry("rock", Entry("Portishead / Dummy", "Mysterons"));
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  test::ProgramResult query = Run("query", Server(server.port()), false);
  ASSERT_EQ(query.status, 0) << Run("query", Server(server.port())).out;
  EXPECT_EQ(query.out,
            "Artist: Portishead\nAlbum: Dummy\nYear: 1994\nGenre: rock\nComment: \n"
            "01  Mysterons 1\n02  Mysterons 2\n03  Mysterons 3\n04  Mysterons 4\n05  Mysterons 5\n");

  test::ProgramResult rip = Run("rip", "--tracks 2 --format wav --rule '<artist> - <album> - <title>' --output " +
                                           ShellQuoted(temp / "out"));
  ASSERT_EQ(rip.status, 0) << rip.out;
  EXPECT_TRUE(fs::exists(temp / "out/Portishead - Dummy - Mysterons 2.WAV")) << rip.out;
}

TEST_F(CliCddbTest, CandidatesAreListedAndTheChosenOneKept) {
  AddEntry("rock", Entry("First / One", "Rock"));
  AddEntry("jazz", Entry("Second / Two", "Jazz"));
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  test::ProgramResult query = Run("query", Server(server.port()) + " --choose 2", false);
  ASSERT_EQ(query.status, 0);
  EXPECT_TRUE(query.out.starts_with("1  jazz  Second / Two\n2  rock  First / One\nArtist: First\n")) << query.out;
  EXPECT_NE(Run("info").out.find("01  Rock 1\n"), std::string::npos);

  test::ProgramResult beyond = Run("query", Server(server.port()) + " --choose 3");
  EXPECT_EQ(beyond.status, 64);
  EXPECT_NE(beyond.out.find("there is no candidate 3 (2 found)"), std::string::npos) << beyond.out;
}

TEST_F(CliCddbTest, NoMatchAndFailuresEndWithStatusOne) {
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  test::ProgramResult none = Run("query", Server(server.port()));
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.out.find("Sorry! No matched disc was found!"), std::string::npos) << none.out;

  uint16_t closed = test::FreeLoopbackPort();
  test::ProgramResult refused = Run("query", Server(closed));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("Socket error (code  = " + std::to_string(ECONNREFUSED) + ")."), std::string::npos)
      << refused.out;
  EXPECT_EQ(Run("query", "--server 'bad host'").status, 64);
  EXPECT_FALSE(fs::exists(temp / "home/db/1c006e05.db"));
}

TEST_F(CliCddbTest, CtrlCEndsAnExchangeWithinASecond) {
  test::LoopbackPeer silent([](int connection) {
    char buffer[256];
    while (recv(connection, buffer, sizeof buffer, 0) > 0) {
    }
  });
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string line = CommandLine("query", Server(silent.port())) + " >/dev/null 2>&1";
    execl("/bin/sh", "sh", "-c", ("exec " + line).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  auto interrupted = std::chrono::steady_clock::now();
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::milliseconds(1500));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
}

TEST_F(CliCddbTest, ASubmissionIsCheckedSentAndFoundAgain) {
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  test::ProgramResult unnamed = Run("submit", Server(server.port()));
  EXPECT_EQ(unnamed.status, 1);
  EXPECT_NE(unnamed.out.find("Please input the CD's artist name."), std::string::npos) << unnamed.out;

  std::string titles;
  for (int n = 1; n <= 5; ++n) titles += " --title '" + std::to_string(n) + "=Þáttur " + std::to_string(n) + "'";
  ASSERT_EQ(Run("info", "--artist 'Sigur Rós' --album 'Takk...'" + titles).status, 0);
  test::ProgramResult noGenre = Run("submit", Server(server.port()));
  EXPECT_NE(noGenre.out.find("Please select the CD's genre."), std::string::npos) << noGenre.out;

  test::ProgramResult sent = Run("submit", Server(server.port()) + " --genre rock");
  ASSERT_EQ(sent.status, 0) << sent.out;
  EXPECT_NE(sent.out.find("Successfully Submitted."), std::string::npos);
  EXPECT_TRUE(fs::exists(server.submissions() + "/rock-" + kSampleFreedbId + "-1.txt"));
  EXPECT_EQ(test::ReadWholeFile(temp / "home/cddb.txt"),
            test::ReadWholeFile(server.submissions() + "/rock-" + kSampleFreedbId + "-1.txt"));

  fs::remove_all(temp / "home/db");
  test::ProgramResult query = Run("query", Server(server.port()), false);
  ASSERT_EQ(query.status, 0);
  EXPECT_NE(query.out.find("Artist: Sigur Rós\nAlbum: Takk...\n"), std::string::npos) << query.out;
  EXPECT_NE(query.out.find("05  Þáttur 5\n"), std::string::npos) << query.out;

  test::WriteWholeFile(temp / "home/Settings.ini", "[CDDB]\nEmail=user@example.com\n");
  test::ProgramResult placeholder = Run("submit", Server(server.port()));
  EXPECT_EQ(placeholder.status, 1);
  EXPECT_NE(placeholder.out.find("Please input your email address"), std::string::npos);
}

}  // namespace
}  // namespace sonvarek
