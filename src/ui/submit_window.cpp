#include "ui/submit_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
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

SubmitWindow::SubmitWindow(DiscSession& session, CddbRequest request, std::string diagnosticPath, UserNotice& notice,
                           QWidget* parent)
    : QDialog(parent),
      session_(session),
      notice_(notice),
      target_(session),
      sink_(std::make_shared<QtMessageSink>([this](const WindowMessage& message) { Handle(message); })),
      model_(std::move(request), sink_, target_, std::move(diagnosticPath), FillSubmitEditor(session.disc())),
      panes_(new QStackedWidget(this)),
      artist_(new QLineEdit(this)),
      album_(new QLineEdit(this)),
      genre_(new QComboBox(this)),
      revision_(new QSpinBox(this)),
      titles_(new QTreeWidget(this)),
      status_(PaneLabel(text::kSubmitRetrievingGenres, "statusText", this)),
      succeeded_(PaneLabel(QString("%1\n%2").arg(text::kSubmitSucceeded, text::kSubmitAvailableSoon), "succeededText", this)),
      failed_(PaneLabel(QString(), "failedText", this)),
      submit_(new QPushButton(text::kSubmitButton, this)),
      cancel_(new QPushButton(this)) {
  setWindowTitle(text::kCddbSubmittingCaption);
  artist_->setObjectName("artistEdit");
  album_->setObjectName("albumEdit");
  genre_->setObjectName("genreBox");
  revision_->setObjectName("revisionEdit");
  titles_->setObjectName("titleList");
  submit_->setObjectName("submitButton");
  cancel_->setObjectName("cancelButton");
  for (std::string_view genre : kCddbGenres) genre_->addItem(QString::fromLatin1(genre.data(), static_cast<qsizetype>(genre.size())));
  revision_->setRange(0, 9);

  const SubmitEditor& editor = model_.editor();
  artist_->setText(Utf8(editor.artist));
  album_->setText(Utf8(editor.album));
  genre_->setCurrentIndex(editor.genre);
  revision_->setValue(SubmitRevision(editor.revision));
  titles_->setHeaderLabels({text::kCandidateColumnNumber, text::kSubmitTitleColumn});
  titles_->setRootIsDecorated(false);
  titles_->setColumnWidth(0, 40);
  titles_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  filling_ = true;
  for (size_t i = 0; i < editor.titles.size(); ++i) {
    auto* item = new QTreeWidgetItem({QString::number(i + 1), Utf8(editor.titles[i])});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    titles_->addTopLevelItem(item);
  }
  filling_ = false;
  connect(titles_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (!filling_ && column == 1) EditTitle(titles_->indexOfTopLevelItem(item), item->text(1));
  });

  auto* editorPane = new QWidget(this);
  auto* form = new QFormLayout(editorPane);
  form->addRow(text::kSubmitArtistLabel, artist_);
  form->addRow(text::kSubmitAlbumLabel, album_);
  form->addRow(text::kSubmitGenreLabel, genre_);
  form->addRow(text::kSubmitRevisionLabel, revision_);
  form->addRow(titles_);
  for (QWidget* pane : {editorPane, static_cast<QWidget*>(status_), static_cast<QWidget*>(succeeded_),
                        static_cast<QWidget*>(failed_)}) {
    panes_->addWidget(pane);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(submit_, QDialogButtonBox::ActionRole);
  buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
  submit_->setDefault(true);
  connect(submit_, &QPushButton::clicked, this, &SubmitWindow::Submit);
  connect(cancel_, &QPushButton::clicked, this, &SubmitWindow::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panes_, 1);
  layout->addWidget(buttons);
  resize(480, 460);
  Render();
}

SubmitWindow::~SubmitWindow() {
  sink_->Close();
  SetBusy(false);
}

void SubmitWindow::ReadEditor() {
  SubmitEditor& editor = model_.editor();
  editor.artist = artist_->text().toStdString();
  editor.album = album_->text().toStdString();
  editor.genre = genre_->currentIndex();
  editor.revision = std::to_string(revision_->value());
}

void SubmitWindow::EditTitle(int row, const QString& title) {
  if (row < 0) return;
  model_.EditTitle(static_cast<size_t>(row), title.toStdString());
  QTreeWidgetItem* item = titles_->topLevelItem(row);
  if (item && item->text(1) != title) {
    filling_ = true;
    item->setText(1, title);
    filling_ = false;
  }
}

bool SubmitWindow::Submit() {
  ReadEditor();
  std::optional<DiscIdInfo> ids = session_.ComputeIds().freedb;
  if (!ids) {
    notice_.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    return false;
  }
  if (std::optional<std::string> message = model_.Submit(*ids)) {
    notice_.Show(*message, NoticeKind::Information);
    return false;
  }
  Render();
  return true;
}

void SubmitWindow::Handle(const WindowMessage& message) {
  model_.Handle(message);
  Render();
  if (model_.end() != DialogEnd::Open) done(model_.end() == DialogEnd::Ok ? QDialog::Accepted : QDialog::Rejected);
}

void SubmitWindow::Render() {
  if (!model_.status().empty()) status_->setText(Utf8(model_.status()));
  failed_->setText(QString("%1\n%2").arg(text::kSubmitFailed, Utf8(model_.errorText())));
  switch (model_.pane()) {
    case SubmitPane::Editor: panes_->setCurrentIndex(0); break;
    case SubmitPane::Progress: panes_->setCurrentWidget(status_); break;
    case SubmitPane::Succeeded: panes_->setCurrentWidget(succeeded_); break;
    case SubmitPane::Failed: panes_->setCurrentWidget(failed_); break;
  }
  submit_->setEnabled(model_.submitEnabled());
  cancel_->setEnabled(model_.cancelEnabled());
  cancel_->setText(model_.cancelLabel());
  SetBusy(model_.busy());
}

void SubmitWindow::SetBusy(bool busy) {
  if (busy == waitCursor_) return;
  waitCursor_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

// Cancel/Close, Escape and the close box.
void SubmitWindow::reject() {
  model_.Cancel();
  Render();
  if (model_.end() != DialogEnd::Open) done(QDialog::Rejected);
}

}  // namespace sonvarek
