#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "core/window_messages.h"
#include "freedb/cddb_http.h"
#include "freedb/query_dialog.h"
#include "freedb/submit_dialog.h"
#include "platform/message_queue.h"
#include "support/loopback_servers.h"
#include "support/temp_folder.h"
#include "support/toc_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The main window's side of a read: what the dialog set, in order.
class RecordingTarget final : public DiscInfoTarget {
 public:
  void SetRevision(bool hasRevision, int32_t revision) override {
    calls.push_back("revision " + std::to_string(hasRevision) + " " + std::to_string(revision));
  }
  void SetDiscInfo(std::string_view artist, std::string_view album, std::string_view genre) override {
    calls.push_back("disc " + std::string(artist) + "|" + std::string(album) + "|" + std::string(genre));
  }
  void SetDiscYear(std::string_view year) override { calls.push_back("year " + std::string(year)); }
  void SetTrackTitle(int index, std::string_view title) override {
    titles.resize(std::max(titles.size(), static_cast<size_t>(index) + 1));
    titles[static_cast<size_t>(index)] = title;
  }
  std::vector<std::string> calls;
  std::vector<std::string> titles;
};

const test::FrameDisc kDisc{{150, 23440, 40510}, 56606};  // freedb id 1102f003

DiscIdInfo DiscIds() {
  DiscIdInfo info;
  ComputeFreedbDiscId(test::TocOf(kDisc, true), info);
  return info;
}

std::string EntryText(const std::string& title, const std::vector<std::string>& tracks, int revision = 2) {
  std::string text = "# xmcd\n#\n# Track frame offsets:\n#  150\n#  23440\n#  40510\n#\n# Disc length: 754 seconds\n#\n";
  text += "# Revision: " + std::to_string(revision) + "\n# Submitted via: test 1.0\n#\nDISCID=1102f003\nDTITLE=" + title + "\n";
  text += "DYEAR=1997\nDGENRE=Art Pop\n";
  for (size_t i = 0; i < tracks.size(); ++i) text += "TTITLE" + std::to_string(i) + "=" + tracks[i] + "\n";
  return text + "EXTD=\nPLAYORDER=\n";
}

class CddbExchangeTest : public ::testing::Test {
 protected:
  void AddEntry(const std::string& category, const std::string& text, const std::string& discId = "1102f003") {
    fs::create_directories(database / category);
    test::WriteWholeFile(database / (category + "/" + discId), text);
  }
  CddbRequest RequestTo(uint16_t port) const {
    CddbRequest request = QueryRequestFromSettings(Settings{});
    request.host = "127.0.0.1";
    request.port = port;
    request.email = "ann@mail.example";
    return request;
  }
  // Delivers the queue's messages to the dialog until `done` or 10 s; the statuses seen.
  template <typename Dialog, typename Done>
  std::vector<std::string> Pump(Dialog& dialog, Done done) {
    std::vector<std::string> statuses;
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done() && Clock::now() < deadline) {
      queue->Deliver(
          [&](const WindowMessage& message) {
            if (message.id == Message::CddbStatus) statuses.push_back(message.text);
            dialog.Handle(message);
          },
          std::chrono::milliseconds(20));
    }
    return statuses;
  }
  static bool Settled(const QueryDialog& dialog) {
    return dialog.end() != DialogEnd::Open || dialog.pane() == QueryPane::NoMatch || dialog.pane() == QueryPane::Error;
  }

  test::TempFolder database;
  std::shared_ptr<MessageQueue> queue = std::make_shared<MessageQueue>();
  RecordingTarget target;
};

TEST_F(CddbExchangeTest, OneMatchIsReadAtOnceAndFillsTheDisc) {
  AddEntry("misc", EntryText("Björk / Homogenic", {"Hunter", "Jóga", "日本"}, 7));
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  QueryDialog dialog(RequestTo(server.port()), queue, target);
  EXPECT_EQ(dialog.status(), "Reading CD TOC...");
  dialog.Start(DiscIds());
  std::vector<std::string> statuses = Pump(dialog, [&] { return Settled(dialog); });
  ASSERT_EQ(dialog.end(), DialogEnd::Ok) << dialog.errorText();
  EXPECT_EQ(target.calls, (std::vector<std::string>{"revision 1 7", "disc Björk|Homogenic|misc", "year 1997"}));
  EXPECT_EQ(target.titles, (std::vector<std::string>{"Hunter", "Jóga", "日本"}));
  ASSERT_GE(statuses.size(), 6u);
  EXPECT_EQ(statuses[0], "Initializing sockets...");
  EXPECT_EQ(statuses[1], "Connect to server: 127.0.0.1 ...");
  EXPECT_EQ(statuses[2], "Sending query command...");
  EXPECT_EQ(statuses[3], "Receiving query result...");
  EXPECT_EQ(statuses[4], "Processing query result...");
}

