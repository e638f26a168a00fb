#include "ui/submit_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "core/text_format.h"
#include "core/window_messages.h"
#include "ui/dialog_support.h"

namespace sonvarek {
namespace {

// A pane that stacks `widgets` in the middle of its height.
QWidget* CentredPane(std::initializer_list<QWidget*> widgets, QWidget* parent) {
  auto* pane = new QWidget(parent);
  auto* layout = new QVBoxLayout(pane);
  layout->addStretch(1);
  for (QWidget* widget : widgets) {
    widget->setParent(pane);
    layout->addWidget(widget);
  }
  layout->addStretch(1);
  return pane;
}

QLabel* Heading(const QString& text, const char* name, QWidget* parent) {
  QLabel* label = PaneLabel(text, name, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

QProgressBar* BusyBar(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName("busyBar");
  bar->setRange(0, 0);
  bar->setTextVisible(false);
  return bar;
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
      revision_(new QLineEdit(this)),
      titles_(new QTreeWidget(this)),
      status_(PaneLabel(Utf8(model_.status()), "statusText", this)),
      failed_(PaneLabel(QString(), "failedText", this)),
      submit_(new QPushButton(text::kSubmitButton, this)),
      cancel_(new QPushButton(this)) {
  setWindowTitle(text::kCddbSubmittingCaption);
  setSizeGripEnabled(true);
  editorPane_ = MakeEditorPane();
  progressPane_ = CentredPane({status_, BusyBar(this)}, this);
  succeededPane_ = CentredPane({Heading(text::kSubmitSucceeded, "succeededText", this),
                                PaneLabel(text::kSubmitAvailableSoon, "availableSoonText", this)},
                               this);
  failedPane_ = CentredPane({Heading(text::kSubmitFailed, "failedHeading", this), failed_}, this);
  for (QWidget* pane : {editorPane_, progressPane_, succeededPane_, failedPane_}) panes_->addWidget(pane);
  FillEditor();

  auto* link = new QLabel(QString("<a href=\"%1\">%1</a>").arg(text::kHomePage), this);
  link->setObjectName("homePageLink");
  link->setOpenExternalLinks(true);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  submit_->setObjectName("submitButton");
  cancel_->setObjectName("cancelButton");
  submit_->setDefault(true);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(submit_, QDialogButtonBox::AcceptRole);
  buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
  connect(submit_, &QPushButton::clicked, this, &SubmitWindow::Submit);
  connect(cancel_, &QPushButton::clicked, this, &SubmitWindow::reject);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(link);
  bottom->addStretch(1);
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panes_, 1);
  layout->addLayout(bottom);
  setMinimumSize(380, 360);
  resize(520, 500);
  Render();
}

SubmitWindow::~SubmitWindow() {
  sink_->Close();
}

QWidget* SubmitWindow::MakeEditorPane() {
  artist_->setObjectName("artistEdit");
  album_->setObjectName("albumEdit");
  genre_->setObjectName("genreBox");
  revision_->setObjectName("revisionEdit");
  titles_->setObjectName("titleList");
  for (std::string_view genre : kCddbGenres) {
    genre_->addItem(QString::fromLatin1(genre.data(), static_cast<qsizetype>(genre.size())));
  }
  // Digits only; what the model cannot read as a number is sent as revision 0.
  revision_->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,5}"), revision_));
  int digit = revision_->fontMetrics().horizontalAdvance('0');
  revision_->setMaximumWidth(digit * 10);

  titles_->setHeaderLabels({text::kCandidateColumnNumber, text::kSubmitTitleColumn});
  titles_->setRootIsDecorated(false);
  titles_->setUniformRowHeights(true);
  titles_->setAllColumnsShowFocus(true);
  titles_->setColumnWidth(0, digit * 6);
  // Only the title cell is edited, and only on purpose: double-click, F2 or Enter.
  titles_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  titles_->installEventFilter(this);
  connect(titles_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { StartTitleEdit(titles_->indexOfTopLevelItem(item)); });
  connect(titles_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (!filling_ && column == 1) EditTitle(titles_->indexOfTopLevelItem(item), item->text(1));
  });

  auto* pane = new QWidget(this);
  auto* form = new QFormLayout;
  form->addRow(text::kSubmitArtistLabel, artist_);
  form->addRow(text::kSubmitAlbumLabel, album_);
  form->addRow(text::kSubmitGenreLabel, genre_);
  form->addRow(text::kSubmitRevisionLabel, revision_);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  layout->addWidget(titles_, 1);
  return pane;
}

void SubmitWindow::FillEditor() {
  const SubmitEditor& editor = model_.editor();
  artist_->setText(Utf8(editor.artist));
  album_->setText(Utf8(editor.album));
  genre_->setCurrentIndex(editor.genre);
  revision_->setText(Utf8(editor.revision));
  filling_ = true;
  for (size_t i = 0; i < editor.titles.size(); ++i) {
    auto* item = new QTreeWidgetItem({QString::number(i + 1), Utf8(editor.titles[i])});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    titles_->addTopLevelItem(item);
  }
  filling_ = false;
  titles_->setCurrentItem(titles_->topLevelItem(0));
}

void SubmitWindow::ReadEditor() {
  SubmitEditor& editor = model_.editor();
  editor.artist = artist_->text().toStdString();
  editor.album = album_->text().toStdString();
  editor.genre = genre_->currentIndex();
  editor.revision = revision_->text().toStdString();
}

bool SubmitWindow::eventFilter(QObject* watched, QEvent* event) {
  // Only while the list itself has the focus: an open editor's Enter comes back here.
  if (watched == titles_ && event->type() == QEvent::KeyPress && titles_->hasFocus()) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter) {
      StartTitleEdit(titles_->indexOfTopLevelItem(titles_->currentItem()));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void SubmitWindow::StartTitleEdit(int row) {
  QTreeWidgetItem* item = titles_->topLevelItem(row);
  if (!item || model_.pane() != SubmitPane::Editor) return;
  titles_->setCurrentItem(item);
  titles_->editItem(item, 1);
}

void SubmitWindow::EditTitle(int row, const QString& title) {
  QTreeWidgetItem* item = titles_->topLevelItem(row);
  if (!item) return;
  model_.EditTitle(static_cast<size_t>(row), title.toStdString());
  if (item->text(1) != title) {
    filling_ = true;
    item->setText(1, title);
    filling_ = false;
  }
}

bool SubmitWindow::Submit() {
  if (!model_.submitEnabled()) return false;
  ReadEditor();
  // The fields first: a missing text is reported even when the drive has no disc.
  std::optional<std::string> message = SubmitValidationMessage(model_.editor());
  std::optional<DiscIdInfo> ids;
  if (!message) ids = session_.ComputeIds().freedb;
  if (!message && !ids) {
    notice_.Show(text::kPleaseInsertAnAudioCd, NoticeKind::Error);
    return false;
  }
  if (!message) message = model_.Submit(*ids);
  if (message) {
    // Before the message box, which gives the focus back to where it was.
    FocusFieldOf(*message);
    notice_.Show(*message, NoticeKind::Information);
    return false;
  }
  Render();
  return true;
}

void SubmitWindow::FocusFieldOf(const std::string& message) {
  if (message == text::kSubmitNeedsArtist) {
    artist_->setFocus();
  } else if (message == text::kSubmitNeedsAlbum) {
    album_->setFocus();
  } else if (message == text::kSubmitNeedsGenre) {
    genre_->setFocus();
  } else {
    for (int row = 0; row < titles_->topLevelItemCount(); ++row) {
      if (message != FormatText(text::kSubmitMissingTitle, row + 1)) continue;
      titles_->setCurrentItem(titles_->topLevelItem(row));
      titles_->setFocus();
      break;
    }
  }
}

void SubmitWindow::Handle(const WindowMessage& message) {
  model_.Handle(message);
  Render();
  if (model_.end() != DialogEnd::Open) done(model_.end() == DialogEnd::Ok ? QDialog::Accepted : QDialog::Rejected);
}

void SubmitWindow::Render() {
  status_->setText(Utf8(model_.status()));
  failed_->setText(Utf8(model_.errorText()));
  switch (model_.pane()) {
    case SubmitPane::Editor: panes_->setCurrentWidget(editorPane_); break;
    case SubmitPane::Progress: panes_->setCurrentWidget(progressPane_); break;
    case SubmitPane::Succeeded: panes_->setCurrentWidget(succeededPane_); break;
    case SubmitPane::Failed: panes_->setCurrentWidget(failedPane_); break;
  }
  submit_->setEnabled(model_.submitEnabled());
  cancel_->setEnabled(model_.cancelEnabled());
  cancel_->setText(model_.cancelLabel());
  // Once the outcome shows, Enter closes the dialog.
  if (model_.pane() == SubmitPane::Succeeded || model_.pane() == SubmitPane::Failed) cancel_->setDefault(true);
  waitCursor_.Set(model_.busy());
}

// Cancel/Close, Escape and the close box. While a submission runs, CddbClose closes
// the dialog once the worker has ended.
void SubmitWindow::reject() {
  model_.Cancel();
  Render();
  if (model_.end() != DialogEnd::Open) done(model_.end() == DialogEnd::Ok ? QDialog::Accepted : QDialog::Rejected);
}

}  // namespace sonvarek
