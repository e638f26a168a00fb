#include "ui/log_window.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/string_table.h"

namespace sonvarek {
namespace {

// Drive errors carry the system's text with its line break; the stored line keeps
// it, but in a one-line-per-entry list it would only add an empty row.
QString ShownLine(const std::string& line) {
  size_t end = line.find_last_not_of("\r\n");
  return QString::fromUtf8(line.data(), end == std::string::npos ? 0 : static_cast<qsizetype>(end + 1));
}

}  // namespace

LogWindow::LogWindow(JobLog& log, QWidget* parent) : QDialog(parent), log_(log), lines_(new QListWidget(this)) {
  setObjectName("logWindow");
  setWindowTitle(text::kLogWindowCaption);
  setSizeGripEnabled(true);

  auto* caption = new QLabel(text::kProductName, this);
  QFont captionFont = caption->font();
  captionFont.setBold(true);
  captionFont.setItalic(true);
  captionFont.setPointSizeF(captionFont.pointSizeF() * 1.4);
  caption->setFont(captionFont);

  lines_->setObjectName("logLines");
  lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lines_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const std::string& line : log_.Lines()) lines_->addItem(ShownLine(line));
  lines_->scrollToBottom();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* clear = buttons->addButton(text::kLogClearButton, QDialogButtonBox::ResetRole);
  clear->setObjectName("clearButton");
  clear->setAutoDefault(false);
  QPushButton* ok = buttons->addButton(text::kOkButton, QDialogButtonBox::AcceptRole);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  connect(clear, &QPushButton::clicked, this, &LogWindow::Clear);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption);
  layout->addWidget(lines_, 1);
  layout->addWidget(buttons);
  resize(760, 360);
}

void LogWindow::Clear() {
  log_.Clear();
  lines_->clear();
}

}  // namespace sonvarek