TEST_F(CddbExchangeTest, SeveralMatchesAreListedAndTheChosenOneRead) {
  AddEntry("rock", EntryText("First / One", {"a", "b", "c"}));
  AddEntry("jazz", EntryText("Second / Two", {"x", "y", "z"}));
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  QueryDialog dialog(RequestTo(server.port()), queue, target);
  dialog.Start(DiscIds());
  Pump(dialog, [&] { return dialog.pane() == QueryPane::Candidates || Settled(dialog); });
  ASSERT_EQ(dialog.pane(), QueryPane::Candidates);
  ASSERT_EQ(dialog.candidates().size(), 2u);
  EXPECT_TRUE(dialog.okEnabled());
  EXPECT_EQ(dialog.candidates()[0].artist, "Second");  // the server lists jazz before rock
  EXPECT_FALSE(dialog.Choose(2));
  ASSERT_TRUE(dialog.Choose(1));
  EXPECT_EQ(dialog.status(), "Retrieve CD information...");
  Pump(dialog, [&] { return Settled(dialog); });
  ASSERT_EQ(dialog.end(), DialogEnd::Ok);
  EXPECT_EQ(target.calls[1], "disc First|One|rock");
}

TEST_F(CddbExchangeTest, NoMatchAndBrokenServersEndInTheNoMatchPane) {
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  {
    QueryDialog dialog(RequestTo(server.port()), queue, target);
    dialog.Start(DiscIds());
    Pump(dialog, [&] { return Settled(dialog); });
    EXPECT_EQ(dialog.pane(), QueryPane::NoMatch);
  }
  struct Case {
    const char* name;
    std::string answer;
  } cases[] = {
      {"garbage", "\x01\x02 not http at all"},
      {"closes early", ""},
      {"cut in the headers", "HTTP/1.0 200 OK\r\nContent-Ty"},
      {"html", "HTTP/1.0 500 Oops\r\n\r\n<html><body>500</body></html>"},
  };
  for (const Case& c : cases) {
    test::LoopbackPeer peer([&](int connection) {
      test::LoopbackPeer::Receive(connection, [](const std::string& got) { return got.find("\r\n\r\ncmd=") != std::string::npos; });
      send(connection, c.answer.data(), c.answer.size(), MSG_NOSIGNAL);
    });
    QueryDialog dialog(RequestTo(peer.port()), queue, target);
    dialog.Start(DiscIds());
    Pump(dialog, [&] { return Settled(dialog); });
    EXPECT_EQ(dialog.pane(), QueryPane::NoMatch) << c.name;
  }
  EXPECT_TRUE(target.calls.empty());
}

TEST_F(CddbExchangeTest, ASixtyKibibyteEntryIsReadWhole) {
  std::vector<std::string> tracks;
  for (int i = 0; i < 99; ++i) tracks.push_back("Title " + std::to_string(i) + " " + std::string(600, 'x'));
  AddEntry("classical", EntryText("Long / Entry", tracks));
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  QueryDialog dialog(RequestTo(server.port()), queue, target);
  dialog.Start(DiscIds());
  std::vector<std::string> statuses = Pump(dialog, [&] { return Settled(dialog); });
  ASSERT_EQ(dialog.end(), DialogEnd::Ok) << ::testing::PrintToString(statuses);
  ASSERT_EQ(target.titles.size(), 99u);
  EXPECT_EQ(target.titles[98], tracks[98]);
}

