#include "platform/tcp_exchange.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/loopback_servers.h"

namespace sonvarek {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A descriptor closed on every exit.
class Descriptor {
 public:
  explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

// A listening socket on 127.0.0.1 with a port the system picks.
Descriptor ListenOnLoopback(uint16_t* port) {
  Descriptor listener(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  const bool ready = listener.get() >= 0 && bind(listener.get(), reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                     listen(listener.get(), 8) == 0 &&
                     getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &size) == 0;
  EXPECT_TRUE(ready) << "loopback listener: errno " << errno;
  *port = ntohs(address.sin_port);
  return listener;
}

using test::LoopbackPeer;
using test::PeerEnding;

std::string ReceiveExactly(int connection, size_t size) {
  std::string bytes(size, '\0');
  size_t done = 0;
  while (done < size) {
    const ssize_t count = recv(connection, bytes.data() + done, size - done, 0);
    if (count <= 0) break;
    done += static_cast<size_t>(count);
  }
  bytes.resize(done);
  return bytes;
}

// Bytes whose order shows: a lost, doubled or swapped piece changes them.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
  return bytes;
}

// One exchange with 127.0.0.1, remembering the stages it went through.
struct Record {
  TcpExchangeResult result;
  std::vector<TcpStage> stages;
  Clock::duration took{};
};

Record ExchangeWith(uint16_t port, std::string_view request, const ManualResetEvent& cancel,
                 const TcpExchangeLimits& limits = {}) {
  Record run;
  const Clock::time_point start = Clock::now();
  run.result = ExchangeOverTcp("127.0.0.1", port, request, cancel, limits,
                               [&](TcpStage stage) { run.stages.push_back(stage); });
  run.took = Clock::now() - start;
  return run;
}

const std::vector<TcpStage> kAllStages = {TcpStage::LookingUp, TcpStage::Connecting, TcpStage::Sending,
                                          TcpStage::Receiving};

TEST(TcpExchange, SendsTheExactRequestAndReturnsTheWholeAnswer) {
  // A NUL and line ends inside: nothing may stop at a terminator or rewrite them.
  const std::string request("cddb query 1\r\n\0tail\n", 20);
  const std::string answer("210 found\r\n\0.\r\n", 15);
  std::promise<std::string> received;
  LoopbackPeer peer([&](int connection, const PeerEnding&) {
    received.set_value(ReceiveExactly(connection, request.size()));
    test::SendPieces(connection, answer, answer.size());
  });
  ManualResetEvent cancel;
  Record run = ExchangeWith(peer.port(), request, cancel);
  EXPECT_EQ(run.result.outcome, TcpOutcome::Answered);
  EXPECT_EQ(run.result.errorNumber, 0);
  EXPECT_EQ(run.result.answer, answer);
  EXPECT_EQ(run.stages, kAllStages);
  EXPECT_EQ(received.get_future().get(), request);
}

// The answer comes whole however the peer splits it, and the time-out counts silence only:
// a slow peer that keeps talking longer than the time-out in all is not cut off.
TEST(TcpExchange, ReadsAnAnswerSentInPiecesWhole) {
  struct Case {
    const char* name;
    size_t size;
    size_t piece;
    std::chrono::milliseconds pause;
    std::chrono::milliseconds timeout;
  };
  const Case cases[] = {
      {"60 KiB in small pieces", 60 * 1024, 700, 0ms, 20s},
      {"pauses shorter than the time-out, longer in all", 400, 100, 150ms, 400ms},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string answer = Pattern(c.size);
    LoopbackPeer peer([&](int connection, const PeerEnding&) {
      ReceiveExactly(connection, 5);
      test::SendPieces(connection, answer, c.piece, c.pause);
    });
    ManualResetEvent cancel;
    TcpExchangeLimits limits;
    limits.timeout = c.timeout;
    Record run = ExchangeWith(peer.port(), "hello", cancel, limits);
    EXPECT_EQ(run.result.outcome, TcpOutcome::Answered);
    EXPECT_EQ(run.result.answer.size(), answer.size());
    EXPECT_TRUE(run.result.answer == answer);  // not EXPECT_EQ: 60 KiB in a failure message helps nobody
  }
}

// Both ways a peer can close without answering: before the request came, and after reading it.
TEST(TcpExchange, APeerThatClosesWithoutAnsweringGivesAnEmptyAnswer) {
  struct Case {
    const char* name;
    std::string request;
  };
  for (const Case& c : {Case{"empty request", ""}, Case{"request read first", "proto 6\r\n"}}) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer([&](int connection, const PeerEnding&) { ReceiveExactly(connection, c.request.size()); });
    ManualResetEvent cancel;
    Record run = ExchangeWith(peer.port(), c.request, cancel);
    EXPECT_EQ(run.result.outcome, TcpOutcome::Answered);
    EXPECT_EQ(run.result.answer, "");
    EXPECT_EQ(run.stages, kAllStages);
  }
}

TEST(TcpExchange, AnswersPastTheCapAreTooLargeAndKeepTheirStart) {
  struct Case {
    size_t answerSize;
    TcpOutcome outcome;
  };
  const size_t cap = 100;
  for (const Case& c : {Case{cap - 1, TcpOutcome::Answered}, Case{cap, TcpOutcome::Answered},
                        Case{cap + 1, TcpOutcome::TooLarge}, Case{60 * 1024, TcpOutcome::TooLarge}}) {
    SCOPED_TRACE(c.answerSize);
    const std::string answer = Pattern(c.answerSize);
    LoopbackPeer peer([&](int connection, const PeerEnding&) {
      ReceiveExactly(connection, 1);
      test::SendPieces(connection, answer, 4096);
    });
    ManualResetEvent cancel;
    TcpExchangeLimits limits;
    limits.answerCap = cap;
    Record run = ExchangeWith(peer.port(), "?", cancel, limits);
    EXPECT_EQ(run.result.outcome, c.outcome);
    EXPECT_EQ(run.result.answer, answer.substr(0, cap));
  }
}

// A peer that accepts and then neither reads nor answers: the exchange waits in Receiving (a
// small request) or in Sending (a request larger than the socket buffers can take), and
// either a cancel from another thread or the time-out must end that wait.
TEST(TcpExchange, ACancelOrTheTimeOutEndsAWaitOnASilentPeer) {
  struct Case {
    const char* name;
    size_t requestSize;
    bool cancels;
    TcpStage waitsIn;
  };
  const Case cases[] = {
      {"cancel while receiving", 10, true, TcpStage::Receiving},
      {"time-out while receiving", 10, false, TcpStage::Receiving},
      {"cancel while sending", size_t{32} << 20, true, TcpStage::Sending},
      {"time-out while sending", size_t{32} << 20, false, TcpStage::Sending},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer([](int, const PeerEnding& ending) { ending.WaitFor(10s); });
    const std::string request(c.requestSize, 'r');
    ManualResetEvent cancel;
    TcpExchangeLimits limits;
    if (!c.cancels) limits.timeout = 500ms;
    std::thread canceller([&] {
      if (!c.cancels) return;
      std::this_thread::sleep_for(300ms);
      cancel.Set();
    });
    Record run = ExchangeWith(peer.port(), request, cancel, limits);
    canceller.join();
    ASSERT_FALSE(run.stages.empty());
    EXPECT_EQ(run.stages.back(), c.waitsIn);
    if (c.cancels) {
      EXPECT_EQ(run.result.outcome, TcpOutcome::Cancelled);
      EXPECT_LT(run.took, 1500ms);
    } else {
      EXPECT_EQ(run.result.outcome, TcpOutcome::Failed);
      EXPECT_EQ(run.result.errorNumber, ETIMEDOUT);
      EXPECT_GE(run.took, 500ms);  // not cut short either
    }
  }
}

TEST(TcpExchange, ARefusedConnectionFailsWithEconnrefused) {
  uint16_t port = 0;
  { Descriptor closedAgain = ListenOnLoopback(&port); }
  ManualResetEvent cancel;
  Record run = ExchangeWith(port, "hello", cancel);
  EXPECT_EQ(run.result.outcome, TcpOutcome::Failed);
  EXPECT_EQ(run.result.errorNumber, ECONNREFUSED);
  ASSERT_FALSE(run.stages.empty());
  EXPECT_EQ(run.stages.back(), TcpStage::Connecting);
}

TEST(TcpExchange, ACancelAlreadySetEndsBeforeAnyConnection) {
  LoopbackPeer peer([](int, const PeerEnding&) {});
  ManualResetEvent cancel(true);
  Record run = ExchangeWith(peer.port(), "hello", cancel);
  EXPECT_EQ(run.result.outcome, TcpOutcome::Cancelled);
  EXPECT_EQ(std::count(run.stages.begin(), run.stages.end(), TcpStage::Connecting), 0);
  peer.Stop();
  EXPECT_EQ(peer.connections(), 0);
}

// Names made of digits and dots (and the empty name) are taken as addresses and never
// reach the name service, so these fail locally without a DNS query.
TEST(TcpExchange, AnAddressThatDoesNotParseFailsTheLookUp) {
  for (const char* host : {"", "999.999.999.999", "1.2.3.4.5", "127..1"}) {
    SCOPED_TRACE(host);
    std::vector<TcpStage> stages;
    ManualResetEvent cancel;
    TcpExchangeResult result =
        ExchangeOverTcp(host, 9, "hello", cancel, {}, [&](TcpStage stage) { stages.push_back(stage); });
    EXPECT_EQ(result.outcome, TcpOutcome::Failed);
    EXPECT_EQ(result.errorNumber, EHOSTUNREACH);
    EXPECT_EQ(stages, std::vector<TcpStage>{TcpStage::LookingUp});
  }
}

// Each exchange keeps its own state: answers must not cross between threads.
TEST(TcpExchange, ExchangesOnSeveralThreadsAtOnceKeepTheirOwnAnswers) {
  constexpr int kThreads = 4;
  std::vector<std::unique_ptr<LoopbackPeer>> peers;
  for (int i = 0; i < kThreads; ++i) {
    peers.push_back(std::make_unique<LoopbackPeer>([](int connection, const PeerEnding&) {
      const std::string request = ReceiveExactly(connection, 8);
      test::SendPieces(connection, request + Pattern(20000) + request, 1000);
    }));
  }
  std::vector<std::future<TcpExchangeResult>> results;
  for (int i = 0; i < kThreads; ++i) {
    results.push_back(std::async(std::launch::async, [&, i] {
      ManualResetEvent cancel;
      return ExchangeOverTcp("127.0.0.1", peers[i]->port(), "thread " + std::to_string(i), cancel);
    }));
  }
  for (int i = 0; i < kThreads; ++i) {
    SCOPED_TRACE(i);
    TcpExchangeResult result = results[i].get();
    const std::string request = "thread " + std::to_string(i);
    EXPECT_EQ(result.outcome, TcpOutcome::Answered);
    EXPECT_TRUE(result.answer == request + Pattern(20000) + request);
  }
}

}  // namespace
}  // namespace sonvarek
