#include "ui/batch_window.h"

#include <algorithm>

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/player_launch.h"
#include "platform/process.h"
#include "session/playlist_writing.h"
#include "ui/dialog_support.h"
#include "ui/log_window.h"
#include "ui/rip_log_window.h"

namespace sonvarek {
namespace {

// The verdict lines shown without scrolling; a longer disc scrolls instead of making
// the window taller than a screen.
constexpr int kVerdictRowsShown = 10;

// Fills `list` with `lines` unless it holds them already (Render runs on every
// progress message); true when it changed.
bool ShowLines(QListWidget* list, const std::vector<std::string>& lines) {
  bool same = list->count() == static_cast<int>(lines.size());
  for (int i = 0; same && i < list->count(); ++i) same = list->item(i)->text() == Utf8(lines[static_cast<size_t>(i)]);
  if (same) return false;
  list->clear();
  for (const std::string& line : lines) list->addItem(Utf8(line));
  return true;
}

}  // namespace

BatchWindow::BatchWindow(BatchController& controller, std::unique_ptr<ConversionBatch> batch, MessageSink& mainWindow,
                         JobLog& log, UserNotice& notice, QWidget* parent)
    : QDialog(parent),
      controller_(controller),
      batch_(std::move(batch)),
      mainWindow_(mainWindow),
      log_(log),
      notice_(notice),
      settings_(batch_->settings),
      model_(batch_->kind, static_cast<int>(batch_->jobs.size())) {
  setObjectName("batchWindow");
  setModal(true);
  sink_ = std::make_shared<QtMessageSink>([this](const WindowMessage& message) { Handle(message); });

  panes_ = new QStackedWidget(this);
  extractPane_ = MakeProgressPane(extract_, "extract");
  encodePane_ = MakeProgressPane(encode_, "encode");
  errorPane_ = MakeErrorPane();
  successPane_ = MakeSuccessPane();
  for (QWidget* pane : {extractPane_, encodePane_, errorPane_, successPane_}) panes_->addWidget(pane);

  button_ = new QPushButton(this);
  button_->setObjectName("batchButton");
  button_->setDefault(true);
  connect(button_, &QPushButton::clicked, this, &BatchWindow::PressButton);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(button_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panes_, 1);
  layout->addLayout(buttonRow);
  // Wide enough that a track's name in the title and the times stay readable.
  setMinimumWidth(480);
  Render();
}

BatchWindow::~BatchWindow() {
  sink_->Close();
  if (running_) controller_.Cancel();
}

QWidget* BatchWindow::MakeProgressPane(ProgressWidgets& widgets, const QString& name) {
  auto* pane = new QWidget(this);
  pane->setObjectName(name + "Pane");
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  widgets.group = new QGroupBox(pane);
  widgets.group->setObjectName(name + "Group");
  auto* grid = new QGridLayout(widgets.group);
  widgets.bar = new QProgressBar(widgets.group);
  widgets.bar->setObjectName(name + "Bar");
  widgets.bar->setRange(0, 100);
  widgets.bar->setTextVisible(true);
  widgets.bar->setAlignment(Qt::AlignCenter);
  widgets.elapsed = new QLabel(widgets.group);
  widgets.elapsed->setObjectName(name + "Elapsed");
  widgets.estimated = new QLabel(widgets.group);
  widgets.estimated->setObjectName(name + "Estimated");
  grid->addWidget(widgets.bar, 0, 0, 1, 5);
  grid->addWidget(new QLabel(text::kTimeElapsed, widgets.group), 1, 0);
  grid->addWidget(widgets.elapsed, 1, 1);
  grid->addWidget(new QLabel(text::kTimeEstimated, widgets.group), 1, 3);
  grid->addWidget(widgets.estimated, 1, 4);
  grid->setColumnStretch(2, 1);
  layout->addWidget(widgets.group);
  layout->addStretch(1);
  return pane;
}

QLabel* BatchWindow::MakeIcon(QStyle::StandardPixmap which, QWidget* pane) {
  auto* icon = new QLabel(pane);
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(which, nullptr, this).pixmap(size, size));
  return icon;
}

QWidget* BatchWindow::MakeErrorPane() {
  auto* pane = new QWidget(this);
  pane->setObjectName("errorPane");
  auto* message = new QLabel(text::kErrorPaneText, pane);
  message->setObjectName("errorText");
  message->setWordWrap(true);
  auto* viewLog = new QPushButton(text::kViewLogButton, pane);
  viewLog->setObjectName("viewLogButton");
  connect(viewLog, &QPushButton::clicked, this, &BatchWindow::ViewLog);
  auto* row = new QHBoxLayout;
  row->addWidget(MakeIcon(QStyle::SP_MessageBoxCritical, pane));
  row->addWidget(message, 1);
  row->addWidget(viewLog);
  auto* layout = new QVBoxLayout(pane);
  layout->addLayout(row);
  layout->addStretch(1);
  return pane;
}

