#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "freedb/submit_dialog.h"
#include "platform/user_notice.h"
#include "session/disc_session.h"
#include "session/disc_session_target.h"
#include "ui/dialog_support.h"
#include "ui/qt_message_sink.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;

namespace sonvarek {

// "Submitting to freedb": the editor (artist, album, genre, revision and the track
// titles, edited in place), then the progress, succeeded or failed pane, over the
// submission model. Each title edit reaches the session's disc at once; Submit gives
// it the artist, album and genre too, which stay there whatever the outcome. Saving
// the disc is left to the caller, as at exit. The caller checks the e-mail address
// (SubmitEmailAccepted) before opening the dialog; `diagnosticPath` is cddb.txt in
// the program folder.
//
// Children by objectName: "artistEdit", "albumEdit", "genreBox", "revisionEdit",
// "titleList" (QTreeWidget, columns No. and Title), "statusText", "succeededText",
// "availableSoonText", "failedHeading", "failedText" (the error line), "homePageLink",
// "submitButton", "cancelButton".
class SubmitWindow final : public QDialog {
  Q_OBJECT

 public:
  SubmitWindow(DiscSession& session, CddbRequest request, std::string diagnosticPath, UserNotice& notice,
               QWidget* parent = nullptr);
  ~SubmitWindow() override;

  const SubmitDialog& model() const { return model_; }
  // The Submit button: false when nothing was sent (a validation message was shown,
  // with the focus on the field concerned, or the disc has no freedb id, or the
  // submission has already run).
  bool Submit();
  // Opens the in-place editor over the title of `row`, as a double-click, F2 or Enter
  // on the row does.
  void StartTitleEdit(int row);
  // The in-place editor's end on `row`: the row shows `title` and the track takes it.
  void EditTitle(int row, const QString& title);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  QWidget* MakeEditorPane();
  void FillEditor();
  void ReadEditor();
  void FocusFieldOf(const std::string& message);
  void Handle(const WindowMessage& message);
  void Render();

  DiscSession& session_;
  UserNotice& notice_;
  DiscSessionTarget target_;
  std::shared_ptr<QtMessageSink> sink_;
  SubmitDialog model_;
  WaitCursor waitCursor_;
  bool filling_ = false;
  QStackedWidget* panes_;
  QWidget* editorPane_;
  QWidget* progressPane_;
  QLineEdit* artist_;
  QLineEdit* album_;
  QComboBox* genre_;
  QLineEdit* revision_;
  QTreeWidget* titles_;
  QLabel* status_;
  QWidget* succeededPane_;
  QWidget* failedPane_;
  QLabel* failed_;
  QPushButton* submit_;
  QPushButton* cancel_;
};

}  // namespace sonvarek
