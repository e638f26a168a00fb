#pragma once

#include <QDialog>
#include <QStyle>
#include <memory>

#include "jobs/batch_window_model.h"
#include "jobs/job_log.h"
#include "platform/user_notice.h"
#include "session/batch_session.h"
#include "ui/qt_message_sink.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace sonvarek {

// The batch window: renders the batch-window model while the worker runs the batch.
// Its button, Escape and the close box all cancel a running batch and close at once;
// the worker's later messages land in the closed sink, and the controller refuses a
// new batch until the old worker has ended.
class BatchWindow final : public QDialog {
  Q_OBJECT

 public:
  BatchWindow(BatchController& controller, std::unique_ptr<ConversionBatch> batch, MessageSink& mainWindow,
              JobLog& log, UserNotice& notice, QWidget* parent = nullptr);
  ~BatchWindow() override;

  const BatchWindowModel& model() const { return model_; }
  // The worker's end of this window. It must outlive the worker, which may still post to
  // it after the window closed: whoever starts batches keeps it until the worker ended.
  std::shared_ptr<QtMessageSink> sink() const { return sink_; }
  // The success pane's play list: the files made appended to `path`, and the user told.
  bool CreatePlaylist(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  struct ProgressWidgets {
    QGroupBox* group = nullptr;
    QProgressBar* bar = nullptr;
    QLabel* elapsed = nullptr;
    QLabel* estimated = nullptr;
  };

  QWidget* MakeProgressPane(ProgressWidgets& widgets, const QString& name);
  QLabel* MakeIcon(QStyle::StandardPixmap which, QWidget* pane);
  QWidget* MakeErrorPane();
  QWidget* MakeSuccessPane();
  void Start();
  void Handle(const WindowMessage& message);
  void Render();
  void PressButton();
  void OpenOutputFolder();
  void ViewLog();
  void ViewRipLog();
  void PlayNow();
  void AskForPlaylist();

  BatchController& controller_;
  std::unique_ptr<ConversionBatch> batch_;
  MessageSink& mainWindow_;
  JobLog& log_;
  UserNotice& notice_;
  Settings settings_;  // the batch's own, for Play Now after the worker released it
  BatchWindowModel model_;
  std::shared_ptr<QtMessageSink> sink_;
  bool shown_ = false;
  // Our batch was started and has not reported its end: only then is a cancel ours to give.
  bool running_ = false;
  bool folderOpened_ = false;
  QStackedWidget* panes_ = nullptr;
  ProgressWidgets extract_;
  ProgressWidgets encode_;
  QWidget* extractPane_ = nullptr;
  QWidget* encodePane_ = nullptr;
  QWidget* errorPane_ = nullptr;
  QWidget* successPane_ = nullptr;
  QListWidget* verdicts_ = nullptr;
  QPushButton* viewRipLog_ = nullptr;
  QPushButton* button_ = nullptr;
};

}  // namespace sonvarek