TEST_F(CddbExchangeTest, CancelEndsASilentExchangeWithinASecond) {
  test::LoopbackPeer silent([](int connection) {
    char buffer[256];
    while (recv(connection, buffer, sizeof buffer, 0) > 0) {
    }
  });
  QueryDialog dialog(RequestTo(silent.port()), queue, target);
  dialog.Start(DiscIds());
  Pump(dialog, [&] { return dialog.status() == "Receiving query result..."; });
  auto cancelled = Clock::now();
  dialog.Cancel();
  EXPECT_FALSE(dialog.cancelEnabled());
  EXPECT_TRUE(dialog.busy());
  EXPECT_EQ(dialog.status(), "Cancel CDDB Querying...");
  Pump(dialog, [&] { return dialog.end() != DialogEnd::Open; });
  EXPECT_EQ(dialog.end(), DialogEnd::Cancelled);
  EXPECT_FALSE(dialog.busy());
  EXPECT_LT(Clock::now() - cancelled, std::chrono::milliseconds(1500));
}

TEST_F(CddbExchangeTest, ASilentServerTimesOutWithTheSocketErrorText) {
  test::LoopbackPeer silent([](int connection) {
    char buffer[256];
    while (recv(connection, buffer, sizeof buffer, 0) > 0) {
    }
  });
  CddbWorker worker;
  TcpExchangeLimits limits = CddbExchangeLimits();
  limits.timeout = std::chrono::milliseconds(300);
  CddbRequest request = RequestTo(silent.port());
  request.requestText = "cmd=cddb+stat\r\n";
  ASSERT_TRUE(worker.StartQuery(request, queue, limits));
  std::string failure;
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while (failure.empty() && Clock::now() < deadline) {
    queue->Deliver([&](const WindowMessage& message) {
      if (message.id == Message::CddbError) failure = message.text;
    }, std::chrono::milliseconds(20));
  }
  EXPECT_EQ(failure, "Socket error (code  = " + std::to_string(ETIMEDOUT) + ").");
  EXPECT_TRUE(worker.done()->WaitFor(std::chrono::seconds(1)));
}

TEST_F(CddbExchangeTest, AnAnswerPastTheCapIsAFailureNotACutEntry) {
  test::LoopbackPeer flood([](int connection) {
    test::LoopbackPeer::Receive(connection, [](const std::string& got) { return got.ends_with("\r\n"); });
    std::string answer = "HTTP/1.0 200 OK\r\n\r\n210 rock 1102f003 entry follows\r\n" + std::string(5000, 'x');
    send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
  });
  CddbWorker worker;
  TcpExchangeLimits limits = CddbExchangeLimits();
  limits.answerCap = 4096;
  CddbRequest request = RequestTo(flood.port());
  request.mode = CddbMode::Read;
  request.requestText = "cmd=cddb+read+rock+1102f003\r\n";
  ASSERT_TRUE(worker.StartQuery(request, queue, limits));
  std::vector<Message> seen;
  std::string failure;
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while ((worker.IsRunning() || failure.empty()) && Clock::now() < deadline) {
    queue->Deliver([&](const WindowMessage& message) {
      seen.push_back(message.id);
      if (message.id == Message::CddbError) failure = message.text;
    }, std::chrono::milliseconds(20));
  }
  EXPECT_EQ(failure, "The answer of 127.0.0.1 is larger than 1 MiB; it was not read.");
  EXPECT_EQ(std::count(seen.begin(), seen.end(), Message::CddbReadDone), 0);
}

