#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <utility>
#include <vector>

#include "support/loopback_servers.h"

namespace sonvarek::test {

// What a hostile server does with one connection once it has read the request. Each of
// these speaks for any client that sends one request and reads the answer until the peer
// closes (cddb over HTTP/1.0, a plain HTTP GET); what is sent is the test's choice.
using HostileAnswer = std::function<void(int connection, const PeerEnding& ending)>;

// The request of one HTTP exchange: the headers up to the blank line, then as many bytes
// as their Content-Length names (fewer when the client stops sending).
inline std::string ReceiveHttpRequest(int connection) {
  std::string request = LoopbackPeer::Receive(connection, [](const std::string& got) {
    return got.find("\r\n\r\n") != std::string::npos;
  });
  const size_t headersEnd = request.find("\r\n\r\n");
  if (headersEnd == std::string::npos) return request;
  size_t length = 0;
  const size_t field = request.find("Content-Length: ");
  if (field != std::string::npos && field < headersEnd) length = std::stoul(request.substr(field + 16, 12));
  const size_t wanted = headersEnd + 4 + length;
  return request + LoopbackPeer::Receive(connection, [&](const std::string& more) {
           return request.size() + more.size() >= wanted;
         });
}

// Closes so that every byte sent arrives: closing with unread request bytes would send a
// reset in place of the end of the answer, so what the client still sends is read first.
inline void FinishSending(int connection) {
  shutdown(connection, SHUT_WR);
  char buffer[4096];
  while (recv(connection, buffer, sizeof buffer, 0) > 0) {
  }
}

// The answer whole, then the close; a cut answer is a server closing mid-line.
inline HostileAnswer AnswerWhole(std::string bytes) {
  return [bytes = std::move(bytes)](int connection, const PeerEnding&) {
    SendPieces(connection, bytes, bytes.size() + 1, std::chrono::milliseconds{0});
    FinishSending(connection);
  };
}

// The answer one byte at a time with `pause` after each, then the close.
inline HostileAnswer AnswerByteByByte(std::string bytes, std::chrono::milliseconds pause) {
  return [bytes = std::move(bytes), pause](int connection, const PeerEnding&) {
    SendPieces(connection, bytes, 1, pause);
    FinishSending(connection);
  };
}

// `bytes` (none: never answers), then silence with the connection open until the server goes.
inline HostileAnswer AnswerThenStall(std::string bytes) {
  return [bytes = std::move(bytes)](int connection, const PeerEnding& ending) {
    SendPieces(connection, bytes, bytes.size() + 1, std::chrono::milliseconds{0});
    ending.WaitFor(std::chrono::seconds(60));
  };
}

// A reset (RST) in place of any answer.
inline HostileAnswer ResetConnection() {
  return [](int connection, const PeerEnding&) {
    const linger abort{1, 0};
    setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  };
}

// `head`, then `filler` repeated until `total` bytes in all were sent or the client goes.
inline HostileAnswer Flood(std::string head, size_t total, char filler = 'x') {
  return [head = std::move(head), total, filler](int connection, const PeerEnding&) {
    const std::string block(size_t{64} << 10, filler);
    std::string_view first = std::string_view(head).substr(0, total);
    SendPieces(connection, first, first.size() + 1, std::chrono::milliseconds{0});
    for (size_t sent = first.size(); sent < total;) {
      const ssize_t count = send(connection, block.data(), std::min(block.size(), total - sent), MSG_NOSIGNAL);
      if (count <= 0) return;
      sent += static_cast<size_t>(count);
    }
    FinishSending(connection);
  };
}

// A server on 127.0.0.1 whose n-th connection gets answers[n] (the last answer serves any
// further ones) after its request was read; it keeps the requests.
class HostileServer {
 public:
  explicit HostileServer(std::vector<HostileAnswer> answers)
      : answers_(std::move(answers)), peer_([this](int connection, const PeerEnding& ending) {
          Serve(connection, ending);
        }) {}

  uint16_t port() const { return peer_.port(); }
  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void Serve(int connection, const PeerEnding& ending) {
    std::string request = ReceiveHttpRequest(connection);
    size_t index = 0;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(std::move(request));
      index = std::min(requests_.size(), answers_.size()) - 1;
    }
    answers_[index](connection, ending);
  }

  std::vector<HostileAnswer> answers_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  LoopbackPeer peer_;  // last: its thread may call Serve until it is destroyed
};

}  // namespace sonvarek::test
