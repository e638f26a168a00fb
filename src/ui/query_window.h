#pragma once

#include <QDialog>
#include <memory>

#include "freedb/query_dialog.h"
#include "platform/user_notice.h"
#include "session/disc_session.h"
#include "session/disc_session_target.h"
#include "ui/qt_message_sink.h"

class QDialogButtonBox;
class QLabel;
class QStackedWidget;
class QTreeWidget;

namespace sonvarek {

// "Querying Freedb": renders the query dialog's model over the disc session. After
// OK the session holds what the read brought and its disc is saved, as the command
// line's query does. Cancel, Escape and the close box cancel the exchange; the dialog
// closes once the worker has ended, with the wait cursor meanwhile.
class QueryWindow final : public QDialog {
  Q_OBJECT

 public:
  QueryWindow(DiscSession& session, CddbRequest request, UserNotice& notice, QWidget* parent = nullptr);
  ~QueryWindow() override;

  const QueryDialog& model() const { return model_; }
  // OK or a double-click on a candidate row.
  bool ChooseCandidate(int row);

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void Handle(const WindowMessage& message);
  void Render();
  void SetBusy(bool busy);

  DiscSession& session_;
  UserNotice& notice_;
  DiscSessionTarget target_;
  std::shared_ptr<QtMessageSink> sink_;
  QueryDialog model_;
  bool started_ = false;
  bool waitCursor_ = false;
  QStackedWidget* panes_;
  QLabel* status_;
  QTreeWidget* candidates_;
  QLabel* noMatch_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
};

}  // namespace sonvarek