TEST_F(CddbExchangeTest, ASubmissionArrivesByteForByteAndIsFoundAfterwards) {
  test::CddbServer server(database.Path());
  ASSERT_TRUE(server.up());
  test::TempFolder home;
  DiscRecord disc;
  ClearDiscRecord(disc);
  disc.entryCount = 4;
  disc.entries[0].Artist = "Sigur Rós";
  disc.entries[0].Album = "( )";
  disc.entries[0].GenreName = "Rock";
  for (size_t n = 1; n <= 3; ++n) disc.entries[n].Title = "Untitled #" + std::to_string(n) + " – Vaka";
  CddbRequest request = SubmitRequestFromSettings(Settings{});
  request.host = "127.0.0.1";
  request.port = server.port();
  request.email = "ann@mail.example";
  SubmitDialog dialog(request, queue, target, home / "cddb.txt", FillSubmitEditor(disc));
  DiscIdInfo info = DiscIds();
  ASSERT_EQ(dialog.Submit(info), std::nullopt);
  EXPECT_EQ(dialog.pane(), SubmitPane::Progress);
  EXPECT_FALSE(dialog.submitEnabled());
  Pump(dialog, [&] { return dialog.pane() == SubmitPane::Succeeded || dialog.pane() == SubmitPane::Failed; });
  ASSERT_EQ(dialog.pane(), SubmitPane::Succeeded) << dialog.errorText();
  EXPECT_STREQ(dialog.cancelLabel(), "&Close");
  EXPECT_EQ(target.calls, (std::vector<std::string>{"disc Sigur Rós|( )|rock"}));

  request.requestText = SubmitRequestText(FillSubmitEditor(disc), info, "ann@mail.example");
  std::string sent = SubmitHttpRequest(request);
  EXPECT_EQ(test::ReadWholeFile(server.submissions() + "/rock-1102f003-1.txt"), sent);
  EXPECT_EQ(test::ReadWholeFile(home / "cddb.txt"), sent);

  RecordingTarget reader;
  QueryDialog query(RequestTo(server.port()), queue, reader);
  query.Start(info);
  Pump(query, [&] { return Settled(query); });
  ASSERT_EQ(query.end(), DialogEnd::Ok);
  EXPECT_EQ(reader.titles[2], "Untitled #3 – Vaka");

  // A refusal names the server and its code.
  CddbRequest wrong = request;
  wrong.scriptPath = "/~cddb/cddb.cgi";
  SubmitDialog refused(wrong, queue, target, "", FillSubmitEditor(disc));
  ASSERT_EQ(refused.Submit(info), std::nullopt);
  Pump(refused, [&] { return refused.pane() == SubmitPane::Failed || refused.pane() == SubmitPane::Succeeded; });
  EXPECT_EQ(refused.pane(), SubmitPane::Failed);
  EXPECT_EQ(refused.errorText(), "Error while submit to 127.0.0.1.\nError code = 500.");
}

TEST_F(CddbExchangeTest, ThroughAProxyWithAndWithoutCredentials) {
  AddEntry("folk", EntryText("Via / Proxy", {"p", "q", "r"}));
  test::CddbServer server(database.Path());
  test::TinyProxy proxy("ann", "pa55w0rd");
  ASSERT_TRUE(server.up());
  ASSERT_TRUE(proxy.up());
  CddbRequest request = RequestTo(server.port());
  request.useProxy = true;
  request.proxyHost = "127.0.0.1";
  request.proxyPort = proxy.port();
  request.proxyAuthorization = true;
  request.proxyUser = "ann";
  request.proxyPassword = "pa55w0rd";
  {
    QueryDialog dialog(request, queue, target);
    dialog.Start(DiscIds());
    Pump(dialog, [&] { return Settled(dialog); });
    ASSERT_EQ(dialog.end(), DialogEnd::Ok) << dialog.errorText();
    EXPECT_EQ(target.titles[0], "p");
  }
  request.proxyAuthorization = false;
  RecordingTarget refused;
  QueryDialog dialog(request, queue, refused);
  dialog.Start(DiscIds());
  Pump(dialog, [&] { return Settled(dialog); });
  EXPECT_NE(dialog.end(), DialogEnd::Ok);
  EXPECT_TRUE(refused.titles.empty());

  // What a proxy receives: the full URL, and credentials only when asked for.
  for (bool authorization : {true, false}) {
    std::string received;
    test::LoopbackPeer recorder([&](int connection) {
      received = test::LoopbackPeer::Receive(connection, [](const std::string& got) { return got.ends_with("\r\n") && got.find("cmd=") != std::string::npos; });
      std::string answer = "HTTP/1.0 200 OK\r\n\r\n202 No match for disc ID 1102f003.\r\n";
      send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    });
    request.proxyPort = recorder.port();
    request.proxyAuthorization = authorization;
    QueryDialog probe(request, queue, refused);
    probe.Start(DiscIds());
    Pump(probe, [&] { return Settled(probe); });
    EXPECT_TRUE(received.starts_with("POST http://127.0.0.1:" + std::to_string(server.port()) + "/~cddb/cddb.cgi HTTP/1.0\r\n"))
        << received;
    EXPECT_EQ(received.find("Proxy-Authorization: Basic " + Base64("ann:pa55w0rd") + "\r\n") != std::string::npos,
              authorization);
  }
}

}  // namespace
}  // namespace sonvarek
