#include "ui/file_batch_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "core/string_table.h"

namespace sonvarek {
namespace {

const char* CaptionOf(BatchKind kind) {
  switch (kind) {
    case BatchKind::EncodeMp3: return text::kFileDialogEncodeMp3;
    case BatchKind::EncodeOgg: return text::kFileDialogEncodeOgg;
    case BatchKind::Decode: return text::kFileDialogDecode;
    default: return text::kFileDialogNormalize;
  }
}

}  // namespace

FileBatchDialog::FileBatchDialog(BatchKind kind, const std::string& folder, QWidget* parent)
    : QFileDialog(parent, CaptionOf(kind), QString::fromStdString(folder)) {
  bool mp3 = kind == BatchKind::Decode;
  // The extra panel needs Qt's own dialog: a desktop portal's dialog cannot carry it.
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::ReadOnly);
  setFileMode(QFileDialog::ExistingFiles);
  setAcceptMode(QFileDialog::AcceptOpen);
  setNameFilter(QString(mp3 ? text::kFileFilterMp3 : text::kFileFilterWave));
  setDefaultSuffix(mp3 ? "mp3" : "wav");
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    auto* panel = new QHBoxLayout;
    auto* hint = new QLabel(text::kFileDialogOptionsHint, this);
    auto* options = new QPushButton(text::kCommandOptions, this);
    options->setObjectName("optionsButton");
    options->setAutoDefault(false);
    panel->addStretch(1);
    panel->addWidget(hint);
    panel->addWidget(options);
    grid->addLayout(panel, grid->rowCount(), 0, 1, grid->columnCount());
    connect(options, &QPushButton::clicked, this, &FileBatchDialog::optionsRequested);
  }
}

std::vector<std::string> FileBatchDialog::Choose() {
  std::vector<std::string> files;
  if (exec() != QDialog::Accepted) return files;
  for (const QString& file : selectedFiles()) files.push_back(file.toStdString());
  return files;
}

}  // namespace sonvarek
