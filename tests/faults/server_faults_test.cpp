#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/window_messages.h"
#include "freedb/cddb_worker.h"
#include "platform/message_queue.h"
#include "support/hostile_server.h"
#include "support/temp_folder.h"

extern char** environ;

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::HostileAnswer;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";
const std::string kHeaders = "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n";
const std::string kQueryAnswer = kHeaders + "200 rock 1d006e05 Portishead / Dummy\r\n";
const std::string kEntryFollows = "210 rock 1d006e05 CD database entry follows (until terminating `.')\r\n";
const std::string kEntry = kEntryFollows +
                           "# xmcd\r\n#\r\n# Revision: 3\r\n#\r\nDISCID=1d006e05\r\nDTITLE=Portishead / Dummy\r\n"
                           "DYEAR=1994\r\nTTITLE0=Mysterons\r\nTTITLE1=Sour Times\r\nTTITLE2=Strangers\r\n"
                           "TTITLE3=It Could Be Sweet\r\nTTITLE4=Wandering Star\r\n.\r\n";
const std::string kReadAnswer = kHeaders + kEntry;
constexpr size_t kTenMiB = size_t{10} << 20;

// NULs, bytes that are no UTF-8, and not one line break.
std::string Garbage() {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) {
    char c = static_cast<char>(i * 37 % 256);
    bytes += c == '\r' || c == '\n' ? '\0' : c;
  }
  return bytes;
}

std::string FailureLine(const std::string& text) { return "sonvarek: " + text + "\n"; }

struct ProgramRun {
  int status = -1;  // -1 unless it exited
  std::string out;
  std::string err;
  Clock::duration took{};
  Clock::duration afterInterrupt{};
  long peakKiB = 0;  // its largest resident size
};

class ServerFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp / "home");
    test::WriteWholeFile(temp / "home/Settings.ini", "[CDDB]\nEmail=ann@mail.example\n");
  }

  // `sonvarek COMMAND --image SAMPLE ARGUMENTS...`; with a marker, SIGINT once the marker
  // has shown `times` times on standard error.
  ProgramRun Sonvarek(std::vector<std::string> arguments, const std::string& marker = "", int times = 1) {
    arguments.insert(arguments.begin() + 1, {"--image", kSampleCue});
    arguments.insert(arguments.begin(), {SONVAREK_CLI, "--home", temp / "home"});
    std::vector<std::string> environment = {"HOME=" + temp / "user", "TMPDIR=" + temp.Path()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string_view variable(*entry);
      if (!variable.starts_with("HOME=") && !variable.starts_with("TMPDIR=") &&
          !variable.starts_with("SONVAREK_CD_IMAGE=")) {
        environment.emplace_back(variable);
      }
    }
    std::vector<char*> argv, envp;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    for (std::string& variable : environment) envp.push_back(variable.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const std::string outPath = temp / "stdout", errPath = temp / "stderr";

    ProgramRun run;
    const Clock::time_point start = Clock::now();
    Clock::time_point interrupted{};
    const pid_t child = fork();
    if (child == 0) {
      dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
      if (Clock::now() - start > 30s) kill(child, SIGKILL);
      if (!marker.empty() && interrupted == Clock::time_point{} && Occurrences(test::ReadWholeFile(errPath), marker) >= times) {
        std::this_thread::sleep_for(200ms);  // long enough for the exchange to be waiting on the stall
        interrupted = Clock::now();
        kill(child, SIGINT);
      }
      std::this_thread::sleep_for(5ms);
    }
    run.took = Clock::now() - start;
    if (interrupted != Clock::time_point{}) run.afterInterrupt = Clock::now() - interrupted;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = test::ReadWholeFile(outPath);
    run.err = test::ReadWholeFile(errPath);
    run.peakKiB = usage.ru_maxrss;
    return run;
  }

  static int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  // Every file of the program folder with its contents: the settings and the disc cache.
  std::map<std::string, std::string> HomeFiles() const {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(temp / "home")) {
      if (entry.is_regular_file()) files[entry.path().string()] = test::ReadWholeFile(entry.path().string());
    }
    return files;
  }

  static std::string ServerOption(uint16_t port) { return "127.0.0.1:" + std::to_string(port); }

  test::TempFolder temp;
};

