#include "ui/disc_info_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/string_table.h"
#include "ui/dialog_support.h"

namespace sonvarek {

DiscInfoDialog::DiscInfoDialog(DiscSession& session, QWidget* parent) : QDialog(parent), editor_(session) {
  setObjectName("discInfoDialog");
  setWindowTitle(Utf8(text::kDiscInfoCaption));
  setModal(true);
  const DiscInfoFields& f = editor_.fields;
  album_ = MakeLineEdit(f.album, "albumEdit", this);
  artist_ = MakeLineEdit(f.artist, "artistEdit", this);
  year_ = MakeLineEdit(f.year, "yearEdit", this);
  AcceptDigitsOnly(year_);
  genre_ = MakeGenreBox(f.genre, this);
  if (f.genrePosition >= 0) genre_->setCurrentIndex(f.genrePosition);
  comment_ = MakeCommentEdit(f.comment, this);
  composer_ = MakeLineEdit(f.composer, "composerEdit", this);
  origArtist_ = MakeLineEdit(f.origArtist, "origArtistEdit", this);
  copyright_ = MakeLineEdit(f.copyright, "copyrightEdit", this);
  url_ = MakeLineEdit(f.url, "urlEdit", this);
  encodedBy_ = MakeLineEdit(f.encodedBy, "encodedByEdit", this);

  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight);
  form->addRow(BuddyLabel(text::kDiscInfoAlbumLabel, album_, this), album_);
  form->addRow(BuddyLabel(text::kDiscInfoArtistLabel, artist_, this), artist_);
  form->addRow(BuddyLabel(text::kDiscInfoYearLabel, year_, this), year_);
  form->addRow(BuddyLabel(text::kDiscInfoGenreLabel, genre_, this), genre_);
  form->addRow(BuddyLabel(text::kDiscInfoCommentLabel, comment_, this), comment_);
  form->addRow(Utf8(text::kInfoComposerLabel), composer_);
  form->addRow(Utf8(text::kInfoOrigArtistLabel), origArtist_);
  form->addRow(Utf8(text::kInfoCopyrightLabel), copyright_);
  form->addRow(Utf8(text::kInfoUrlLabel), url_);
  form->addRow(Utf8(text::kInfoEncodedByLabel), encodedBy_);

  auto* volume = new QLabel(Utf8(editor_.VolumeText()), this);
  volume->setObjectName("volumeText");
  volume->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* ok = new QPushButton(Utf8(text::kDiscInfoOkButton), this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(Utf8(text::kDiscInfoCancelButton), this);
  cancel->setObjectName("cancelButton");
  auto* copy = new QPushButton(Utf8(text::kDiscInfoCopyToTracks), this);
  copy->setObjectName("copyButton");
  copy->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, &DiscInfoDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &DiscInfoDialog::reject);
  connect(copy, &QPushButton::clicked, this, &DiscInfoDialog::CopyInfoToEachTrack);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeTitleBand(this));
  layout->addLayout(form);
  layout->addWidget(volume);
  layout->addLayout(buttons);
  album_->setMinimumWidth(album_->fontMetrics().averageCharWidth() * 48);
}

void DiscInfoDialog::Read() {
  DiscInfoFields& f = editor_.fields;
  f.album = ToUtf8(album_->text());
  f.artist = ToUtf8(artist_->text());
  f.year = ToUtf8(year_->text());
  f.genre = ToUtf8(genre_->currentText());
  f.genrePosition = genre_->findText(genre_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
  f.comment = ToUtf8(comment_->toPlainText());
  f.composer = ToUtf8(composer_->text());
  f.origArtist = ToUtf8(origArtist_->text());
  f.copyright = ToUtf8(copyright_->text());
  f.url = ToUtf8(url_->text());
  f.encodedBy = ToUtf8(encodedBy_->text());
}

void DiscInfoDialog::accept() {
  Read();
  editor_.Store();
  emit stored();
  QDialog::accept();
}

void DiscInfoDialog::CopyInfoToEachTrack() {
  Read();
  editor_.CopyInfoToEachTrack();
  emit stored();
}

}  // namespace sonvarek
