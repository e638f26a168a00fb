#pragma once

#include <QDialog>

#include "session/info_dialogs.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sonvarek {

// Track Information: the fields of the highlighted row's track, with stepping to the
// rows above and below. Each store reaches the track list at once (`stored`), so the
// main window shows the new title even when the dialog is cancelled later.
class TrackInfoDialog : public QDialog {
  Q_OBJECT

 public:
  TrackInfoDialog(TrackInfoEditor editor, QWidget* parent = nullptr);

  const TrackInfoEditor& editor() const { return editor_; }

  void accept() override;
  void Previous();
  void Next();
  void ToggleExpanded();

 signals:
  // A track's texts were stored and the highlight may have moved.
  void stored();

 private:
  void Load();
  void Read();

  TrackInfoEditor editor_;
  QLineEdit* title_;
  QLineEdit* artist_;
  QLineEdit* album_;
  QLineEdit* year_;
  QComboBox* genre_;
  QPlainTextEdit* comment_;
  QWidget* extended_;
  QLineEdit* composer_;
  QLineEdit* origArtist_;
  QLineEdit* copyright_;
  QLineEdit* url_;
  QLineEdit* encodedBy_;
  QPushButton* more_;
  QPushButton* previous_;
  QPushButton* next_;
};

}  // namespace sonvarek