// The answers of a query's two exchanges (the query, then the read of its one match); none:
// nothing listens on the port.
struct HostileCase {
  const char* name;
  std::vector<HostileAnswer> answers;
  std::string told;  // the line on standard error
};

TEST_F(ServerFaultsTest, AQueryAgainstAHostileServerFailsQuicklyAndStoresNothing) {
  const std::string tooLarge = "Failed: The answer of 127.0.0.1 is larger than 1 MiB; it was not read.";
  const HostileCase cases[] = {
      {"nothing listening", {}, "Failed: Socket error (code  = " + std::to_string(ECONNREFUSED) + ")."},
      {"reset after the request", {test::ResetConnection()},
       "Failed: Socket error (code  = " + std::to_string(ECONNRESET) + ")."},
      {"binary garbage", {test::AnswerWhole(Garbage())}, "Sorry! No matched disc was found!"},
      {"binary garbage after the headers", {test::AnswerWhole(kHeaders + Garbage())}, "Sorry! No matched disc was found!"},
      {"closes mid-header", {test::AnswerWhole("HTTP/1.0 200 OK\r\nContent-Ty")}, "Sorry! No matched disc was found!"},
      {"closes mid-entry", {test::AnswerWhole(kQueryAnswer), test::AnswerWhole(kReadAnswer.substr(0, kReadAnswer.find("Sour")))},
       "Sorry! No matched disc was found!"},
      {"10 MiB for the query", {test::Flood(kHeaders + "211 close matches\r\n", kTenMiB)}, tooLarge},
      {"10 MiB for the read", {test::AnswerWhole(kQueryAnswer), test::Flood(kHeaders + kEntryFollows, kTenMiB)}, tooLarge},
  };
  const std::map<std::string, std::string> before = HomeFiles();
  long refusedPeakKiB = 0;
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<test::HostileServer> server;
    if (!c.answers.empty()) server = std::make_unique<test::HostileServer>(c.answers);
    const uint16_t port = server ? server->port() : test::FreeLoopbackPort();
    ProgramRun run = Sonvarek({"query", "--server", ServerOption(port)});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(FailureLine(c.told)), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_LT(run.took, 10s);  // the transport's time-out is 20 s of silence
    EXPECT_EQ(HomeFiles(), before);
    if (c.answers.empty()) refusedPeakKiB = run.peakKiB;
    // Reading on past the cap would hold the 10 MiB, and more while the buffer grows.
    if (c.told == tooLarge) {
      EXPECT_LT(run.peakKiB - refusedPeakKiB, 6 * 1024) << "peak " << run.peakKiB << " KiB";
    }
  }
}

TEST_F(ServerFaultsTest, AnAnswerSentOneByteAtATimeIsReadWholeAndKept) {
  test::HostileServer server({test::AnswerByteByByte(kQueryAnswer, 1ms), test::AnswerByteByByte(kReadAnswer, 1ms)});
  ProgramRun run = Sonvarek({"query", "--server", ServerOption(server.port())});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Artist: Portishead\nAlbum: Dummy\nYear: 1994\nGenre: rock\nComment: \n01  Mysterons\n02  Sour Times\n"
            "03  Strangers\n04  It Could Be Sweet\n05  Wandering Star\n");
  EXPECT_LT(run.took, 10s);
  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[0].find("\r\n\r\ncmd=cddb+query+1d006e05+5+"), std::string::npos) << requests[0];
  EXPECT_NE(requests[1].find("\r\n\r\ncmd=cddb+read+rock+1d006e05&"), std::string::npos) << requests[1];
  int entries = 0;
  for (const auto& [path, text] : HomeFiles()) entries += path.ends_with(".db") && text.find("Wandering Star") != std::string::npos;
  EXPECT_EQ(entries, 1);
}

// A server that stops talking is ended by Ctrl+C long before the time-out would.
TEST_F(ServerFaultsTest, CtrlCEndsAQueryToAStalledServerAtOnce) {
  struct Case {
    const char* name;
    std::vector<HostileAnswer> answers;
    int waits;  // the "Receiving" line the stall follows: 1 the query, 2 the read
  };
  const Case cases[] = {
      {"never answers", {test::AnswerThenStall("")}, 1},
      {"a status line, then silence", {test::AnswerThenStall(kHeaders + "211 close matches, list follows\r\n")}, 1},
      {"half an entry, then silence",
       {test::AnswerWhole(kQueryAnswer), test::AnswerThenStall(kReadAnswer.substr(0, kReadAnswer.find("Sour")))}, 2},
  };
  const std::map<std::string, std::string> before = HomeFiles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::HostileServer server(c.answers);
    ProgramRun run = Sonvarek({"query", "--server", ServerOption(server.port())}, "Receiving query result...", c.waits);
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_LT(run.afterInterrupt, 1500ms);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(HomeFiles(), before);
  }
}

