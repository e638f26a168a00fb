#pragma once

#include <memory>
#include <string>
#include <thread>

#include "freedb/cddb_query.h"
#include "freedb/cddb_request.h"
#include "platform/manual_reset_event.h"
#include "platform/message_sink.h"
#include "platform/tcp_exchange.h"

namespace sonvarek {

// How a freedb dialog ended: still open, closed with OK, or closed by Cancel.
enum class DialogEnd { Open, Ok, Cancelled };

// What CddbQueryDone and CddbReadDone carry to the dialog.
struct CddbQueryPayload final : MessagePayload {
  CddbQueryResult result;
};
struct CddbReadPayload final : MessagePayload {
  CddbReadResult result;
};

// The waits of one exchange: every connect, send and receive gives up after 20 s of
// silence, and the cancel event is looked at four times a second.
TcpExchangeLimits CddbExchangeLimits();

// A dialog's Cancel: waits for the worker's done event in 500 ms steps, at most 120
// times, then posts CddbClose to the dialog whether or not the worker has finished.
class CddbCancelWaiter {
 public:
  CddbCancelWaiter(std::shared_ptr<const ManualResetEvent> done, std::shared_ptr<MessageSink> dialog);
  ~CddbCancelWaiter();
  CddbCancelWaiter(const CddbCancelWaiter&) = delete;
  CddbCancelWaiter& operator=(const CddbCancelWaiter&) = delete;

 private:
  std::shared_ptr<ManualResetEvent> stop_;
  std::thread thread_;
};

// Which worker runs an exchange: the query and read worker or the submission worker.
enum class WorkerKind { Query, Submit };

// One cddb exchange on a thread of its own: the query and read worker or the
// submission worker. The worker owns a copy of its request and a share of the
// dialog's message sink, posts status texts, one failure or one result, and sets the
// done event at every exit. Destroying the worker cancels it and waits for it, which
// the cancel checks bound to a fraction of a second.
class CddbWorker {
 public:
  CddbWorker();
  ~CddbWorker();
  CddbWorker(const CddbWorker&) = delete;
  CddbWorker& operator=(const CddbWorker&) = delete;

  // Starts a query or a read (request.mode) once the previous exchange has ended;
  // false when one still runs.
  bool StartQuery(CddbRequest request, std::shared_ptr<MessageSink> dialog, TcpExchangeLimits limits = CddbExchangeLimits());
  // Starts a submission; the complete request is first written to `diagnosticPath`
  // (cddb.txt), when one is given.
  bool StartSubmit(CddbRequest request, std::shared_ptr<MessageSink> dialog, std::string diagnosticPath,
                   TcpExchangeLimits limits = CddbExchangeLimits());

  void Cancel() { cancel_->Set(); }
  // A dialog's Cancel: cancels the exchange; the waiter returned posts CddbClose to
  // `dialog` once the worker has ended.
  std::unique_ptr<CddbCancelWaiter> CancelForClose(std::shared_ptr<MessageSink> dialog);
  std::shared_ptr<const ManualResetEvent> done() const { return done_; }
  bool IsRunning() const { return !done_->IsSet(); }

 private:
  void Join();
  bool FinishPrevious();
  bool Start(WorkerKind kind, CddbRequest request, std::shared_ptr<MessageSink> dialog, std::string diagnosticPath,
             TcpExchangeLimits limits);

  std::shared_ptr<ManualResetEvent> cancel_;
  std::shared_ptr<ManualResetEvent> done_;
  std::thread thread_;
};

}  // namespace sonvarek
