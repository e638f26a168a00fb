#include "verify/accuraterip_lookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/string_table.h"
#include "core/text_format.h"
#include "support/hostile_server.h"

namespace sonvarek {
namespace {

using namespace std::chrono_literals;
using test::AnswerThenStall;
using test::AnswerWhole;
using test::Flood;
using test::HostileServer;

// Recoil, "Liquid" (see accuraterip_test.cpp).
const AccurateRipDiscIds kDisc{10, 0x00164419, 0x00b9f6e2, 0x9e11600b};
constexpr char kDatabasePath[] = "9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin";

std::string LittleEndian(uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// A database file of one block for `ids`, every track with `checksum` and confidence 3.
std::string DatabaseFile(const AccurateRipDiscIds& ids, uint32_t checksum) {
  std::string bytes(1, static_cast<char>(ids.trackCount));
  bytes += LittleEndian(ids.id1) + LittleEndian(ids.id2) + LittleEndian(ids.freedbId);
  for (int track = 0; track < ids.trackCount; ++track) bytes += '\x03' + LittleEndian(checksum) + LittleEndian(0);
  return bytes;
}

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

std::string BaseOf(const HostileServer& server) {
  return "http://127.0.0.1:" + std::to_string(server.port()) + "/accuraterip/";
}

TcpExchangeLimits ShortLimits() {
  TcpExchangeLimits limits;
  limits.timeout = 500ms;
  limits.cancelPoll = 20ms;
  return limits;
}

TEST(ParseHttpBase, SplitsHostPortAndPath) {
  struct Case {
    const char* url;
    const char* host;
    uint16_t port;
    const char* path;
  };
  const Case accepted[] = {
      {"http://www.accuraterip.com/accuraterip/", "www.accuraterip.com", 80, "/accuraterip/"},
      {"http://www.accuraterip.com/accuraterip", "www.accuraterip.com", 80, "/accuraterip/"},
      {"HTTP://127.0.0.1:8080", "127.0.0.1", 8080, "/"},
      {"http://mirror.example:65535/a/b/", "mirror.example", 65535, "/a/b/"},
  };
  for (const Case& c : accepted) {
    SCOPED_TRACE(c.url);
    const auto location = ParseHttpBase(c.url);
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->host, c.host);
    EXPECT_EQ(location->port, c.port);
    EXPECT_EQ(location->path, c.path);
  }
  for (const char* url : {"", "https://www.accuraterip.com/", "ftp://host/", "www.accuraterip.com/accuraterip/",
                          "http://", "http:///path/", "http://:80/", "http://host:0/", "http://host:65536/",
                          "http://host:/", "http://host:8x/", "http://ho st/", "http://host/a\r\nX-Injected: 1"}) {
    EXPECT_FALSE(ParseHttpBase(url).has_value()) << url;
  }
}

// The server answers with the disc's file; the ripped sums match its v1 sum, its v2 sum, or neither.
TEST(LookUpAccurateRip, FetchesTheDiscsFileAndJudgesTracks) {
  struct Case {
    uint32_t served;
    const char* verdict;
  };
  const Case cases[] = {
      {0x1234ABCD, "Accurately ripped (confidence 3) [1234ABCD] (AR v1)"},
      {0x00C0FFEE, "Accurately ripped (confidence 3) [00C0FFEE] (AR v2)"},
      {0x77777777, "Not accurately ripped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verdict);
    HostileServer server({AnswerWhole(Ok(DatabaseFile(kDisc, c.served)))});
    ManualResetEvent cancel;
    const AccurateRipLookup lookup = LookUpAccurateRip(BaseOf(server), kDisc, cancel, ShortLimits());
    ASSERT_EQ(lookup.outcome, LookupOutcome::Found) << lookup.failure;
    EXPECT_EQ(lookup.blocks.size(), 1u);
    EXPECT_EQ(VerdictText(JudgeTrack(lookup.blocks, kDisc, 10, 0x1234ABCD, 0x00C0FFEE)), c.verdict);

    ASSERT_EQ(server.requests().size(), 1u);
    const std::string request = server.requests()[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")), std::string("GET /accuraterip/") + kDatabasePath + " HTTP/1.0");
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nUser-Agent: Sonvarek Maker\r\n"), std::string::npos);
  }
}

TEST(LookUpAccurateRip, NotFoundIsNotPresent) {
  HostileServer server({AnswerWhole("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found")});
  ManualResetEvent cancel;
  const AccurateRipLookup lookup = LookUpAccurateRip(BaseOf(server), kDisc, cancel, ShortLimits());
  EXPECT_EQ(lookup.outcome, LookupOutcome::NotPresent);
  EXPECT_TRUE(lookup.blocks.empty());
}

TEST(LookUpAccurateRip, FailuresNameTheServerAndTheCause) {
  const std::string file = DatabaseFile(kDisc, 1);
  struct Case {
    test::HostileAnswer answer;
    const char* format;
  };
  const Case cases[] = {
      {AnswerWhole("HTTP/1.1 500 Internal Server Error\r\n\r\n"), text::kAccurateRipStatus},
      {AnswerWhole(Ok(file.substr(0, file.size() - 1))), text::kAccurateRipMalformed},
      {AnswerWhole(Ok("")), text::kAccurateRipMalformed},
      {AnswerWhole("<html>" + file), text::kAccurateRipMalformed},
      {AnswerWhole("HTTP/1.0 200 OK\r\nServer: cut"), text::kAccurateRipMalformed},
      {Flood("HTTP/1.0 200 OK\r\n\r\n", (size_t{3} << 20) / 2), text::kAccurateRipTooLarge},
  };
  for (const Case& c : cases) {
    HostileServer server({c.answer});
    const std::string name = "127.0.0.1:" + std::to_string(server.port());
    const std::string expected = c.format == text::kAccurateRipStatus ? FormatText(c.format, name, 500)
                                                                      : FormatText(c.format, name);
    ManualResetEvent cancel;
    const AccurateRipLookup lookup = LookUpAccurateRip(BaseOf(server), kDisc, cancel, ShortLimits());
    EXPECT_EQ(lookup.outcome, LookupOutcome::Failed);
    EXPECT_EQ(lookup.failure, expected);
  }

  const uint16_t closedPort = test::FreeLoopbackPort();
  ManualResetEvent cancel;
  const AccurateRipLookup refused =
      LookUpAccurateRip("http://127.0.0.1:" + std::to_string(closedPort) + "/", kDisc, cancel, ShortLimits());
  EXPECT_EQ(refused.outcome, LookupOutcome::Failed);
  EXPECT_EQ(refused.failure, FormatText(text::kAccurateRipUnreachable, "127.0.0.1:" + std::to_string(closedPort),
                                        std::string("Connection refused")));
  const AccurateRipLookup badAddress = LookUpAccurateRip("https://www.accuraterip.com/", kDisc, cancel);
  EXPECT_EQ(badAddress.outcome, LookupOutcome::Failed);
  EXPECT_EQ(badAddress.failure, "The AccurateRip server address 'https://www.accuraterip.com/' is not an http:// address.");
}

TEST(LookUpAccurateRip, SilentServerFailsAfterTheTimeOut) {
  HostileServer server({AnswerThenStall("")});
  ManualResetEvent cancel;
  const auto start = std::chrono::steady_clock::now();
  const AccurateRipLookup lookup = LookUpAccurateRip(BaseOf(server), kDisc, cancel, ShortLimits());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(lookup.outcome, LookupOutcome::Failed);
  EXPECT_EQ(lookup.failure, "The AccurateRip server 127.0.0.1:" + std::to_string(server.port()) + " did not answer in time.");
  EXPECT_GE(elapsed, 450ms);
  EXPECT_LT(elapsed, 3s);
}

TEST(LookUpAccurateRip, CancelEndsAWaitingLookUp) {
  HostileServer server({AnswerThenStall("HTTP/1.0 200 OK\r\n")});
  ManualResetEvent cancel;
  TcpExchangeLimits limits = ShortLimits();
  limits.timeout = 20s;
  std::thread canceller([&] {
    std::this_thread::sleep_for(200ms);
    cancel.Set();
  });
  const auto start = std::chrono::steady_clock::now();
  const AccurateRipLookup lookup = LookUpAccurateRip(BaseOf(server), kDisc, cancel, limits);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  canceller.join();
  EXPECT_EQ(lookup.outcome, LookupOutcome::Cancelled);
  EXPECT_LT(elapsed, 3s);
  EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace sonvarek