// Without a cancel, the time-out ends a stall, and what came before it is not an entry.
TEST_F(ServerFaultsTest, TheTimeOutEndsAStalledReadWithoutAnEntry) {
  for (const std::string& sent : {std::string(), kHeaders + kEntryFollows, kReadAnswer.substr(0, kReadAnswer.size() - 3)}) {
    SCOPED_TRACE(sent);
    test::HostileServer server({test::AnswerThenStall(sent)});
    auto queue = std::make_shared<MessageQueue>();
    CddbRequest request = QueryRequestFromSettings(Settings{});
    request.host = "127.0.0.1";
    request.port = server.port();
    request.mode = CddbMode::Read;
    request.requestText = "cmd=cddb+read+rock+1d006e05&hello=ann+mail.example+Sonvarek+3.0&proto=6\r\n";
    TcpExchangeLimits limits = CddbExchangeLimits();
    limits.timeout = 400ms;
    CddbWorker worker;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(worker.StartQuery(request, queue, limits));
    ASSERT_TRUE(worker.done()->WaitFor(5s));
    EXPECT_LT(Clock::now() - start, 3s);
    std::vector<Message> results;
    std::string failure;
    queue->Deliver([&](const WindowMessage& message) {
      if (message.id != Message::CddbStatus) results.push_back(message.id);
      if (message.id == Message::CddbError) failure = message.text;
    }, 0ms);
    EXPECT_EQ(results, std::vector<Message>{Message::CddbError});
    EXPECT_EQ(failure, "Socket error (code  = " + std::to_string(ETIMEDOUT) + ").");
  }
}

// A submission is a success only on a whole "200" from the server.
TEST_F(ServerFaultsTest, ASubmissionTellsAHostileAnswerAsAFailure) {
  std::vector<std::string> info = {"info", "--artist", "Portishead", "--album", "Dummy"};
  for (int n = 1; n <= 5; ++n) info.insert(info.end(), {"--title", std::to_string(n) + "=Part " + std::to_string(n)});
  ASSERT_EQ(Sonvarek(info).status, 0);
  const std::string settings = test::ReadWholeFile(temp / "home/Settings.ini");
  const std::string http = "HTTP/1.0 200 OK\r\n\r\n";
  struct Case {
    const char* name;
    HostileAnswer answer;
    std::string told;  // empty: it succeeds
  } cases[] = {
      {"one byte at a time", test::AnswerByteByByte(http + "200 OK, submission has been sent.\r\n", 1ms), ""},
      {"reset", test::ResetConnection(), "Submit Failed! Socket error (code  = " + std::to_string(ECONNRESET) + ")."},
      {"binary garbage", test::AnswerWhole(Garbage()), "Submit Failed! Error while submit to 127.0.0.1.\nError code = ."},
      {"closes mid-code", test::AnswerWhole(http + "20"), "Submit Failed! Error while submit to 127.0.0.1.\nError code = 20."},
      {"10 MiB", test::Flood(http + "200 ", kTenMiB),
       "Submit Failed! The answer of 127.0.0.1 is larger than 1 MiB; it was not read."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::HostileServer server({c.answer});
    ProgramRun run = Sonvarek({"submit", "--genre", "rock", "--server", ServerOption(server.port())});
    EXPECT_EQ(run.status, c.told.empty() ? 0 : 1) << run.err;
    if (c.told.empty()) {
      EXPECT_NE(run.out.find("Successfully Submitted."), std::string::npos) << run.err;
    } else {
      EXPECT_NE(run.err.find(FailureLine(c.told)), std::string::npos) << run.err;
      EXPECT_EQ(run.out, "");
    }
    EXPECT_LT(run.took, 10s);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NE(server.requests()[0].find("DTITLE=Portishead / Dummy\r\n"), std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(temp / "home/Settings.ini"), settings);
  }
}

}  // namespace
}  // namespace sonvarek
