#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "freedb/submit_dialog.h"
#include "platform/user_notice.h"
#include "session/disc_session.h"
#include "session/disc_session_target.h"
#include "ui/qt_message_sink.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace sonvarek {

// "Submitting to freedb": the editor (artist, album, genre, revision, titles edited
// in place, each edit reaching the main window's disc at once), then the progress,
// succeeded or failed pane, over the submission model. The caller has checked the
// e-mail address.
class SubmitWindow final : public QDialog {
  Q_OBJECT

 public:
  SubmitWindow(DiscSession& session, CddbRequest request, std::string diagnosticPath, UserNotice& notice,
               QWidget* parent = nullptr);
  ~SubmitWindow() override;

  const SubmitDialog& model() const { return model_; }
  // The Submit button: false after the validation message was shown.
  bool Submit();
  // The in-place editor's end on row `row`.
  void EditTitle(int row, const QString& title);

 protected:
  void reject() override;

 private:
  void Handle(const WindowMessage& message);
  void Render();
  void SetBusy(bool busy);
  void ReadEditor();

  DiscSession& session_;
  UserNotice& notice_;
  DiscSessionTarget target_;
  std::shared_ptr<QtMessageSink> sink_;
  SubmitDialog model_;
  bool waitCursor_ = false;
  bool filling_ = false;
  QStackedWidget* panes_;
  QLineEdit* artist_;
  QLineEdit* album_;
  QComboBox* genre_;
  QSpinBox* revision_;
  QTreeWidget* titles_;
  QLabel* status_;
  QLabel* succeeded_;
  QLabel* failed_;
  QPushButton* submit_;
  QPushButton* cancel_;
};

}  // namespace sonvarek
