#include "platform/tcp_exchange.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <new>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

// ThreadSanitizer cannot follow the helper thread glibc starts for getaddrinfo_a: libc creates
// it internally, past TSan's pthread_create interceptor, and its first malloc crashes in TSan's
// allocator. A TSan build therefore parses address literals itself (names would still crash).
#if defined(__SANITIZE_THREAD__)
#define SONVAREK_TCP_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SONVAREK_TCP_TSAN 1
#endif
#endif
#ifndef SONVAREK_TCP_TSAN
#define SONVAREK_TCP_TSAN 0
#endif

namespace sonvarek {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How a stage ended the exchange early; a stage that went through gives nothing.
struct Ending {
  TcpOutcome outcome = TcpOutcome::Failed;
  int errorNumber = 0;
};
using StageEnd = std::optional<Ending>;

Ending Failure(int error) { return {TcpOutcome::Failed, error}; }
Ending Cancelled() { return {TcpOutcome::Cancelled, 0}; }

bool Transient(int error) { return error == EINTR || error == EAGAIN || error == EWOULDBLOCK; }

// Capped so that an absurd time-out cannot overflow the clock's arithmetic.
Clock::time_point DeadlineAfter(milliseconds timeout) {
  return Clock::now() + std::min(timeout, milliseconds{std::chrono::hours{24 * 365}});
}

// The next wait: up to the deadline, never longer than the cancel poll, and at least 1 ms
// per poll step so that a zero cancel poll cannot spin.
milliseconds NextWait(Clock::time_point deadline, milliseconds cancelPoll) {
  const milliseconds left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
  return std::clamp(left, milliseconds{0}, std::max(cancelPoll, milliseconds{1}));
}

timespec ToTimespec(milliseconds wait) {
  return {static_cast<time_t>(wait.count() / 1000), static_cast<long>(wait.count() % 1000) * 1000000};
}

// The socket of one exchange, closed on every exit.
class Socket {
 public:
  Socket() : descriptor_(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)), error_(errno) {}
  ~Socket() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool IsOpen() const { return descriptor_ >= 0; }
  int get() const { return descriptor_; }
  int error() const { return error_; }

 private:
  int descriptor_;
  int error_;
};

// Waits until the socket is ready for `events`, looking at the cancel event between short polls.
// An error or hang-up also counts as ready: the next call on the socket reports it.
StageEnd AwaitSocket(int descriptor, short events, const ManualResetEvent& cancel, const TcpExchangeLimits& limits) {
  const Clock::time_point deadline = DeadlineAfter(limits.timeout);
  for (;;) {
    if (cancel.IsSet()) return Cancelled();
    pollfd entry{descriptor, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(NextWait(deadline, limits.cancelPoll).count()));
    if (ready > 0) return std::nullopt;
    if (ready < 0 && errno != EINTR) return Failure(errno);
    if (Clock::now() >= deadline) return Failure(ETIMEDOUT);
  }
}

// ---- Look-up ----

// One asynchronous look-up. glibc's helper thread reads the name and the hints and writes
// the result through the gaicb until the request completes, so they share one heap block
// whose release waits for glibc (LookupRelease).
struct LookupBlock {
  std::string host;
  addrinfo hints{};
  gaicb request{};
};

bool InProgress(LookupBlock* block) { return gai_error(&block->request) == EAI_INPROGRESS; }

void FreeLookup(LookupBlock* block) {
  if (block->request.ar_result != nullptr) freeaddrinfo(block->request.ar_result);
  delete block;
}

// A small detached thread owns a look-up glibc is still running and frees it once complete.
// glibc's helper writes the result code last and touches the gaicb no more after it, so
// "no longer EAI_INPROGRESS" is the moment the block may go.
void FreeWhenComplete(LookupBlock* block) {
  try {
    std::thread([block] {
      const gaicb* list[] = {&block->request};
      const timespec step{1, 0};
      while (InProgress(block)) gai_suspend(list, 1, &step);
      FreeLookup(block);
    }).detach();
  } catch (const std::system_error&) {
    // No thread to wait with: leak the block deliberately rather than free it under glibc.
  }
}

