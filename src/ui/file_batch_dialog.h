#pragma once

#include <QFileDialog>
#include <string>
#include <vector>

#include "jobs/conversion_batch.h"

namespace sonvarek {

// The open-file dialog of the four file conversions: several WAV (or MP3) files from
// the output folder, with a panel whose "Options..." button changes the settings
// before the batch is made.
class FileBatchDialog final : public QFileDialog {
  Q_OBJECT

 public:
  FileBatchDialog(BatchKind kind, const std::string& folder, QWidget* parent = nullptr);

  // Runs the dialog: the chosen paths in the order the dialog gives them; none after Cancel.
  std::vector<std::string> Choose();

 signals:
  void optionsRequested();
};

}  // namespace sonvarek