QWidget* BatchWindow::MakeSuccessPane() {
  auto* pane = new QWidget(this);
  pane->setObjectName("successPane");
  auto* message = new QLabel(text::kSuccessPaneText, pane);
  message->setObjectName("successText");
  message->setWordWrap(true);
  auto* messageRow = new QHBoxLayout;
  messageRow->addWidget(MakeIcon(QStyle::SP_MessageBoxInformation, pane));
  messageRow->addWidget(message, 1);
  auto* playNow = new QPushButton(QIcon::fromTheme("media-playback-start"), text::kPlayNowButton, pane);
  playNow->setObjectName("playNowButton");
  auto* playlist = new QPushButton(QIcon::fromTheme("document-save-as"), text::kCreatePlaylistButton, pane);
  playlist->setObjectName("createPlaylistButton");
  connect(playNow, &QPushButton::clicked, this, &BatchWindow::PlayNow);
  connect(playlist, &QPushButton::clicked, this, &BatchWindow::AskForPlaylist);
  viewRipLog_ = new QPushButton(text::kViewRipLogButton, pane);
  viewRipLog_->setObjectName("viewRipLogButton");
  connect(viewRipLog_, &QPushButton::clicked, this, &BatchWindow::ViewRipLog);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(playNow);
  buttonRow->addWidget(playlist);
  buttonRow->addStretch(1);
  buttonRow->addWidget(viewRipLog_);
  // One line per ripped track, under the buttons.
  verdicts_ = new QListWidget(pane);
  verdicts_->setObjectName("verdictList");
  verdicts_->setSelectionMode(QAbstractItemView::NoSelection);
  auto* layout = new QVBoxLayout(pane);
  layout->addLayout(messageRow);
  layout->addLayout(buttonRow);
  layout->addWidget(verdicts_);
  layout->addStretch(1);
  return pane;
}

void BatchWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  Start();
}

void BatchWindow::Start() {
  model_.Initialise();
  Render();
  // The worker may outlive this window (closed mid-batch, then deleted): the batch
  // keeps the sink it sends to alive until the worker releases it.
  batch_->windowKeepAlive = sink_;
  if (controller_.Start(std::move(batch_), *sink_, mainWindow_)) {
    running_ = true;
    return;
  }
  // Told and closed from the event loop: a message box or a close inside the show
  // event would leave the window half shown.
  QMetaObject::invokeMethod(
      this,
      [this] {
        notice_.Show(text::kBatchStillRunning, NoticeKind::Warning);
        reject();
      },
      Qt::QueuedConnection);
}

void BatchWindow::Handle(const WindowMessage& message) {
  model_.Handle(message);
  if (model_.finished() || model_.failed()) running_ = false;
  Render();
  if (!model_.folderToOpen().empty() && !folderOpened_) {
    folderOpened_ = true;
    // Not from inside the worker's send: a failure notice would hold the worker.
    QMetaObject::invokeMethod(this, &BatchWindow::OpenOutputFolder, Qt::QueuedConnection);
  }
}

void BatchWindow::Render() {
  setWindowTitle(Utf8(model_.title()));
  button_->setText(Utf8(model_.buttonText()));
  for (auto [widgets, pane] : {std::pair{&extract_, &model_.extractPane()}, std::pair{&encode_, &model_.encodePane()}}) {
    widgets->group->setTitle(Utf8(pane->groupText));
    widgets->bar->setValue(pane->barPercent);
    // The model's "12.5%" goes in as it is: only %p, %v and %m are placeholders.
    widgets->bar->setFormat(Utf8(pane->percentText));
    widgets->elapsed->setText(Utf8(pane->elapsed));
    widgets->estimated->setText(Utf8(pane->estimated));
  }
  verdicts_->setVisible(!model_.verdicts().empty());
  viewRipLog_->setVisible(!model_.ripLogPath().empty());
  const bool newVerdicts = ShowLines(verdicts_, model_.verdicts()) && verdicts_->count() > 0;
  switch (model_.pane()) {
    case BatchPane::ExtractProgress: panes_->setCurrentWidget(extractPane_); break;
    case BatchPane::EncodeProgress: panes_->setCurrentWidget(encodePane_); break;
    case BatchPane::Error: panes_->setCurrentWidget(errorPane_); break;
    case BatchPane::Success: panes_->setCurrentWidget(successPane_); break;
  }
  if (newVerdicts) {
    const int rows = std::min(verdicts_->count(), kVerdictRowsShown);
    verdicts_->setFixedHeight(rows * verdicts_->sizeHintForRow(0) + 2 * verdicts_->frameWidth());
    // The window grows to show them; it never shrinks under the user's size.
    layout()->activate();
    resize(width(), std::max(height(), sizeHint().height()));
  }
}

void BatchWindow::PressButton() {
  model_.PressButton();
  if (running_) controller_.Cancel();
  running_ = false;
  sink_->Close();
  done(model_.finished() && !model_.failed() ? QDialog::Accepted : QDialog::Rejected);
}

// Escape and the close box: the same as the button.
void BatchWindow::reject() { PressButton(); }

void BatchWindow::OpenOutputFolder() {
  std::string error;
  if (!StartProgram(OpenFolderCommand(model_.folderToOpen()), &error)) {
    // The user asked for the folder; without a word they would wait for it in vain.
    notice_.Show(FormatText(text::kCantOpenFolderAfterRip, model_.folderToOpen(), error), NoticeKind::Warning);
  }
}

void BatchWindow::ViewLog() {
  auto* window = new LogWindow(log_, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::WindowModal);
  window->show();
}

void BatchWindow::ViewRipLog() { OpenRipLogWindow(model_.ripLogPath(), notice_, this); }

void BatchWindow::PlayNow() {
  PlayNowPlan plan = PlanPlayNow(settings_, model_.successFiles(), FindDefaultMp3Player);
  std::string message = plan.message;
  if (message.empty()) {
    message = RunPlayNow(plan, [](const CommandLine& command) { return StartProgram(command); });
  }
  if (!message.empty()) notice_.Show(message, NoticeKind::Error);
}

void BatchWindow::AskForPlaylist() {
  QFileDialog dialog(this, QString(), Utf8(model_.successFolder()), text::kPlaylistFilterQt);
  dialog.setObjectName("playlistDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("m3u");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  CreatePlaylist(dialog.selectedFiles().front());
}

bool BatchWindow::CreatePlaylist(const QString& path) {
  return WritePlaylist(path.toStdString(), model_.successFiles(), notice_);
}

}  // namespace sonvarek
