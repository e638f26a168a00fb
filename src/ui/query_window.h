#pragma once

#include <QDialog>
#include <memory>

#include "freedb/query_dialog.h"
#include "platform/user_notice.h"
#include "session/disc_session.h"
#include "session/disc_session_target.h"
#include "ui/dialog_support.h"
#include "ui/qt_message_sink.h"

class QDialogButtonBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;

namespace sonvarek {

// "Querying Freedb": renders the query dialog's model over the disc session. The
// query starts when the dialog is first shown; a disc without a freedb id gets the
// notice kPleaseInsertAnAudioCd and the dialog closes rejected. After a read the
// session holds what it brought and the dialog has saved the disc
// (DiscSession::SaveDisc), as the command line's query does; it then closes
// accepted. Cancel, Escape and the close box cancel the exchange; the dialog closes
// rejected once the worker has ended, with the wait cursor meanwhile.
//
// Children by objectName: "statusText", "candidates" (QTreeWidget), "noMatchText",
// "errorText", "okButton", "cancelButton".
class QueryWindow final : public QDialog {
  Q_OBJECT

 public:
  QueryWindow(DiscSession& session, CddbRequest request, UserNotice& notice, QWidget* parent = nullptr);
  ~QueryWindow() override;

  const QueryDialog& model() const { return model_; }
  // What OK or a double-click on candidate `row` does: the read starts. False outside
  // the candidate list or for a row past its end.
  bool ChooseCandidate(int row);

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void Handle(const WindowMessage& message);
  void FillCandidates();
  void Render();

  DiscSession& session_;
  UserNotice& notice_;
  DiscSessionTarget target_;
  std::shared_ptr<QtMessageSink> sink_;
  QueryDialog model_;
  bool started_ = false;
  WaitCursor waitCursor_;
  QStackedWidget* panes_;
  QWidget* progressPane_;
  QLabel* status_;
  QTreeWidget* candidates_;
  QLabel* noMatch_;
  QLabel* error_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace sonvarek
