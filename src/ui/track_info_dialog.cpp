#include "ui/track_info_dialog.h"

#include <algorithm>
#include <initializer_list>

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "ui/dialog_support.h"

namespace sonvarek {
namespace {

QPushButton* MakeButton(const char* label, const char* name, QWidget* parent) {
  auto* button = new QPushButton(Utf8(label), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// The upper and the extended part are two forms; labels of one width line them up.
class LabelMaker {
 public:
  LabelMaker(QWidget& dialog, std::initializer_list<const char*> texts) {
    for (const char* text : texts) width_ = std::max(width_, dialog.fontMetrics().horizontalAdvance(Utf8(text)));
  }
  QLabel* operator()(const char* text, QWidget* parent) const {
    auto* label = new QLabel(Utf8(text), parent);
    label->setMinimumWidth(width_);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
  }

 private:
  int width_ = 0;
};

}  // namespace

TrackInfoDialog::TrackInfoDialog(TrackInfoEditor editor, QWidget* parent)
    : QDialog(parent), editor_(std::move(editor)) {
  setObjectName("trackInfoDialog");
  setModal(true);
  title_ = MakeLineEdit({}, "titleEdit", this);
  artist_ = MakeLineEdit({}, "artistEdit", this);
  album_ = MakeLineEdit({}, "albumEdit", this);
  year_ = MakeLineEdit({}, "yearEdit", this);
  genre_ = MakeGenreBox({}, this);
  comment_ = MakeCommentEdit({}, this);

  const LabelMaker label(*this, {text::kTrackInfoTitleLabel, text::kTrackInfoArtistLabel, text::kTrackInfoAlbumLabel,
                                 text::kTrackInfoYearLabel, text::kTrackInfoGenreLabel, text::kTrackInfoCommentLabel,
                                 text::kInfoComposerLabel, text::kInfoOrigArtistLabel, text::kInfoCopyrightLabel,
                                 text::kInfoUrlLabel, text::kInfoEncodedByLabel});
  auto* form = new QFormLayout;
  form->addRow(label(text::kTrackInfoTitleLabel, this), title_);
  form->addRow(label(text::kTrackInfoArtistLabel, this), artist_);
  form->addRow(label(text::kTrackInfoAlbumLabel, this), album_);
  form->addRow(label(text::kTrackInfoYearLabel, this), year_);
  form->addRow(label(text::kTrackInfoGenreLabel, this), genre_);
  form->addRow(label(text::kTrackInfoCommentLabel, this), comment_);

  // The extended part, below the marker line, shown only while expanded.
  extended_ = new QWidget(this);
  extended_->setObjectName("extendedPart");
  auto* extendedLayout = new QVBoxLayout(extended_);
  extendedLayout->setContentsMargins(0, 0, 0, 0);
  auto* marker = new QFrame(extended_);
  marker->setFrameShape(QFrame::HLine);
  marker->setFrameShadow(QFrame::Sunken);
  extendedLayout->addWidget(marker);
  auto* extendedForm = new QFormLayout;
  composer_ = MakeLineEdit({}, "composerEdit", extended_);
  origArtist_ = MakeLineEdit({}, "origArtistEdit", extended_);
  copyright_ = MakeLineEdit({}, "copyrightEdit", extended_);
  url_ = MakeLineEdit({}, "urlEdit", extended_);
  encodedBy_ = MakeLineEdit({}, "encodedByEdit", extended_);
  extendedForm->addRow(label(text::kInfoComposerLabel, extended_), composer_);
  extendedForm->addRow(label(text::kInfoOrigArtistLabel, extended_), origArtist_);
  extendedForm->addRow(label(text::kInfoCopyrightLabel, extended_), copyright_);
  extendedForm->addRow(label(text::kInfoUrlLabel, extended_), url_);
  extendedForm->addRow(label(text::kInfoEncodedByLabel, extended_), encodedBy_);
  extendedLayout->addLayout(extendedForm);

  auto* ok = MakeButton(text::kTrackInfoOkButton, "okButton", this);
  ok->setDefault(true);
  auto* cancel = MakeButton(text::kTrackInfoCancelButton, "cancelButton", this);
  more_ = MakeButton(text::kTrackInfoMoreButton, "moreButton", this);
  previous_ = MakeButton(text::kTrackInfoPreviousButton, "previousButton", this);
  next_ = MakeButton(text::kTrackInfoNextButton, "nextButton", this);
  connect(ok, &QPushButton::clicked, this, &TrackInfoDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &TrackInfoDialog::reject);
  connect(more_, &QPushButton::clicked, this, &TrackInfoDialog::ToggleExpanded);
  connect(previous_, &QPushButton::clicked, this, &TrackInfoDialog::Previous);
  connect(next_, &QPushButton::clicked, this, &TrackInfoDialog::Next);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(previous_);
  buttons->addWidget(next_);
  buttons->addWidget(more_);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // collapsing cuts the dialog at the marker
  layout->addWidget(MakeTitleBand(this));
  layout->addLayout(form);
  layout->addWidget(extended_);
  layout->addLayout(buttons);
  title_->setMinimumWidth(title_->fontMetrics().averageCharWidth() * 48);

  extended_->setVisible(editor_.expanded());
  Load();
}

void TrackInfoDialog::Load() {
  const TrackInfoFields& f = editor_.fields;
  const std::pair<QLineEdit*, const std::string*> edits[] = {
      {title_, &f.title},         {artist_, &f.artist},         {album_, &f.album},
      {year_, &f.year},           {composer_, &f.composer},     {origArtist_, &f.origArtist},
      {copyright_, &f.copyright}, {url_, &f.url},               {encodedBy_, &f.encodedBy}};
  for (const auto& [edit, value] : edits) edit->setText(Utf8(*value));
  genre_->setEditText(Utf8(f.genre));
  comment_->setPlainText(Utf8(f.comment));
  setWindowTitle(Utf8(editor_.Caption()));
  previous_->setEnabled(editor_.PreviousEnabled());
  next_->setEnabled(editor_.NextEnabled());
  title_->setFocus(Qt::OtherFocusReason);
  title_->selectAll();
}

void TrackInfoDialog::Read() {
  editor_.fields = {ToUtf8(title_->text()),      ToUtf8(artist_->text()),    ToUtf8(album_->text()),
                    ToUtf8(year_->text()),       ToUtf8(genre_->currentText()), ToUtf8(comment_->toPlainText()),
                    ToUtf8(composer_->text()),   ToUtf8(origArtist_->text()), ToUtf8(copyright_->text()),
                    ToUtf8(url_->text()),        ToUtf8(encodedBy_->text())};
}

void TrackInfoDialog::accept() {
  Read();
  editor_.Store();
  emit stored();
  QDialog::accept();
}

void TrackInfoDialog::Previous() {
  Read();
  editor_.Previous();
  emit stored();
  Load();
}

void TrackInfoDialog::Next() {
  Read();
  editor_.Next();
  emit stored();
  Load();
}

void TrackInfoDialog::ToggleExpanded() {
  editor_.ToggleExpanded();
  extended_->setVisible(editor_.expanded());
  more_->setText(Utf8(editor_.ToggleText()));
}

}  // namespace sonvarek
