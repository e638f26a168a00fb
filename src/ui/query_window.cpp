#include "ui/query_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "core/window_messages.h"
#include "ui/dialog_support.h"

namespace sonvarek {
namespace {

// The status line over an indeterminate bar: the exchange has no measurable progress.
QWidget* ProgressPane(QLabel* status, QWidget* parent) {
  auto* pane = new QWidget(parent);
  auto* bar = new QProgressBar(pane);
  bar->setObjectName("busyBar");
  bar->setRange(0, 0);
  bar->setTextVisible(false);
  auto* layout = new QVBoxLayout(pane);
  layout->addStretch(1);
  layout->addWidget(status);
  layout->addWidget(bar);
  layout->addStretch(1);
  return pane;
}

}  // namespace

QueryWindow::QueryWindow(DiscSession& session, CddbRequest request, UserNotice& notice, QWidget* parent)
    : QDialog(parent),
      session_(session),
      notice_(notice),
      target_(session),
      sink_(std::make_shared<QtMessageSink>([this](const WindowMessage& message) { Handle(message); })),
      model_(std::move(request), sink_, target_),
      panes_(new QStackedWidget(this)),
      status_(PaneLabel(Utf8(model_.status()), "statusText", this)),
      candidates_(new QTreeWidget(this)),
      noMatch_(PaneLabel(text::kCddbNoMatch, "noMatchText", this)),
      error_(PaneLabel(QString(), "errorText", this)) {
  setWindowTitle(text::kCddbQueryingCaption);
  setSizeGripEnabled(true);
  progressPane_ = ProgressPane(status_, this);

  candidates_->setObjectName("candidates");
  candidates_->setHeaderLabels({text::kCandidateColumnNumber, text::kCandidateColumnArtist, text::kCandidateColumnAlbum});
  candidates_->setRootIsDecorated(false);
  candidates_->setUniformRowHeights(true);
  candidates_->setAllColumnsShowFocus(true);
  candidates_->setSelectionMode(QAbstractItemView::SingleSelection);
  candidates_->setSelectionBehavior(QAbstractItemView::SelectRows);
  candidates_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  int digit = candidates_->fontMetrics().horizontalAdvance('0');
  candidates_->setColumnWidth(0, digit * 6);
  candidates_->setColumnWidth(1, digit * 22);
  connect(candidates_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { ChooseCandidate(candidates_->indexOfTopLevelItem(item)); });

  for (QWidget* pane : {progressPane_, static_cast<QWidget*>(candidates_), static_cast<QWidget*>(noMatch_),
                        static_cast<QWidget*>(error_)}) {
    panes_->addWidget(pane);
  }

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(text::kCddbOkButton, QDialogButtonBox::AcceptRole);
  cancel_ = buttons->addButton(text::kCddbCancelButton, QDialogButtonBox::RejectRole);
  ok_->setObjectName("okButton");
  cancel_->setObjectName("cancelButton");
  ok_->setDefault(true);
  // OK takes the selected row, the first when none is selected.
  connect(ok_, &QPushButton::clicked, this, [this] {
    QTreeWidgetItem* item = candidates_->currentItem();
    ChooseCandidate(item ? candidates_->indexOfTopLevelItem(item) : 0);
  });
  connect(cancel_, &QPushButton::clicked, this, &QueryWindow::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panes_, 1);
  layout->addWidget(buttons);
  setMinimumSize(320, 180);
  resize(480, 280);
  Render();
}

QueryWindow::~QueryWindow() {
  sink_->Close();
}

void QueryWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  std::optional<DiscIdInfo> ids = session_.ComputeIds().freedb;
  if (!ids) {
    notice_.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    // Not from inside the show itself: the dialog is still being made visible.
    QMetaObject::invokeMethod(this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
    return;
  }
  model_.Start(*ids);
  Render();
}

void QueryWindow::Handle(const WindowMessage& message) {
  QueryPane before = model_.pane();
  model_.Handle(message);
  if (before != QueryPane::Candidates && model_.pane() == QueryPane::Candidates) FillCandidates();
  Render();
  if (model_.end() == DialogEnd::Ok) {
    session_.SaveDisc();
    done(QDialog::Accepted);
  } else if (model_.end() == DialogEnd::Cancelled) {
    done(QDialog::Rejected);
  }
}

void QueryWindow::FillCandidates() {
  candidates_->clear();
  int number = 1;
  for (const CddbMatch& match : model_.candidates()) {
    candidates_->addTopLevelItem(new QTreeWidgetItem({QString::number(number++), Utf8(match.artist), Utf8(match.title)}));
  }
  candidates_->setCurrentItem(candidates_->topLevelItem(0));
  candidates_->setFocus();
}

void QueryWindow::Render() {
  status_->setText(Utf8(model_.status()));
  error_->setText(Utf8(model_.errorText()));
  switch (model_.pane()) {
    case QueryPane::Progress: panes_->setCurrentWidget(progressPane_); break;
    case QueryPane::Candidates: panes_->setCurrentWidget(candidates_); break;
    case QueryPane::NoMatch: panes_->setCurrentWidget(noMatch_); break;
    case QueryPane::Error: panes_->setCurrentWidget(error_); break;
  }
  ok_->setEnabled(model_.okEnabled());
  cancel_->setEnabled(model_.cancelEnabled());
  waitCursor_.Set(model_.busy());
}

bool QueryWindow::ChooseCandidate(int row) {
  bool chosen = row >= 0 && model_.Choose(static_cast<size_t>(row));
  Render();
  return chosen;
}

// Cancel, Escape and the close box: the exchange is cancelled; CddbClose closes the
// dialog once the worker has ended (at once when none runs).
void QueryWindow::reject() {
  model_.Cancel();
  Render();
}

}  // namespace sonvarek
