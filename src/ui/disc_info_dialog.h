#pragma once

#include <QDialog>

#include "session/info_dialogs.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace sonvarek {

// Disc Info: the disc entry's texts, with the button that copies them into every
// track. OK stores and closes; Cancel closes without storing.
class DiscInfoDialog : public QDialog {
  Q_OBJECT

 public:
  explicit DiscInfoDialog(DiscSession& session, QWidget* parent = nullptr);

  void accept() override;
  void CopyInfoToEachTrack();

 signals:
  // The disc's texts were stored, the tracks' too after a copy.
  void stored();

 private:
  void Read();

  DiscInfoEditor editor_;
  QLineEdit* album_;
  QLineEdit* artist_;
  QLineEdit* year_;
  QComboBox* genre_;
  QPlainTextEdit* comment_;
  QLineEdit* composer_;
  QLineEdit* origArtist_;
  QLineEdit* copyright_;
  QLineEdit* url_;
  QLineEdit* encodedBy_;
};

}  // namespace sonvarek
