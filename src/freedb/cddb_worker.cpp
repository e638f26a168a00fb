#include "freedb/cddb_worker.h"

#include "core/string_table.h"
#include "core/text_format.h"
#include "core/window_messages.h"
#include "freedb/cddb_http.h"
#include "platform/staged_file.h"

namespace sonvarek {
namespace {

// What one run of a worker shares with its thread.
struct Exchange {
  WorkerKind kind;
  CddbRequest request;
  std::shared_ptr<MessageSink> dialog;
  std::shared_ptr<ManualResetEvent> cancel;
  std::shared_ptr<ManualResetEvent> done;
  TcpExchangeLimits limits;
  std::string diagnosticPath;
};

void PostStatus(const Exchange& exchange, std::string text) {
  exchange.dialog->Post(WindowMessage(Message::CddbStatus, 0, 0, std::move(text)));
}

void PostFailure(const Exchange& exchange, std::string text) {
  Message id = exchange.kind == WorkerKind::Query ? Message::CddbError : Message::CddbSubmitError;
  exchange.dialog->Post(WindowMessage(id, 0, 0, std::move(text)));
}

// The diagnostic copy of a submission; a copy that cannot be written is no reason to
// stop the submission itself.
void WriteDiagnosticCopy(const std::string& path, const std::string& text) {
  if (path.empty()) return;
  StagedFile file = StagedFile::Create(path);
  if (!file.IsOpen() || !file.file().WriteAll(text.data(), text.size())) return;
  file.Commit();
}

void DeliverQueryResult(const Exchange& exchange, const std::string& answer) {
  std::optional<std::string> reply = CddbReplyOf(answer);
  std::string text = reply ? CddbTextAsUtf8(*reply) : std::string();
  if (exchange.request.mode == CddbMode::Read) {
    auto payload = std::make_shared<CddbReadPayload>();
    if (reply) payload->result = ParseReadResponse(text);
    const CddbReadResult& read = payload->result;
    int64_t revision = static_cast<int64_t>(read.revision & 0xFFFF) << 16 | (read.revisionFound ? 1 : 0);
    exchange.dialog->Post(WindowMessage(Message::CddbReadDone, 0, revision, {}, std::move(payload)));
    return;
  }
  auto payload = std::make_shared<CddbQueryPayload>();
  if (reply) payload->result = ParseQueryResponse(text);
  exchange.dialog->Post(WindowMessage(Message::CddbQueryDone, 0, 0, {}, std::move(payload)));
}

void DeliverSubmitResult(const Exchange& exchange, const std::string& answer) {
  std::string code = SubmitCodeOf(answer);
  if (code == "200") {
    exchange.dialog->Post(WindowMessage(Message::CddbSubmitOk, 0, 0));
    return;
  }
  PostFailure(exchange, FormatText(text::kCddbSubmitError, exchange.request.host, code));
}

// The worker sequence; the caller sets the done event after it.
void RunExchange(const Exchange& exchange) {
  bool query = exchange.kind == WorkerKind::Query;
  const CddbRequest& request = exchange.request;
  PostStatus(exchange, text::kCddbInitializing);
  if (exchange.cancel->IsSet()) return PostStatus(exchange, text::kCddbCancelled);
  PostStatus(exchange, FormatText(text::kCddbConnectToServer, request.host));
  std::string httpRequest = query ? QueryHttpRequest(request) : SubmitHttpRequest(request);
  if (!query) WriteDiagnosticCopy(exchange.diagnosticPath, httpRequest);
  auto onStage = [&](TcpStage stage) {
    if (stage == TcpStage::Sending) PostStatus(exchange, query ? text::kCddbSendingQuery : text::kCddbSendingSubmit);
    if (stage == TcpStage::Receiving) {
      PostStatus(exchange, query ? text::kCddbReceivingQuery : text::kCddbWaitingForResponse);
    }
  };
  const std::string& host = request.useProxy ? request.proxyHost : request.host;
  uint16_t port = request.useProxy ? request.proxyPort : request.port;
  TcpExchangeResult result = ExchangeOverTcp(host, port, httpRequest, *exchange.cancel, exchange.limits, onStage);
  switch (result.outcome) {
    case TcpOutcome::Cancelled: return PostStatus(exchange, text::kCddbCancelled);
    case TcpOutcome::Failed: return PostFailure(exchange, FormatText(text::kCddbSocketError, result.errorNumber));
    case TcpOutcome::TooLarge: return PostFailure(exchange, FormatText(text::kCddbAnswerTooLarge, host));
    case TcpOutcome::Answered: break;
  }
  PostStatus(exchange, query ? text::kCddbProcessingQuery : text::kCddbProcessSubmit);
  if (query) {
    DeliverQueryResult(exchange, result.answer);
  } else {
    DeliverSubmitResult(exchange, result.answer);
  }
}

}  // namespace

TcpExchangeLimits CddbExchangeLimits() {
  TcpExchangeLimits limits;
  limits.timeout = std::chrono::seconds(20);
  limits.cancelPoll = std::chrono::milliseconds(250);
  limits.answerCap = size_t{1} << 20;
  return limits;
}

CddbWorker::CddbWorker()
    : cancel_(std::make_shared<ManualResetEvent>(false)), done_(std::make_shared<ManualResetEvent>(true)) {}

CddbWorker::~CddbWorker() {
  cancel_->Set();
  Join();
}

void CddbWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

bool CddbWorker::FinishPrevious() {
  // A worker posts its last message just before it sets the done event, so a dialog
  // that starts the next exchange on that message may find it a moment from the end.
  if (!done_->WaitFor(std::chrono::seconds(2))) return false;
  Join();
  return true;
}

bool CddbWorker::StartQuery(CddbRequest request, std::shared_ptr<MessageSink> dialog, TcpExchangeLimits limits) {
  return Start(WorkerKind::Query, std::move(request), std::move(dialog), {}, limits);
}

bool CddbWorker::StartSubmit(CddbRequest request, std::shared_ptr<MessageSink> dialog, std::string diagnosticPath,
                             TcpExchangeLimits limits) {
  return Start(WorkerKind::Submit, std::move(request), std::move(dialog), std::move(diagnosticPath), limits);
}

bool CddbWorker::Start(WorkerKind kind, CddbRequest request, std::shared_ptr<MessageSink> dialog,
                       std::string diagnosticPath, TcpExchangeLimits limits) {
  if (!FinishPrevious()) return false;
  cancel_->Reset();
  done_->Reset();
  auto exchange = std::make_shared<Exchange>(
      Exchange{kind, std::move(request), std::move(dialog), cancel_, done_, limits, std::move(diagnosticPath)});
  thread_ = std::thread([exchange] {
    RunExchange(*exchange);
    exchange->done->Set();
  });
  return true;
}

std::unique_ptr<CddbCancelWaiter> CddbWorker::CancelForClose(std::shared_ptr<MessageSink> dialog) {
  Cancel();
  return std::make_unique<CddbCancelWaiter>(done_, std::move(dialog));
}

CddbCancelWaiter::CddbCancelWaiter(std::shared_ptr<const ManualResetEvent> done, std::shared_ptr<MessageSink> dialog)
    : stop_(std::make_shared<ManualResetEvent>(false)) {
  thread_ = std::thread([done = std::move(done), dialog = std::move(dialog), stop = stop_] {
    for (int step = 0; step < 120 && !stop->IsSet(); ++step) {
      if (done->WaitFor(std::chrono::milliseconds(500))) break;
    }
    dialog->Post(WindowMessage(Message::CddbClose, 0, 0));
  });
}

CddbCancelWaiter::~CddbCancelWaiter() {
  stop_->Set();
  if (thread_.joinable()) thread_.join();
}

}  // namespace sonvarek