// Frees a look-up once glibc is done with it. A request still queued is cancelled and freed
// at once. One already running on glibc's helper thread cannot be cancelled (gai_cancel gives
// EAI_NOTCANCELED) and may still read the name and write into the gaicb, so it is handed to
// FreeWhenComplete; the exchange returns at once either way.
struct LookupRelease {
  void operator()(LookupBlock* block) const {
    if (!InProgress(block) || gai_cancel(&block->request) != EAI_NOTCANCELED) {
      FreeLookup(block);
      return;
    }
    FreeWhenComplete(block);
  }
};
using Lookup = std::unique_ptr<LookupBlock, LookupRelease>;

// Host names never consist of digits and dots alone (no top-level domain is numeric), so such
// a host is an address literal, or a mistake that must not turn into a DNS query.
bool LooksLikeAddress(const std::string& host) {
  return std::all_of(host.begin(), host.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

int LookupErrorNumber(int gaiError) {
  switch (gaiError) {
    case EAI_NONAME:
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return EHOSTUNREACH;
    case EAI_AGAIN:
      return EAGAIN;
    case EAI_MEMORY:
      return ENOMEM;
    default:
      return EIO;  // EAI_SYSTEM's errno stays on glibc's helper thread, out of our reach
  }
}

// Polls the look-up with gai_suspend in cancel-poll steps. gai_suspend may return early
// (another request finished, a signal); the loop simply looks again.
StageEnd AwaitLookup(LookupBlock* block, const ManualResetEvent& cancel, const TcpExchangeLimits& limits) {
  const Clock::time_point deadline = DeadlineAfter(limits.timeout);
  const gaicb* list[] = {&block->request};
  for (;;) {
    if (cancel.IsSet()) return Cancelled();
    if (!InProgress(block)) return std::nullopt;
    const timespec step = ToTimespec(NextWait(deadline, limits.cancelPoll));
    gai_suspend(list, 1, &step);
    if (!InProgress(block)) return std::nullopt;
    if (Clock::now() >= deadline) return Failure(ETIMEDOUT);
  }
}

// What getaddrinfo accepts with AI_NUMERICHOST for a host of digits and dots (inet_aton forms).
StageEnd ParseAddress(const std::string& host, in_addr* address) {
  if (inet_aton(host.c_str(), address) == 0) return Failure(LookupErrorNumber(EAI_NONAME));
  return std::nullopt;
}

StageEnd LookUp(const std::string& host, const ManualResetEvent& cancel, const TcpExchangeLimits& limits,
                in_addr* address) {
  if (SONVAREK_TCP_TSAN && LooksLikeAddress(host)) return ParseAddress(host, address);
  Lookup lookup(new LookupBlock{host, {}, {}});
  lookup->hints.ai_family = AF_INET;
  lookup->hints.ai_socktype = SOCK_STREAM;
  if (LooksLikeAddress(host)) lookup->hints.ai_flags = AI_NUMERICHOST;
  lookup->request.ar_name = lookup->host.c_str();
  lookup->request.ar_request = &lookup->hints;
  gaicb* list[] = {&lookup->request};
  const int started = getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr);
  if (started != 0) return Failure(LookupErrorNumber(started));
  if (StageEnd ending = AwaitLookup(lookup.get(), cancel, limits)) return ending;
  const int status = gai_error(&lookup->request);
  if (status != 0) return Failure(LookupErrorNumber(status));
  const addrinfo* first = lookup->request.ar_result;
  if (first == nullptr || first->ai_family != AF_INET || first->ai_addrlen < sizeof(sockaddr_in)) {
    return Failure(EHOSTUNREACH);
  }
  sockaddr_in found{};
  std::memcpy(&found, first->ai_addr, sizeof found);
  *address = found.sin_addr;
  return std::nullopt;
}

// ---- Connection ----

StageEnd Connect(int descriptor, in_addr address, uint16_t port, const ManualResetEvent& cancel,
                 const TcpExchangeLimits& limits) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr = address;
  if (connect(descriptor, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return std::nullopt;
  // EINTR leaves a non-blocking connect going on, just like EINPROGRESS.
  if (errno != EINPROGRESS && errno != EINTR) return Failure(errno);
  if (StageEnd ending = AwaitSocket(descriptor, POLLOUT, cancel, limits)) return ending;
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return Failure(errno);
  if (error != 0) return Failure(error);
  return std::nullopt;
}

// Each wait is bounded by the time-out, so a slow peer that keeps taking bytes is not cut off.
StageEnd SendAll(int descriptor, std::string_view request, const ManualResetEvent& cancel,
                 const TcpExchangeLimits& limits) {
  while (!request.empty()) {
    if (StageEnd ending = AwaitSocket(descriptor, POLLOUT, cancel, limits)) return ending;
    // MSG_NOSIGNAL: a peer that has gone gives EPIPE here, never a process-wide SIGPIPE.
    const ssize_t sent = send(descriptor, request.data(), request.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
      request.remove_prefix(static_cast<size_t>(sent));
      continue;
    }
    if (!Transient(errno)) return Failure(errno);
  }
  return std::nullopt;
}

// Reads until the peer closes. Every wait starts its own time-out, so the limit counts silence.
Ending ReceiveAll(int descriptor, const ManualResetEvent& cancel, const TcpExchangeLimits& limits,
                  std::string* answer) {
  char buffer[16384];
  for (;;) {
    if (StageEnd ending = AwaitSocket(descriptor, POLLIN, cancel, limits)) return *ending;
    const ssize_t count = recv(descriptor, buffer, sizeof buffer, 0);
    if (count == 0) return {TcpOutcome::Answered, 0};
    if (count < 0) {
      if (Transient(errno)) continue;
      return Failure(errno);
    }
    const size_t room = limits.answerCap - answer->size();
    if (static_cast<size_t>(count) > room) {
      answer->append(buffer, room);
      return {TcpOutcome::TooLarge, 0};
    }
    answer->append(buffer, static_cast<size_t>(count));
  }
}

void Announce(const std::function<void(TcpStage)>& onStage, TcpStage stage) {
  if (onStage) onStage(stage);
}

Ending Exchange(const std::string& host, uint16_t port, std::string_view request, const ManualResetEvent& cancel,
                const TcpExchangeLimits& limits, const std::function<void(TcpStage)>& onStage, std::string* answer) {
  if (cancel.IsSet()) return Cancelled();
  Announce(onStage, TcpStage::LookingUp);
  in_addr address{};
  if (StageEnd ending = LookUp(host, cancel, limits, &address)) return *ending;
  Announce(onStage, TcpStage::Connecting);
  Socket socket;
  if (!socket.IsOpen()) return Failure(socket.error());
  if (StageEnd ending = Connect(socket.get(), address, port, cancel, limits)) return *ending;
  Announce(onStage, TcpStage::Sending);
  if (StageEnd ending = SendAll(socket.get(), request, cancel, limits)) return *ending;
  Announce(onStage, TcpStage::Receiving);
  return ReceiveAll(socket.get(), cancel, limits, answer);
}

}  // namespace

TcpExchangeResult ExchangeOverTcp(const std::string& host, uint16_t port, std::string_view request,
                                  const ManualResetEvent& cancel, const TcpExchangeLimits& limits,
                                  const std::function<void(TcpStage)>& onStage) {
  TcpExchangeResult result;
  Ending ending;
  try {
    ending = Exchange(host, port, request, cancel, limits, onStage, &result.answer);
  } catch (const std::bad_alloc&) {
    ending = Failure(ENOMEM);  // our own allocations never throw past here (onStage's exceptions are the caller's)
  }
  result.outcome = ending.outcome;
  result.errorNumber = ending.errorNumber;
  return result;
}

}  // namespace sonvarek
