#include "ui/query_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "core/window_messages.h"

namespace sonvarek {
namespace {

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* PaneLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignCenter);
  return label;
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
      status_(PaneLabel(text::kCddbReadingToc, "statusText", this)),
      candidates_(new QTreeWidget(this)),
      noMatch_(PaneLabel(text::kCddbNoMatch, "noMatchText", this)),
      error_(PaneLabel(QString(), "errorText", this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(text::kCddbQueryingCaption);
  candidates_->setObjectName("candidates");
  candidates_->setHeaderLabels({text::kCandidateColumnNumber, text::kCandidateColumnArtist, text::kCandidateColumnAlbum});
  candidates_->setRootIsDecorated(false);
  candidates_->setAllColumnsShowFocus(true);
  candidates_->setSelectionBehavior(QAbstractItemView::SelectRows);
  candidates_->setColumnWidth(0, 40);
  candidates_->setColumnWidth(1, 170);
  connect(candidates_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { ChooseCandidate(candidates_->indexOfTopLevelItem(item)); });
  for (QWidget* pane : {static_cast<QWidget*>(status_), static_cast<QWidget*>(candidates_),
                        static_cast<QWidget*>(noMatch_), static_cast<QWidget*>(error_)}) {
    panes_->addWidget(pane);
  }
  buttons_->button(QDialogButtonBox::Ok)->setObjectName("okButton");
  buttons_->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
  connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
    QTreeWidgetItem* item = candidates_->currentItem();
    ChooseCandidate(item ? candidates_->indexOfTopLevelItem(item) : 0);
  });
  connect(buttons_, &QDialogButtonBox::rejected, this, &QueryWindow::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panes_, 1);
  layout->addWidget(buttons_);
  resize(460, 260);
  Render();
}

QueryWindow::~QueryWindow() {
  sink_->Close();
  SetBusy(false);
}

void QueryWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  std::optional<DiscIdInfo> ids = session_.ComputeIds().freedb;
  if (!ids) {
    notice_.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    QMetaObject::invokeMethod(this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
    return;
  }
  model_.Start(*ids);
  Render();
}

void QueryWindow::Handle(const WindowMessage& message) {
  model_.Handle(message);
  if (message.id == Message::CddbQueryDone && model_.pane() == QueryPane::Candidates) {
    candidates_->clear();
    int number = 1;
    for (const CddbMatch& match : model_.candidates()) {
      auto* item = new QTreeWidgetItem({QString::number(number++), Utf8(match.artist), Utf8(match.title)});
      candidates_->addTopLevelItem(item);
    }
    candidates_->setCurrentItem(candidates_->topLevelItem(0));
    candidates_->setFocus();
  }
  Render();
  if (model_.end() == DialogEnd::Ok) {
    session_.SaveDisc();
    done(QDialog::Accepted);
  } else if (model_.end() == DialogEnd::Cancelled) {
    done(QDialog::Rejected);
  }
}

void QueryWindow::Render() {
  if (!model_.status().empty()) status_->setText(Utf8(model_.status()));
  error_->setText(Utf8(model_.errorText()));
  switch (model_.pane()) {
    case QueryPane::Progress: panes_->setCurrentWidget(status_); break;
    case QueryPane::Candidates: panes_->setCurrentWidget(candidates_); break;
    case QueryPane::NoMatch: panes_->setCurrentWidget(noMatch_); break;
    case QueryPane::Error: panes_->setCurrentWidget(error_); break;
  }
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(model_.okEnabled());
  buttons_->button(QDialogButtonBox::Cancel)->setEnabled(model_.cancelEnabled());
  SetBusy(model_.busy());
}

void QueryWindow::SetBusy(bool busy) {
  if (busy == waitCursor_) return;
  waitCursor_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

bool QueryWindow::ChooseCandidate(int row) {
  bool chosen = row >= 0 && model_.Choose(static_cast<size_t>(row));
  Render();
  return chosen;
}

// Cancel, Escape and the close box: the exchange is cancelled; the model says when to close.
void QueryWindow::reject() {
  model_.Cancel();
  Render();
  if (model_.end() == DialogEnd::Cancelled) done(QDialog::Rejected);
}

}  // namespace sonvarek
